// Program entry: the application object, the main window, the message loop.

#include <windows.h>

#include "app/Unit1.h"
#include "framework/Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qv::TApplication application;
  application.Initialize();
  application.CreateForm<qv::TForm1>();
  application.Run();
  return 0;
}
