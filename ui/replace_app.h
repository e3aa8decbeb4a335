// The application object of Vantrel.exe: sets the dialog colours, runs the main dialog
// modally and ends the program when it closes. Nothing is saved.
#pragma once

#include "ui/framework/application.h"
#include "ui/framework/dialog_colors.h"

namespace vantrel::ui {

// The dialog's background, RGB(245, 245, 245), with black text.
inline constexpr framework::DialogColors kDialogColors{RGB(245, 245, 245), RGB(0, 0, 0)};

class CReplaceApp : public framework::Application {
 public:
  using Application::Application;

 protected:
  bool InitInstance() override;
};

}  // namespace vantrel::ui
