// The text steps of directory cleaning with arbitrary bytes, GBK included,
// against a file system of names in memory. Properties:
// - the cleaned text holds none of the removed characters outside
//   double-byte characters;
// - the path handed to the file system and the text returned are those of
//   the cleaning rules applied character by character by a naive reading;
// - directories are created parents first, each one a prefix of the path
//   that ends before a real backslash (never a trail byte 0x5C), and a
//   failure is reported only for a directory that is missing afterwards;
// - when no creation fails, the directory exists afterwards.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <set>
#include <unordered_set>
#include <string>
#include <vector>

#include "config/check_directory.h"
#include "fuzz/gbk_reference.h"

namespace {

using vexa_fuzz::CharStarts;
using vexa_fuzz::Check;
using vexa_fuzz::HasSingleByteChar;
using vexa_fuzz::IsGbkLead;

const char kRemoved[] = {'/', '>', '"', '?', '*', '|'};  // "/" turned, not dropped

bool IsSingleByteCharAt(const std::string& s, std::size_t i) {
  return !(IsGbkLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size());
}

class MemoryDirectories : public vexa::DirectorySystem {
 public:
  std::unordered_set<std::string> existing;
  unsigned refuseEvery = 0;  // 0: never; n: names whose hash is divisible by n
  std::vector<std::string> created;
  std::vector<std::string> failed;

  bool Exists(const std::string& path) override { return existing.count(path) != 0; }
  bool IsDirectory(const std::string& path) override { return Exists(path); }
  bool CreateDirectory(const std::string& path) override {
    created.push_back(path);
    if (existing.count(path) != 0 || (refuseEvery != 0 && Hash(path) % refuseEvery == 0)) {
      failed.push_back(path);
      return false;
    }
    existing.insert(path);
    return true;
  }

 private:
  static unsigned Hash(const std::string& s) {
    unsigned h = 2166136261u;
    for (unsigned char c : s) h = (h ^ c) * 16777619u;
    return h;
  }
};

// A single-byte "/" becomes "\\", the other removed characters go.
std::string RemoveChars(const std::string& text) {
  std::string out;
  for (std::size_t i : CharStarts(text)) {
    bool single = IsSingleByteCharAt(text, i);
    bool removed = false;
    for (char c : kRemoved) removed = removed || (single && text[i] == c);
    if (single && text[i] == '/') {
      out += '\\';
    } else if (!removed) {
      out.append(text, i, single ? 1 : 2);
    }
  }
  return out;
}

std::string RemoveTextAtCharStarts(const std::string& text, const std::string& needle) {
  std::string out;
  std::vector<std::size_t> starts = CharStarts(text);
  std::size_t skipTo = 0;
  for (std::size_t k = 0; k < starts.size(); ++k) {
    std::size_t i = starts[k];
    if (i < skipTo) continue;
    if (text.compare(i, needle.size(), needle) == 0) {
      skipTo = i + needle.size();
      continue;
    }
    std::size_t end = k + 1 < starts.size() ? starts[k + 1] : text.size();
    out.append(text, i, end - i);
  }
  return out;
}

// A program directory as the system reports it: absolute, ending in a real
// backslash, without characters a file name cannot hold.
std::string ProgramDirectoryFrom(const std::string& raw) {
  std::string dir = "C:\\" + RemoveChars(raw);
  std::vector<std::size_t> starts = CharStarts(dir);
  if (starts.back() + 1 == dir.size() && IsGbkLead(static_cast<unsigned char>(dir.back()))) {
    dir.pop_back();
  }
  return dir + "\\";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  std::string program = ProgramDirectoryFrom(provider.ConsumeRandomLengthString(24));
  unsigned refuseEvery = provider.ConsumeIntegralInRange<unsigned>(0, 4);
  bool programExists = provider.ConsumeBool();
  std::string text = provider.ConsumeRemainingBytesAsString();

  MemoryDirectories fs;
  fs.refuseEvery = refuseEvery;
  fs.existing.insert("C:");
  if (programExists) fs.existing.insert(program.substr(0, program.size() - 1));
  const std::unordered_set<std::string> before = fs.existing;

  vexa::CheckDirectoryResult result = vexa::CheckDirectory(text, program, fs);

  for (char c : kRemoved) {
    Check(!HasSingleByteChar(result.path, c), "a removed character came back", text, result.path);
  }

  // The rules read straight: remove, one trailing backslash that is a
  // character of its own (not the second byte of 運) and one leading
  // backslash byte, make absolute, strip the program directory.
  // A drive root keeps its backslash, a network path its two leading ones.
  auto network = [](const std::string& p) {
    return p.size() >= 3 && p[0] == '\\' && p[1] == '\\' && p[2] != '\\';
  };
  std::string path = RemoveChars(text);
  bool driveRoot = path.size() == 3 && path[1] == ':' && path[2] == '\\';
  const bool trailingBackslash =
      !path.empty() && path.back() == '\\' && CharStarts(path).back() == path.size() - 1;
  if (trailingBackslash && !driveRoot) path.pop_back();
  if (!path.empty() && path.front() == '\\' && !network(path)) path.erase(0, 1);
  bool absolute = (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || network(path);
  Check(vexa::IsAbsolutePath(path) == absolute, "IsAbsolutePath", path);
  if (!absolute) path = program + path;
  Check(result.path == RemoveTextAtCharStarts(path, program), "cleaned text differs", text,
        result.path);

  // Creation: parents first, only prefixes ending before a real backslash.
  std::vector<std::size_t> starts = CharStarts(path);
  std::vector<bool> cuts(path.size() + 1, false);
  for (std::size_t i : starts) {
    if (path[i] == '\\' && IsSingleByteCharAt(path, i)) cuts[i] = true;
  }
  // A path starting with a backslash has the empty text as its topmost
  // parent, which the rules try to create like any other.
  bool first = true;
  std::size_t previous = 0;
  for (const std::string& made : fs.created) {
    bool whole = made == path;
    bool parent = made.size() < path.size() && path.compare(0, made.size(), made) == 0 &&
                  cuts[made.size()];
    Check(whole || parent, "created a directory that is no parent", path, made);
    Check(first || made.size() > previous, "a child was created before its parent", path, made);
    Check(before.count(made) == 0, "created a directory that existed", made);
    previous = made.size();
    first = false;
  }
  for (const std::string& missing : result.notCreated) {
    Check(!fs.Exists(missing), "reported a directory that exists", missing);
  }
  if (fs.failed.empty()) {
    Check(fs.Exists(path), "directory missing although nothing failed", path);
    Check(result.notCreated.empty(), "failure reported although nothing failed", path);
  }
  return 0;
}
