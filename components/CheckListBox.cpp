#include "components/CheckListBox.h"

#include <algorithm>
#include <cmath>

#include "components/CheckListAccessible.h"
#include "framework/SysUtils.h"
#include "framework/WideText.h"

namespace qv {

namespace {

constexpr COLORREF kImageTransparent = RGB(255, 0, 255);
constexpr int kImageColumns = 6;
constexpr int kImageRows = 3;

// Text measuring needs a DC even while no line is being painted: a memory DC
// compatible with the screen serves.
class TListCanvas : public TCanvas {
 public:
  ~TListCanvas() override { SetHandle(nullptr); }

 protected:
  void CreateHandle() override {
    if (!memory_dc_) memory_dc_.reset(CreateCompatibleDC(nullptr));
    SetHandle(memory_dc_.get());
  }

 private:
  UniqueMemoryDc memory_dc_;
};

// Gives the canvas's DC back even when an OnDrawItem handler throws.
class TCanvasRelease {
 public:
  explicit TCanvasRelease(TCanvas& canvas) : canvas_(canvas) {}
  ~TCanvasRelease() { canvas_.SetHandle(nullptr); }
  TCanvasRelease(const TCanvasRelease&) = delete;
  TCanvasRelease& operator=(const TCanvasRelease&) = delete;

 private:
  TCanvas& canvas_;
};

// One copy for every check list box of the program, loaded on first use. An exe
// without the resource draws no images rather than failing to make the control.
TBitmap& CheckImages() {
  static const std::unique_ptr<TBitmap> images = [] {
    auto bitmap = std::make_unique<TBitmap>();
    try {
      bitmap->LoadFromResourceName(GetModuleHandleA(nullptr), "CHECK_IMAGES");
    } catch (const Exception&) {
      // No images: see above.
    }
    return bitmap;
  }();
  return *images;
}

// A pixel inside the box and the ring of a check image cell, clear of the mark.
constexpr int kInsideX = 4, kInsideY = 3;

TCheckBoxState StateFromNumber(long long value) {
  return value >= 0 && value <= 2 ? static_cast<TCheckBoxState>(value)
                                  : TCheckBoxState::cbUnchecked;
}

template <class T>
const T& StreamValue(const std::vector<TStreamValue>& values, size_t i) {
  if (const T* v = std::get_if<T>(&values[i])) return *v;
  throw EStreamError("Invalid property value");
}

}  // namespace

// ---- TOwnerDrawListBox ----

TOwnerDrawListBox::TOwnerDrawListBox(TComponent* owner)
    : TCustomListBox(owner), canvas_(std::make_unique<TListCanvas>()) {}

TOwnerDrawListBox::~TOwnerDrawListBox() = default;

void TOwnerDrawListBox::SetAutoScroll(bool value) {
  if (value == auto_scroll_) return;
  auto_scroll_ = value;
  WidthRulesChanged();
}

void TOwnerDrawListBox::SetGraySelection(bool value) {
  if (value == gray_selection_) return;
  gray_selection_ = value;
  if (!Focused()) Invalidate();
}

void TOwnerDrawListBox::SetTabWidth(int value) {
  value = std::max(value, 0);
  if (value == tab_width_) return;
  tab_width_ = value;
  RecreateWnd();
}

void TOwnerDrawListBox::SetColumns(int value) {
  if (value == columns_) return;
  // Only a switch between one column and several changes the window style.
  const bool restyle = (columns_ == 0) != (value == 0);
  columns_ = value;
  if (restyle)
    RecreateWnd();
  else if (HandleAllocated() && columns_ > 0)
    SendMessageA(Handle(), LB_SETCOLUMNWIDTH, (width_ + columns_ - 3) / columns_, 0);
}

void TOwnerDrawListBox::SetMultiSelect(bool value) {
  if (value == multi_select_) return;
  multi_select_ = value;
  RecreateWnd();
}

void TOwnerDrawListBox::SetExtendedSelect(bool value) {
  if (value == extended_select_) return;
  extended_select_ = value;
  RecreateWnd();
}

void TOwnerDrawListBox::SetOnDrawItem(TDrawItemEvent handler) {
  if (handler == OnDrawItem()) return;
  TCustomListBox::SetOnDrawItem(handler);
  WidthRulesChanged();
}

void TOwnerDrawListBox::SetOnGetItemWidth(TGetItemWidthEvent handler) {
  if (handler == on_get_item_width_) return;
  on_get_item_width_ = handler;
  WidthRulesChanged();
}

void TOwnerDrawListBox::CreateParams(TCreateParams& params) {
  TCustomListBox::CreateParams(params);
  if (multi_select_) params.Style |= extended_select_ ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
  if (columns_ > 0) params.Style |= LBS_MULTICOLUMN;
  if (tab_width_ > 0) params.Style |= LBS_USETABSTOPS;
}

void TOwnerDrawListBox::WindowCreated() {
  // A list box with integral height shrinks itself while being made.
  SetWindowPos(Handle(), nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
  if (tab_width_ != 0) {
    INT stops[1] = {tab_width_};
    SendMessageA(Handle(), LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(stops));
  }
  if (columns_ > 0)
    SendMessageA(Handle(), LB_SETCOLUMNWIDTH, (width_ + columns_ - 3) / columns_, 0);
  widest_line_ = 0;
  TCustomListBox::WindowCreated();
}

void TOwnerDrawListBox::ResetItemHeight() {
  if (!HandleAllocated() || style_ == TListBoxStyle::lbOwnerDrawVariable) return;
  int height = item_height_;
  // A handler that draws the lines also decides how high they are.
  if (style_ == TListBoxStyle::lbStandard || !OnDrawItem()) {
    canvas_->Font().Assign(font_);
    height = std::max(canvas_->TextHeight("Wg"), MinimumItemHeight());
    if (style_ == TListBoxStyle::lbOwnerDrawFixed) height = std::max(height, item_height_);
  }
  HWND wnd = Handle();
  SendMessageA(wnd, LB_SETITEMHEIGHT, 0, height);
  RECT client;
  GetClientRect(wnd, &client);
  if (client.bottom - client.top >= height * Count()) SetScrollRange(wnd, SB_VERT, 0, 0, TRUE);
}

int TOwnerDrawListBox::ItemWidth(int index) {
  if (style_ != TListBoxStyle::lbStandard && on_get_item_width_ && OnDrawItem()) {
    int width = 0;
    on_get_item_width_(this, index, width);
    return width;
  }
  TCanvas& canvas = *canvas_;
  canvas.Font().Assign(font_);
  // The "x" keeps the end of the line clear of the scroll limit.
  const std::string text = items_->Get(index) + "x";
  if (tab_width_ > 0) {
    INT stop = static_cast<INT>(std::lround(canvas.TextWidth("0") * tab_width_ / 4.0));
    const DWORD extent =
        GetTabbedTextExtentA(canvas.Handle(), text.data(), static_cast<int>(text.size()), 1, &stop);
    return LOWORD(extent);
  }
  return canvas.TextWidth(text);
}

void TOwnerDrawListBox::SetWidestLine(int width) {
  widest_line_ = width;
  if (HandleAllocated()) SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, width, 0);
}

void TOwnerDrawListBox::RecountWidestLine() {
  if (!HandleAllocated()) return;
  int widest = 0;
  const int count = Count();
  for (int i = 0; i < count; ++i) widest = std::max(widest, ItemWidth(i));
  SetWidestLine(widest);
}

void TOwnerDrawListBox::ScrollToLeftEdge() {
  if (HandleAllocated()) SendMessageA(Handle(), WM_HSCROLL, SB_TOP, 0);
}

void TOwnerDrawListBox::WidthRulesChanged() {
  if (!HandleAllocated()) return;
  ScrollToLeftEdge();
  if (ExtentFollowsLines())
    RecountWidestLine();
  else
    SetWidestLine(0);
}

void TOwnerDrawListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_DRAWITEM:
      DrawLine(*reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam));
      m.Result = 1;
      return;
    case WM_SETFONT:
      TCustomListBox::WndProc(m);
      canvas_->Font().Assign(font_);
      ResetItemHeight();
      if (ExtentFollowsLines()) RecountWidestLine();
      return;
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
      TCustomListBox::WndProc(m);
      // Sent even when the widest line stays: an outside reset of the scroll
      // width is undone by the next line.
      if (ExtentFollowsLines() && m.Result >= 0)
        SetWidestLine(std::max(widest_line_, ItemWidth(static_cast<int>(m.Result))));
      return;
    case LB_DELETESTRING:
      if (ExtentFollowsLines()) {
        const int index = static_cast<int>(m.WParam);
        if (index >= 0 && index < Count() && ItemWidth(index) >= widest_line_) {
          ScrollToLeftEdge();
          TCustomListBox::WndProc(m);
          RecountWidestLine();
          return;
        }
      }
      break;
    case LB_RESETCONTENT:
      if (ExtentFollowsLines()) {
        SetWidestLine(0);
        ScrollToLeftEdge();
      }
      break;
    default:
      break;
  }
  TCustomListBox::WndProc(m);
}

void TOwnerDrawListBox::DrawLine(const DRAWITEMSTRUCT& item) {
  TCanvas& canvas = *canvas_;
  canvas.SetHandle(item.hDC);
  TCanvasRelease release(canvas);
  canvas.Font().Assign(font_);
  canvas.Brush().SetColor(color_);
  const int index = static_cast<int>(item.itemID);
  if (index >= 0 && (item.itemState & ODS_SELECTED)) {
    if (!gray_selection_ || Focused()) {
      canvas.Brush().SetColor(clHighlight);
      canvas.Font().SetColor(clHighlightText);
    } else {
      canvas.Brush().SetColor(clBtnFace);
      if (canvas.Font().Color() == clBtnFace) canvas.Font().SetColor(clBtnText);
    }
  }
  if (index < 0)
    canvas.FillRect(item.rcItem);
  else
    DrawItem(index, item.rcItem, item.itemState);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

void TOwnerDrawListBox::DrawItem(int index, RECT rect, unsigned state) {
  if (OnDrawItem() && style_ != TListBoxStyle::lbStandard) {
    OnDrawItem()(this, index, rect, state);
    return;
  }
  TCanvas& canvas = *canvas_;
  canvas.FillRect(rect);
  if (index >= Count()) return;
  const int x = rect.left + 2;
  const int y = std::max<int>(rect.top, (rect.top + rect.bottom - canvas.TextHeight("Wy")) / 2);
  if (OnGetWideText) {
    std::wstring wide;
    OnGetWideText(this, index, wide);
    if (!wide.empty()) {
      canvas.TextOut(x, y, wide);
      return;
    }
  }
  const std::string text = items_->Get(index);
  if (tab_width_ > 0) {
    INT stop = static_cast<INT>(std::lround(canvas.TextWidth("0") * tab_width_ / 4.0));
    TabbedTextOutA(canvas.Handle(), x, y, text.data(), static_cast<int>(text.size()), 1, &stop, x);
  } else {
    canvas.TextOut(x, y, text);
  }
}

void TOwnerDrawListBox::MeasureItem(int index, int& height) {
  height = item_height_;
  if (style_ == TListBoxStyle::lbOwnerDrawVariable) OnMeasureItem(this, index, height);
}

// ---- TCheckListBoxStrings ----

TCheckListBoxStrings::TCheckListBoxStrings(TCheckListBox& listBox)
    : TListBoxStrings(listBox), check_list_(listBox) {}

std::string TCheckListBoxStrings::Get(int index) const {
  TListLineSource* source = check_list_.LineSource();
  if (!source) return TListBoxStrings::Get(index);
  CheckIndex(index);
  return source->LineText(index);
}

// The framework moves lines by deleting and inserting them, which drops their
// records; the check data read before is put back on the lines' new places.
void TCheckListBoxStrings::Exchange(int index1, int index2) {
  check_list_.CheckLineIndex(index1);
  check_list_.CheckLineIndex(index2);
  const TCheckListBoxItem* r1 = check_list_.FindRecord(index1);
  const TCheckListBoxItem* r2 = check_list_.FindRecord(index2);
  const TCheckListBoxItem a = r1 ? *r1 : TCheckListBoxItem{};
  const TCheckListBoxItem b = r2 ? *r2 : TCheckListBoxItem{};
  TUpdateGuard update(*this);
  TListBoxStrings::Exchange(index1, index2);
  check_list_.RestoreCheck(index1, b.State, b.Enabled);
  check_list_.RestoreCheck(index2, a.State, a.Enabled);
}

void TCheckListBoxStrings::Move(int currentIndex, int newIndex) {
  if (currentIndex == newIndex) return;
  check_list_.CheckLineIndex(currentIndex);
  const TCheckListBoxItem* r = check_list_.FindRecord(currentIndex);
  const TCheckListBoxItem moved = r ? *r : TCheckListBoxItem{};
  TUpdateGuard update(*this);
  TListBoxStrings::Move(currentIndex, newIndex);
  check_list_.RestoreCheck(newIndex, moved.State, moved.Enabled);
}

// ---- TCheckListBox ----

TCheckListBox::TCheckListBox(TComponent* owner) : TOwnerDrawListBox(owner) {
  style_ = TListBoxStyle::lbOwnerDrawFixed;
  SetItems(std::make_unique<TCheckListBoxStrings>(*this));
  SetAutoScroll(true);
  TBitmap& images = CheckImages();
  if (!images.Empty()) {
    check_width_ = images.Width() / kImageColumns;
    check_height_ = images.Height() / kImageRows;
  }
  cell_.SetSize(check_width_, check_height_);
}

// The window, destroyed after this, holds pointers to the records only in its
// item data, which nothing reads once the control is going.
TCheckListBox::~TCheckListBox() = default;

int TCheckListBox::StripWidth() const { return ScaleValue(check_width_ + 2); }

void TCheckListBox::SetCheckIndent(int value) {
  value = std::max(value, 0);
  if (value == check_indent_) return;
  check_indent_ = value;
  if (!HandleAllocated()) return;
  if (ExtentFollowsLines()) RecountWidestLine();
  Invalidate();
}

RECT TCheckListBox::CheckRect(int index) {
  RECT r = ItemRect(index);
  r.left += ScaleValue(check_indent_);
  r.right = r.left + StripWidth();
  return r;
}

int TCheckListBox::CheckAt(POINT point) {
  if (!HandleAllocated()) return -1;
  const int index = ItemAtPos(point, true);
  if (index < 0) return -1;
  const RECT r = CheckRect(index);
  return point.x >= r.left && point.x < r.right ? index : -1;
}

void TCheckListBox::CheckLineIndex(int index) {
  if (index < 0 || index >= Count()) throw EStringListError(MsgListIndexError(index));
}

TCheckListBoxItem* TCheckListBox::FindRecord(int index) {
  if (source_) return index >= 0 && index < Count() ? &source_->LineCheck(index) : nullptr;
  const LRESULT data = SendMessageA(Handle(), LB_GETITEMDATA, index, 0);
  if (data == 0 || data == LB_ERR) return nullptr;
  const auto it = records_.find(reinterpret_cast<const TCheckListBoxItem*>(data));
  return it == records_.end() ? nullptr : it->second.get();
}

TCheckListBoxItem& TCheckListBox::RecordFor(int index) {
  if (TCheckListBoxItem* found = FindRecord(index)) return *found;
  if (source_) throw EStringListError(MsgListIndexError(index));
  auto record = std::make_unique<TCheckListBoxItem>();
  TCheckListBoxItem* raw = record.get();
  records_.emplace(raw, std::move(record));
  SendMessageA(Handle(), LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(raw));
  return *raw;
}

void TCheckListBox::FreeRecord(int index) {
  if (source_) return;  // the source's records go with its lines
  if (TCheckListBoxItem* found = FindRecord(index)) {
    SendMessageA(Handle(), LB_SETITEMDATA, index, 0);
    records_.erase(found);
  }
}

void TCheckListBox::RestoreCheck(int index, TCheckBoxState state, bool enabled) {
  if (!FindRecord(index) && state == TCheckBoxState::cbUnchecked && enabled) return;
  TCheckListBoxItem& record = RecordFor(index);
  record.State = state;
  record.Enabled = enabled;
}

std::intptr_t TCheckListBox::InternalGetItemData(int index) {
  const TCheckListBoxItem* record = FindRecord(index);
  return record ? record->Data : 0;
}

void TCheckListBox::InternalSetItemData(int index, std::intptr_t data) {
  RecordFor(index).Data = data;
  // While lines come back after a re-creation, each takes its own saved check.
  if (!saved_checks_.empty()) {
    const SavedCheck saved = saved_checks_.front();
    saved_checks_.pop_front();
    RestoreCheck(index, saved.state, saved.enabled);
  }
}

void TCheckListBox::DeleteString(int index) {
  FreeRecord(index);
  TOwnerDrawListBox::DeleteString(index);
}

void TCheckListBox::ResetContent() {
  // Every record belongs to a line of this window, so all of them go.
  records_.clear();
  TOwnerDrawListBox::ResetContent();
}

TCheckBoxState TCheckListBox::ItemState(int index) {
  CheckLineIndex(index);
  const TCheckListBoxItem* record = FindRecord(index);
  const TCheckBoxState state = record ? record->State : TCheckBoxState::cbUnchecked;
  if (check_kind_ == TCheckKind::ckRadioButtons && state != TCheckBoxState::cbChecked)
    return TCheckBoxState::cbUnchecked;
  return state;
}

void TCheckListBox::SetItemState(int index, TCheckBoxState state) {
  CheckLineIndex(index);
  if (state == ItemState(index) && !in_update_) return;
  const bool radio = check_kind_ == TCheckKind::ckRadioButtons;
  // A radio group always keeps its checked line.
  if (radio && state == TCheckBoxState::cbUnchecked && index == CheckedIndex()) return;
  RecordFor(index).State = state;
  if (radio && state == TCheckBoxState::cbChecked) {
    for (int i = Count() - 1; i >= 0; --i) {
      if (i == index) continue;
      TCheckListBoxItem* other = FindRecord(i);
      if (other && other->State == TCheckBoxState::cbChecked) {
        other->State = TCheckBoxState::cbUnchecked;
        InvalidateCheck(i);
      }
    }
  }
  // Told before the line is drawn again: a line source draws the state it then holds.
  if (!Loading()) StateChange(index);
  InvalidateCheck(index);
}

bool TCheckListBox::ItemEnabled(int index) {
  CheckLineIndex(index);
  const TCheckListBoxItem* record = FindRecord(index);
  return record ? record->Enabled : true;
}

void TCheckListBox::SetItemEnabled(int index, bool enabled) {
  if (enabled == ItemEnabled(index)) return;
  RecordFor(index).Enabled = enabled;
  RECT r = ItemRect(index);
  InvalidateRect(Handle(), &r, TRUE);
  UpdateWindow(Handle());
}

bool TCheckListBox::AllowGrayed() const {
  return allow_grayed_ && check_kind_ != TCheckKind::ckRadioButtons;
}

void TCheckListBox::SetCheckKind(TCheckKind kind) {
  if (kind == check_kind_) return;
  check_kind_ = kind;
  ApplyRadioMode();
  Invalidate();
}

int TCheckListBox::CheckedIndex() {
  if (check_kind_ != TCheckKind::ckRadioButtons) return -1;
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    const TCheckListBoxItem* record = FindRecord(i);
    if (record && record->State == TCheckBoxState::cbChecked) return i;
  }
  return -1;
}

void TCheckListBox::SetCheckedIndex(int index) {
  if (check_kind_ == TCheckKind::ckRadioButtons && Count() > 0)
    SetItemState(std::max(index, 0), TCheckBoxState::cbChecked);
}

void TCheckListBox::ApplyRadioMode() {
  // A list without a window has no lines; asking would make the window early.
  if (check_kind_ != TCheckKind::ckRadioButtons || !HandleAllocated() || Count() == 0) return;
  in_update_ = true;
  ScopeExit done([this] { in_update_ = false; });
  SetItemState(std::max(CheckedIndex(), 0), TCheckBoxState::cbChecked);
}

void TCheckListBox::ToggleClickCheck(int index) {
  if (index < 0 || index >= Count() || !ItemEnabled(index)) return;
  SetItemState(index, NextCheckState(ItemState(index), AllowGrayed()));
  ClickCheck();
}

void TCheckListBox::ClickCheck() { OnClickCheck(this); }

void TCheckListBox::StateChange(int index) {
  // The owner takes the new state first: a reader told of the change reads it at once.
  OnStateChange(this, index);
  if (HandleAllocated())
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, Handle(), OBJID_CLIENT, index + 1);
}

std::wstring TCheckListBox::ItemName(int index) {
  std::wstring name;
  if (OnGetItemName) OnGetItemName(this, index, name);
  if (name.empty() && OnGetWideText) OnGetWideText(this, index, name);
  if (name.empty()) name = AnsiToWide(items_->Get(index));
  return name;
}

std::wstring TCheckListBox::ItemDescription(int index) {
  std::wstring text;
  if (OnGetItemDescription) OnGetItemDescription(this, index, text);
  return text;
}

TAccessibleObject* TCheckListBox::NewAccessible() { return new TCheckListAccessible(Handle()); }

void TCheckListBox::SelectionMoved() {
  const int index = ItemIndex();
  if (index < 0) return;
  HWND wnd = Handle();
  if (Focused()) NotifyWinEvent(EVENT_OBJECT_FOCUS, wnd, OBJID_CLIENT, index + 1);
  NotifyWinEvent(EVENT_OBJECT_SELECTION, wnd, OBJID_CLIENT, index + 1);
}

void TCheckListBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case LB_SETCURSEL:
      TOwnerDrawListBox::WndProc(m);
      SelectionMoved();
      return;
    case CN_COMMAND:
      // Before the click runs: a click may recall the line and take the window away.
      if (HIWORD(m.WParam) == LBN_SELCHANGE) SelectionMoved();
      break;
    case WM_SETFOCUS:
      TOwnerDrawListBox::WndProc(m);
      SelectionMoved();
      return;
    default:
      break;
  }
  TOwnerDrawListBox::WndProc(m);
}

void TCheckListBox::Loaded() {
  TOwnerDrawListBox::Loaded();
  ApplyRadioMode();
}

void TCheckListBox::CreateParams(TCreateParams& params) {
  TOwnerDrawListBox::CreateParams(params);
  if (!(params.Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)))
    params.Style |= LBS_OWNERDRAWFIXED;
  if (source_) {
    // The window keeps no text and no data per line: a hundred thousand lines cost nothing.
    params.Style &= ~static_cast<DWORD>(LBS_HASSTRINGS | LBS_SORT | LBS_OWNERDRAWVARIABLE);
    params.Style |= LBS_NODATA | LBS_OWNERDRAWFIXED;
  }
}

void TCheckListBox::WindowCreated() {
  TOwnerDrawListBox::WindowCreated();
  saved_checks_.clear();
  if (source_ && saved_line_count_ > 0) {
    SendMessageA(Handle(), LB_SETCOUNT, static_cast<WPARAM>(saved_line_count_), 0);
    SetTopIndex(saved_top_index_);
    SetItemIndex(saved_item_index_);
    saved_line_count_ = 0;
  }
}

void TCheckListBox::SetLineSource(TListLineSource* source) {
  if (source == source_) return;
  if (HandleAllocated()) Items().Clear();
  source_ = source;
  if (source_) SetAutoScroll(false);
  RecreateWnd();
}

void TCheckListBox::SetLineCount(int count) {
  if (!source_) return;
  if (!HandleAllocated()) {
    // The window takes them when it is made.
    saved_line_count_ = std::max(count, 0);
    return;
  }
  HWND wnd = Handle();
  SendMessageA(wnd, LB_RESETCONTENT, 0, 0);
  SendMessageA(wnd, LB_SETCOUNT, static_cast<WPARAM>(std::max(count, 0)), 0);
  InvalidateRect(wnd, nullptr, TRUE);
}

void TCheckListBox::SaveChecks() {
  saved_checks_.clear();
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    const TCheckListBoxItem* record = FindRecord(i);
    saved_checks_.push_back(record ? SavedCheck{record->State, record->Enabled}
                                   : SavedCheck{TCheckBoxState::cbUnchecked, true});
  }
}

void TCheckListBox::WindowDestroying() {
  if (source_) {
    // Only the number of lines: their texts and checks are the source's.
    saved_line_count_ = Count();
    saved_top_index_ = TopIndex();
    saved_item_index_ = ItemIndex();
    return;
  }
  SaveChecks();
  // The base keeps the lines and their objects, read through the records.
  TOwnerDrawListBox::WindowDestroying();
}

void TCheckListBox::WindowDestroyed() {
  // Only once the window is gone may the records its lines point to go.
  records_.clear();
  TOwnerDrawListBox::WindowDestroyed();
}

bool TCheckListBox::KeyPress(char& key) {
  if (TOwnerDrawListBox::KeyPress(key)) return true;
  switch (key) {
    case ' ':
      ToggleClickCheck(ItemIndex());
      key = 0;
      return true;
    case '+':
    case '-':
      if (check_kind_ != TCheckKind::ckRadioButtons) {
        const TCheckBoxState target =
            key == '+' ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked;
        const int count = Count();
        for (int i = 0; i < count; ++i)
          if (ItemEnabled(i)) SetItemState(i, target);
        ClickCheck();
      }
      return false;
    default:
      return false;
  }
}

void TCheckListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TOwnerDrawListBox::MouseDown(button, shift, x, y);
  if (button != mbLeft || !HandleAllocated()) return;
  const int index = CheckAt(POINT{x, y});
  if (index >= 0) ToggleClickCheck(index);
}

void TCheckListBox::DrawLine(const DRAWITEMSTRUCT& item) {
  // Selection colours and the focus rectangle cover only the text part.
  DRAWITEMSTRUCT text = item;
  text.rcItem.left += ScaleValue(check_indent_) + StripWidth();
  TOwnerDrawListBox::DrawLine(text);
}

void TCheckListBox::DrawItem(int index, RECT rect, unsigned state) {
  if (index < Count()) {
    const TCheckListBoxItem* record = FindRecord(index);
    const bool enabled = record ? record->Enabled : true;
    // The indent and the column keep the list's colour, on a selected line too.
    TBrush& brush = Canvas().Brush();
    const TColor lineColor = brush.Color();
    brush.SetColor(color_);
    Canvas().FillRect(RECT{rect.left - StripWidth() - ScaleValue(check_indent_), rect.top,
                           rect.left, rect.bottom});
    brush.SetColor(lineColor);
    DrawCheck(RECT{rect.left - StripWidth(), rect.top, rect.left, rect.bottom}, ItemState(index),
              enabled);
    if (!enabled)
      Canvas().Font().SetColor((state & ODS_SELECTED) ? clInactiveCaptionText : clGrayText);
  }
  TOwnerDrawListBox::DrawItem(index, rect, state);
}

void TCheckListBox::DrawCheck(const RECT& strip, TCheckBoxState state, bool enabled) {
  TBitmap& images = CheckImages();
  if (images.Empty()) return;
  const int cell =
      static_cast<int>(check_kind_) * kImageColumns + (enabled ? 0 : 3) + static_cast<int>(state);
  const int w = check_width_, h = check_height_;
  // The list's own colour goes where the image is transparent, so the strip
  // matches the background whether or not the line is selected.
  TCanvas& cellCanvas = cell_.Canvas();
  cellCanvas.Brush().SetColor(color_);
  cellCanvas.FillRect(RECT{0, 0, w, h});
  const int sx = (cell % kImageColumns) * w, sy = (cell / kImageColumns) * h;
  if (CheckColor == clNone)
    TransparentBlt(cellCanvas.Handle(), 0, 0, w, h, images.Canvas().Handle(), sx, sy, w, h,
                   kImageTransparent);
  else {
    HDC art = images.Canvas().Handle();
    DrawShape(cellCanvas.Handle(), RECT{0, 0, w, h}, art, RECT{sx, sy, sx + w, sy + h},
              static_cast<TColor>(kImageTransparent), CheckColor);
    // Only the outline and the mark: a box filled in one colour would look the same
    // checked or not.
    if (check_kind_ != TCheckKind::ckCheckMarks)
      DrawShape(cellCanvas.Handle(), RECT{0, 0, w, h}, art, RECT{sx, sy, sx + w, sy + h},
                static_cast<TColor>(GetPixel(art, sx + kInsideX, sy + kInsideY)), color_, true);
  }
  // The images are drawn for 96 DPI and grow with the list.
  const int sw = ScaleValue(w), sh = ScaleValue(h);
  const int x = strip.left + (strip.right - strip.left - sw) / 2;
  const int y = strip.top + (strip.bottom - strip.top - sh) / 2;
  if (sw == w && sh == h)
    BitBlt(Canvas().Handle(), x, y, w, h, cellCanvas.Handle(), 0, 0, SRCCOPY);
  else
    Canvas().SmoothStretchDraw(RECT{x, y, x + sw, y + sh}, cell_);
}

void TCheckListBox::InvalidateCheck(int index) {
  RECT r = CheckRect(index);
  HWND wnd = Handle();
  InvalidateRect(wnd, &r, TRUE);
  UpdateWindow(wnd);
}

int TCheckListBox::ItemWidth(int index) {
  return TOwnerDrawListBox::ItemWidth(index) + ScaleValue(check_indent_) + StripWidth();
}

std::vector<TStreamValue> TCheckListBox::WriteStringsProperty() {
  std::vector<TStreamValue> values;
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    const TCheckListBoxItem* record = FindRecord(i);
    values.emplace_back(items_->Get(i));
    values.emplace_back(static_cast<long long>(record ? record->State : TCheckBoxState{}));
    values.emplace_back(record ? record->Enabled : true);
  }
  return values;
}

void TCheckListBox::ReadStringsProperty(const std::vector<TStreamValue>& values) {
  // Before version 202 a line stored checked and enabled flags, and from version
  // 1 on a state number after them.
  const bool flags = InternalVersion < 202;
  const size_t perLine = flags && InternalVersion > 0 ? 4 : 3;
  {
    TUpdateGuard update(*items_);
    items_->Clear();
    for (size_t i = 0; i + perLine <= values.size(); i += perLine) {
      const int at = items_->Add(StreamValue<std::string>(values, i));
      TCheckBoxState state;
      bool enabled;
      if (flags) {
        state = StreamValue<bool>(values, i + 1) ? TCheckBoxState::cbChecked
                                                 : TCheckBoxState::cbUnchecked;
        enabled = StreamValue<bool>(values, i + 2);
        if (perLine == 4) state = StateFromNumber(StreamValue<long long>(values, i + 3));
      } else {
        state = StateFromNumber(StreamValue<long long>(values, i + 1));
        enabled = StreamValue<bool>(values, i + 2);
      }
      SetItemState(at, state);
      SetItemEnabled(at, enabled);
    }
  }
  ApplyRadioMode();
}

}  // namespace qv
