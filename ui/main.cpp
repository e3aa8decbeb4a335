// Vantrel.exe: the dialog program. Everything happens in the application object.
#include <windows.h>

#include "ui/replace_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  vantrel::ui::CReplaceApp app(instance);
  return app.Run();
}
