// The dialog's shell: construction, initialisation, icon and painting, colours, the key
// filter, moving by dragging, the about box and the message map.
#include "ui/replace_dlg.h"

#include <shellapi.h>

#include "res/resource.h"
#include "ui/dialog_run_host.h"
#include "ui/hex_key_filter.h"

namespace vantrel::ui {
namespace {

using framework::Handle;

// The about box. The project keeps no web page, so no address stands after the colon.
constexpr wchar_t kAboutText[] = L"获取更多帮助请访问：\n\n日期：2010.08.29\n版本：v1.1";

// Edit box text: dark blue (blue 100, green 0, red 0).
constexpr COLORREF kEditTextColor = RGB(0, 0, 100);

// The boxes limited to 1024 characters of input; the path box and the UTF-8 boxes keep the
// platform's limit.
constexpr int kLimitedBoxes[] = {IDC_FIND_HEX, IDC_FIND_ASCII, IDC_FIND_UNICODE,
                                 IDC_REPLACE_HEX, IDC_REPLACE_ASCII, IDC_REPLACE_UNICODE};
constexpr WPARAM kBoxInputLimit = 1024;

HICON LoadMainIcon(HINSTANCE instance, int metric_x, int metric_y) {
  return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                       GetSystemMetrics(metric_x), GetSystemMetrics(metric_y), LR_DEFAULTCOLOR));
}

}  // namespace

constexpr std::array<CReplaceDlg::Entry, 17> CReplaceDlg::kMessageMap{{
    {WM_PAINT, 0, 0, &Handle<&CReplaceDlg::OnPaint>},
    {WM_QUERYDRAGICON, 0, 0, &Handle<&CReplaceDlg::OnQueryDragIcon>},
    {framework::kCtlColorMessage, 0, 0, &Handle<&CReplaceDlg::OnCtlColor>},
    {WM_COMMAND, EN_CHANGE, IDC_FIND_HEX, &Handle<&CReplaceDlg::OnChangeFindHex>},
    {WM_COMMAND, EN_CHANGE, IDC_REPLACE_HEX, &Handle<&CReplaceDlg::OnChangeReplaceHex>},
    {WM_COMMAND, EN_CHANGE, IDC_FIND_ASCII, &Handle<&CReplaceDlg::OnChangeFindAscii>},
    {WM_COMMAND, EN_CHANGE, IDC_FIND_UNICODE, &Handle<&CReplaceDlg::OnChangeFindUnicode>},
    {WM_COMMAND, EN_CHANGE, IDC_REPLACE_ASCII, &Handle<&CReplaceDlg::OnChangeReplaceAscii>},
    {WM_COMMAND, EN_CHANGE, IDC_REPLACE_UNICODE, &Handle<&CReplaceDlg::OnChangeReplaceUnicode>},
    {WM_COMMAND, BN_CLICKED, IDC_END_PROCESS, &Handle<&CReplaceDlg::OnEndProcess>},
    {WM_COMMAND, BN_CLICKED, IDC_START, &Handle<&CReplaceDlg::OnStart>},
    {WM_COMMAND, BN_CLICKED, IDC_BROWSE, &Handle<&CReplaceDlg::BrowseForPath>},
    {WM_DROPFILES, 0, 0, &Handle<&CReplaceDlg::OnDropFiles>},
    {WM_COMMAND, EN_CHANGE, IDC_FIND_UTF8, &Handle<&CReplaceDlg::OnChangeFindUtf8>},
    {WM_COMMAND, EN_CHANGE, IDC_REPLACE_UTF8, &Handle<&CReplaceDlg::OnChangeReplaceUtf8>},
    {WM_LBUTTONDOWN, 0, 0, &Handle<&CReplaceDlg::OnLButtonDown>},
    {WM_HELP, 0, 0, &Handle<&CReplaceDlg::OnHelpInfo>},
}};

CReplaceDlg::CReplaceDlg(HINSTANCE instance, HWND parent, DialogServices services,
                         std::optional<std::filesystem::path> command_line_path)
    : Dialog(instance, IDD_MAIN, parent),
      services_(services),
      command_line_path_(std::move(command_line_path)),
      m_hIcon(LoadMainIcon(instance, SM_CXICON, SM_CYICON)),
      small_icon_(LoadMainIcon(instance, SM_CXSMICON, SM_CYSMICON)) {}

CReplaceDlg::~CReplaceDlg() {
  if (window()) DestroyWindow(window());  // before the icons it shows go
  if (m_hIcon) DestroyIcon(m_hIcon);
  if (small_icon_) DestroyIcon(small_icon_);
}

BOOL CReplaceDlg::OnInitDialog() {
  SendMessageW(window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_));
  DragAcceptFiles(window(), TRUE);
  if (command_line_path_) AcceptPath(*command_line_path_);
  m_bUpdating = false;
  SetChecked(IDC_ASK_REPLACE, true);
  SetChecked(IDC_WHOLE_STRING, true);
  for (const int box : kLimitedBoxes) SendItemMessage(box, EM_LIMITTEXT, kBoxInputLimit);
  return TRUE;
}

bool CReplaceDlg::OnMessage(const framework::Message& message, LRESULT& result) {
  return framework::DispatchToMap<CReplaceDlg>(kMessageMap, *this, message, result);
}

bool CReplaceDlg::PreTranslateMessage(MSG& msg) {
  const bool hex_box = msg.hwnd && (msg.hwnd == Item(IDC_FIND_HEX) || msg.hwnd == Item(IDC_REPLACE_HEX));
  // While Control is held down (pasting with Ctrl+V) any character passes. Only the key being
  // down counts: its toggle state would let everything through after one Ctrl+V.
  const bool control_down = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  if (msg.message == WM_CHAR && hex_box && !control_down) {
    const std::optional<wchar_t> passed = FilterHexChar(static_cast<wchar_t>(msg.wParam));
    if (!passed) {
      MessageBeep(MB_ICONASTERISK);
      return true;
    }
    msg.wParam = *passed;
  }
  // Enter would press a default button and Escape would close the dialog: neither may.
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE || msg.wParam == VK_F1)) {
    return true;
  }
  return Dialog::PreTranslateMessage(msg);
}

void CReplaceDlg::OnPaint() {
  if (!IsIconic(window())) {
    CallDefault(WM_PAINT, 0, 0);
    return;
  }
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window(), &paint);
  SendMessageW(window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(window(), &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
  EndPaint(window(), &paint);
}

HICON CReplaceDlg::OnQueryDragIcon() { return m_hIcon; }

HBRUSH CReplaceDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
  const HBRUSH brush = DefaultCtlColor(dc, control, kind);
  if (kind == CTLCOLOR_EDIT) SetTextColor(dc, kEditTextColor);
  return brush;
}

void CReplaceDlg::OnEndProcess() { ExitProcess(0); }

void CReplaceDlg::OnLButtonDown(UINT, POINT point) {
  // A press on the background acts as a press on the caption: the window follows the mouse.
  ClientToScreen(window(), &point);
  PostMessageW(window(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

BOOL CReplaceDlg::OnHelpInfo(const HELPINFO&) {
  services_.message_boxes.Show(window(), kAboutText, kToolCaption, MB_ICONQUESTION);
  return TRUE;
}

}  // namespace vantrel::ui
