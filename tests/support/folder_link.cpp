#include "tests/support/folder_link.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <memory>
#endif

namespace vantrel::testing {

#ifndef _WIN32
std::string MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link) {
  std::error_code error;
  std::filesystem::create_directory_symlink(target, link, error);
  return error ? "no folder link can be made here: " + error.message() : std::string();
}
#else
namespace {

bool IsLink(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The Unix name of a Windows path, under Wine only.
std::string UnixName(const std::filesystem::path& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const auto to_unix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (to_unix == nullptr) return {};
  char* name = to_unix(std::filesystem::absolute(path).c_str());
  if (name == nullptr) return {};
  std::string unix_name(name);
  HeapFree(GetProcessHeap(), 0, name);
  return unix_name;
}

// Wine starts a Unix program named by its Unix path as it starts a Windows one.
bool RunUnixLn(const std::string& target, const std::string& link) {
  std::wstring command = L"/bin/ln -s \"" + std::filesystem::path(target).wstring() + L"\" \"" +
                         std::filesystem::path(link).wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace

std::string MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link) {
  const DWORD flags = SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  if (CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) && IsLink(link)) return {};
  const std::string unix_target = UnixName(target), unix_link = UnixName(link);
  if (unix_target.empty() || unix_link.empty()) {
    return "no folder link can be made here: CreateSymbolicLinkW needs the right to make links";
  }
  if (RunUnixLn(unix_target, unix_link)) {
    // Wine cannot wait for a Unix program it started: the link is looked for a while.
    for (int tries = 0; tries < 100; ++tries) {
      if (IsLink(link)) return {};
      Sleep(50);
    }
  }
  return "no folder link can be made here: neither CreateSymbolicLinkW nor /bin/ln under Wine made one";
}
#endif

}  // namespace vantrel::testing
