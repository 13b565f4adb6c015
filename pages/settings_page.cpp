#include "pages/settings_page.h"

#include <cstdlib>
#include <utility>

#include "base/text_codec.h"

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

SettingsPage::SettingsPage(std::vector<FieldSpec> fields, std::vector<std::string> loadOrder,
                           std::vector<std::string> saveOrder, std::string savedText)
    : fields_(std::move(fields)),
      values_(fields_.size()),
      loadOrder_(loadOrder.empty() ? KeysOf(fields_) : std::move(loadOrder)),
      saveOrder_(saveOrder.empty() ? KeysOf(fields_) : std::move(saveOrder)),
      savedText_(std::move(savedText)) {}

std::size_t SettingsPage::RowOf(const std::string& key) const {
  for (std::size_t row = 0; row < fields_.size(); ++row) {
    if (key == fields_[row].key) return row;
  }
  std::abort();
}

void SettingsPage::Initialize(const ConfigStore& store) {
  for (const std::string& key : loadOrder_) {
    std::size_t row = RowOf(key);
    // vexa.cfg holds ANSI bytes; the defaults are plain ASCII, the same in both.
    values_[row] = TextFromAnsi(store.Get(key, fields_[row].defaultValue));
  }
  DecodeLoaded();
}

PageMessage SettingsPage::SaveChanges(ConfigStore& store, const std::function<bool()>& askReload) {
  for (std::size_t row = 0; row < fields_.size(); ++row) {
    if (fields_[row].kind != FieldKind::Digits || IsDigitsOnly(values_[row])) continue;
    return Refusal(row, DigitsOnlyText(fields_[row].caption));
  }
  // The tracker reads vexa.cfg in the ANSI code page: a character that has
  // no form there would reach it as '?'.
  std::string ansi;
  for (std::size_t row = 0; row < fields_.size(); ++row) {
    if (!TextToAnsi(values_[row], &ansi))
      return Refusal(row, NotInCodePageText(fields_[row].caption));
  }

  PageMessage message;
  OutsideChange change = store.CheckOutsideChange(askReload);
  if (!change.proceed) {
    if (!change.status.ok) {
      message.icon = PageMessage::Icon::Error;
      message.text = SaveFailureText(change.status);
    }
    return message;
  }

  StepReport steps = RunSaveSteps();
  for (const std::string& key : saveOrder_) {
    if (!TextToAnsi(ValueOf(key), &ansi))
      return Refusal(RowOf(key), NotInCodePageText(fields_[RowOf(key)].caption));
    store.Set(key, ansi);
  }
  Status saved = store.Save();
  if (change.reloaded) store.NotifyOutsideChange();

  std::string outcome = saved.ok ? savedText_ : SaveFailureText(saved);
  message.text = steps.text.empty() ? outcome : steps.text + "\n" + outcome;
  if (steps.failed || !saved.ok) message.icon = PageMessage::Icon::Error;
  return message;
}

}  // namespace vexa
