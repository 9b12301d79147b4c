#pragma once
// The controls a user picks values with: the editable drop-down list and the
// check box. Their values ("Text", "Checked") are published, so a persistent
// form can keep them.

#include <memory>
#include <string>

#include "framework/Controls.h"
#include "framework/Strings.h"

namespace qv {

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
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  void WndProc(TMessage& m) override;

 private:
  std::unique_ptr<TStringList> items_;
};

// A check box whose OnClick is raised whenever its state changes, by the user
// or by a program write.
class TCheckBox : public TWinControl {
  QV_CLASS(TCheckBox)
 public:
  explicit TCheckBox(TComponent* owner);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WindowCreated() override;
  void WndProc(TMessage& m) override;

 private:
  bool checked_ = false;
};

}  // namespace qv
