// Program entry: the application object, the main window, the message loop.

#include <windows.h>

#include "app/Unit1.h"
#include "framework/Forms.h"
#include "settings/Unit2.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qv::TApplication application;
  application.Initialize();
  application.CreateForm<qv::TForm1>();
  application.CreateForm<qv::TForm2>();
  application.Run();
  return 0;
}
