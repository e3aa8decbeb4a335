// The colours of a dialog's background and of the text on it (labels, check boxes, group
// boxes). Edit boxes keep the system's colours unless the dialog changes them.
#pragma once

#include <windows.h>

namespace vantrel::ui::framework {

struct DialogColors {
  COLORREF background;
  COLORREF text;
};

}  // namespace vantrel::ui::framework
