// Shell shortcuts (.lnk files): their target, read through the shell link object.
#pragma once

#include <windows.h>

#include <filesystem>

namespace vantrel::ui {

struct ShortcutTarget {
  HRESULT result;               // the last result of the shell link object
  std::filesystem::path path;   // empty when the shortcut cannot be resolved
};

// Loads the shortcut, resolves it (the shell may show its own search when the target has
// moved, owned by `owner`) and reads the target's path as stored, without expanding
// environment variables.
ShortcutTarget ResolveShortcut(HWND owner, const std::filesystem::path& link);

// Whether the part of path from its last "." on is ".lnk", in any case.
bool IsShortcutPath(const std::filesystem::path& path);

}  // namespace vantrel::ui
