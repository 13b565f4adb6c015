#include "pages/settings_page.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "base/text_codec.h"
#include "log/action_log.h"

namespace vexa {

namespace {

const char kSaveFailed[] = "保存设置失败：";
// The store's message already says that vexa.cfg was left as it was.
const char kFileUnchanged[] = "页面上的设置仍保留，可以再次保存。";

std::vector<std::string> KeysOf(const std::vector<FieldSpec>& fields) {
  std::vector<std::string> keys;
  keys.reserve(fields.size());
  for (const FieldSpec& field : fields) keys.emplace_back(field.key);
  return keys;
}

// An empty value, in the log, is told from a blank one.
std::string LoggedValue(const std::string& value) { return value.empty() ? "（空）" : value; }

}  // namespace

bool IsDigitsOnly(const std::string& value) {
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string DigitsOnlyText(const std::string& caption) {
  return "“" + caption + "”只能填写数字。";
}

std::string OutOfRangeText(const std::string& caption, unsigned minimum, unsigned maximum) {
  return "“" + caption + "”必须是 " + std::to_string(minimum) + " 到 " + std::to_string(maximum) +
         " 之间的数字。";
}

bool IsInRange(const std::string& digits, unsigned minimum, unsigned maximum) {
  if (digits.empty()) return true;
  unsigned long long number = 0;
  for (char c : digits) {
    number = number * 10 + static_cast<unsigned>(c - '0');
    // Leading zeros aside, a long text stays beyond every maximum here.
    if (number > maximum) return false;
  }
  return number >= minimum;
}

std::string SaveFailureText(const Status& status) {
  return std::string(kSaveFailed) + "\n" + status.message + "\n" + kFileUnchanged;
}

PageMessage SettingsPage::Refusal(std::size_t row, std::string text) const {
  PageMessage refused;
  refused.icon = PageMessage::Icon::Error;
  refused.text = std::move(text);
  refused.focusControl = fields_[row].control;
  return refused;
}

SettingsPage::SettingsPage(std::string name, std::vector<FieldSpec> fields,
                           std::vector<std::string> loadOrder, std::vector<std::string> saveOrder,
                           std::string savedText)
    : name_(std::move(name)),
      fields_(std::move(fields)),
      values_(fields_.size()),
      shown_(fields_.size()),
      loadOrder_(loadOrder.empty() ? KeysOf(fields_) : std::move(loadOrder)),
      saveOrder_(saveOrder.empty() ? KeysOf(fields_) : std::move(saveOrder)),
      savedText_(std::move(savedText)) {}

void SettingsPage::LimitRange(const std::string& key, unsigned minimum, unsigned maximum) {
  ranges_.push_back(Range{RowOf(key), minimum, maximum});
}

std::size_t SettingsPage::RowOf(const std::string& key) const {
  for (std::size_t row = 0; row < fields_.size(); ++row) {
    if (key == fields_[row].key) return row;
  }
  std::abort();
}

void SettingsPage::Load(const ConfigStore& store, const std::vector<bool>& keep) {
  for (const std::string& key : loadOrder_) {
    std::size_t row = RowOf(key);
    // vexa.cfg holds ANSI bytes; the defaults are plain ASCII, the same in both.
    if (!keep[row]) values_[row] = TextFromAnsi(store.Get(key, fields_[row].defaultValue));
  }
  // A kept mask holds the encoding of its boxes, which decodes to the same boxes.
  DecodeLoaded();
  EncodeDerived();
  for (std::size_t row = 0; row < fields_.size(); ++row) {
    if (!keep[row]) shown_[row] = values_[row];
  }
}

void SettingsPage::Initialize(const ConfigStore& store) {
  Load(store, std::vector<bool>(fields_.size(), false));
}

void SettingsPage::Refresh(const ConfigStore& store) { Load(store, ChangedRows()); }

std::vector<bool> SettingsPage::ChangedRows() {
  EncodeDerived();
  std::vector<bool> changed(fields_.size());
  for (std::size_t row = 0; row < fields_.size(); ++row) changed[row] = values_[row] != shown_[row];
  return changed;
}

bool SettingsPage::HasUnsavedChanges() {
  std::vector<bool> changed = ChangedRows();
  return std::find(changed.begin(), changed.end(), true) != changed.end();
}

std::optional<PageMessage> SettingsPage::CheckFields() const {
  for (std::size_t row = 0; row < fields_.size(); ++row) {
    if (fields_[row].kind == FieldKind::Digits && !IsDigitsOnly(values_[row]))
      return Refusal(row, DigitsOnlyText(fields_[row].caption));
    for (const Range& range : ranges_) {
      if (range.row == row && !IsInRange(values_[row], range.minimum, range.maximum))
        return Refusal(row, OutOfRangeText(fields_[row].caption, range.minimum, range.maximum));
    }
  }
  // The tracker reads vexa.cfg in the ANSI code page: a character that has
  // no form there would reach it as '?'.
  std::string ansi;
  for (std::size_t row = 0; row < fields_.size(); ++row) {
    if (!TextToAnsi(values_[row], &ansi))
      return Refusal(row, NotInCodePageText(fields_[row].caption));
  }
  return std::nullopt;
}

PageMessage SettingsPage::SaveChanges(ConfigStore& store,
                                      const std::function<bool(OutsideChangeKind)>& ask) {
  const std::string logName = "保存页面“" + name_ + "”";
  if (std::optional<PageMessage> refused = CheckFields()) {
    LogAction(logName + "被拒绝：" + refused->text);
    return *refused;
  }

  // Before the store may be read again: what the user changed on this page.
  const std::vector<bool> changed = ChangedRows();
  PageMessage message;
  OutsideChange change = store.CheckOutsideChange(ask);
  if (!change.proceed) {
    if (!change.status.ok) {
      message.icon = PageMessage::Icon::Error;
      message.text = SaveFailureText(change.status);
    }
    return message;
  }
  // Over a file another program wrote, only the user's changes go; the
  // other fields show the file's values.
  std::vector<bool> setRows(fields_.size(), true);
  if (change.reloaded) {
    Load(store, changed);
    setRows = changed;
  }

  StepReport steps = RunSaveSteps();
  std::string changes;
  std::string ansi;
  for (const std::string& key : saveOrder_) {
    const std::size_t row = RowOf(key);
    if (!setRows[row]) continue;
    if (!TextToAnsi(values_[row], &ansi))
      return Refusal(row, NotInCodePageText(fields_[row].caption));
    const std::string old = store.Get(key, "");
    if (old != ansi) {
      changes += (changes.empty() ? "：" : ", ") + key + ": " + LoggedValue(TextFromAnsi(old)) +
                 " → " + LoggedValue(values_[row]);
    }
    store.Set(key, ansi);
  }
  LogAction(logName + (changes.empty() ? "：没有改动的设置" : changes));
  Status saved = store.Save();
  if (saved.ok) shown_ = values_;
  if (change.reloaded) store.NotifyOutsideChange();

  std::string outcome = saved.ok ? savedText_ : SaveFailureText(saved);
  message.text = steps.text.empty() ? outcome : steps.text + "\n" + outcome;
  message.written = saved.ok;
  if (steps.failed || !saved.ok) message.icon = PageMessage::Icon::Error;
  return message;
}

}  // namespace vexa
