#pragma once
// Whether a file or directory of that name is there, and how large a file
// is (Win32 only). A name that cannot be looked up counts as missing.
#include <cstdint>
#include <string>

#include "base/status.h"

namespace vexa {

bool PathExists(const std::string& path);  // a file or a directory
bool DirectoryExists(const std::string& path);
// False, with the system's error left for GetLastError, when it cannot be read.
bool FileSizeOnDisk(const std::string& path, std::uint64_t* size);

// Writes bytes into a new file at path; a file already there stays as it
// is (and counts as done). A file that could not be written whole is removed.
Status CreateNewFile(const std::string& path, const std::string& bytes);

// The system hands 64-bit sizes and times over as two 32-bit halves.
constexpr std::uint64_t JoinHalves(std::uint32_t high, std::uint32_t low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

}  // namespace vexa
