#include "app/TrayCommands.h"

#include "app/ClipWindowLayout.h"
#include "framework/Dialogs.h"
#include "framework/SysUtils.h"

namespace qv {

namespace {

TMenuItem* MakeItem(TForm& window, TPopupMenu* menu, const char* name, const char* caption,
                    const char* picture) {
  TMenuItem* item = MakeComponent<TMenuItem>(&window, name);
  item->SetCaption(caption);
  if (picture) LoadOwnPicture(item->Bitmap(), picture);
  menu->Items().Add(item);
  return item;
}

TImage* MakePicture(TForm& window, const char* name, int left, const char* icon) {
  TImage* image = MakeComponent<TImage>(&window, name, &window);
  image->SetBounds(left, 40, 32, 32);
  LoadOwnIcon(*image, icon);
  return image;
}

// A confirmation comes up where the cursor is: near the middle of the screen, below.
bool Confirmed(const char* question, int below) {
  SetCursorPosition(Screen->DesktopWidth() / 2 - 20, Screen->DesktopHeight() / 2 + below);
  return MessageDlg(question, TMsgDlgType::mtConfirmation, mbYes | mbNo) == TModalResult::mrYes;
}

}  // namespace

TTrayCommands::TTrayCommands(TForm& window, TClipHistory& history, TClipFolder& files,
                             TClipCapture& capture, TTrayHost& host)
    : window_(window), history_(history), files_(files), capture_(capture), host_(host) {
  // Beyond the window's right edge: never seen, only lent to the icon.
  CachingOffIcon = MakePicture(window, "CachingOffIcon", 264, "TRAY_OFF");
  CachingOnIcon = MakePicture(window, "CachingOnIcon", 304, "TRAY_ON");
  SuppressedIcon = MakePicture(window, "SuppressedIcon", 344, "TRAY_SUPPRESSED");
  TrayIcon = MakeComponent<TTrayIcon>(&window, "TrayIcon");
  TrayIcon->OnDblClick = TNotifyEvent::Of<&TTrayCommands::IconDblClick>(this);
  BuildMenu(window);
  BuildMenuPainter(window);
  ShowState();
}

TTrayCommands::~TTrayCommands() {
  TrayIcon->OnDblClick = nullptr;
  for (TMenuItem* item :
       {SettingsItem, SaveItem, ClearItem, TrayIconItem, CachingItem, IgnoreItem, QuitItem})
    item->OnClick = nullptr;
}

void TTrayCommands::BuildMenu(TForm& window) {
  TrayMenu = MakeComponent<TPopupMenu>(&window, "TrayMenu");
  SettingsItem = MakeItem(window, TrayMenu, "SettingsItem", "Settings...", "MENU_SETTINGS");
  SettingsItem->OnClick = TNotifyEvent::Of<&TTrayCommands::SettingsClick>(this);
  SaveItem = MakeItem(window, TrayMenu, "SaveItem", "Save Vavad", "MENU_SAVE");
  SaveItem->OnClick = TNotifyEvent::Of<&TTrayCommands::SaveClick>(this);
  ClearItem = MakeItem(window, TrayMenu, "ClearItem", "Clear Vavad", "MENU_CLEAR");
  ClearItem->OnClick = TNotifyEvent::Of<&TTrayCommands::ClearClick>(this);
  TrayIconItem = MakeItem(window, TrayMenu, "TrayIconItem", "Tray Icon", nullptr);
  TrayIconItem->OnClick = TNotifyEvent::Of<&TTrayCommands::TrayIconClick>(this);
  CachingItem = MakeItem(window, TrayMenu, "CachingItem", " Caching", nullptr);
  CachingItem->OnClick = TNotifyEvent::Of<&TTrayCommands::CachingClick>(this);
  IgnoreItem = MakeItem(window, TrayMenu, "IgnoreItem", "Ignore next copy", nullptr);
  IgnoreItem->OnClick = TNotifyEvent::Of<&TTrayCommands::IgnoreClick>(this);
  QuitItem = MakeItem(window, TrayMenu, "QuitItem", " Quit", "MENU_QUIT");
  QuitItem->OnClick = TNotifyEvent::Of<&TTrayCommands::QuitClick>(this);
  TrayIcon->SetPopupMenu(TrayMenu);
}

void TTrayCommands::BuildMenuPainter(TForm& window) {
  // Setting Active hooks the menu, so it comes last.
  MenuPainter = MakeComponent<TMenuPainter>(&window, "MenuPainter");
  MenuPainter->SetDimLevel(30);
  MenuPainter->SetGrayLevel(10);
  MenuPainter->Font().SetName("Tahoma");
  MenuPainter->Font().SetHeight(-11);
  MenuPainter->Font().SetColor(clMenuText);
  MenuPainter->SetColor(clBtnFace);
  MenuPainter->SetDrawMenuBar(false);
  MenuPainter->SetIconBackColor(clBtnFace);
  MenuPainter->SetMenuBarColor(clBtnFace);
  MenuPainter->SetSelectColor(clHighlight);
  MenuPainter->SetSelectBorderColor(clHighlight);
  MenuPainter->SetSelectFontColor(clMenuText);
  MenuPainter->SetDisabledColor(clInactiveCaption);
  MenuPainter->SetSeparatorColor(clBtnFace);
  MenuPainter->SetCheckedColor(clHighlight);
  MenuPainter->SetIconWidth(24);
  MenuPainter->SetDrawSelect(true);
  MenuPainter->SetUseSystemColors(true);
  MenuPainter->SetUseDimColor(false);
  MenuPainter->SetOverrideOwnerDraw(false);
  MenuPainter->SetGradient(false);
  MenuPainter->SetFlatMenu(false);
  MenuPainter->SetAutoDetect(true);
  MenuPainter->SetFlatContainers(0);
  MenuPainter->SetFlatControls(FlatBit(xcPopupMenu) | FlatBit(xcCheckBox));
  MenuPainter->SetActive(true);
}

void TTrayCommands::ShowState() {
  TrayIconItem->SetChecked(TrayIcon->Active());
  CachingItem->SetChecked(capture_.On());
  const bool ignoring = capture_.IgnoringNext();
  IgnoreItem->SetChecked(ignoring);
  // While the next copy is to be ignored the icon shows that nothing is being recorded.
  TImage* picture = suppressed_                      ? SuppressedIcon
                    : capture_.On() && !ignoring ? CachingOnIcon
                                                   : CachingOffIcon;
  TrayIcon->SetIcon(picture->Icon());
  TrayIcon->SetHint(ignoring ? window_.Caption() + ": the next copy is ignored" : std::string());
}

void TTrayCommands::SetSuppressed(bool suppressed) {
  suppressed_ = suppressed;
  capture_.SetOn(!suppressed);
  CachingItem->SetEnabled(!suppressed);
  SaveItem->SetEnabled(!suppressed);
  ClearItem->SetEnabled(!suppressed);
  ShowState();
}

void TTrayCommands::SwitchCapture() {
  capture_.SetOn(!capture_.On());
  ShowState();
}

void TTrayCommands::Tell(const std::string& what) { TrayIcon->ShowBalloon(window_.Caption(), what); }

void TTrayCommands::SettingsClick(TObject*) {
  host_.HideClips();
  host_.ShowSettings();
}

void TTrayCommands::SaveClick(TObject*) {
  files_.Save();
  host_.HideClips();
}

void TTrayCommands::ClearClick(TObject*) {
  host_.HideClips();
  std::string question = "Clear all current clips?";
  if (const int kept = history_.KeptCount(); kept > 0)
    question += " " + std::to_string(kept) + " kept clips stay.";
  if (!Confirmed(question.c_str(), 33)) return;
  history_.Clear();
  capture_.ForgetLastText();
}

void TTrayCommands::TrayIconClick(TObject*) {
  TrayIcon->SetActive(!TrayIcon->Active());
  ShowState();
  host_.HideClips();
}

void TTrayCommands::CachingClick(TObject*) {
  SwitchCapture();
  host_.HideClips();
}

void TTrayCommands::IgnoreClick(TObject*) {
  // A second click takes it back.
  capture_.SetIgnoreNext(!capture_.IgnoringNext());
  ShowState();
  host_.HideClips();
}

void TTrayCommands::QuitClick(TObject*) {
  if (Confirmed("Quit Quorel Vavad?", 32)) host_.Quit();
  host_.HideClips();
}

void TTrayCommands::IconDblClick(TObject*) {
  if (!suppressed_) SwitchCapture();
}

}  // namespace qv
