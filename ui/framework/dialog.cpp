#include "ui/framework/dialog.h"

#include "ui/framework/message_loop.h"
#include "ui/framework/message_map.h"

namespace vantrel::ui::framework {
namespace {

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_INITDIALOG ||
         message == WM_QUERYDRAGICON || message == WM_COMPAREITEM || message == WM_VKEYTOITEM ||
         message == WM_CHARTOITEM;
}

}  // namespace

Dialog::Dialog(HINSTANCE instance, UINT template_id, HWND parent)
    : instance_(instance), template_id_(template_id), parent_(parent) {}

Dialog::~Dialog() {
  if (window_) DestroyWindow(window_);
}

bool Dialog::Create() {
  ended_ = false;
  return CreateDialogParamW(instance_, MAKEINTRESOURCEW(template_id_), parent_, &Dialog::Procedure,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR Dialog::DoModal() {
  if (!Create()) return -1;
  const bool owner_was_enabled = parent_ && !EnableWindow(parent_, FALSE);
  const MessageLoop::End end = MessageLoop(*this).Run(ended_);
  if (owner_was_enabled) EnableWindow(parent_, TRUE);
  if (window_) DestroyWindow(window_);
  return end == MessageLoop::End::kDone ? result_ : -1;
}

void Dialog::RunPendingMessages() { MessageLoop(*this).RunPending(); }

void Dialog::End(INT_PTR result) {
  result_ = result;
  ended_ = true;
  if (window_) DestroyWindow(window_);
}

void Dialog::SetColors(DialogColors colors) {
  colors_ = colors;
  background_ = SolidBrush(colors.background);
}

std::wstring Dialog::ItemText(int id, std::size_t limit) const {
  const HWND item = Item(id);
  std::size_t length = static_cast<std::size_t>(GetWindowTextLengthW(item));
  if (length > limit) length = limit;
  std::wstring text(length + 1, L'\0');
  const int got = GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

void Dialog::SetItemText(int id, std::wstring_view text) const { SetWindowTextW(Item(id), std::wstring(text).c_str()); }

bool Dialog::PreTranslateMessage(MSG&) { return false; }

bool Dialog::OnMessage(const Message&, LRESULT&) { return false; }

HBRUSH Dialog::DefaultCtlColor(HDC dc, HWND control, UINT kind) {
  const auto message = static_cast<UINT>(WM_CTLCOLORMSGBOX + kind);
  const bool keeps_system_colors = kind == CTLCOLOR_EDIT || kind == CTLCOLOR_LISTBOX || kind == CTLCOLOR_SCROLLBAR;
  if (!colors_ || keeps_system_colors) {
    return reinterpret_cast<HBRUSH>(CallDefault(message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  }
  SetTextColor(dc, colors_->text);
  SetBkColor(dc, colors_->background);
  return background_.get();
}

bool Dialog::FilterMessage(MSG& msg) {
  if (PreTranslateMessage(msg)) return true;
  return window_ && IsDialogMessageW(window_, &msg);
}

bool Dialog::Route(const Message& message, LRESULT& result) {
  if (message.id == WM_INITDIALOG) {
    result = OnInitDialog();
    return true;
  }
  if (OnMessage(message, result)) return true;
  if (IsCtlColor(message.id)) {
    result = reinterpret_cast<LRESULT>(DefaultCtlColor(reinterpret_cast<HDC>(message.wparam),
                                                       reinterpret_cast<HWND>(message.lparam),
                                                       message.id - WM_CTLCOLORMSGBOX));
    return true;
  }
  // The close box (WM_CLOSE, or IDCANCEL from the platform) ends the loop; so does IDOK.
  const bool closes = message.id == WM_CLOSE ||
                      (message.id == WM_COMMAND && (LOWORD(message.wparam) == IDCANCEL || LOWORD(message.wparam) == IDOK));
  if (closes) {
    End(message.id == WM_COMMAND ? LOWORD(message.wparam) : IDCANCEL);
    return true;
  }
  return false;
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lparam);
    self->window_ = window;
    SetWindowLongPtrW(window, DWLP_USER, lparam);
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  }
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->window_ = nullptr;
    return FALSE;
  }
  LRESULT result = 0;
  try {
    if (!self->Route(Message{window, message, wparam, lparam}, result)) return FALSE;
  } catch (...) {
    // Nothing may unwind through the platform's code; the message counts as not handled.
    MessageBeep(MB_ICONHAND);
    return FALSE;
  }
  if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace vantrel::ui::framework
