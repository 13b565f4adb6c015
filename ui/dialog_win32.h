#pragma once
// The dialog base: a window built from a dialog template, one trampoline
// that stores the object at WM_INITDIALOG, a few virtual hooks and one-line
// forwarders. Modal (DoModal) and modeless (Create) dialogs differ only in
// how they close.
#include <windows.h>

#include <string>
#include <vector>

#include "base/wide_text.h"

namespace vexa {

class CControl;

class CDialog {
 public:
  explicit CDialog(UINT templateId) : templateId_(templateId) {}
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally; returns the value given to EndDialog, or -1
  // when the window could not be created.
  INT_PTR DoModal(HWND owner);
  // Creates the dialog modeless as a child (or owned pop-up) of parent.
  bool Create(HWND parent);
  // Ends the dialog: a modal one leaves DoModal, a modeless one is destroyed.
  void EndDialog(INT_PTR result);

  HWND Handle() const { return hwnd_; }
  UINT TemplateId() const { return templateId_; }
  // The object behind a dialog window of ours, or null.
  static CDialog* FromHandle(HWND hwnd);

  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  void SetItemText(int id, const std::string& text) {
    SetDlgItemTextW(hwnd_, id, Wide(text).c_str());
  }
  std::string GetItemText(int id) const;
  void CheckButton(int id, bool checked) {
    CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  bool IsButtonChecked(int id) const { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
  void EnableItem(int id, bool enable) { EnableWindow(Item(id), enable ? TRUE : FALSE); }
  void SetText(const std::string& text) { SetWindowTextW(hwnd_, Wide(text).c_str()); }
  void Show(bool show) { ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE); }
  // Over the middle of the owner window, inside the work area of the owner's
  // monitor; where the template leaves it without an owner.
  void CentreOnOwner();
  // In the middle of the work area of the monitor the window is on.
  void CentreOnWorkArea();

  // Data exchange: bindings of control ids to members, transferred in the
  // order they were made. UpdateData(false) shows the members in the
  // controls (and attaches bound control objects); UpdateData(true) reads
  // the controls back into the members.
  void BindText(int id, std::string* member);
  void BindCheck(int id, int* flag);  // 0 unticked, 1 ticked
  void BindControl(int id, CControl* control);
  void UpdateData(bool saveAndValidate);

 protected:
  // WM_INITDIALOG. The default shows the bound members; return true to let
  // the system set the focus.
  virtual bool OnInit();
  // A command from a control or menu: return true when handled. The default
  // ends the dialog on IDOK and IDCANCEL.
  virtual bool OnCommand(int id, int code, HWND control);
  virtual bool OnNotify(int id, NMHDR* header, LRESULT* result);
  virtual bool OnTimer(UINT_PTR timerId);
  // Every message; the default dispatches to the hooks above and offers
  // control notifications to their attached objects first. Return as a
  // dialog procedure does.
  virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
  // A keyboard message, offered to the dialog that runs the modal loop
  // before any dialog manager sees it: return true when handled.
  virtual bool PreTranslateKey(MSG* msg);

 private:
  struct Binding {
    enum class Kind { Text, Check, Control } kind;
    int id;
    std::string* text;
    int* flag;
    CControl* control;
  };
  static INT_PTR CALLBACK Trampoline(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool Reflect(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  bool PreTranslate(MSG* msg);
  void ReenableOwner();
  void CentreOver(const RECT& area, HWND onMonitor);
  // Puts the default frame on the focused push button of the dialog around
  // the focus, or back on that dialog's own default button, so that Enter
  // presses what shows the frame.
  static void KeepDefaultWithFocus(HWND focus);

  UINT templateId_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  HWND disabledOwner_ = nullptr;  // the owner a modal run disabled, until it is enabled again
  bool ended_ = false;
  INT_PTR result_ = IDCANCEL;
  std::vector<Binding> bindings_;
  int homeDefault_ = 0;  // the template's default button; 0 for none
};

}  // namespace vexa
