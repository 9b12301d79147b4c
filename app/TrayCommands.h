#pragma once
// The tray icon and its menu: Settings, Save Vavad, Clear Vavad, Tray Icon, Caching,
// Ignore next copy and Quit, in the flat look of the menu painter; a double click on the
// icon switches capture. The states they show are their units': capture on or off is capture's, saving
// suppressed is the settings'.

#include "app/ClipCapture.h"
#include "app/ClipFolder.h"
#include "app/ClipHistory.h"
#include "components/TrayIcon.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "look/MenuPainter.h"

namespace qv {

// What the menu needs of the window it belongs to.
class TTrayHost {
 public:
  virtual ~TTrayHost() = default;
  // Every command first takes the clip window away.
  virtual void HideClips() = 0;
  virtual void ShowSettings() = 0;
  // Closes the program, as closing its window does (the clip files are written first).
  virtual void Quit() = 0;
};

class TTrayCommands {
 public:
  // The icon, the menu and their pictures are made on window, which owns them.
  TTrayCommands(TForm& window, TClipHistory& history, TClipFolder& files, TClipCapture& capture,
                TTrayHost& host);
  ~TTrayCommands();
  TTrayCommands(const TTrayCommands&) = delete;
  TTrayCommands& operator=(const TTrayCommands&) = delete;

  // Saving suppressed: capture off and the commands that change the files greyed out;
  // lifted, capture is on again.
  void SetSuppressed(bool suppressed);
  // Capture on or off, as the icon and the menu show it.
  void SwitchCapture();
  // Says what the icon can: a balloon over it.
  void Tell(const std::string& what);
  // The menu and the icon show the states they show anew (a copy was ignored).
  void ShowState();

  TTrayIcon* TrayIcon;
  TPopupMenu* TrayMenu;
  TMenuItem* SettingsItem;
  TMenuItem* SaveItem;
  TMenuItem* ClearItem;
  TMenuItem* TrayIconItem;
  TMenuItem* CachingItem;
  TMenuItem* IgnoreItem;
  TMenuItem* QuitItem;
  // The icon's three pictures, on hidden images of the window.
  TImage* CachingOffIcon;
  TImage* CachingOnIcon;
  TImage* SuppressedIcon;
  TMenuPainter* MenuPainter;

 private:
  void BuildMenu(TForm& window);
  void BuildMenuPainter(TForm& window);
  void SettingsClick(TObject* sender);
  void SaveClick(TObject* sender);
  void ClearClick(TObject* sender);
  void TrayIconClick(TObject* sender);
  void CachingClick(TObject* sender);
  void IgnoreClick(TObject* sender);
  void QuitClick(TObject* sender);
  void IconDblClick(TObject* sender);

  TForm& window_;
  TClipHistory& history_;
  TClipFolder& files_;
  TClipCapture& capture_;
  TTrayHost& host_;
  bool suppressed_ = false;
};

}  // namespace qv
