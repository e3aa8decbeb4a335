// The application object: what the program does between its start and its end. The start
// hook InitInstance runs the main dialog; when it returns false the program ends.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/framework/dialog_colors.h"

namespace vantrel::ui::framework {

class Application {
 public:
  explicit Application(HINSTANCE instance) : instance_(instance) {}
  virtual ~Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Starts the program: the common controls, then InitInstance. Returns the exit code.
  int Run();

 protected:
  // The start hook. False ends the program; true runs a message loop until WM_QUIT.
  virtual bool InitInstance() = 0;

  // Sets the colours that dialogs of this application take (see Dialog::SetColors).
  void SetDialogBkColor(COLORREF background, COLORREF text) { colors_ = DialogColors{background, text}; }
  std::optional<DialogColors> dialog_colors() const { return colors_; }

  HINSTANCE instance() const { return instance_; }
  // The command line split as the platform splits it; the first is the program.
  const std::vector<std::wstring>& arguments() const { return arguments_; }

 private:
  HINSTANCE instance_;
  std::vector<std::wstring> arguments_;
  std::optional<DialogColors> colors_;
};

}  // namespace vantrel::ui::framework
