#include "framework/ComCtrls.h"

#include <richedit.h>

#include <algorithm>

namespace qv {

namespace {

// The common control classes are registered once per process.
void NeedCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES |
                                              ICC_PROGRESS_CLASS | ICC_HOTKEY_CLASS |
                                              ICC_UPDOWN_CLASS};
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

}  // namespace qv
