#pragma once
// Sizes of files and drives as the user reads them, in units of 1024.
#include <cstdint>
#include <string>

namespace vexa {

// "512 字节", "1.5 KB", "384.0 MB", "1.00 GB": the largest unit the size reaches.
std::string ByteSizeText(std::uint64_t bytes);

// In one unit whatever the size, one decimal: "0.3 MB", "12.0 GB".
enum class ByteUnit { kMegabyte, kGigabyte };
std::string ByteSizeIn(std::uint64_t bytes, ByteUnit unit);

}  // namespace vexa
