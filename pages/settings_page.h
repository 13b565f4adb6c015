#pragma once
// The shape shared by the three settings pages: a field table plus the load
// and save sequences against the store. Everything here runs without a
// window; the dialogs only move values between controls and the page.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/config_store.h"

namespace vexa {

enum class FieldKind {
  Text,     // edit field, any text
  Digits,   // edit field that refuses everything but 0 to 9 as typed
  Derived,  // not bound to a control; formed from other controls
};

struct FieldSpec {
  int control;  // 0 for a derived value
  const char* caption;
  const char* key;
  const char* defaultValue;
  FieldKind kind;
};

// What the page shows after a save, ready for a message box; no box when
// the text is empty (the user chose not to save).
struct PageMessage {
  enum class Icon { Information, Error };
  Icon icon = Icon::Information;
  std::string text;
  int focusControl = 0;  // the field to put the focus on afterwards; 0 for none
  bool written = false;  // vexa.cfg holds the page's values now
};

// Empty, or nothing but the digits 0 to 9.
bool IsDigitsOnly(const std::string& value);
// The refusal of a digits-only field that holds something else.
std::string DigitsOnlyText(const std::string& caption);
// The refusal of a number outside minimum to maximum.
std::string OutOfRangeText(const std::string& caption, unsigned minimum, unsigned maximum);
// Whether digits (empty, or digits only) stand for a number from minimum to
// maximum; empty always does.
bool IsInRange(const std::string& digits, unsigned minimum, unsigned maximum);

// The text shown when vexa.cfg was not written.
std::string SaveFailureText(const Status& status);

class SettingsPage {
 public:
  virtual ~SettingsPage() = default;

  // Copies every field's value out of the store in the page's load order,
  // then runs the page's decoding. The store is not changed. What it shows
  // is what the page compares with to tell unsaved changes.
  void Initialize(const ConfigStore& store);
  // The same for the fields the user has not changed since the page last
  // loaded or saved; changed ones keep what was typed.
  void Refresh(const ConfigStore& store);
  // Whether a field (a check box of a mask too) differs from what the page
  // last loaded or saved.
  bool HasUnsavedChanges();
  // The tab's caption: "目录设置", "选项设置", "系统设置".
  const std::string& Name() const { return name_; }

  // Refuses the save when a digits-only field holds anything else (a paste
  // gets past the edit's own filter) or a number outside its range, or a
  // field holds a character that vexa.cfg's ANSI code page cannot hold:
  // nothing runs, nothing is written, and the message names that field.
  // When vexa.cfg changed outside since it was read or written, asks next
  // (ask, the question for the kind of change): No writes nothing and shows
  // nothing. Yes to a modified file reads it again into the store, the
  // fields the user did not change take the file's values, and only the
  // changed ones are set; Yes to a deleted file goes on with the whole
  // store. The other pages are told to show the store's values afterwards.
  // Then runs the page's own save steps, sets the keys in the page's save
  // order and writes vexa.cfg. The values stay as they are whatever
  // happens, so a failed save can be repeated.
  PageMessage SaveChanges(ConfigStore& store,
                          const std::function<bool(OutsideChangeKind)>& ask = {});

  const std::vector<FieldSpec>& Fields() const { return fields_; }
  std::string& Value(std::size_t row) { return values_[row]; }
  const std::string& Value(std::size_t row) const { return values_[row]; }
  // The row with that key; aborts on an unknown key (a programming error).
  std::size_t RowOf(const std::string& key) const;
  std::string& ValueOf(const std::string& key) { return values_[RowOf(key)]; }
  const std::string& ValueOf(const std::string& key) const { return values_[RowOf(key)]; }

 protected:
  // An empty order means table order.
  SettingsPage(std::string name, std::vector<FieldSpec> fields,
               std::vector<std::string> loadOrder, std::vector<std::string> saveOrder,
               std::string savedText);

  // A digits field whose number must lie from minimum to maximum.
  void LimitRange(const std::string& key, unsigned minimum, unsigned maximum);

  // What the page-specific save steps have to tell: a line for the message,
  // and whether something went wrong.
  struct StepReport {
    bool failed = false;
    std::string text;
  };

  virtual void DecodeLoaded() {}
  // Forms the derived values from what the page shows.
  virtual void EncodeDerived() {}
  virtual StepReport RunSaveSteps() { return {}; }

 private:
  struct Range {
    std::size_t row;
    unsigned minimum;
    unsigned maximum;
  };

  void Load(const ConfigStore& store, const std::vector<bool>& keep);
  std::vector<bool> ChangedRows();
  // The first field that keeps the page from being saved, as its message.
  std::optional<PageMessage> CheckFields() const;
  PageMessage Refusal(std::size_t row, std::string text) const;

  std::string name_;
  std::vector<FieldSpec> fields_;
  std::vector<std::string> values_;
  std::vector<std::string> shown_;  // as last loaded or saved
  std::vector<Range> ranges_;
  std::vector<std::string> loadOrder_;
  std::vector<std::string> saveOrder_;
  std::string savedText_;
};

}  // namespace vexa
