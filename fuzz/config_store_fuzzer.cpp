// vexa.cfg parsing and writing with arbitrary bytes. Properties:
// - the store's entries equal those of a naive reading of the line rules
//   (its byte-wise fast paths must agree with the character-wise rules);
// - Get yields the first entry of a key; Set changes only that entry or
//   appends one;
// - a second load/save cycle writes the same bytes as the first, except for
//   lines with an empty key, which a load skips because their "=" stands at
//   offset 1; a third cycle is then identical to the second;
// - a key and value set during the run come back from the next load when
//   they can be written as one line;
// - Load appends; a missing file is created by the first save; a store that
//   could not read its file never writes it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "config/config_store.h"
#include "fuzz/gbk_reference.h"

namespace {

using vexa::ConfigEntry;
using vexa::ConfigFile;
using vexa::ConfigStore;
using vexa_fuzz::Check;
using vexa_fuzz::CharStarts;

class MemoryFile : public ConfigFile {
 public:
  ReadOutcome outcome = ReadOutcome::Read;
  std::string bytes;
  int writes = 0;

  ReadOutcome Read(std::string* out, std::string* reason) override {
    if (outcome == ReadOutcome::Read) *out = bytes;
    if (outcome == ReadOutcome::Unreadable) *reason = "locked";
    return outcome;
  }
  vexa::Status Write(const std::string& out) override {
    bytes = out;
    ++writes;
    return vexa::Status::Ok();
  }
};

bool IsSingleSpaceAt(const std::string& s, const std::vector<std::size_t>& starts,
                     std::size_t k) {
  std::size_t begin = starts[k];
  std::size_t end = k + 1 < starts.size() ? starts[k + 1] : s.size();
  return end - begin == 1 && s[begin] == ' ';
}

// Removes space characters (not bytes) from both ends.
std::string TrimSpaceChars(const std::string& s) {
  std::vector<std::size_t> starts = CharStarts(s);
  std::size_t first = 0;
  while (first < starts.size() && IsSingleSpaceAt(s, starts, first)) ++first;
  std::size_t last = starts.size();
  while (last > first && IsSingleSpaceAt(s, starts, last - 1)) --last;
  if (first == last) return std::string();
  std::size_t begin = starts[first];
  std::size_t end = last < starts.size() ? starts[last] : s.size();
  return s.substr(begin, end - begin);
}

// The line rules read straight: split at LF, drop the CR of a CR LF, find the
// first "=" character, require offset 2 or more, trim spaces.
std::vector<ConfigEntry> ReferenceParse(const std::string& bytes) {
  std::vector<ConfigEntry> entries;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t lf = bytes.find('\n', pos);
    std::string line = bytes.substr(pos, lf == std::string::npos ? std::string::npos : lf - pos);
    pos = lf == std::string::npos ? bytes.size() : lf + 1;
    if (lf != std::string::npos && !line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::size_t equals = std::string::npos;
    for (std::size_t i : CharStarts(line)) {
      bool single = !(vexa_fuzz::IsGbkLead(static_cast<unsigned char>(line[i])) &&
                      i + 1 < line.size());
      if (single && line[i] == '=') {
        equals = i;
        break;
      }
    }
    if (equals == std::string::npos || equals < 2) continue;
    entries.push_back(
        ConfigEntry{TrimSpaceChars(line.substr(0, equals)), TrimSpaceChars(line.substr(equals + 1))});
  }
  return entries;
}

bool SameEntries(const std::vector<ConfigEntry>& a, const std::vector<ConfigEntry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].key != b[i].key || a[i].value != b[i].value) return false;
  }
  return true;
}

std::string Cycle(const std::string& bytes) {
  MemoryFile file;
  file.bytes = bytes;
  ConfigStore store(file);
  store.Load();
  Check(store.Save().ok, "save to memory failed");
  return file.bytes;
}

std::string WithoutEmptyKeyLines(const std::string& written) {
  std::string out;
  std::size_t pos = 0;
  while (pos < written.size()) {
    std::size_t end = written.find("\r\n", pos);
    Check(end != std::string::npos, "written line without CR LF", written);
    std::string line = written.substr(pos, end + 2 - pos);
    if (line.compare(0, 3, " = ") != 0) out += line;
    pos = end + 2;
  }
  return out;
}

// Whether key + " = " + value + CR LF reads back as exactly this pair.
bool Writable(const std::string& key, const std::string& value) {
  if (key.empty() || value.empty()) return false;
  if (key.find('\n') != std::string::npos || value.find('\n') != std::string::npos) return false;
  if (TrimSpaceChars(key) != key || TrimSpaceChars(value) != value) return false;
  if (vexa_fuzz::HasSingleByteChar(key, '=')) return false;
  // A lead byte at the end of the key would take the space after it.
  std::vector<std::size_t> starts = CharStarts(key);
  std::size_t last = starts.back();
  return !(last + 1 == key.size() && vexa_fuzz::IsGbkLead(static_cast<unsigned char>(key[last])));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider provider(data, size);
  std::string setKey = provider.ConsumeRandomLengthString(64);
  std::string setValue = provider.ConsumeRandomLengthString(64);
  std::string bytes = provider.ConsumeRemainingBytesAsString();

  // Parsing agrees with the rules read straight.
  MemoryFile file;
  file.bytes = bytes;
  ConfigStore store(file);
  store.Load();
  std::vector<ConfigEntry> expected = ReferenceParse(bytes);
  std::vector<ConfigEntry> entries = store.Entries();
  Check(SameEntries(entries, expected), "parse differs from the line rules", bytes);

  // Get sees the first entry of each key. Get scans the store, so only the
  // first few keys are asked, to keep each run linear.
  std::unordered_map<std::string, std::string> firstValue;
  for (const ConfigEntry& entry : entries) firstValue.emplace(entry.key, entry.value);
  std::size_t asked = 0;
  for (const auto& [key, value] : firstValue) {
    if (++asked > 8) break;
    Check(store.Get(key, "\x01") == value, "Get misses the first entry", key);
  }
  if (firstValue.count(setKey) == 0) {
    Check(store.Get(setKey, "\x01") == "\x01", "Get of a missing key", setKey);
  }

  // Load/save cycles settle after the first.
  std::string once = store.Serialize();
  std::string twice = Cycle(once);
  Check(twice == WithoutEmptyKeyLines(once), "second cycle changed the file", once, twice);
  Check(Cycle(twice) == twice, "third cycle changed the file", twice);
  Check(store.Save().ok && file.bytes == once && file.writes == 1, "Save differs from Serialize");

  // Set replaces the first entry of its key, or appends.
  std::size_t match = 0;
  while (match < entries.size() && entries[match].key != setKey) ++match;
  store.Set(setKey, setValue);
  Check(store.Get(setKey, "\x01") == setValue, "Get after Set", setKey, setValue);
  std::vector<ConfigEntry> after = store.Entries();
  std::vector<ConfigEntry> wanted = entries;
  if (match < wanted.size()) {
    wanted[match].value = setValue;
  } else {
    wanted.push_back(ConfigEntry{setKey, setValue});
  }
  Check(SameEntries(after, wanted), "Set touched another entry", setKey, setValue);

  if (Writable(setKey, setValue)) {
    Check(store.Save().ok, "save to memory failed");
    ConfigStore reloaded(file);
    reloaded.Load();
    Check(reloaded.Get(setKey, "\x01") == setValue, "set value lost by save and load", setKey,
          file.bytes);
  }

  // Load appends without clearing.
  MemoryFile again;
  again.bytes = bytes;
  ConfigStore doubled(again);
  doubled.Load();
  doubled.Load();
  std::vector<ConfigEntry> twiceExpected = expected;
  twiceExpected.insert(twiceExpected.end(), expected.begin(), expected.end());
  Check(SameEntries(doubled.Entries(), twiceExpected), "second Load did not append", bytes);

  // A missing file is created by the first save, with what was set.
  MemoryFile missing;
  missing.outcome = ConfigFile::ReadOutcome::Missing;
  ConfigStore fresh(missing);
  fresh.Load();
  fresh.Set(setKey, setValue);
  Check(fresh.Save().ok && missing.writes == 1 &&
            missing.bytes == (setValue.empty() ? "" : setKey + " = " + setValue + "\r\n"),
        "first save of a missing file", missing.bytes);

  // A file that could not be read is never overwritten.
  MemoryFile locked;
  locked.outcome = ConfigFile::ReadOutcome::Unreadable;
  locked.bytes = bytes;
  ConfigStore refused(locked);
  refused.Load();
  refused.Set(setKey, setValue);
  Check(!refused.Save().ok && locked.writes == 0 && locked.bytes == bytes,
        "unreadable file was written");
  return 0;
}
