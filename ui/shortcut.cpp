#include "ui/shortcut.h"

#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <string>

namespace vantrel::ui {

ShortcutTarget ResolveShortcut(HWND owner, const std::filesystem::path& link) {
  ShortcutTarget target{E_FAIL, {}};
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    Microsoft::WRL::ComPtr<IShellLinkW> shell_link;
    Microsoft::WRL::ComPtr<IPersistFile> file;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shell_link));
    if (SUCCEEDED(hr)) hr = shell_link.As(&file);
    if (SUCCEEDED(hr)) hr = file->Load(link.c_str(), STGM_READ);
    if (SUCCEEDED(hr)) hr = shell_link->Resolve(owner, 0);
    if (SUCCEEDED(hr)) {
      wchar_t path[MAX_PATH] = {};
      hr = shell_link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
      if (SUCCEEDED(hr)) target.path = path;
    }
    target.result = hr;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return target;
}

bool IsShortcutPath(const std::filesystem::path& path) {
  const std::wstring& text = path.native();
  const std::size_t dot = text.rfind(L'.');
  if (dot == std::wstring::npos) return false;
  return CompareStringOrdinal(text.c_str() + dot, -1, L".lnk", -1, TRUE) == CSTR_EQUAL;
}

}  // namespace vantrel::ui
