#pragma once
// Whether a file or directory of that name is there, and how large a file
// is (Win32 only).
#include <cstdint>
#include <string>

namespace vexa {

// A name that cannot be looked up counts as missing.
bool PathExists(const std::string& path);  // a file or a directory
bool DirectoryExists(const std::string& path);
bool FileExists(const std::string& path);  // not a directory

// Only a name that is not there: one that cannot be looked up for another
// reason (access denied, a bad name) is not known to be missing.
bool PathMissing(const std::string& path);

// False, with the system's error left for GetLastError, when it cannot be read.
bool FileSizeOnDisk(const std::string& path, std::uint64_t* size);

// The system hands 64-bit sizes and times over as two 32-bit halves.
constexpr std::uint64_t JoinHalves(std::uint32_t high, std::uint32_t low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

}  // namespace vexa
