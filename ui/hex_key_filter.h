// The key filter of the two hex boxes: what a typed character becomes while the Control key
// is not held down.
#pragma once

#include <optional>

namespace vantrel::ui {

// 0-9, A-F and backspace pass, a-f pass as A-F; nothing (swallow and beep) for the rest.
std::optional<wchar_t> FilterHexChar(wchar_t ch);

}  // namespace vantrel::ui
