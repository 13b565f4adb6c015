#include "config/config_store.h"

#include <cstring>
#include <utility>

#include "base/mbcs.h"
#include "log/action_log.h"

namespace vexa {

namespace {

const char kAssignment[] = " = ";
const char kLineEnd[] = "\r\n";

const char kUnreadableAtLoad[] =
    "程序启动时无法读取 vexa.cfg，现在保存会抹掉其中的设置，因此没有写入任何内容。";
const char kReloadFailed[] = "无法重新读取 vexa.cfg，没有写入任何内容。\r\n原因：";

// Bytes below 0x80 are single-byte characters in every ANSI code page; only
// the others need the code page's lead-byte table. Lines of plain ASCII take
// the fast byte-wise path, which keeps parsing a large file close to the cost
// of reading it.
inline std::size_t CharLengthAt(const char* p, const char* end) {
  if (static_cast<unsigned char>(*p) < 0x80 || p + 1 >= end) return 1;
  return IsLeadByte(static_cast<unsigned char>(*p)) ? 2 : 1;
}

bool HasHighBytes(const char* p, const char* end) {
  unsigned char any = 0;
  for (; p < end; ++p) any |= static_cast<unsigned char>(*p);
  return (any & 0x80) != 0;
}

const char* FindEqualsByCharacters(const char* p, const char* end) {
  while (p < end) {
    if (*p == '=') return p;
    p += CharLengthAt(p, end);
  }
  return nullptr;
}

// Cuts single-byte spaces from both ends. begin is a character start, so the
// leading spaces are whole characters; at the end a space may be the second
// byte of a broken double-byte character and must then stay.
void TrimSpaces(const char*& begin, const char*& end) {
  while (begin < end && *begin == ' ') ++begin;
  if (begin == end || end[-1] != ' ') return;
  if (!HasHighBytes(begin, end)) {
    while (end[-1] == ' ') --end;
    return;
  }
  const char* contentEnd = begin;
  for (const char* p = begin; p < end;) {
    std::size_t n = CharLengthAt(p, end);
    if (!(n == 1 && *p == ' ')) contentEnd = p + n;
    p += n;
  }
  end = contentEnd;
}

const char kUnreadableAtStart[] =
    "无法读取 vexa.cfg，页面上显示的是默认值。为免抹掉其中的设置，在问题解决并重新启动本程序之前，"
    "保存会被拒绝，vexa.cfg 不会被改动。";

std::string WithReason(const char* text, const std::string& reason) {
  std::string message = text;
  if (!reason.empty()) message += "\r\n原因：" + reason;
  return message;
}

}  // namespace

const char kConfigFileName[] = "vexa.cfg";

const char kOutsideChangeQuestion[] =
    "vexa.cfg 在本程序启动后已被其他程序修改。\n\n"
    "选择“是”：重新读取 vexa.cfg，再写入这次修改的设置并保存。\n"
    "选择“否”：不保存，vexa.cfg 保持其他程序修改后的样子，页面上的内容仍保留。";

const char kOutsideDeleteQuestion[] =
    "vexa.cfg 已被其他程序删除。\n\n"
    "选择“是”：用本程序中的全部设置重新写出 vexa.cfg，再写入这次修改的设置。\n"
    "选择“否”：不保存，vexa.cfg 仍不存在，页面上的内容仍保留。";

const char* OutsideChangeQuestion(OutsideChangeKind kind) {
  return kind == OutsideChangeKind::Deleted ? kOutsideDeleteQuestion : kOutsideChangeQuestion;
}

std::string NotInCodePageText(const std::string& caption) {
  return "“" + caption +
         "”中有本系统的代码页无法表示的字符，Vexa读不出这样的设置。"
         "没有保存，vexa.cfg 没有改动。";
}
const char kOutsideChangeNotSaved[] = "vexa.cfg 已被其他程序修改，按您的选择没有保存。";

// FNV-1a: enough to tell an edited file from the one the store saw.
std::uint64_t HashBytes(const std::string& bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

void ConfigStore::Parse(const std::string& bytes) {
  std::size_t offset = text_.size();
  text_ += bytes;
  ParseFrom(offset);
}

void ConfigStore::ParseFrom(std::size_t offset) {
  const char* const base = text_.data();
  const char* p = base + offset;
  const char* const end = base + text_.size();
  // Room for lines of 16 bytes on average; settings lines are longer, so
  // the slots rarely move while a large file is read.
  slots_.reserve(slots_.size() + static_cast<std::size_t>(end - p) / 16 + 1);

  // Line ends are LF bytes: 0x0A is never part of a double-byte character.
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* lineEnd = lf != nullptr ? lf : end;
    if (lf != nullptr && lineEnd > p && lineEnd[-1] == '\r') --lineEnd;
    const char* line = p;
    p = lf != nullptr ? lf + 1 : end;

    if (line == lineEnd) continue;
    const char* equals = static_cast<const char*>(std::memchr(line, '=', lineEnd - line));
    if (equals == nullptr) continue;
    if (HasHighBytes(line, equals)) {
      equals = FindEqualsByCharacters(line, lineEnd);
      if (equals == nullptr) continue;
    }
    if (equals - line < 2) continue;

    const char* keyBegin = line;
    const char* keyEnd = equals;
    const char* valueBegin = equals + 1;
    const char* valueEnd = lineEnd;
    TrimSpaces(keyBegin, keyEnd);
    TrimSpaces(valueBegin, valueEnd);
    liveBytes_ += static_cast<std::size_t>((keyEnd - keyBegin) + (valueEnd - valueBegin));
    slots_.push_back(Slot{{static_cast<std::size_t>(keyBegin - base),
                           static_cast<std::size_t>(keyEnd - keyBegin)},
                          {static_cast<std::size_t>(valueBegin - base),
                           static_cast<std::size_t>(valueEnd - valueBegin)}});
  }
}

std::string ConfigStore::Serialize() const {
  const std::size_t extra = sizeof kAssignment - 1 + sizeof kLineEnd - 1;
  std::size_t size = 0;
  for (const Slot& slot : slots_) {
    if (slot.value.length != 0) size += slot.key.length + slot.value.length + extra;
  }
  std::string out(size, '\0');
  char* q = &out[0];
  const char* base = text_.data();
  for (const Slot& slot : slots_) {
    if (slot.value.length == 0) continue;
    std::memcpy(q, base + slot.key.offset, slot.key.length);
    q += slot.key.length;
    std::memcpy(q, kAssignment, sizeof kAssignment - 1);
    q += sizeof kAssignment - 1;
    std::memcpy(q, base + slot.value.offset, slot.value.length);
    q += slot.value.length;
    std::memcpy(q, kLineEnd, sizeof kLineEnd - 1);
    q += sizeof kLineEnd - 1;
  }
  return out;
}

std::vector<ConfigEntry> ConfigStore::Entries() const {
  std::vector<ConfigEntry> entries;
  entries.reserve(slots_.size());
  for (const Slot& slot : slots_) entries.push_back(ConfigEntry{Text(slot.key), Text(slot.value)});
  return entries;
}

ConfigFile::ReadOutcome ConfigStore::ReadFile(std::string* bytes, std::string* reason,
                                              FileStamp* stamp) {
  // The time first: a change between the two shows as a changed time later.
  std::uint64_t lastWrite = file_.LastWriteTime();
  ConfigFile::ReadOutcome outcome = file_.Read(bytes, reason);
  *stamp = FileStamp{};
  if (outcome == ConfigFile::ReadOutcome::Read) {
    *stamp = FileStamp{true, bytes->size(), lastWrite, HashBytes(*bytes)};
  }
  return outcome;
}

std::optional<OutsideChangeKind> ConfigStore::OutsideChangeNow() {
  if (unreadableAtLoad_) return std::nullopt;
  std::string bytes;
  std::string reason;
  FileStamp now;
  switch (ReadFile(&bytes, &reason, &now)) {
    case ConfigFile::ReadOutcome::Unreadable: return std::nullopt;
    case ConfigFile::ReadOutcome::Missing:
      if (seen_.exists) return OutsideChangeKind::Deleted;
      return std::nullopt;
    case ConfigFile::ReadOutcome::Read: break;
  }
  if (!seen_.exists || now.size != seen_.size || now.lastWrite != seen_.lastWrite ||
      now.hash != seen_.hash) {
    return OutsideChangeKind::Modified;
  }
  return std::nullopt;
}

Status ConfigStore::Reload() {
  std::string bytes;
  std::string reason;
  FileStamp stamp;
  ConfigFile::ReadOutcome outcome = ReadFile(&bytes, &reason, &stamp);
  if (outcome == ConfigFile::ReadOutcome::Unreadable) return Status::Error(kReloadFailed + reason);
  text_.clear();
  slots_.clear();
  liveBytes_ = 0;
  unreadableAtLoad_ = false;
  unreadableReason_.clear();
  seen_ = stamp;
  if (outcome == ConfigFile::ReadOutcome::Read) {
    text_ = std::move(bytes);
    ParseFrom(0);
  }
  return Status::Ok();
}

OutsideChange ConfigStore::CheckOutsideChange(
    const std::function<bool(OutsideChangeKind)>& ask) {
  OutsideChange change;
  const std::optional<OutsideChangeKind> kind = OutsideChangeNow();
  if (!kind) return change;
  const bool yes = ask && ask(*kind);
  LogAction(std::string(*kind == OutsideChangeKind::Deleted ? "vexa.cfg 已被其他程序删除"
                                                            : "vexa.cfg 已被其他程序修改") +
            "，保存前询问，回答：" + (yes ? "是" : "否"));
  if (!yes) {
    change.proceed = false;
    return change;
  }
  // Reading a deleted file would empty the store and lose every setting
  // the panel holds; writing the store brings them all back.
  if (*kind == OutsideChangeKind::Deleted) return change;
  change.status = Reload();
  change.proceed = change.status.ok;
  change.reloaded = change.status.ok;
  return change;
}

void ConfigStore::SetOutsideChangeListener(std::function<void()> listener) {
  outsideChangeListener_ = std::move(listener);
}

void ConfigStore::NotifyOutsideChange() const {
  if (outsideChangeListener_) outsideChangeListener_();
}

Status ConfigStore::ReloadAndRefresh() {
  Status reloaded = Reload();
  if (reloaded.ok) NotifyOutsideChange();
  return reloaded;
}

void ConfigStore::Load() {
  std::string bytes;
  std::string reason;
  switch (ReadFile(&bytes, &reason, &seen_)) {
    case ConfigFile::ReadOutcome::Read:
      if (text_.empty()) {
        text_ = std::move(bytes);
        ParseFrom(0);
      } else {
        Parse(bytes);
      }
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

bool ConfigStore::KeyEquals(const Slot& slot, const std::string& key) const {
  return slot.key.length == key.size() &&
         text_.compare(slot.key.offset, slot.key.length, key) == 0;
}

ConfigStore::Range ConfigStore::Keep(const std::string& text) {
  Range range{text_.size(), text.size()};
  text_ += text;
  return range;
}

std::string ConfigStore::Get(const std::string& key, const std::string& defaultValue) const {
  for (const Slot& slot : slots_) {
    if (KeyEquals(slot, key)) return Text(slot.value);
  }
  return defaultValue;
}

void ConfigStore::Set(const std::string& key, const std::string& value) {
  auto slot = slots_.begin();
  while (slot != slots_.end() && !KeyEquals(*slot, key)) ++slot;
  if (slot != slots_.end()) {
    liveBytes_ -= slot->value.length;
    slot->value = Keep(value);
  } else {
    Range keyRange = Keep(key);
    slots_.push_back(Slot{keyRange, Keep(value)});
    liveBytes_ += key.size();
  }
  liveBytes_ += value.size();

  // Each save of a page replaces all its values. Compacting once the dead
  // bytes outweigh the live ones keeps the buffer within about twice what
  // the entries need, and costs each Set no more than a copy of its value
  // on average. The slack spares a small store a copy on nearly every save.
  const std::size_t kSlack = 4096;
  if (text_.size() - liveBytes_ > liveBytes_ + kSlack) Compact();
}

void ConfigStore::Compact() {
  std::string kept;
  kept.reserve(liveBytes_);
  auto carry = [&](Range& range) {
    std::size_t offset = kept.size();
    kept.append(text_, range.offset, range.length);
    range.offset = offset;
  };
  for (Slot& slot : slots_) {
    carry(slot.key);
    carry(slot.value);
  }
  text_.swap(kept);
}

Status ConfigStore::Save() {
  Status saved;
  if (unreadableAtLoad_) {
    saved = Status::Error(WithReason(kUnreadableAtLoad, unreadableReason_));
  } else {
    std::string bytes = Serialize();
    saved = file_.Write(bytes);
    if (saved.ok) seen_ = FileStamp{true, bytes.size(), file_.LastWriteTime(), HashBytes(bytes)};
  }
  LogAction(saved.ok ? "保存 vexa.cfg：成功" : "保存 vexa.cfg：失败，" + saved.message);
  return saved;
}

Status ConfigStore::LoadStatus() const {
  if (unreadableAtLoad_) return Status::Error(WithReason(kUnreadableAtStart, unreadableReason_));
  return Status::Ok();
}

}  // namespace vexa
