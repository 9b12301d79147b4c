#pragma once
// The controls a user picks values with: the editable drop-down list and the
// check box. Their values ("Text", "Checked") are published, so a persistent
// form can keep them.

#include <memory>
#include <string>

#include "framework/CheckState.h"
#include "framework/Controls.h"
#include "framework/Strings.h"

namespace qv {

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList };

// An editable drop-down list (a native COMBOBOX).
class TComboBox : public TWinControl {
  QV_CLASS(TComboBox)
 public:
  explicit TComboBox(TComponent* owner);
  ~TComboBox() override;
  // The choices; kept by the control and handed to its window when it is made.
  TStrings& Items() { return *items_; }
  std::string Text() const;
  void SetText(const std::string& text);
  // Set before the window is made.
  TComboBoxStyle Style = TComboBoxStyle::csDropDown;
  bool DroppedDown() const;
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  void WndProc(TMessage& m) override;

 private:
  std::unique_ptr<TStringList> items_;
};

// A check box whose OnClick is raised whenever its state changes, by the user
// or by a program write. Grayed is a third state that only a program sets
// unless AllowGrayed lets clicks reach it.
class TCheckBox : public TWinControl {
  QV_CLASS(TCheckBox)
 public:
  explicit TCheckBox(TComponent* owner);
  bool Checked() const { return state_ == TCheckBoxState::cbChecked; }
  void SetChecked(bool checked);
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState state);
  bool AllowGrayed = false;
  // Where the caption goes beside the box: right-justify puts it right of the
  // box (the usual), left-justify left of it. Set before the window is made.
  TAlignment Alignment = TAlignment::taRightJustify;
  // Text does not grow in step with the DPI: the box widens to keep its caption whole.
  void ChangeScale(int newDpi) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  void WndProc(TMessage& m) override;

 private:
  TCheckBoxState state_ = TCheckBoxState::cbUnchecked;
};

}  // namespace qv
