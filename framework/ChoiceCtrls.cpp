#include "framework/ChoiceCtrls.h"

#include "framework/TypInfo.h"

namespace qv {

namespace {
const auto comboBoxProperties =
    PropertyRegistrar<TComboBox, TComponent>().String("Text", &TComboBox::Text, &TComboBox::SetText);
const auto checkBoxProperties = PropertyRegistrar<TCheckBox, TComponent>().Boolean(
    "Checked", &TCheckBox::Checked, &TCheckBox::SetChecked);
}  // namespace

TComboBox::TComboBox(TComponent* owner)
    : TWinControl(owner), items_(std::make_unique<TStringList>()) {
  width_ = 145;
  height_ = 21;
  color_ = clWindow;
}

TComboBox::~TComboBox() = default;

void TComboBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = "COMBOBOX";
  params.Style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
  if (TabStop) params.Style |= WS_TABSTOP;
  // The drop-down part needs room below the edit field.
  params.Height = height_ + 200;
}

void TComboBox::WindowCreated() {
  HWND wnd = Handle();
  for (int i = 0; i < items_->Count(); ++i)
    SendMessageA(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items_->Get(i).c_str()));
  SetWindowTextA(wnd, caption_.c_str());
}

std::string TComboBox::Text() const {
  if (!HandleAllocated()) return caption_;
  HWND wnd = const_cast<TComboBox*>(this)->Handle();
  const int n = GetWindowTextLengthA(wnd);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(wnd, text.data(), n + 1)));
  return text;
}

void TComboBox::SetText(const std::string& text) { SetCaption(text); }

void TComboBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    const WORD code = HIWORD(m.WParam);
    if (code == CBN_EDITCHANGE) {
      caption_ = Text();
      OnChange(this);
    } else if (code == CBN_SELCHANGE) {
      const LRESULT i = SendMessageA(Handle(), CB_GETCURSEL, 0, 0);
      if (i >= 0 && i < items_->Count()) caption_ = items_->Get(static_cast<int>(i));
      OnChange(this);
    }
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
  width_ = 97;
  height_ = 17;
  ParentColor = true;
}

void TCheckBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = "BUTTON";
  params.Style |= BS_CHECKBOX;
  if (TabStop) params.Style |= WS_TABSTOP;
}

void TCheckBox::WindowCreated() {
  SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (HandleAllocated())
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  Click();
}

void TCheckBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    SetChecked(!checked_);
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

}  // namespace qv
