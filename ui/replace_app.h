// The application object of Vantrel.exe: sets the dialog colours, runs the main dialog
// modally and ends the program when it closes. Nothing is saved.
#pragma once

#include "ui/framework/application.h"

namespace vantrel::ui {

class CReplaceApp : public framework::Application {
 public:
  using Application::Application;

 protected:
  bool InitInstance() override;
};

}  // namespace vantrel::ui
