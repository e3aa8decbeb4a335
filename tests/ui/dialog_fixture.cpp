#include "tests/ui/dialog_fixture.h"

#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstring>

#include "platform/wide_text.h"
#include "ui/replace_app.h"

namespace vantrel::testing {

void MakeShortcut(const std::filesystem::path& link, const std::filesystem::path& target) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    Microsoft::WRL::ComPtr<IShellLinkW> shell_link;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shell_link))));
    ASSERT_TRUE(SUCCEEDED(shell_link->SetPath(target.c_str())));
    Microsoft::WRL::ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(shell_link.As(&file)));
    ASSERT_TRUE(SUCCEEDED(file->Save(link.c_str(), TRUE)));
  }
  CoUninitialize();
}

HDROP MakeDrop(const std::vector<std::filesystem::path>& paths) {
  std::wstring names;
  for (const auto& path : paths) {
    names += path.native();
    names += L'\0';
  }
  names += L'\0';
  const std::size_t size = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GHND, size);
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

std::string Utf8(std::wstring_view text) { return os::win32::WideToUtf8(text); }

void DialogTest::Open(std::optional<std::filesystem::path> command_line_path) {
  dialog_.reset();
  dialog_ = std::make_unique<ui::CReplaceDlg>(GetModuleHandleW(nullptr), nullptr,
                                              ui::DialogServices{browser_, boxes_}, std::move(command_line_path));
  dialog_->SetColors(ui::kDialogColors);
  ASSERT_TRUE(dialog_->Create()) << "the dialog cannot be created from IDD_MAIN";
  dialog_->RunPendingMessages();
}

void DialogTest::SetText(int id, std::wstring_view text) {
  dialog_->SetItemText(id, text);
  dialog_->RunPendingMessages();
}

void DialogTest::Type(int id, std::wstring_view chars) {
  for (const wchar_t ch : chars) {
    PostMessageW(Item(id), WM_CHAR, ch, 1);
    dialog_->RunPendingMessages();
  }
}

void DialogTest::PostKeyDown(HWND target, UINT key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  if (dialog_->window()) dialog_->RunPendingMessages();
}

void DialogTest::Click(int id) {
  SendMessageW(window(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
}

void DialogTest::Drop(const std::vector<std::filesystem::path>& paths) {
  SendMessageW(window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

int DialogTest::Caret(int id) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(Item(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, end) << "a selection where a caret was expected";
  return static_cast<int>(end);
}

}  // namespace vantrel::testing
