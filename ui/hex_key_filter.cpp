#include "ui/hex_key_filter.h"

namespace vantrel::ui {

std::optional<wchar_t> FilterHexChar(wchar_t ch) {
  if ((ch >= L'0' && ch <= L'9') || (ch >= L'A' && ch <= L'F') || ch == L'\b') return ch;
  if (ch >= L'a' && ch <= L'f') return static_cast<wchar_t>(ch - L'a' + L'A');
  return std::nullopt;
}

}  // namespace vantrel::ui
