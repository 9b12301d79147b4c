// Program entry: one recorder per folder, the application object, the main window, the
// message loop.

#include <windows.h>

#include "app/SingleInstance.h"
#include "app/Unit1.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "settings/Unit2.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char exe[MAX_PATH * 2] = {0};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  qv::TSingleInstance instance(qv::ExtractFilePath(exe));
  if (!instance.First()) {
    instance.ShowRunning();
    return 0;
  }
  qv::TApplication application;
  application.Initialize();
  application.CreateForm<qv::TForm1>();
  instance.Publish(qv::Form1->Handle());
  application.CreateForm<qv::TForm2>();
  application.Run();
  return 0;
}
