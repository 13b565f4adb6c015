#pragma once
// vexa.cfg as an ordered list of key/value pairs. Entries are only appended
// or have their value replaced; duplicates are kept and only the first one
// of a key is ever seen by Get and Set.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/status.h"

namespace vexa {

extern const char kConfigFileName[];  // "vexa.cfg", beside the program

// The tracker's port while vexa.cfg names none; the one-click installation
// sets it.
inline constexpr char kDefaultPort[] = "6969";

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
  // The file's last-write time in the system's units; 0 when it is missing
  // or the file has no time (then its bytes alone tell a change).
  virtual std::uint64_t LastWriteTime() { return 0; }
};

// What the store saw of vexa.cfg when it last read or wrote it.
struct FileStamp {
  bool exists = false;
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
  std::uint64_t hash = 0;  // HashBytes of the whole file
};

std::uint64_t HashBytes(const std::string& bytes);

// What another program did to vexa.cfg since the store last read or wrote it.
enum class OutsideChangeKind { Modified, Deleted };

// The questions asked before a save when another program changed vexa.cfg
// (Yes: read it again, then write this save's changes; No: write nothing)
// or deleted it (Yes: write the whole store again; No: write nothing), and
// the failure a caller reports after No.
extern const char kOutsideChangeQuestion[];
extern const char kOutsideDeleteQuestion[];
const char* OutsideChangeQuestion(OutsideChangeKind kind);

// The refusal of a value (named by caption) holding a character that the
// ANSI code page, vexa.cfg's encoding, lacks: the tracker could not read it.
std::string NotInCodePageText(const std::string& caption);
extern const char kOutsideChangeNotSaved[];

// What CheckOutsideChange decided.
struct OutsideChange {
  bool proceed = true;    // false: write nothing (No, or the reload failed)
  bool reloaded = false;  // the store holds the file's entries again
  Status status;          // the reload's failure
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

  // How vexa.cfg changed since the last Load, Reload or Save (created,
  // removed, or another size, time or content); nullopt when it did not. A
  // file that cannot be read now, or could not at Load, tells nothing: the
  // save reports it.
  std::optional<OutsideChangeKind> OutsideChangeNow();
  // Reads vexa.cfg again in place of every entry, as at start-up. When the
  // file cannot be read the store stays as it was and the reason comes back.
  Status Reload();
  // Before a save: when vexa.cfg changed outside, ask (the question for the
  // kind of change) decides between going on and writing nothing. Yes to a
  // modified file reloads the store; Yes to a deleted one keeps it whole,
  // so that the save writes every setting again.
  OutsideChange CheckOutsideChange(const std::function<bool(OutsideChangeKind)>& ask);

  // Whoever shows the store's values (the main window's pages) is told
  // through the listener when they changed other than by its own save.
  void SetOutsideChangeListener(std::function<void()> listener);
  void NotifyOutsideChange() const;
  // The one call for replacing vexa.cfg behind the pages' backs (restoring a
  // backup): Reload, then every page shows the reloaded values.
  Status ReloadAndRefresh();

  // The text steps of Load and Save, without the disk.
  void Parse(const std::string& bytes);
  std::string Serialize() const;

  // A copy of the entries, in store order.
  std::vector<ConfigEntry> Entries() const;

  // Bytes the store has taken for its keys and values: a panel saved all
  // day must not grow with every save.
  std::size_t HeldBytes() const { return text_.capacity(); }

 private:
  // The store keeps the bytes it read, and every key and value set since, in
  // one buffer; an entry is two ranges in it. A file of many thousand lines
  // then loads without an allocation per line. A replaced value leaves its
  // old bytes behind until Compact moves the live ranges into a new buffer.
  struct Range {
    std::size_t offset;
    std::size_t length;
  };
  struct Slot {
    Range key;
    Range value;
  };

  void ParseFrom(std::size_t offset);
  // Reads the file and notes what it saw.
  ConfigFile::ReadOutcome ReadFile(std::string* bytes, std::string* reason, FileStamp* stamp);
  Range Keep(const std::string& text);
  void Compact();
  bool KeyEquals(const Slot& slot, const std::string& key) const;
  std::string Text(Range range) const { return text_.substr(range.offset, range.length); }

  ConfigFile& file_;
  std::string text_;
  std::vector<Slot> slots_;
  std::size_t liveBytes_ = 0;  // the bytes of text_ that slots_ refer to
  bool unreadableAtLoad_ = false;
  std::string unreadableReason_;
  FileStamp seen_;
  std::function<void()> outsideChangeListener_;
};

}  // namespace vexa
