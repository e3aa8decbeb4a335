// The base of a dialog built from a template: its own modal loop (so PreTranslateMessage
// sees every message before IsDialogMessage), one static dialog procedure that hands each
// message to the derived class's message map, the dialog colours, and typed access to the
// controls by id.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "ui/framework/dialog_colors.h"
#include "ui/framework/message.h"
#include "ui/framework/message_filter.h"
#include "ui/framework/solid_brush.h"

namespace vantrel::ui::framework {

class Dialog : private MessageFilter {
 public:
  Dialog(HINSTANCE instance, UINT template_id, HWND parent);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Shows the dialog and runs its loop until End; the value given to End, or -1 when the
  // dialog cannot be created or the loop fails.
  INT_PTR DoModal();
  // Creates the dialog without running a loop (tests drive it with RunPendingMessages).
  bool Create();
  // Runs the dialog's own loop over the messages waiting now.
  void RunPendingMessages();
  // Ends the modal loop with result and destroys the window.
  void End(INT_PTR result);

  // The background and text colours of the dialog, its labels and buttons.
  void SetColors(DialogColors colors);

  HWND window() const { return window_; }
  HINSTANCE instance() const { return instance_; }

  // Controls by id.
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  int ItemTextLength(int id) const { return GetWindowTextLengthW(Item(id)); }
  // The control's text, at most `limit` UTF-16 units.
  std::wstring ItemText(int id, std::size_t limit = 0x7FFFFFFF) const;
  void SetItemText(int id, std::wstring_view text) const;
  bool IsChecked(int id) const { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }
  void SetChecked(int id, bool checked) const { CheckDlgButton(window_, id, checked ? BST_CHECKED : BST_UNCHECKED); }
  LRESULT SendItemMessage(int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const {
    return SendDlgItemMessageW(window_, id, message, wparam, lparam);
  }

 protected:
  // Called once the controls exist; TRUE lets the platform set the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  // Sees every message of the loop first; true swallows it. The base swallows nothing.
  virtual bool PreTranslateMessage(MSG& msg);
  // The derived class's message map; true when an entry handled the message.
  virtual bool OnMessage(const Message& message, LRESULT& result);

  // What a dialog does with a WM_CTLCOLOR* message by default: the dialog colours for the
  // dialog and its labels and buttons, the system's for edit boxes and lists.
  HBRUSH DefaultCtlColor(HDC dc, HWND control, UINT kind);
  // The platform's default handling of a message.
  LRESULT CallDefault(UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(window_, message, wparam, lparam);
  }

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  bool Route(const Message& message, LRESULT& result);
  bool FilterMessage(MSG& msg) override;

  HINSTANCE instance_;
  UINT template_id_;
  HWND parent_;
  HWND window_ = nullptr;
  bool ended_ = false;
  INT_PTR result_ = -1;
  std::optional<DialogColors> colors_;
  SolidBrush background_;
};

}  // namespace vantrel::ui::framework
