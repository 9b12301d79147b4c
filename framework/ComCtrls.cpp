#include "framework/ComCtrls.h"

#include <richedit.h>

#include <algorithm>

namespace qv {

namespace {

// The common control classes are registered once per process.
void NeedCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc),
                             ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                 ICC_HOTKEY_CLASS | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES |
                                 ICC_COOL_CLASSES | ICC_TAB_CLASSES | ICC_PAGESCROLLER_CLASS};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)done;
}

}  // namespace

// ---- TRichEdit ----

TRichEdit::TRichEdit(TComponent* owner) : TWinControl(owner) {
  width_ = 185;
  height_ = 89;
  color_ = clWindow;
  TabStop = true;
}

void TRichEdit::CreateParams(TCreateParams& params) {
  // The class comes with its library, loaded for the life of the process.
  static const HMODULE library = LoadLibraryA("riched20.dll");
  (void)library;
  TWinControl::CreateParams(params);
  params.SysClassName = RICHEDIT_CLASSA;
  params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
  ApplyBorder(params);
}

std::string TRichEdit::Text() const {
  if (!HandleAllocated()) return caption_;
  HWND wnd = const_cast<TRichEdit*>(this)->Handle();
  const int n = GetWindowTextLengthA(wnd);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(wnd, text.data(), n + 1)));
  return text;
}

// ---- TTreeView ----

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 97;
  color_ = clWindow;
}

void TTreeView::CreateParams(TCreateParams& params) {
  NeedCommonControls();
  TWinControl::CreateParams(params);
  params.SysClassName = WC_TREEVIEWA;
  params.Style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
  ApplyBorder(params);
}

HTREEITEM TTreeView::AddItem(HTREEITEM parent, const std::string& text) {
  TVINSERTSTRUCTA ins{};
  ins.hParent = parent ? parent : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = const_cast<char*>(text.c_str());
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

// ---- TListView ----

TListView::TListView(TComponent* owner) : TWinControl(owner) {
  width_ = 250;
  height_ = 150;
  color_ = clWindow;
}

void TListView::CreateParams(TCreateParams& params) {
  NeedCommonControls();
  TWinControl::CreateParams(params);
  params.SysClassName = WC_LISTVIEWA;
  params.Style |= LVS_LIST;
  ApplyBorder(params);
}

int TListView::AddItem(const std::string& caption) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(SendMessageA(Handle(), LVM_GETITEMCOUNT, 0, 0));
  item.pszText = const_cast<char*>(caption.c_str());
  return static_cast<int>(
      SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

// ---- TProgressBar ----

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 16;
}

void TProgressBar::CreateParams(TCreateParams& params) {
  NeedCommonControls();
  TWinControl::CreateParams(params);
  params.SysClassName = PROGRESS_CLASSA;
}

void TProgressBar::WindowCreated() {
  SendMessageA(Handle(), PBM_SETRANGE32, Min, Max);
  SendMessageA(Handle(), PBM_SETPOS, position_, 0);
}

void TProgressBar::SetPosition(int position) {
  position_ = std::clamp(position, Min, Max);
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETPOS, position_, 0);
}

// ---- THotKey ----

THotKey::THotKey(TComponent* owner) : TWinControl(owner) {
  width_ = 121;
  height_ = 19;
  color_ = clWindow;
}

void THotKey::CreateParams(TCreateParams& params) {
  NeedCommonControls();
  TWinControl::CreateParams(params);
  params.SysClassName = HOTKEY_CLASSA;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

namespace {
// The control's key word: the key in the low byte, its own modifier flags above.
WPARAM HotKeyWord(TShortCut s) {
  BYTE mods = 0;
  if (s & scShift) mods |= HOTKEYF_SHIFT;
  if (s & scCtrl) mods |= HOTKEYF_CONTROL;
  if (s & scAlt) mods |= HOTKEYF_ALT;
  return MAKEWORD(static_cast<BYTE>(s & 0xFF), mods);
}
}  // namespace

void THotKey::WindowCreated() { SendMessageA(Handle(), HKM_SETHOTKEY, HotKeyWord(hot_key_), 0); }

TShortCut THotKey::HotKey() const {
  if (!HandleAllocated()) return hot_key_;
  const auto word = static_cast<WORD>(
      SendMessageA(const_cast<THotKey*>(this)->Handle(), HKM_GETHOTKEY, 0, 0));
  TShortCut s = LOBYTE(word);
  const BYTE mods = HIBYTE(word);
  if (mods & HOTKEYF_SHIFT) s |= scShift;
  if (mods & HOTKEYF_CONTROL) s |= scCtrl;
  if (mods & HOTKEYF_ALT) s |= scAlt;
  return s;
}

void THotKey::SetHotKey(TShortCut value) {
  hot_key_ = value;
  if (HandleAllocated()) SendMessageA(Handle(), HKM_SETHOTKEY, HotKeyWord(value), 0);
}

// ---- TUpDown ----

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner) {
  width_ = 17;
  height_ = 25;
}

void TUpDown::CreateParams(TCreateParams& params) {
  NeedCommonControls();
  TWinControl::CreateParams(params);
  params.SysClassName = UPDOWN_CLASSA;
  params.Style |= UDS_ARROWKEYS;
}

void TUpDown::WindowCreated() {
  SendMessageA(Handle(), UDM_SETRANGE32, Min, Max);
  SendMessageA(Handle(), UDM_SETPOS32, 0, position_);
}

int TUpDown::Position() const {
  if (!HandleAllocated()) return position_;
  return static_cast<int>(
      SendMessageA(const_cast<TUpDown*>(this)->Handle(), UDM_GETPOS32, 0, 0));
}

void TUpDown::SetPosition(int position) {
  position_ = std::clamp(position, Min, Max);
  if (HandleAllocated()) SendMessageA(Handle(), UDM_SETPOS32, 0, position_);
}

// ---- TToolBar, TCoolBar ----

namespace {
// A bar stays where its bounds put it, instead of spanning its parent's top.
constexpr DWORD kBarInPlace = CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER;
}  // namespace

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 29;
}

void TToolBar::CreateParams(TCreateParams& params) {
  NeedCommonControls();
  TWinControl::CreateParams(params);
  params.SysClassName = TOOLBARCLASSNAMEA;
  params.Style |= kBarInPlace | TBSTYLE_FLAT | WS_CLIPCHILDREN;
}

TCoolBar::TCoolBar(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 75;
}

void TCoolBar::CreateParams(TCreateParams& params) {
  NeedCommonControls();
  TWinControl::CreateParams(params);
  params.SysClassName = REBARCLASSNAMEA;
  params.Style |= kBarInPlace | WS_CLIPCHILDREN;
}

// ---- TCustomTabControl, TTabControl ----

TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner) {
  width_ = 289;
  height_ = 193;
  TabStop = true;
}

void TCustomTabControl::CreateParams(TCreateParams& params) {
  NeedCommonControls();
  TWinControl::CreateParams(params);
  params.SysClassName = WC_TABCONTROLA;
  params.Style |= WS_CLIPCHILDREN | WS_TABSTOP;
}

void TCustomTabControl::SetTabTexts(const std::vector<std::string>& tabs) {
  tabs_ = tabs;
  if (!HandleAllocated()) return;
  SendMessageA(Handle(), TCM_DELETEALLITEMS, 0, 0);
  WindowCreated();
}

void TCustomTabControl::WindowCreated() {
  for (size_t i = 0; i < tabs_.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(tabs_[i].c_str());
    SendMessageA(Handle(), TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(Handle(), TCM_SETCURSEL, tab_index_, 0);
}

int TCustomTabControl::TabIndex() const {
  if (!HandleAllocated()) return tab_index_;
  return static_cast<int>(
      SendMessageA(const_cast<TCustomTabControl*>(this)->Handle(), TCM_GETCURSEL, 0, 0));
}

void TCustomTabControl::SetTabIndex(int index) {
  tab_index_ = index;
  if (HandleAllocated()) SendMessageA(Handle(), TCM_SETCURSEL, index, 0);
}

void TCustomTabControl::WndProc(TMessage& m) {
  if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == TCN_SELCHANGE) {
    tab_index_ = TabIndex();
    Change();
    return;
  }
  TWinControl::WndProc(m);
}

// ---- TPageControl, TTabSheet ----

TPageControl::~TPageControl() {
  for (TTabSheet* page : pages_) page->page_control_ = nullptr;
}

TTabSheet* TPageControl::ActivePage() const {
  const int i = TabIndex();
  return i >= 0 && i < PageCount() ? pages_[i] : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page) {
  for (int i = 0; i < PageCount(); ++i)
    if (pages_[i] == page) SetTabIndex(i);
  ArrangePages();
}

void TPageControl::SetBounds(int left, int top, int width, int height) {
  TCustomTabControl::SetBounds(left, top, width, height);
  ArrangePages();
}

void TPageControl::WindowCreated() {
  TCustomTabControl::WindowCreated();
  ArrangePages();
}

void TPageControl::Change() {
  ArrangePages();
  TCustomTabControl::Change();
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  UpdateTabs();
}

void TPageControl::RemovePage(TTabSheet* page) {
  pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
  UpdateTabs();
}

void TPageControl::UpdateTabs() {
  std::vector<std::string> tabs;
  for (TTabSheet* page : pages_) tabs.push_back(page->Caption());
  SetTabTexts(tabs);
  ArrangePages();
}

void TPageControl::ArrangePages() {
  RECT area{0, 0, width_, height_};
  if (HandleAllocated()) {
    GetClientRect(Handle(), &area);
    SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  }
  TTabSheet* active = ActivePage();
  for (TTabSheet* page : pages_) {
    page->SetBounds(area.left, area.top, area.right - area.left, area.bottom - area.top);
    page->SetVisible(page == active);
  }
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {}

TTabSheet::~TTabSheet() {
  if (page_control_) page_control_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* control) {
  if (control == page_control_) return;
  if (page_control_) page_control_->RemovePage(this);
  page_control_ = control;
  SetParent(control);
  if (control) control->InsertPage(this);
}

// ---- TPageScroller ----

TPageScroller::TPageScroller(TComponent* owner) : TWinControl(owner) {
  width_ = 150;
  height_ = 45;
}

void TPageScroller::CreateParams(TCreateParams& params) {
  NeedCommonControls();
  TWinControl::CreateParams(params);
  params.SysClassName = WC_PAGESCROLLERA;
  params.Style |= PGS_HORZ;
}

void TPageScroller::SetControl(TWinControl* control) {
  if (control_) RemoveFreeNotification(control_);
  control_ = control;
  if (control) FreeNotification(control);
  if (control) SendMessageA(Handle(), PGM_SETCHILD, 0, reinterpret_cast<LPARAM>(control->Handle()));
}

void TPageScroller::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == TOperation::opRemove && component == control_) control_ = nullptr;
}

void TPageScroller::WndProc(TMessage& m) {
  // The pager asks how large the scrolled control is.
  if (m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == PGN_CALCSIZE) {
    auto* size = reinterpret_cast<NMPGCALCSIZE*>(m.LParam);
    if (control_) {
      if (size->dwFlag & PGF_CALCWIDTH) size->iWidth = control_->Width();
      if (size->dwFlag & PGF_CALCHEIGHT) size->iHeight = control_->Height();
    }
    m.Result = 0;
    return;
  }
  TWinControl::WndProc(m);
}

}  // namespace qv
