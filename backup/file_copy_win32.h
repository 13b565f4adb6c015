#pragma once
// The one byte-for-byte copy that backups, clearing and restores rely on:
// a copy that counts only when it is complete.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "base/status.h"

namespace vexa {

enum class CopyFlush {
  kNone,      // left to the system, as CopyFile does
  kAtEnd,     // on the disk before the copy counts
  kInSlices,  // also every few MiB on the way, so no one flush stalls Wine
};

struct CopyRequest {
  std::string source;  // UTF-8 paths
  std::string target;  // created or overwritten
  // The target must not exist yet: a file planted there is never written into.
  bool createNew = false;
  // How the source is shared while it is read: the tracker may hold its
  // data files open for writing while a backup copies them.
  DWORD sourceShare = FILE_SHARE_READ;
  CopyFlush flush = CopyFlush::kAtEnd;
  // Counts the bytes as they are written, from the copying thread; may be null.
  std::atomic<unsigned long long>* bytesDone = nullptr;
};

// Copies in 64 KiB chunks, flushes as asked, closes the target (the last
// bytes may only fail then) and compares the target's size on disk with
// the bytes copied and the source's size. Any failure removes the target
// and names the file and the system's reason. *copied gets the bytes
// copied by a complete copy.
Status CopyFileVerified(const CopyRequest& request, std::uint64_t* copied);

}  // namespace vexa
