#include "framework/ChoiceCtrls.h"

#include <algorithm>

#include "framework/Accessible.h"
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
  params.Style |= CBS_AUTOHSCROLL | WS_VSCROLL;
  params.Style |= Style == TComboBoxStyle::csSimple       ? CBS_SIMPLE
                  : Style == TComboBoxStyle::csDropDownList ? CBS_DROPDOWNLIST
                                                            : CBS_DROPDOWN;
  if (TabStop) params.Style |= WS_TABSTOP;
  // The drop-down part needs room below the edit field.
  params.Height = height_ + 200;
}

void TComboBox::WindowCreated() {
  HWND wnd = Handle();
  for (int i = 0; i < items_->Count(); ++i)
    SendMessageA(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items_->Get(i).c_str()));
  SetWindowTextA(wnd, caption_.c_str());
  // The edit field is the system's own window: a reader is told the box's name there too.
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!Accessibility.Name.empty() && GetComboBoxInfo(wnd, &info) && info.hwndItem &&
      info.hwndItem != wnd)
    NameChildWindow(info.hwndItem, Accessibility.Name);
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

bool TComboBox::DroppedDown() const {
  return HandleAllocated() &&
         SendMessageA(const_cast<TComboBox*>(this)->Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

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
  params.Style |= BS_3STATE;
  if (Alignment == TAlignment::taLeftJustify) params.Style |= BS_LEFTTEXT;
  if (TabStop) params.Style |= WS_TABSTOP;
}

namespace {
WPARAM ButtonState(TCheckBoxState state) {
  return state == TCheckBoxState::cbChecked   ? BST_CHECKED
         : state == TCheckBoxState::cbGrayed ? BST_INDETERMINATE
                                             : BST_UNCHECKED;
}
}  // namespace

void TCheckBox::ChangeScale(int newDpi) {
  TWinControl::ChangeScale(newDpi);
  if (dpi_ == kDesignDpi || caption_.empty()) return;
  TBitmap scratch(1, 1);
  scratch.Canvas().Font().Assign(font_);
  const SIZE text = scratch.Canvas().TextExtent(caption_);
  // The box, the gap the system leaves after it, and the focus frame around the text.
  const int needed = SystemMetricForDpi(SM_CXMENUCHECK, dpi_) + ScaleValue(4) + text.cx + 2;
  if (needed > width_ || text.cy > height_)
    SetBounds(left_, top_, std::max<int>(width_, needed), std::max<int>(height_, text.cy));
}

void TCheckBox::WindowCreated() { SendMessageA(Handle(), BM_SETCHECK, ButtonState(state_), 0); }

void TCheckBox::SetState(TCheckBoxState state) {
  if (state == state_) return;
  state_ = state;
  if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, ButtonState(state), 0);
  Click();
}

void TCheckBox::SetChecked(bool checked) {
  SetState(checked ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

void TCheckBox::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    SetState(NextCheckState(state_, AllowGrayed));
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

}  // namespace qv
