#include "framework/Menus.h"

#include <algorithm>

#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/ImgList.h"

namespace qv {

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  for (TMenuItem* child : items_) child->parent_ = nullptr;
  if (parent_) parent_->Remove(this);
}

int TMenuItem::MenuIndex() const {
  if (!parent_) return -1;
  auto it = std::find(parent_->items_.begin(), parent_->items_.end(), this);
  return static_cast<int>(it - parent_->items_.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  if (item->parent_ == this) item->parent_ = nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->parent_) item = item->parent_;
  return item->menu_;
}

void TMenuItem::Click() {
  if (enabled_) OnClick(this);
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(std::make_unique<TMenuItem>(nullptr)) {
  items_->menu_ = this;
}

TMenu::~TMenu() {
  // The items are owned by the form; only unlink them from the root here.
  while (items_->Count() > 0) items_->Remove(items_->Items(0));
}

void TMenu::SetImages(TImageList* images) {
  if (images_) RemoveFreeNotification(images_);
  images_ = images;
  if (images_) FreeNotification(images_);
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == images_) images_ = nullptr;
}

HMENU TMenu::Handle() {
  // The new menu is made before the old one goes: a form may still show it.
  UniqueMenu fresh(CreateHandle());
  handle_ = std::move(fresh);
  next_command_ = 1;
  Build(handle_.get(), *items_);
  return handle_.get();
}

void TMenu::Build(HMENU menu, TMenuItem& parent) {
  for (TMenuItem* item : parent.items_) {
    if (!item->Visible()) continue;
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
    mii.fType = item->IsLine() ? MFT_SEPARATOR : MFT_STRING;
    if (OwnerDraw) mii.fType |= MFT_OWNERDRAW;
    if (item->RadioItem) mii.fType |= MFT_RADIOCHECK;
    // Owner-drawn items keep their text too: a screen reader reads it from the menu.
    if (!item->IsLine()) {
      mii.fMask |= MIIM_STRING;
      mii.dwTypeData = const_cast<char*>(item->caption_.c_str());
    }
    mii.fState = (item->Checked() ? MFS_CHECKED : 0) | (item->Enabled() ? 0 : MFS_GRAYED) |
                 (item->Default ? MFS_DEFAULT : 0);
    item->command_ = next_command_++;
    mii.wID = item->command_;
    mii.dwItemData = reinterpret_cast<ULONG_PTR>(item);
    if (item->Count() > 0) {
      HMENU sub = CreatePopupMenu();
      Build(sub, *item);
      mii.fMask |= MIIM_SUBMENU;
      mii.hSubMenu = sub;
    }
    InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &mii);
  }
}

TMenuItem* TMenu::FindCommand(UINT command) const {
  std::vector<TMenuItem*> stack{items_.get()};
  while (!stack.empty()) {
    TMenuItem* item = stack.back();
    stack.pop_back();
    if (item != items_.get() && item->command_ == command) return item;
    for (TMenuItem* child : item->items_) stack.push_back(child);
  }
  return nullptr;
}

bool TMenu::HandleMenuMessage(TMessage& m) {
  if (m.Msg == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam);
    if (mis->CtlType != ODT_MENU) return false;
    auto* item = reinterpret_cast<TMenuItem*>(mis->itemData);
    if (!item) return false;
    WindowDc screen(nullptr);
    TCanvas canvas;
    canvas.SetHandle(screen.get());
    int w = 0, h = 0;
    if (item->OnMeasureItem) {
      item->OnMeasureItem(item, canvas, w, h);
    } else {
      const SIZE s = canvas.TextExtent(item->IsLine() ? std::string(" ") : item->Caption());
      w = s.cx + 24;
      h = item->IsLine() ? 5 : std::max<int>(s.cy + 4, 18);
    }
    canvas.SetHandle(nullptr);
    mis->itemWidth = w;
    mis->itemHeight = h;
    m.Result = 1;
    return true;
  }
  if (m.Msg == WM_DRAWITEM) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    if (dis->CtlType != ODT_MENU) return false;
    auto* item = reinterpret_cast<TMenuItem*>(dis->itemData);
    if (!item) return false;
    TOwnerDrawState state = 0;
    if (dis->itemState & ODS_SELECTED) state |= odSelected;
    if (dis->itemState & ODS_GRAYED) state |= odGrayed;
    if (dis->itemState & ODS_DISABLED) state |= odDisabled;
    if (dis->itemState & ODS_CHECKED) state |= odChecked;
    if (dis->itemState & ODS_DEFAULT) state |= odDefault;
    TCanvas canvas;
    canvas.SetHandle(dis->hDC);
    const int saved = SaveDC(dis->hDC);
    if (item->OnAdvancedDrawItem) {
      item->OnAdvancedDrawItem(item, canvas, dis->rcItem, state);
    } else if (item->OnDrawItem) {
      item->OnDrawItem(item, canvas, dis->rcItem, (state & odSelected) != 0);
    } else {
      canvas.Brush().SetColor((state & odSelected) ? clHighlight : clMenu);
      canvas.FillRect(dis->rcItem);
      canvas.Font().SetColor((state & odSelected) ? clHighlightText : clMenuText);
      canvas.Brush().SetStyle(TBrushStyle::bsClear);
      if (!item->IsLine())
        canvas.TextOut(dis->rcItem.left + 20, dis->rcItem.top + 2, item->Caption());
    }
    canvas.SetHandle(nullptr);
    RestoreDC(dis->hDC, saved);
    m.Result = 1;
    return true;
  }
  return false;
}

void TMainMenu::Rebuild() {
  for (TComponent* o = Owner(); o; o = o->Owner()) {
    auto* form = dynamic_cast<TCustomForm*>(o);
    if (!form) continue;
    if (form->Menu() == this && form->HandleAllocated()) {
      HWND wnd = form->Handle();
      // The window lets go of the old bar before it is destroyed.
      SetMenu(wnd, nullptr);
      hot_item_ = -1;
      SetMenu(wnd, Handle());
      DrawMenuBar(wnd);
    }
    return;
  }
}

void TMainMenu::TrackHotItem(HWND wnd, const POINT* screen) {
  HMENU menuBar = GetMenu(wnd);
  int hot = -1;
  if (screen && menuBar) {
    for (int i = 0, n = GetMenuItemCount(menuBar); i < n; ++i) {
      RECT r{};
      if (GetMenuItemRect(wnd, menuBar, i, &r) && PtInRect(&r, *screen)) {
        hot = i;
        break;
      }
    }
  }
  if (hot == hot_item_) return;
  const int left = hot_item_;
  hot_item_ = hot;
  if (hot >= 0) {
    // The bar hears of the pointer leaving only when it asks to.
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_LEAVE | TME_NONCLIENT;
    tme.hwndTrack = wnd;
    TrackMouseEvent(&tme);
  }
  if (left >= 0) RepaintBarItem(wnd, left);
  if (hot >= 0) RepaintBarItem(wnd, hot);
}

void TMainMenu::RepaintBarItem(HWND wnd, int position) {
  HMENU menuBar = GetMenu(wnd);
  if (!menuBar || !OwnerDraw) return;
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
  if (!GetMenuItemInfoA(menuBar, position, TRUE, &mii) || !(mii.fType & MFT_OWNERDRAW)) return;
  RECT r{}, window{};
  if (!GetMenuItemRect(wnd, menuBar, position, &r) || !GetWindowRect(wnd, &window)) return;
  OffsetRect(&r, -window.left, -window.top);
  WindowDc dc(wnd, true);
  if (!dc) return;
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_MENU;
  dis.itemID = mii.wID;
  dis.itemAction = ODA_DRAWENTIRE;
  if (mii.fState & MFS_HILITE) dis.itemState |= ODS_SELECTED;
  if (mii.fState & MFS_GRAYED) dis.itemState |= ODS_GRAYED | ODS_DISABLED;
  if (mii.fState & MFS_CHECKED) dis.itemState |= ODS_CHECKED;
  if (mii.fState & MFS_DEFAULT) dis.itemState |= ODS_DEFAULT;
  dis.hwndItem = reinterpret_cast<HWND>(menuBar);
  dis.hDC = dc.get();
  dis.rcItem = r;
  dis.itemData = mii.dwItemData;
  TMessage m{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis), 0};
  HandleMenuMessage(m);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {
  window_ = TUtilityWindow(TWndMethod::Of<&TPopupMenu::WndProc>(this));
}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::WndProc(TMessage& m) {
  if (HandleMenuMessage(m)) return;
  m.Result = DefWindowProcA(window_.Handle(), m.Msg, m.WParam, m.LParam);
}

void TPopupMenu::Popup(int x, int y) {
  OnPopup(this);
  HMENU menu = Handle();
  // A menu opened for a background program closes properly only when its
  // window is in front while it shows, and a message follows it.
  SetForegroundWindow(window_.Handle());
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, x, y, 0, window_.Handle(), nullptr));
  PostMessageA(window_.Handle(), WM_NULL, 0, 0);
  if (command)
    if (TMenuItem* item = FindCommand(command)) item->Click();
}

}  // namespace qv
