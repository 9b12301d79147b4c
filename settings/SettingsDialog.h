#pragma once
// The Settings dialog: hot key, paste delay, auto save, and suppressing further
// clips. Its control values and placement survive restarts.

#include "framework/ChoiceCtrls.h"
#include "framework/ExtCtrls.h"
#include "look/FlatButton.h"
#include "settings/PersistentForm.h"
#include "settings/SettingsRules.h"
#include "settings/StartWithWindows.h"

namespace qv {

// OK puts settings in force: the handler applies them and leaves in them what is in force,
// and in keyHeld whether their hot key could be held (the key in force before stays when
// not).
using TApplySettingsEvent = TMethod<TObject*, TSettings& /*settings*/, bool& /*keyHeld*/>;
// "Suppress saving further clips." was switched on or off.
using TSuppressEvent = TMethod<TObject*, bool /*suppress*/>;

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

  // The settings the stored entries make, the values that cannot work replaced (in the
  // dialog too, so the file is mended) and said in notes. For the start.
  TSettings StartSettings(std::vector<std::string>& notes);
  // The entries as they stand.
  TSettingsEntry Entry() const;

  TApplySettingsEvent OnApply;
  TSuppressEvent OnSuppressChange;
  // "Sort" was asked for; once while saving is suppressed: the list stays sorted until
  // suppression is lifted, so a second press leaves a recalled clip on top.
  TNotifyEvent OnSort;

  bool KeepsValuesOf(const TComponent& component) const override;

  // Paints the dialog in the design's colours, or in the system's while a high-contrast theme
  // is on.
  void ApplyColors(bool highContrast);

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint(TCanvas& canvas) override;
  void WndProc(TMessage& m) override;

 private:
  void ApplyFormDesign();
  void FitTexts();
  // The flat buttons paint every pixel of their own: Space presses them, and the
  // dialog draws the focus mark around them.
  void OkButtonKeys(TMessage& m) { FlatButtonKeys(*OkButton, ok_proc_, m); }
  void SortButtonKeys(TMessage& m) { FlatButtonKeys(*SortButton, sort_proc_, m); }
  void FlatButtonKeys(TFlatButton& button, const TWndMethod& inherited, TMessage& m);
  static RECT FocusMark(const TControl& button);
  // Sort acted since saving was suppressed.
  bool sorted_ = false;
  bool high_contrast_ = false;
  TStartupEntry startup_;
  TWndMethod ok_proc_, sort_proc_;
};

}  // namespace qv
