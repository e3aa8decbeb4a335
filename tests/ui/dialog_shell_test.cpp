// The main dialog as it opens: the template's controls, the initial states and limits, the
// icon, the colours, the key filter of the hex boxes, the swallowed keys, moving by dragging
// and the about box.
#include <windows.h>
#include <commctrl.h>

#include <array>

#include "res/resource.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/dialog_run_host.h"

namespace vantrel::testing {
namespace {

struct ControlSpec {
  int id;
  const wchar_t* class_name;
  const wchar_t* text;
  DWORD type;   // the low style bits that say what kind of control it is
  DWORD flags;  // further style bits that must be set
  RECT units;   // x, y, width, height in dialog units
};

// The border of an edit box is checked on its own: the dialog manager turns WS_BORDER into
// WS_EX_CLIENTEDGE.
constexpr DWORD kEditFlags = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kNone = 0;

// The template's controls in tab order.
const std::array<ControlSpec, 26> kControls{{
    {IDC_PATH, L"Edit", L"", kNone, kEditFlags, {51, 14, 157, 12}},
    {IDC_BROWSE, L"Button", L"浏览", BS_PUSHBUTTON, WS_TABSTOP, {212, 13, 50, 14}},
    {IDC_OPEN_DIR, L"Button", L"打开目录", BS_AUTOCHECKBOX, WS_TABSTOP | BS_LEFT, {268, 15, 43, 10}},
    {IDC_FIND_ASCII, L"Edit", L"", kNone, kEditFlags, {51, 44, 253, 12}},
    {IDC_FIND_UTF8, L"Edit", L"", kNone, kEditFlags, {51, 61, 253, 12}},
    {IDC_FIND_UNICODE, L"Edit", L"", kNone, kEditFlags, {51, 78, 253, 12}},
    {IDC_FIND_HEX, L"Edit", L"", kNone, kEditFlags, {51, 95, 253, 12}},
    {IDC_REPLACE_ASCII, L"Edit", L"", kNone, kEditFlags, {51, 129, 253, 12}},
    {IDC_REPLACE_UTF8, L"Edit", L"", kNone, kEditFlags, {51, 146, 253, 12}},
    {IDC_REPLACE_UNICODE, L"Edit", L"", kNone, kEditFlags, {51, 163, 253, 12}},
    {IDC_REPLACE_HEX, L"Edit", L"", kNone, kEditFlags, {51, 180, 253, 12}},
    {IDC_ASK_REPLACE, L"Button", L"替换时询问", BS_AUTOCHECKBOX, WS_TABSTOP | BS_RIGHT, {135, 205, 44, 10}},
    {IDC_START, L"Button", L"开始", BS_PUSHBUTTON, WS_TABSTOP, {262, 203, 50, 14}},
    {IDC_STATIC, L"Static", L"ASCII", SS_RIGHT, kNone, {13, 46, 31, 8}},
    {IDC_STATIC, L"Static", L"UNICODE", SS_RIGHT, kNone, {11, 80, 33, 8}},
    {IDC_STATIC, L"Static", L"HEX", SS_RIGHT, kNone, {13, 97, 31, 8}},
    {IDC_STATIC, L"Button", L"查找", BS_GROUPBOX, kNone, {7, 35, 305, 79}},
    {IDC_STATIC, L"Static", L"ASCII", SS_RIGHT, kNone, {13, 131, 31, 8}},
    {IDC_STATIC, L"Static", L"UNICODE", SS_RIGHT, kNone, {13, 165, 33, 8}},
    {IDC_STATIC, L"Static", L"HEX", SS_RIGHT, kNone, {13, 182, 31, 8}},
    {IDC_STATIC, L"Button", L"替换", BS_GROUPBOX, kNone, {7, 117, 305, 82}},
    {IDC_STATIC, L"Button", L"打开文件 | 打开目录 ", BS_GROUPBOX, kNone, {7, 3, 305, 29}},
    {IDC_STATIC, L"Static", L"路径", SS_RIGHT, kNone, {13, 16, 31, 8}},
    {IDC_STATIC, L"Static", L"UTF-8", SS_RIGHT, kNone, {24, 63, 20, 8}},
    {IDC_STATIC, L"Static", L"UTF-8", SS_RIGHT, kNone, {23, 148, 20, 8}},
    {IDC_WHOLE_STRING, L"Button", L"完整字符串", BS_AUTOCHECKBOX, WS_TABSTOP, {51, 205, 50, 10}},
}};

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)); }

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

// The control's rectangle in the dialog's client coordinates.
RECT ClientRect(HWND dialog, HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

COLORREF BrushColor(HBRUSH brush) {
  LOGBRUSH info{};
  GetObjectW(brush, sizeof info, &info);
  return info.lbColor;
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {0, 0};
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, bitmap.bmHeight};
}

using DialogTemplateTest = DialogTest;

TEST_F(DialogTemplateTest, EveryControlExistsInTabOrderWithItsIdClassTextStyleAndRectangle) {
  HWND control = GetWindow(window(), GW_CHILD);
  for (const ControlSpec& spec : kControls) {
    ASSERT_NE(control, nullptr) << "missing control " << Utf8(spec.text);
    SCOPED_TRACE(Utf8(spec.text) + " (" + std::to_string(spec.id) + ")");
    EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(control))), spec.id);
    EXPECT_EQ(ClassOf(control), spec.class_name);
    EXPECT_EQ(WindowText(control), spec.text);
    const DWORD style = Style(control);
    if (ClassOf(control) == L"Button") {
      EXPECT_EQ(style & BS_TYPEMASK, spec.type);
    } else if (ClassOf(control) == L"Static") {
      EXPECT_EQ(style & SS_TYPEMASK, spec.type);
    }
    EXPECT_EQ(style & spec.flags, spec.flags);
    if (ClassOf(control) == L"Edit") {
      const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_EXSTYLE));
      EXPECT_TRUE((style & WS_BORDER) || (ex_style & WS_EX_CLIENTEDGE)) << "an edit box without a border";
    }
    EXPECT_TRUE(style & WS_VISIBLE);
    // The dialog manager scales the position and the size each on its own.
    RECT position{spec.units.left, spec.units.top, spec.units.right, spec.units.bottom};
    MapDialogRect(window(), &position);
    const RECT actual = ClientRect(window(), control);
    EXPECT_EQ(actual.left, position.left);
    EXPECT_EQ(actual.top, position.top);
    EXPECT_EQ(actual.right - actual.left, position.right);
    EXPECT_EQ(actual.bottom - actual.top, position.bottom);
    control = GetWindow(control, GW_HWNDNEXT);
  }
  EXPECT_EQ(control, nullptr) << "a control that the template should not have";
  EXPECT_EQ(GetDlgItem(window(), IDC_END_PROCESS), nullptr);
}

TEST_F(DialogTemplateTest, TheDialogHasItsCaptionStylesSizeAndFont) {
  EXPECT_EQ(WindowText(window()), L"Vantrel");
  const DWORD style = Style(window());
  for (const DWORD bit : {DWORD{WS_POPUP}, DWORD{WS_VISIBLE}, DWORD{WS_CAPTION}, DWORD{WS_SYSMENU},
                          DWORD{WS_MINIMIZEBOX}, DWORD{DS_MODALFRAME}}) {
    EXPECT_TRUE(style & bit) << std::hex << bit;
  }
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(window(), GWL_EXSTYLE));
  EXPECT_TRUE(ex_style & WS_EX_APPWINDOW);
  EXPECT_TRUE(ex_style & WS_EX_ACCEPTFILES) << "dropped files are accepted";

  RECT size{0, 0, 319, 220};
  MapDialogRect(window(), &size);
  RECT client;
  GetClientRect(window(), &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window(), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"微软雅黑");
}

TEST_F(DialogTemplateTest, BothSwitchesAreOnAtStartAndDirectoryModeIsOff) {
  EXPECT_TRUE(Checked(IDC_ASK_REPLACE));
  EXPECT_TRUE(Checked(IDC_WHOLE_STRING));
  EXPECT_FALSE(Checked(IDC_OPEN_DIR));
}

TEST_F(DialogTemplateTest, HexAnsiAndUnicodeBoxesTake1024CharactersThePathAndUtf8BoxesMore) {
  for (const int id : {IDC_FIND_HEX, IDC_FIND_ASCII, IDC_FIND_UNICODE, IDC_REPLACE_HEX, IDC_REPLACE_ASCII,
                       IDC_REPLACE_UNICODE}) {
    EXPECT_EQ(SendMessageW(Item(id), EM_GETLIMITTEXT, 0, 0), 1024) << id;
  }
  for (const int id : {IDC_PATH, IDC_FIND_UTF8, IDC_REPLACE_UTF8}) {
    EXPECT_GT(SendMessageW(Item(id), EM_GETLIMITTEXT, 0, 0), 1024) << id;
  }
  Type(IDC_FIND_ASCII, std::wstring(1030, L'x'));
  EXPECT_EQ(Text(IDC_FIND_ASCII).size(), 1024u);
}

TEST_F(DialogTemplateTest, TheIconIsSetBigAndSmallFromAResourceWith48And32And16PixelImages) {
  const auto big = reinterpret_cast<HICON>(SendMessageW(window(), WM_GETICON, ICON_BIG, 0));
  const auto small = reinterpret_cast<HICON>(SendMessageW(window(), WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(big, nullptr);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(IconSize(big).cx, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(IconSize(small).cx, GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window(), WM_QUERYDRAGICON, 0, 0)), big);

  const HINSTANCE module = GetModuleHandleW(nullptr);
  const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  auto* directory = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
  for (const int size : {48, 32, 16}) {
    const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
    const HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));  // RT_ICON
    ASSERT_NE(image, nullptr) << size;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
    EXPECT_EQ(header->biWidth, size);
    EXPECT_EQ(header->biBitCount, 32) << size;
  }
}

TEST_F(DialogTemplateTest, TheBackgroundIsF5F5F5WithBlackTextAndEditTextIsDarkBlue) {
  const HDC dc = CreateCompatibleDC(nullptr);
  const auto dialog_brush = reinterpret_cast<HBRUSH>(
      SendMessageW(window(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window())));
  EXPECT_EQ(BrushColor(dialog_brush), RGB(245, 245, 245));

  const HWND label = GetWindow(Item(IDC_START), GW_HWNDNEXT);
  const auto label_brush = reinterpret_cast<HBRUSH>(
      SendMessageW(window(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
  EXPECT_EQ(BrushColor(label_brush), RGB(245, 245, 245));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));

  SendMessageW(window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Item(IDC_FIND_HEX)));
  EXPECT_EQ(GetTextColor(dc), 0x640000u);
  DeleteDC(dc);
}

TEST_F(DialogTemplateTest, WmHelpShowsTheAboutBox) {
  HELPINFO info{};
  info.cbSize = sizeof info;
  EXPECT_EQ(SendMessageW(window(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info)), TRUE);
  ASSERT_EQ(boxes_.shown().size(), 1u);
  EXPECT_EQ(boxes_.shown()[0], (ShownBox{L"获取更多帮助请访问：\n\n日期：2010.08.29\n版本：v1.1", L"字符替换工具",
                                         UINT{MB_ICONQUESTION}}));
  EXPECT_EQ(boxes_.owners()[0], window());
}

TEST_F(DialogTemplateTest, PressingTheBackgroundStartsAMoveOfTheWindowByItsCaption) {
  SendMessageW(window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, window(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(HTCAPTION));
  POINT expected{5, 5};
  ClientToScreen(window(), &expected);
  EXPECT_EQ(static_cast<short>(LOWORD(msg.lParam)), expected.x);
  EXPECT_EQ(static_cast<short>(HIWORD(msg.lParam)), expected.y);
}

// The characters that reach a hex box's own window procedure, after the dialog's filter.
class HexKeyFilterTest : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    SetWindowSubclass(Item(IDC_FIND_HEX), &Record, 1, reinterpret_cast<DWORD_PTR>(&received_));
    SetWindowSubclass(Item(IDC_REPLACE_HEX), &Record, 1, reinterpret_cast<DWORD_PTR>(&received_));
  }
  void TearDown() override {
    RemoveWindowSubclass(Item(IDC_FIND_HEX), &Record, 1);
    RemoveWindowSubclass(Item(IDC_REPLACE_HEX), &Record, 1);
    SetControlState(0);
    DialogTest::TearDown();
  }
  static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_CHAR) reinterpret_cast<std::wstring*>(data)->push_back(static_cast<wchar_t>(wparam));
    return DefSubclassProc(window, message, wparam, lparam);
  }
  // Sets the Control key's state for this thread: 0x80 held down, 0x01 toggled, 0 neither.
  static void SetControlState(BYTE state) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = state;
    keys[VK_LCONTROL] = keys[VK_RCONTROL] = 0;
    SetKeyboardState(keys);
  }

  std::wstring received_;
};

TEST_F(HexKeyFilterTest, DigitsCapitalsAndBackspacePassAndSmallLettersBecomeCapitals) {
  Type(IDC_FIND_HEX, L"0123456789ABCDEF\babcdef");
  EXPECT_EQ(received_, L"0123456789ABCDEF\bABCDEF");
}

TEST_F(HexKeyFilterTest, AnythingElseIsSwallowedInBothHexBoxes) {
  Type(IDC_FIND_HEX, L"g z!-.中\r\x1b");
  Type(IDC_REPLACE_HEX, L"xG:");
  EXPECT_EQ(received_, L"");
  EXPECT_EQ(Text(IDC_FIND_HEX), L"");
  Type(IDC_REPLACE_HEX, L"b");
  EXPECT_EQ(Text(IDC_REPLACE_HEX), L"B");
}

TEST_F(HexKeyFilterTest, OtherBoxesAreNotFiltered) {
  Type(IDC_FIND_ASCII, L"xyz");
  Type(IDC_PATH, L"C:");
  EXPECT_EQ(Text(IDC_PATH), L"C:");
  EXPECT_EQ(received_, L"");
}

// Pasting with Ctrl+V sends its character while Control is down; after Control is let go, the
// toggle state it leaves behind must not open the box to every character.
TEST_F(HexKeyFilterTest, OnlyWhileControlIsHeldDownEveryCharacterPassesUnchanged) {
  SetControlState(0x80);
  ASSERT_NE(GetKeyState(VK_CONTROL) & 0x8000, 0);
  Type(IDC_FIND_HEX, L"gz a");
  EXPECT_EQ(received_, L"gz a");
  SetControlState(0x01);  // let go after an odd number of presses: toggled, not down
  ASSERT_NE(GetKeyState(VK_CONTROL), 0);
  Type(IDC_FIND_HEX, L"g b");
  EXPECT_EQ(received_, L"gz aB");
}

using SwallowedKeysTest = DialogTest;

// Keeps the keys pressed in a control, as its own window procedure receives them.
LRESULT CALLBACK RecordKeyDown(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  if (message == WM_KEYDOWN) reinterpret_cast<std::vector<WPARAM>*>(data)->push_back(wparam);
  return DefSubclassProc(window, message, wparam, lparam);
}

TEST_F(SwallowedKeysTest, EnterDoesNotPressAButtonAndEscapeDoesNotCloseTheDialog) {
  SetFocus(Item(IDC_START));
  PostKeyDown(Item(IDC_START), VK_RETURN);
  PostKeyDown(Item(IDC_FIND_HEX), VK_RETURN);
  PostKeyDown(Item(IDC_PATH), VK_ESCAPE);
  PostKeyDown(Item(IDC_START), VK_ESCAPE);
  EXPECT_TRUE(IsWindow(window()));
  EXPECT_TRUE(browser_.calls().empty()) << "Start was pressed (an empty path opens the browser)";
  EXPECT_TRUE(boxes_.shown().empty());
}

// F1 never reaches the box that has the focus, so no help request can come of it. (Wine
// makes no help request of a posted key either way, so the box itself is watched.)
TEST_F(SwallowedKeysTest, F1IsSwallowedBeforeAnyControlSeesIt) {
  std::vector<WPARAM> keys;
  SetWindowSubclass(Item(IDC_FIND_ASCII), RecordKeyDown, 1, reinterpret_cast<DWORD_PTR>(&keys));
  SetFocus(Item(IDC_FIND_ASCII));
  PostKeyDown(Item(IDC_FIND_ASCII), VK_F1);
  PostKeyDown(Item(IDC_FIND_ASCII), VK_F2);  // a key that is not swallowed, to show the watch works
  RemoveWindowSubclass(Item(IDC_FIND_ASCII), RecordKeyDown, 1);
  EXPECT_EQ(keys, (std::vector<WPARAM>{VK_F2}));
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(SwallowedKeysTest, TheCloseBoxEndsTheDialog) {
  SendMessageW(window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  dialog().RunPendingMessages();
  EXPECT_EQ(window(), nullptr);
}

}  // namespace
}  // namespace vantrel::testing
