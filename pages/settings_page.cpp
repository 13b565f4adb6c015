#include "pages/settings_page.h"

#include <cstdlib>
#include <utility>

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
    values_[row] = store.Get(key, fields_[row].defaultValue);
  }
  DecodeLoaded();
}

PageMessage SettingsPage::SaveChanges(ConfigStore& store, const std::function<bool()>& askReload) {
  for (std::size_t row = 0; row < fields_.size(); ++row) {
    if (fields_[row].kind != FieldKind::Digits || IsDigitsOnly(values_[row])) continue;
    PageMessage refused;
    refused.icon = PageMessage::Icon::Error;
    refused.text = DigitsOnlyText(fields_[row].caption);
    refused.focusControl = fields_[row].control;
    return refused;
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
  for (const std::string& key : saveOrder_) store.Set(key, ValueOf(key));
  Status saved = store.Save();
  if (change.reloaded) store.NotifyOutsideChange();

  std::string outcome = saved.ok ? savedText_ : SaveFailureText(saved);
  message.text = steps.text.empty() ? outcome : steps.text + "\n" + outcome;
  if (steps.failed || !saved.ok) message.icon = PageMessage::Icon::Error;
  return message;
}

}  // namespace vexa
