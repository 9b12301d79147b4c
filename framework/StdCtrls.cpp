#include "framework/StdCtrls.h"

#include <oleacc.h>

#include <algorithm>
#include <vector>

#include "framework/SysUtils.h"

namespace qv {

// ---- TEdit ----

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 21;
  color_ = clWindow;
  TabStop = true;
}

void TEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = "EDIT";
  params.Style |= ES_AUTOHSCROLL | WS_TABSTOP;
  ApplyBorder(params);
}

std::string TEdit::Text() const {
  if (!HandleAllocated()) return caption_;
  HWND wnd = const_cast<TEdit*>(this)->Handle();
  const int n = GetWindowTextLengthA(wnd);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(wnd, text.data(), n + 1)));
  return text;
}

void TEdit::SetText(const std::string& text) { SetCaption(text); }

void TEdit::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == EN_CHANGE) {
    caption_ = Text();
    m.Result = 0;
    OnChange(this);
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TMemo ----

TMemo::TMemo(TComponent* owner) : TEdit(owner) {
  width_ = 185;
  height_ = 89;
}

void TMemo::CreateParams(TCreateParams& params) {
  TEdit::CreateParams(params);
  params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
}

// ---- TButton ----

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  width_ = 75;
  height_ = 25;
  TabStop = true;
}

void TButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = "BUTTON";
  params.Style |= (Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
}

void TButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    Click();
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TRadioButton ----

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner) {
  width_ = 113;
  height_ = 17;
  ParentColor = true;
}

void TRadioButton::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = "BUTTON";
  params.Style |= BS_RADIOBUTTON;
  if (Alignment == TAlignment::taLeftJustify) params.Style |= BS_LEFTTEXT;
}

void TRadioButton::WindowCreated() {
  SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (HandleAllocated())
    SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!checked) return;
  if (parent_)
    for (int i = 0; i < parent_->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(parent_->Controls(i)); other && other != this)
        other->SetChecked(false);
  Click();
}

void TRadioButton::WndProc(TMessage& m) {
  if (m.Msg == CN_COMMAND && HIWORD(m.WParam) == BN_CLICKED) {
    SetChecked(true);
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TGroupBox ----

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 105;
}

void TGroupBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = "BUTTON";
  params.Style |= BS_GROUPBOX;
}

void TGroupBox::WndProc(TMessage& m) {
  // The system's group box leaves its inside to the parent, which clips its
  // children away: the box fills it itself.
  if (m.Msg == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(Handle(), &r);
    FillRect(reinterpret_cast<HDC>(m.WParam), &r, ColorBrush());
    m.Result = 1;
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TListBoxStrings ----

int TListBoxStrings::Count() const {
  return static_cast<int>(SendMessageA(list_box_.Handle(), LB_GETCOUNT, 0, 0));
}

std::string TListBoxStrings::Get(int index) const {
  HWND wnd = list_box_.Handle();
  const LRESULT len = SendMessageA(wnd, LB_GETTEXTLEN, index, 0);
  if (len < 0) throw EStringListError(MsgListIndexError(index));
  // Sized to the line, so a long line can never overrun the buffer.
  std::vector<char> buffer(static_cast<size_t>(len) + 1, '\0');
  const LRESULT got = SendMessageA(wnd, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
  if (got < 0) throw EStringListError(MsgListIndexError(index));
  return std::string(buffer.data(), static_cast<size_t>(std::min(got, len)));
}

std::intptr_t TListBoxStrings::GetObject(int index) const {
  CheckIndex(index);
  return list_box_.InternalGetItemData(index);
}

void TListBoxStrings::PutObject(int index, std::intptr_t object) {
  CheckIndex(index);
  list_box_.InternalSetItemData(index, object);
}

void TListBoxStrings::Insert(int index, const std::string& text) {
  const LRESULT r = SendMessageA(list_box_.Handle(), LB_INSERTSTRING, index,
                                 reinterpret_cast<LPARAM>(text.c_str()));
  if (r < 0) throw EOutOfResources(MsgUnableToInsertLine());
}

int TListBoxStrings::Add(const std::string& text) {
  const LRESULT r =
      SendMessageA(list_box_.Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (r < 0) throw EOutOfResources(MsgUnableToInsertLine());
  return static_cast<int>(r);
}

void TListBoxStrings::Delete(int index) {
  CheckIndex(index);
  list_box_.DeleteString(index);
}

void TListBoxStrings::Clear() { list_box_.ResetContent(); }

int TListBoxStrings::IndexOf(const std::string& text) const { return TStrings::IndexOf(text); }

void TListBoxStrings::SetUpdateState(bool updating) {
  HWND wnd = list_box_.Handle();
  SendMessageA(wnd, WM_SETREDRAW, updating ? FALSE : TRUE, 0);
  if (!updating) InvalidateRect(wnd, nullptr, TRUE);
}

// ---- TCustomListBox ----

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 97;
  color_ = clWindow;
  TabStop = true;
  items_ = std::make_unique<TListBoxStrings>(*this);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.SysClassName = "LISTBOX";
  params.Style |= WS_HSCROLL | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS | WS_TABSTOP;
  if (style_ == TListBoxStyle::lbOwnerDrawFixed) params.Style |= LBS_OWNERDRAWFIXED;
  if (style_ == TListBoxStyle::lbOwnerDrawVariable) params.Style |= LBS_OWNERDRAWVARIABLE;
  if (sorted_) params.Style |= LBS_SORT;
  if (!integral_height_) params.Style |= LBS_NOINTEGRALHEIGHT;
  if (!BorderSingle) border_style_ = TBorderStyle::bsNone;
  ApplyBorder(params);
}

void TCustomListBox::WindowCreated() {
  if (saved_items_) {
    std::unique_ptr<TStringList> saved = std::move(saved_items_);
    TUpdateGuard guard(*items_);
    for (int i = 0; i < saved->Count(); ++i) {
      const int at = items_->Add(saved->Get(i));
      items_->PutObject(at, saved->GetObject(i));
    }
    SetTopIndex(saved_top_index_);
    SetItemIndex(saved_item_index_);
  }
  // After the lines are back: the height decides whether they all fit.
  ResetItemHeight();
}

void TCustomListBox::WindowDestroying() {
  if (items_->Count() > 0) {
    saved_items_ = std::make_unique<TStringList>();
    for (int i = 0; i < items_->Count(); ++i)
      saved_items_->AddObject(items_->Get(i), items_->GetObject(i));
    saved_top_index_ = TopIndex();
    saved_item_index_ = ItemIndex();
  }
}

void TCustomListBox::ResetItemHeight() {
  if (!HandleAllocated()) return;
  if (style_ != TListBoxStyle::lbOwnerDrawVariable)
    SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, item_height_);
}

int TCustomListBox::ItemIndex() {
  return static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int index) {
  if (ItemIndex() != index) SendMessageA(Handle(), LB_SETCURSEL, index, 0);
}

int TCustomListBox::TopIndex() {
  return static_cast<int>(SendMessageA(Handle(), LB_GETTOPINDEX, 0, 0));
}

void TCustomListBox::SetTopIndex(int index) {
  if (TopIndex() != index) SendMessageA(Handle(), LB_SETTOPINDEX, index, 0);
}

void TCustomListBox::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  RecreateWnd();
}

void TCustomListBox::SetStyle(TListBoxStyle style) {
  if (style == style_) return;
  style_ = style;
  RecreateWnd();
}

void TCustomListBox::SetItemHeight(int height) {
  if (height <= 0 || height == item_height_) return;
  item_height_ = height;
  if (style_ == TListBoxStyle::lbStandard)
    ResetItemHeight();
  else
    RecreateWnd();
}

int TCustomListBox::HeightShortOf(int rows) {
  if (!HandleAllocated()) return 0;
  RECT client;
  GetClientRect(Handle(), &client);
  const int line = static_cast<int>(SendMessageA(Handle(), LB_GETITEMHEIGHT, 0, 0));
  return std::max(0, rows * line - static_cast<int>(client.bottom));
}

void TCustomListBox::ChangeScale(int newDpi) {
  const int old = dpi_;
  TWinControl::ChangeScale(newDpi);
  if (old == dpi_) return;
  // Not through SetItemHeight: the lines keep their window.
  item_height_ = item_height_dpi_.Rescale(item_height_, old, dpi_);
  ResetItemHeight();
}

void TCustomListBox::SetIntegralHeight(bool value) {
  if (value == integral_height_) return;
  integral_height_ = value;
  RecreateWnd();
}

RECT TCustomListBox::ItemRect(int index) {
  RECT r{0, 0, 0, 0};
  const int count = Count();
  if (index == 0 || (index > 0 && index < count)) {
    SendMessageA(Handle(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
  } else if (index == count) {
    SendMessageA(Handle(), LB_GETITEMRECT, index - 1, reinterpret_cast<LPARAM>(&r));
    OffsetRect(&r, 0, r.bottom - r.top);
  }
  return r;
}

int TCustomListBox::ItemAtPos(POINT point, bool existingOnly) {
  RECT client = ClientRect();
  if (!PtInRect(&client, point)) return -1;
  const int count = Count();
  int index = TopIndex();
  for (; index < count; ++index) {
    RECT r = ItemRect(index);
    if (PtInRect(&r, point)) return index;
  }
  return existingOnly ? -1 : index;
}

std::intptr_t TCustomListBox::InternalGetItemData(int index) {
  return static_cast<std::intptr_t>(SendMessageA(Handle(), LB_GETITEMDATA, index, 0));
}

void TCustomListBox::InternalSetItemData(int index, std::intptr_t data) {
  SendMessageA(Handle(), LB_SETITEMDATA, index, static_cast<LPARAM>(data));
}

void TCustomListBox::DeleteString(int index) {
  SendMessageA(Handle(), LB_DELETESTRING, index, 0);
}

void TCustomListBox::ResetContent() { SendMessageA(Handle(), LB_RESETCONTENT, 0, 0); }

void TCustomListBox::DrawItem(int index, RECT rect, unsigned state) {
  on_draw_item_(this, index, rect, state);
}

void TCustomListBox::MeasureItem(int, int& height) { height = item_height_; }

void TCustomListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      switch (HIWORD(m.WParam)) {
        case LBN_SELCHANGE:
          Click();
          break;
        case LBN_DBLCLK:
          OnDblClick(this);
          break;
        default:
          break;
      }
      m.Result = 0;
      return;
    case CN_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
      TCanvas canvas;
      canvas.SetHandle(dis->hDC);
      canvas.Font().Assign(font_);
      const bool selected = dis->itemState & ODS_SELECTED;
      canvas.Brush().SetColor(selected ? clHighlight : color_);
      if (selected) canvas.Font().SetColor(clHighlightText);
      if (on_draw_item_ && static_cast<int>(dis->itemID) >= 0) {
        canvas.SetHandle(nullptr);
        DrawItem(static_cast<int>(dis->itemID), dis->rcItem, dis->itemState);
      } else {
        canvas.FillRect(dis->rcItem);
        if (static_cast<int>(dis->itemID) >= 0) {
          canvas.TextOut(dis->rcItem.left + text_indent_, dis->rcItem.top,
                         items_->Get(static_cast<int>(dis->itemID)));
        }
        canvas.SetHandle(nullptr);
      }
      if (dis->itemState & ODS_FOCUS) DrawFocusRect(dis->hDC, &dis->rcItem);
      m.Result = 1;
      return;
    }
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
      int height = item_height_;
      MeasureItem(static_cast<int>(mis->itemID), height);
      mis->itemHeight = height;
      m.Result = 1;
      return;
    }
    default:
      break;
  }
  TWinControl::WndProc(m);
}

// ---- TSpeedButton ----

TSpeedButton::TSpeedButton(TComponent* owner) : TWinControl(owner) {
  width_ = 23;
  height_ = 22;
  Accessibility.Role = ROLE_SYSTEM_PUSHBUTTON;
}

long TSpeedButton::AccessibleState() const { return down_ ? STATE_SYSTEM_PRESSED : 0; }

void TSpeedButton::SetDown(bool down) {
  if (down == down_) return;
  down_ = down;
  // In a group at most one button is down.
  if (down && GroupIndex != 0 && parent_) {
    for (int i = 0; i < parent_->ControlCount(); ++i) {
      auto* other = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
      if (other && other != this && other->GroupIndex == GroupIndex) other->SetDown(false);
    }
  }
  Invalidate();
}

void TSpeedButton::Click() {
  if (!enabled_) return;
  if (GroupIndex != 0) SetDown(AllowAllUp ? !down_ : true);
  TControl::Click();
}

void TSpeedButton::Paint(TCanvas& canvas) {
  RECT r = ClientRect();
  TColor back = color_;
  if (ParentColor && parent_) back = parent_->Color();
  canvas.Brush().SetColor(back);
  canvas.FillRect(r);
  const bool sunken = down_ || pressed_;
  if (sunken || hot_ || !Flat) {
    RECT frame = r;
    canvas.Frame3D(frame, sunken ? clBtnShadow : clBtnHighlight,
                   sunken ? clBtnHighlight : clBtnShadow);
  }
  const int d = sunken ? 1 : 0;
  int x = (r.right - r.left) / 2 + d;
  const int y = (r.bottom - r.top) / 2 + d;
  if (!glyph_.Empty()) {
    // The glyph is drawn for 96 DPI and grows with the button.
    const int gw = ScaleValue(glyph_.Width()), gh = ScaleValue(glyph_.Height());
    const int gx = caption_.empty() ? x - gw / 2 : ScaleValue(3) + d;
    if (GlyphColor == clNone)
      TransparentBlt(canvas.Handle(), gx, y - gh / 2, gw, gh, glyph_.Canvas().Handle(), 0, 0,
                     glyph_.Width(), glyph_.Height(), glyph_.TransparentColor());
    else
      DrawShape(canvas.Handle(), RECT{gx, y - gh / 2, gx + gw, y - gh / 2 + gh},
                glyph_.Canvas().Handle(), RECT{0, 0, glyph_.Width(), glyph_.Height()},
                glyph_.TransparentColor(), GlyphColor);
  }
  if (!caption_.empty()) {
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    if (!enabled_) canvas.Font().SetColor(clGrayText);
    const SIZE s = canvas.TextExtent(caption_);
    canvas.TextOut(x - s.cx / 2, y - s.cy / 2, caption_);
  }
}

void TSpeedButton::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      if (enabled_) {
        pressed_ = true;
        Invalidate();
      }
      break;
    case WM_LBUTTONUP:
      pressed_ = false;
      Invalidate();
      break;
    case CM_MOUSEENTER:
      hot_ = true;
      Invalidate();
      break;
    case CM_MOUSELEAVE:
      hot_ = false;
      Invalidate();
      break;
    default:
      break;
  }
  TWinControl::WndProc(m);
}

}  // namespace qv
