#pragma once
// What the three page dialogs share: the field table bound to its controls,
// the values copied out of the store when the page is created and whenever
// the store changed outside, and the save button "保 存 修 改" with the box
// that tells its outcome.
#include <windows.h>

#include <string>
#include <utility>

#include "config/config_store.h"
#include "pages/settings_page.h"
#include "resources/resource.h"
#include "ui/dialog_win32.h"

namespace vexa {

// Binds every field that has a control to its value, in table order.
void BindFields(CDialog& dialog, SettingsPage& page);

// Reads the fields, saves them (asking first when vexa.cfg changed outside)
// and shows the outcome; showSaved puts the saved values (as the page's
// save steps left them) back into the fields before the box. True when
// vexa.cfg holds the page's values now.
bool SavePage(CDialog& dialog, SettingsPage& page, ConfigStore& store, bool showSaved);

// A page that shows values of the store: told to show them again when the
// store changed other than by the page's own save, and asked before the
// window closes whether it holds changes not yet saved.
class StoreView {
 public:
  // Fields the user changed since the last load or save keep their text.
  virtual void ShowStoreValues() = 0;
  virtual bool HasUnsavedChanges() = 0;
  virtual const std::string& PageName() const = 0;
  // The save button's work; true when vexa.cfg holds the page's values now.
  virtual bool Save() = 0;

 protected:
  ~StoreView() = default;
};

// The dialog of one settings page, holding the page's values as Page.
template <typename Page>
class CPageDialog : public CDialog, public StoreView {
 public:
  void ShowStoreValues() override {
    // During the page's own save its values are read and saved already.
    if (!saving_) UpdateData(true);
    page_.Refresh(store_);
    UpdateData(false);
  }

  bool HasUnsavedChanges() override {
    UpdateData(true);
    return page_.HasUnsavedChanges();
  }

  const std::string& PageName() const override { return page_.Name(); }

  bool Save() override {
    saving_ = true;
    const bool written = SavePage(*this, page_, store_, ShowsSavedValues());
    saving_ = false;
    return written;
  }

 protected:
  // The store is loaded by the main window before a page is created.
  template <typename... PageArguments>
  CPageDialog(UINT templateId, ConfigStore& store, PageArguments&&... arguments)
      : CDialog(templateId), store_(store), page_(std::forward<PageArguments>(arguments)...) {
    BindFields(*this, page_);
  }

  bool OnInit() override {
    page_.Initialize(store_);
    CDialog::OnInit();
    // Built when first needed, hidden: the focus stays where the user has it.
    return false;
  }

  bool OnCommand(int id, int code, HWND control) override {
    if (id == IDC_SAVE && code == BN_CLICKED) {
      Save();
      return true;
    }
    return CDialog::OnCommand(id, code, control);
  }

  // Whether the page's save steps change what the fields show.
  virtual bool ShowsSavedValues() const { return false; }

  ConfigStore& store_;
  Page page_;

 private:
  bool saving_ = false;
};

}  // namespace vexa
