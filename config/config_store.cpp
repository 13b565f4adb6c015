#include "config/config_store.h"

#include <cstring>

#include "base/mbcs.h"

namespace vexa {

namespace {

const char kSeparator[] = " = ";
const char kLineEnd[] = "\r\n";

const char kUnreadableAtLoad[] =
    "程序启动时无法读取 vexa.cfg，现在保存会抹掉其中的设置，因此没有写入任何内容。";

// Bytes below 0x80 are single-byte characters in every ANSI code page; only
// the others need the code page's lead-byte table. This keeps parsing a large
// file close to the cost of reading it.
inline std::size_t CharLengthAt(const char* p, const char* end) {
  if (static_cast<unsigned char>(*p) < 0x80 || p + 1 >= end) return 1;
  return IsLeadByte(static_cast<unsigned char>(*p)) ? 2 : 1;
}

const char* FindEquals(const char* p, const char* end) {
  while (p < end) {
    if (*p == '=') return p;
    p += CharLengthAt(p, end);
  }
  return nullptr;
}

// Cuts single-byte spaces from both ends, never splitting a double-byte
// character (a broken lead byte may pair with a following space).
void TrimSpaces(const char*& begin, const char*& end) {
  while (begin < end && *begin == ' ') ++begin;
  const char* contentEnd = begin;
  for (const char* p = begin; p < end;) {
    std::size_t n = CharLengthAt(p, end);
    if (!(n == 1 && *p == ' ')) contentEnd = p + n;
    p += n;
  }
  end = contentEnd;
}

void ParseLine(const char* begin, const char* end, std::vector<ConfigEntry>& entries) {
  if (begin == end) return;
  const char* equals = FindEquals(begin, end);
  if (equals == nullptr || equals - begin < 2) return;

  const char* keyBegin = begin;
  const char* keyEnd = equals;
  const char* valueBegin = equals + 1;
  const char* valueEnd = end;
  TrimSpaces(keyBegin, keyEnd);
  TrimSpaces(valueBegin, valueEnd);
  entries.push_back(ConfigEntry{std::string(keyBegin, keyEnd), std::string(valueBegin, valueEnd)});
}

}  // namespace

void ConfigStore::Parse(const std::string& bytes) {
  const char* p = bytes.data();
  const char* end = p + bytes.size();

  std::size_t lines = 0;
  for (const char* q = p; (q = static_cast<const char*>(std::memchr(q, '\n', end - q))) != nullptr;
       ++q) {
    ++lines;
  }
  entries_.reserve(entries_.size() + lines + 1);

  // Line ends are LF bytes: 0x0A is never part of a double-byte character.
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* lineEnd = lf != nullptr ? lf : end;
    const char* contentEnd = lineEnd;
    if (lf != nullptr && contentEnd > p && contentEnd[-1] == '\r') --contentEnd;
    ParseLine(p, contentEnd, entries_);
    p = lf != nullptr ? lf + 1 : end;
  }
}

std::string ConfigStore::Serialize() const {
  std::size_t size = 0;
  for (const ConfigEntry& entry : entries_) {
    if (!entry.value.empty()) {
      size += entry.key.size() + entry.value.size() + sizeof kSeparator - 1 + sizeof kLineEnd - 1;
    }
  }
  std::string out;
  out.reserve(size);
  for (const ConfigEntry& entry : entries_) {
    if (entry.value.empty()) continue;
    out += entry.key;
    out += kSeparator;
    out += entry.value;
    out += kLineEnd;
  }
  return out;
}

void ConfigStore::Load() {
  std::string bytes;
  std::string reason;
  switch (file_.Read(&bytes, &reason)) {
    case ConfigFile::ReadOutcome::Read:
      Parse(bytes);
      break;
    case ConfigFile::ReadOutcome::Missing:
      // The first save creates the file.
      break;
    case ConfigFile::ReadOutcome::Unreadable:
      unreadableAtLoad_ = true;
      unreadableReason_ = reason;
      break;
  }
}

std::string ConfigStore::Get(const std::string& key, const std::string& defaultValue) const {
  for (const ConfigEntry& entry : entries_) {
    if (entry.key == key) return entry.value;
  }
  return defaultValue;
}

void ConfigStore::Set(const std::string& key, const std::string& value) {
  for (ConfigEntry& entry : entries_) {
    if (entry.key == key) {
      entry.value = value;
      return;
    }
  }
  entries_.push_back(ConfigEntry{key, value});
}

Status ConfigStore::Save() {
  if (unreadableAtLoad_) {
    std::string message = kUnreadableAtLoad;
    if (!unreadableReason_.empty()) message += "\r\n原因：" + unreadableReason_;
    return Status::Error(message);
  }
  return file_.Write(Serialize());
}

}  // namespace vexa
