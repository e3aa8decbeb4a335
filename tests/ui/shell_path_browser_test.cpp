// The shell's browse dialogs, opened for real: a timer on the owner fires inside the browse
// dialog's own loop, looks at the dialog, and presses OK (or Cancel).
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "tests/support/temp_dir.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/shell_path_browser.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

constexpr UINT_PTR kTimer = 77;
constexpr int kCmbFileName = 0x47C;  // the file dialog's name box (a combo box)
constexpr int kEdtFileName = 0x480;  // ... or an edit box, in the older layout
constexpr int kCmbFilter = 0x470;

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

struct TextSearch {
  const std::wstring& text;
  bool found;
};

BOOL CALLBACK MatchText(HWND child, LPARAM data) {
  auto& search = *reinterpret_cast<TextSearch*>(data);
  if (TextOf(child) == search.text) search.found = true;
  return !search.found;
}

// Whether some descendant of parent shows exactly this text.
bool ShowsText(HWND parent, const std::wstring& text) {
  TextSearch search{text, false};
  EnumChildWindows(parent, &MatchText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct OwnedSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchOwned(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<OwnedSearch*>(data);
  if (window != search.owner && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search.owner) {
    search.found = window;
  }
  return search.found == nullptr;
}

// A visible window of this thread owned by owner: the browse dialog while it is open.
HWND OpenBrowseDialog(HWND owner) {
  OwnedSearch search{owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &MatchOwned, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The text of the selected item of the browse dialog's folder tree, or "" before there is one.
std::wstring SelectedTreeItemText(HWND browser) {
  const HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
  if (tree == nullptr) return {};
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return {};
  wchar_t text[MAX_PATH] = {};
  TVITEMW query{};
  query.mask = TVIF_TEXT;
  query.hItem = item;
  query.pszText = text;
  query.cchTextMax = MAX_PATH;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
  return text;
}

class ShellBrowserTest : public DialogTest {
 protected:
  // Calls `inspect` with the browse dialog once it is open (and `ready` says it has settled),
  // then presses `button`.
  void WhenOpen(std::function<void(HWND)> inspect, int button, std::function<bool(HWND)> ready = nullptr) {
    inspect_ = std::move(inspect);
    ready_ = std::move(ready);
    button_ = button;
    ticks_ = 0;
    SetWindowSubclass(window(), &OnTimer, kTimer, reinterpret_cast<DWORD_PTR>(this));
    SetTimer(window(), kTimer, 100, nullptr);
  }
  void TearDown() override {
    KillTimer(window(), kTimer);
    RemoveWindowSubclass(window(), &OnTimer, kTimer);
    DialogTest::TearDown();
  }

  static LRESULT CALLBACK OnTimer(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_TIMER && wparam == kTimer) {
      auto& self = *reinterpret_cast<ShellBrowserTest*>(data);
      const HWND browser = OpenBrowseDialog(window);
      ++self.ticks_;
      const bool settled = browser && (!self.ready_ || self.ready_(browser) || self.ticks_ > 50);
      if (browser && self.inspect_ && settled) {
        auto inspect = std::move(self.inspect_);
        self.inspect_ = nullptr;
        inspect(browser);
        PostMessageW(browser, WM_COMMAND, MAKEWPARAM(self.button_, BN_CLICKED), 0);
      } else if (browser && self.ticks_ > 100) {
        PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);  // never leave a test hanging
      }
      return 0;
    }
    return DefSubclassProc(window, message, wparam, lparam);
  }

  ui::ShellPathBrowser shell_;
  TempDir temp_;
  std::function<void(HWND)> inspect_;
  std::function<bool(HWND)> ready_;
  int button_ = IDCANCEL;
  int ticks_ = 0;
};

TEST_F(ShellBrowserTest, TheFolderBrowserIsTitledCentredAndStartsAtTheCurrentFolder) {
  const fs::path folder = temp_ / "chosen";
  fs::create_directory(folder);
  bool titled = false;
  POINT browser_centre{};
  WhenOpen(
      [&](HWND browser) {
        titled = ShowsText(browser, L"选择路径");
        RECT rect;
        GetWindowRect(browser, &rect);
        browser_centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
      },
      IDOK,
      // The shell fills its folder tree after the dialog shows: wait until "chosen" is selected.
      [](HWND browser) { return SelectedTreeItemText(browser) == L"chosen"; });
  const std::optional<std::wstring> chosen = shell_.BrowseFolder(window(), folder.native());
  EXPECT_TRUE(titled);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(fs::path(*chosen), folder) << "OK at once returns the folder selected at the start";
  RECT owner;
  GetWindowRect(window(), &owner);
  const POINT owner_centre{(owner.left + owner.right) / 2, (owner.top + owner.bottom) / 2};
  EXPECT_LE(std::abs(browser_centre.x - owner_centre.x), 1) << browser_centre.x << " vs " << owner_centre.x;
  EXPECT_LE(std::abs(browser_centre.y - owner_centre.y), 1) << browser_centre.y << " vs " << owner_centre.y;
}

TEST_F(ShellBrowserTest, CancellingTheFolderBrowserGivesNothing) {
  WhenOpen([](HWND) {}, IDCANCEL);
  EXPECT_FALSE(shell_.BrowseFolder(window(), temp_.path().native()).has_value());
}

TEST_F(ShellBrowserTest, TheFileDialogShowsTheInitialNameAndTheOneFilterAndReturnsTheChosenFile) {
  const fs::path file = temp_ / "pick.bin";
  WriteFile(file, "x");
  std::wstring initial_name;
  std::wstring filter;
  WhenOpen(
      [&](HWND dialog) {
        initial_name = TextOf(GetDlgItem(dialog, kCmbFileName) ? GetDlgItem(dialog, kCmbFileName)
                                                               : GetDlgItem(dialog, kEdtFileName));
        filter = TextOf(GetDlgItem(dialog, kCmbFilter));
        SendMessageW(dialog, CDM_SETCONTROLTEXT, kCmbFileName, reinterpret_cast<LPARAM>(file.c_str()));
        SendMessageW(dialog, CDM_SETCONTROLTEXT, kEdtFileName, reinterpret_cast<LPARAM>(file.c_str()));
      },
      IDOK);
  const std::optional<std::wstring> chosen = shell_.BrowseFile(window(), file.native());
  EXPECT_EQ(initial_name, file.filename().native()) << "the dialog opens in the folder, with the name";
  EXPECT_EQ(filter, L"全部文件");
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(fs::path(*chosen), file);
}

TEST_F(ShellBrowserTest, CancellingTheFileDialogGivesNothing) {
  WhenOpen([](HWND) {}, IDCANCEL);
  EXPECT_FALSE(shell_.BrowseFile(window(), L"").has_value());
}

}  // namespace
}  // namespace vantrel::testing
