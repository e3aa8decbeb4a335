#include "platform/state_folder.h"

#include <windows.h>

#include <string>

#include "platform/system_error.h"

namespace vantrel::os {

Result<std::filesystem::path> StateFolder() {
  const DWORD size = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (size == 0) return SystemError{ERROR_ENVVAR_NOT_FOUND, "LOCALAPPDATA is not set"};
  std::wstring folder(size, L'\0');
  folder.resize(GetEnvironmentVariableW(L"LOCALAPPDATA", folder.data(), size));
  return std::filesystem::path(folder) / L"Vantrel";
}

Result<void> MakeStateFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return {};
  std::filesystem::create_directories(folder, error);
  if (error) return SystemError{error.value(), error.message()};
  return {};
}

}  // namespace vantrel::os
