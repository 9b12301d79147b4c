// Program entry: one recorder per folder, the application object, the main window, the
// message loop.

#include <windows.h>

#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "settings/SettingsDialog.h"

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
  qv::TMainWindow* mainWindow = application.CreateForm<qv::TMainWindow>();
  instance.Publish(mainWindow->Handle());
  application.CreateForm<qv::TSettingsDialog>();
  application.Run();
  return 0;
}
