#include "components/CheckListAccessible.h"

#include "components/CheckListBox.h"
#include "framework/WideText.h"

namespace qv {

namespace {

// The window with the keyboard focus on the list's thread: a reader may ask from any thread.
bool HasFocus(HWND wnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info) && info.hwndFocus == wnd;
}

}  // namespace

TCheckListBox* TCheckListAccessible::List() const {
  return dynamic_cast<TCheckListBox*>(Control());
}

bool TCheckListAccessible::Line(const VARIANT& child, int& index) const {
  TCheckListBox* list = List();
  if (!list || child.vt != VT_I4) return false;
  index = child.lVal - 1;
  return index >= -1 && index < list->Count();
}

HRESULT TCheckListAccessible::get_accChildCount(long* count) {
  TCheckListBox* list = List();
  if (!list) return RPC_E_DISCONNECTED;
  if (!count) return E_INVALIDARG;
  *count = list->Count();
  return S_OK;
}

HRESULT TCheckListAccessible::get_accChild(VARIANT child, IDispatch** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  int index;
  if (!Line(child, index) || index < 0) return E_INVALIDARG;
  return S_FALSE;  // a simple element: its parent answers for it
}

HRESULT TCheckListAccessible::get_accName(VARIANT child, BSTR* name) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  TCheckListBox* list = List();
  if (index < 0) {
    if (list->Accessibility.Name.empty()) return TAccessibleObject::get_accName(child, name);
    return Text(AnsiToWide(list->Accessibility.Name), name);
  }
  return Text(list->ItemName(index), name);
}

HRESULT TCheckListAccessible::get_accValue(VARIANT child, BSTR* value) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  if (index < 0) return TAccessibleObject::get_accValue(child, value);
  if (value) *value = nullptr;
  return S_FALSE;
}

HRESULT TCheckListAccessible::get_accDescription(VARIANT child, BSTR* description) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  if (index < 0) return TAccessibleObject::get_accDescription(child, description);
  const std::wstring text = List()->ItemDescription(index);
  if (text.empty()) {
    if (description) *description = nullptr;
    return S_FALSE;
  }
  return Text(text, description);
}

HRESULT TCheckListAccessible::get_accRole(VARIANT child, VARIANT* role) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  return Number(index < 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM, role);
}

HRESULT TCheckListAccessible::get_accState(VARIANT child, VARIANT* state) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  if (index < 0) return TAccessibleObject::get_accState(child, state);
  TCheckListBox* list = List();
  long bits = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (list->ItemIndex() == index) {
    bits |= STATE_SYSTEM_SELECTED;
    if (HasFocus(wnd_)) bits |= STATE_SYSTEM_FOCUSED;
  }
  switch (list->ItemState(index)) {
    case TCheckBoxState::cbChecked:
      bits |= STATE_SYSTEM_CHECKED;
      break;
    case TCheckBoxState::cbGrayed:
      bits |= STATE_SYSTEM_MIXED;
      break;
    default:
      break;
  }
  if (!list->ItemEnabled(index)) bits |= STATE_SYSTEM_UNAVAILABLE;
  RECT line = list->ItemRect(index), client;
  GetClientRect(wnd_, &client);
  RECT shown;
  if (!IntersectRect(&shown, &line, &client))
    bits |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
  return Number(bits, state);
}

HRESULT TCheckListAccessible::get_accHelp(VARIANT child, BSTR* help) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  if (index < 0) return TAccessibleObject::get_accHelp(child, help);
  if (help) *help = nullptr;
  return S_FALSE;
}

HRESULT TCheckListAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  if (index < 0) return TAccessibleObject::get_accKeyboardShortcut(child, shortcut);
  if (shortcut) *shortcut = nullptr;
  return S_FALSE;
}

HRESULT TCheckListAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  if (index < 0) return TAccessibleObject::get_accDefaultAction(child, action);
  if (action) *action = nullptr;
  return S_FALSE;
}

HRESULT TCheckListAccessible::accDoDefaultAction(VARIANT child) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  if (index < 0) return TAccessibleObject::accDoDefaultAction(child);
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT TCheckListAccessible::get_accFocus(VARIANT* child) {
  TCheckListBox* list = List();
  if (!list) return RPC_E_DISCONNECTED;
  if (!child) return E_INVALIDARG;
  VariantInit(child);
  if (!HasFocus(wnd_)) return S_FALSE;
  const int selected = list->ItemIndex();
  return Number(selected >= 0 ? selected + 1 : CHILDID_SELF, child);
}

HRESULT TCheckListAccessible::get_accSelection(VARIANT* children) {
  TCheckListBox* list = List();
  if (!list) return RPC_E_DISCONNECTED;
  if (!children) return E_INVALIDARG;
  VariantInit(children);
  const int selected = list->ItemIndex();
  if (selected < 0) return S_FALSE;
  return Number(selected + 1, children);
}

// Selecting a line from outside moves the selection only: it recalls nothing.
HRESULT TCheckListAccessible::accSelect(long flags, VARIANT child) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  if (index < 0) return TAccessibleObject::accSelect(flags, child);
  if (flags & SELFLAG_TAKEFOCUS) ::SetFocus(wnd_);
  if (flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION)) List()->SetItemIndex(index);
  if (flags & SELFLAG_REMOVESELECTION && List()->ItemIndex() == index) List()->SetItemIndex(-1);
  return S_OK;
}

HRESULT TCheckListAccessible::accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) {
  int index;
  if (!Line(child, index)) return E_INVALIDARG;
  if (index < 0) return TAccessibleObject::accLocation(left, top, width, height, child);
  if (!left || !top || !width || !height) return E_INVALIDARG;
  RECT r = List()->ItemRect(index);
  MapWindowPoints(wnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
  *left = r.left;
  *top = r.top;
  *width = r.right - r.left;
  *height = r.bottom - r.top;
  return S_OK;
}

HRESULT TCheckListAccessible::accNavigate(long dir, VARIANT start, VARIANT* end) {
  int index;
  if (!Line(start, index)) return E_INVALIDARG;
  if (!end) return E_INVALIDARG;
  VariantInit(end);
  const int count = List()->Count();
  int to = -1;
  if (index < 0) {
    if (dir == NAVDIR_FIRSTCHILD)
      to = 0;
    else if (dir == NAVDIR_LASTCHILD)
      to = count - 1;
    else
      return TAccessibleObject::accNavigate(dir, start, end);
  } else if (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN) {
    to = index + 1;
  } else if (dir == NAVDIR_PREVIOUS || dir == NAVDIR_UP) {
    to = index - 1;
  }
  if (to < 0 || to >= count) return S_FALSE;
  return Number(to + 1, end);
}

HRESULT TCheckListAccessible::accHitTest(long x, long y, VARIANT* child) {
  TCheckListBox* list = List();
  if (!list) return RPC_E_DISCONNECTED;
  if (!child) return E_INVALIDARG;
  VariantInit(child);
  POINT p{x, y};
  ScreenToClient(wnd_, &p);
  RECT client;
  GetClientRect(wnd_, &client);
  if (!PtInRect(&client, p)) return TAccessibleObject::accHitTest(x, y, child);
  const int index = list->ItemAtPos(p, true);
  return Number(index >= 0 ? index + 1 : CHILDID_SELF, child);
}

}  // namespace qv
