#pragma once
// The Settings dialog: hot key, paste delay, auto save, and suppressing further
// clips. Its control values and placement survive restarts.

#include "framework/ChoiceCtrls.h"
#include "framework/ExtCtrls.h"
#include "components/GlobalHotKey.h"
#include "framework/ShortCuts.h"
#include "look/ButtonComps.h"
#include "settings/PersistentForm.h"

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

class TForm2 : public TPersistentForm {
  QV_CLASS(TForm2)
 public:
  explicit TForm2(TComponent* owner);
  ~TForm2() override;

  TLabel* Label1;
  TLabel* Label2;
  TVerivorButton* VerivorButton1;
  TVerivorButton* VerivorButton2;
  TComboBox* ComboBox1;
  TPanel* Panel2;
  TLabel* Label6;
  TLabel* QvLabel3;
  TComboBox* ComboBox2;
  TCheckBox* CheckBox1;
  TCheckBox* CheckBox2;

  void FormCreate(TObject* sender);
  void FormActivate(TObject* sender);
  void BitBtn1Click(TObject* sender);
  void CheckBox2Click(TObject* sender);
  void VerivorButton2Click(TObject* sender);

  // Makes key the global hot key. When it cannot be held, the key in force before
  // stays, ComboBox1 shows it again, and the result is false. The same key as
  // before is tried again.
  bool TakeHotKey(TShortCut key);
  // How ComboBox1 writes a key.
  std::string HotKeyText(TShortCut key);
  // The values the dialog holds, as OK checked them.
  int PasteDelayValue() const { return paste_delay_; }
  bool AutoSave() const { return CheckBox1->Checked(); }
  bool SuppressSaving() const { return CheckBox2->Checked(); }

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  void ApplyFormDesign();
  int paste_delay_ = 100;
};

extern TForm2* Form2;

}  // namespace qv
