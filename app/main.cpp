// Program entry: the folder of the files, one recorder per folder, the application object,
// the main window, the message loop.

#include <windows.h>

#include "app/FilesFolderWin.h"
#include "app/InstanceName.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "framework/Dialogs.h"
#include "framework/FileIO.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "settings/PersistentForm.h"
#include "settings/SettingsDialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // UTF-8 from here on: the folder's name may hold what the ANSI code page cannot.
  const std::string exeFolder = qv::ExtractFilePath(qv::ExecutablePath());
  // Decided before the one-recorder check: it guards the folder the files are kept in.
  const qv::TFilesFolder files = qv::ChooseFilesFolder(exeFolder);
  qv::TMainWindow::SetClipFolder(files.Folder);
  qv::TPersistentForm::SetIniFolder(files.Folder);
  qv::TSingleInstance instance(files.Folder);
  if (!instance.First()) {
    if (!instance.ShowRunning()) {
      // Rather than leave without a word: the user started it and nothing would show.
      qv::TApplication application;
      qv::ShowMessage(qv::UnreachableCopyNotice(files.Folder));
    }
    return 0;
  }
  const qv::TFileStatus remembered = qv::RememberFilesFolder(files);
  qv::TApplication application;
  application.Initialize();
  qv::TMainWindow* mainWindow = application.CreateForm<qv::TMainWindow>();
  instance.Publish(mainWindow->Handle());
  mainWindow->UseSettings(*application.CreateForm<qv::TSettingsDialog>());
  // Once: the next start finds the files where this one keeps them.
  if (!files.Notice.empty()) qv::ShowMessage(files.Notice);
  if (!remembered)
    qv::ShowMessage(
        qv::FolderRecordNotWrittenNotice(files.Folder, files.Record, remembered.Error()));
  application.Run();
  return 0;
}
