#pragma once
// vexa.cfg as an ordered list of key/value pairs. Entries are only appended
// or have their value replaced; duplicates are kept and only the first one
// of a key is ever seen by Get and Set.
#include <string>
#include <vector>

#include "base/status.h"

namespace vexa {

struct ConfigEntry {
  std::string key;
  std::string value;
};

// Where the store meets the disk. The Win32 side reads and replaces
// vexa.cfg in the working directory; tests use a file in memory.
class ConfigFile {
 public:
  enum class ReadOutcome { Read, Missing, Unreadable };
  virtual ~ConfigFile() = default;
  // Unreadable: the file exists but could not be read; reason says why.
  virtual ReadOutcome Read(std::string* bytes, std::string* reason) = 0;
  // Replaces the whole file with bytes, or leaves it untouched and fails.
  virtual Status Write(const std::string& bytes) = 0;
};

class ConfigStore {
 public:
  explicit ConfigStore(ConfigFile& file) : file_(file) {}

  void Load();
  std::string Get(const std::string& key, const std::string& defaultValue) const;
  void Set(const std::string& key, const std::string& value);
  // Writes every entry with a non-empty value. Refuses to overwrite a file
  // that existed but could not be read at Load.
  Status Save();
  // Whether Load could read what exists: an error names a vexa.cfg that
  // exists but could not be read, which every save will then refuse.
  Status LoadStatus() const;

  // The text steps of Load and Save, without the disk.
  void Parse(const std::string& bytes);
  std::string Serialize() const;

  // A copy of the entries, in store order.
  std::vector<ConfigEntry> Entries() const;

 private:
  // The store keeps the bytes it read, and every key and value set since, in
  // one buffer; an entry is two ranges in it. A file of many thousand lines
  // then loads without an allocation per line.
  struct Range {
    std::size_t offset;
    std::size_t length;
  };
  struct Slot {
    Range key;
    Range value;
  };

  void ParseFrom(std::size_t offset);
  Range Keep(const std::string& text);
  bool KeyEquals(const Slot& slot, const std::string& key) const;
  std::string Text(Range range) const { return text_.substr(range.offset, range.length); }

  ConfigFile& file_;
  std::string text_;
  std::vector<Slot> slots_;
  bool unreadableAtLoad_ = false;
  std::string unreadableReason_;
};

}  // namespace vexa
