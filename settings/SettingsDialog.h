#pragma once
// The Settings dialog: hot key, paste delay, auto save, and suppressing further
// clips. Its control values and placement survive restarts.

#include "framework/ChoiceCtrls.h"
#include "framework/ExtCtrls.h"
#include "components/GlobalHotKey.h"
#include "framework/ShortCuts.h"
#include "look/FlatButton.h"
#include "settings/PersistentForm.h"
#include "settings/StartWithWindows.h"

namespace qv {

// How the dialog reaches the window it configures without knowing it: the hot key it
// chooses is the one it is given, and its changes go out as events (Sender: the dialog).
struct TSettingsLink {
  TGlobalHotKey* HotKey = nullptr;
  // OK put the paste delay and auto save in force: PasteDelayValue() and AutoSave().
  TNotifyEvent OnApply;
  // "Suppress saving further clips." was switched: SuppressSaving().
  TNotifyEvent OnSuppressChange;
  // "Sort" was asked for.
  TNotifyEvent OnSort;
};
extern TSettingsLink SettingsLink;

class TSettingsDialog : public TPersistentForm {
  QV_CLASS(TSettingsDialog)
 public:
  explicit TSettingsDialog(TComponent* owner);
  ~TSettingsDialog() override;

  TLabel* HotKeyLabel;
  TLabel* PasteDelayLabel;
  TFlatButton* OkButton;
  TFlatButton* SortButton;
  TComboBox* HotKeyChoice;
  TPanel* TitlePanel;
  TLabel* TitleLabel;
  TLabel* MakerLabel;
  TComboBox* PasteDelayChoice;
  TCheckBox* AutoSaveBox;
  TCheckBox* SuppressBox;
  // Shows whether the Run value starts this exe; OK writes or removes the value.
  TCheckBox* StartupBox;

  void FormCreate(TObject* sender);
  void FormActivate(TObject* sender);
  void OkClick(TObject* sender);
  void SuppressClick(TObject* sender);
  void SortClick(TObject* sender);
  void FormShow(TObject* sender);

  // Makes key the global hot key. When it cannot be held, the key in force before
  // stays, HotKeyChoice shows it again, and the result is false. The same key as
  // before is tried again.
  bool TakeHotKey(TShortCut key);
  // How HotKeyChoice writes a key.
  std::string HotKeyText(TShortCut key);
  // The values the dialog holds, as OK checked them.
  int PasteDelayValue() const { return paste_delay_; }
  bool AutoSave() const { return AutoSaveBox->Checked(); }
  bool SuppressSaving() const { return SuppressBox->Checked(); }

  bool KeepsValuesOf(const TComponent& component) const override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint(TCanvas& canvas) override;

 private:
  void ApplyFormDesign();
  void FitTexts();
  // The flat buttons paint every pixel of their own: Space presses them, and the
  // dialog draws the focus mark around them.
  void OkButtonKeys(TMessage& m) { FlatButtonKeys(*OkButton, ok_proc_, m); }
  void SortButtonKeys(TMessage& m) { FlatButtonKeys(*SortButton, sort_proc_, m); }
  void FlatButtonKeys(TFlatButton& button, const TWndMethod& inherited, TMessage& m);
  static RECT FocusMark(const TControl& button);
  int paste_delay_ = 100;
  TStartupEntry startup_;
  TWndMethod ok_proc_, sort_proc_;
};

extern TSettingsDialog* SettingsDialog;

}  // namespace qv
