// The message map: a static table from (message, notification code, control id) to a member
// handler of a dialog, searched from the top; the first entry that matches handles the
// message. Only WM_COMMAND entries use the code and the id.
//
//   static constexpr std::array<MessageMapEntry<CMyDlg>, 2> kMessageMap{{
//       {WM_PAINT, 0, 0, &Handle<&CMyDlg::OnPaint>},
//       {WM_COMMAND, BN_CLICKED, IDC_START, &Handle<&CMyDlg::OnStart>},
//   }};
//
// Handle<&Method> unpacks the message's parameters for the handler's signature:
#pragma once

#include <windows.h>
#include <shellapi.h>  // HDROP

#include <span>

#include "ui/framework/message.h"

namespace vantrel::ui::framework {

// Stands for every WM_CTLCOLOR* message (edit, static, button, dialog, ...); the handler is
// told the kind of control as CTLCOLOR_EDIT, CTLCOLOR_STATIC, ...
inline constexpr UINT kCtlColorMessage = 0x0019;

template <class Dialog>
struct MessageMapEntry {
  UINT message;
  UINT code;  // WM_COMMAND: notification code (BN_CLICKED, EN_CHANGE)
  UINT id;    // WM_COMMAND: control id
  LRESULT (*handler)(Dialog& dialog, const Message& message);
};

namespace message_map_detail {

template <class>
struct Owner;
template <class R, class C, class... A>
struct Owner<R (C::*)(A...)> {
  using type = C;
};

// void OnCommand() / void OnPaint(): commands and messages without parameters.
template <class C>
LRESULT Invoke(C& self, void (C::*method)(), const Message&) {
  (self.*method)();
  return 0;
}
// HICON OnQueryDragIcon()
template <class C>
LRESULT Invoke(C& self, HICON (C::*method)(), const Message&) {
  return reinterpret_cast<LRESULT>((self.*method)());
}
// HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind)
template <class C>
LRESULT Invoke(C& self, HBRUSH (C::*method)(HDC, HWND, UINT), const Message& m) {
  const UINT kind = m.id - WM_CTLCOLORMSGBOX;  // CTLCOLOR_MSGBOX (0) ... CTLCOLOR_STATIC (6)
  return reinterpret_cast<LRESULT>(
      (self.*method)(reinterpret_cast<HDC>(m.wparam), reinterpret_cast<HWND>(m.lparam), kind));
}
// void OnDropFiles(HDROP drop)
template <class C>
LRESULT Invoke(C& self, void (C::*method)(HDROP), const Message& m) {
  (self.*method)(reinterpret_cast<HDROP>(m.wparam));
  return 0;
}
// void OnLButtonDown(UINT flags, POINT client_point)
template <class C>
LRESULT Invoke(C& self, void (C::*method)(UINT, POINT), const Message& m) {
  const POINT point{static_cast<short>(LOWORD(m.lparam)), static_cast<short>(HIWORD(m.lparam))};
  (self.*method)(static_cast<UINT>(m.wparam), point);
  return 0;
}
// BOOL OnHelpInfo(const HELPINFO& info)
template <class C>
LRESULT Invoke(C& self, BOOL (C::*method)(const HELPINFO&), const Message& m) {
  return (self.*method)(*reinterpret_cast<const HELPINFO*>(m.lparam));
}

}  // namespace message_map_detail

template <auto Method>
using OwnerOf = typename message_map_detail::Owner<decltype(Method)>::type;

// The entry's handler for a member function with one of the signatures above.
template <auto Method>
LRESULT Handle(OwnerOf<Method>& self, const Message& message) {
  return message_map_detail::Invoke(self, Method, message);
}

inline bool IsCtlColor(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

template <class Dialog>
bool Matches(const MessageMapEntry<Dialog>& entry, const Message& m) {
  if (entry.message == kCtlColorMessage) return IsCtlColor(m.id);
  if (entry.message != m.id) return false;
  if (m.id != WM_COMMAND) return true;
  return HIWORD(m.wparam) == entry.code && LOWORD(m.wparam) == entry.id;
}

// Calls the first matching entry's handler. False when no entry matches.
template <class Dialog>
bool DispatchToMap(std::span<const MessageMapEntry<Dialog>> map, Dialog& self, const Message& m, LRESULT& result) {
  for (const MessageMapEntry<Dialog>& entry : map) {
    if (Matches(entry, m)) {
      result = entry.handler(self, m);
      return true;
    }
  }
  return false;
}

}  // namespace vantrel::ui::framework
