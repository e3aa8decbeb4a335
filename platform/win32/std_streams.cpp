#include "platform/std_streams.h"

#include <windows.h>

#include <algorithm>

#include "platform/system_error.h"
#include "platform/wide_text.h"

namespace vantrel::os {
namespace {

HANDLE Handle(StdStream stream) {
  switch (stream) {
    case StdStream::kInput: return GetStdHandle(STD_INPUT_HANDLE);
    case StdStream::kOutput: return GetStdHandle(STD_OUTPUT_HANDLE);
    case StdStream::kError: break;
  }
  return GetStdHandle(STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

constexpr DWORD kMaxChunk = 1u << 20;

WriteResult Failed() {
  const DWORD code = GetLastError();
  if (code == ERROR_BROKEN_PIPE || code == ERROR_NO_DATA) return {WriteStatus::kBrokenPipe, {}};
  return {WriteStatus::kFailed, vantrel::os::MakeSystemError(static_cast<int>(code))};
}

WriteResult WriteToConsole(HANDLE console, std::string_view text) {
  std::wstring wide = vantrel::os::win32::Utf8ToWide(text);
  std::wstring_view left = wide;
  while (!left.empty()) {
    DWORD put = 0;
    const auto want = static_cast<DWORD>(std::min<std::size_t>(left.size(), kMaxChunk));
    if (!WriteConsoleW(console, left.data(), want, &put, nullptr) || put == 0) return Failed();
    left.remove_prefix(put);
  }
  return {};
}

}  // namespace

bool IsTerminal(StdStream stream) { return IsConsole(Handle(stream)); }

WriteResult WriteText(StdStream stream, std::string_view text) {
  HANDLE handle = Handle(stream);
  if (IsConsole(handle)) return WriteToConsole(handle, text);
  while (!text.empty()) {
    DWORD put = 0;
    const auto want = static_cast<DWORD>(std::min<std::size_t>(text.size(), kMaxChunk));
    if (!WriteFile(handle, text.data(), want, &put, nullptr) || put == 0) return Failed();
    text.remove_prefix(put);
  }
  return {};
}

void OpenClosedStdStreams() {}

void ReportBrokenPipesAsErrors() {}

}  // namespace vantrel::os
