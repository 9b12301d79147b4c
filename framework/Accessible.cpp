#include "framework/Accessible.h"

#include <commctrl.h>

#include "framework/Controls.h"
#include "framework/WideText.h"

namespace qv {

TAccessibleObject::TAccessibleObject(HWND wnd) : wnd_(wnd) {
  CreateStdAccessibleObject(wnd, OBJID_CLIENT, kIidAccessible,
                            reinterpret_cast<void**>(&standard_));
}

TAccessibleObject::~TAccessibleObject() {
  if (standard_) standard_->Release();
}

LRESULT TAccessibleObject::Answer(WPARAM wParam) {
  const LRESULT result = LresultFromObject(kIidAccessible, wParam, this);
  Release();
  return result;
}

TWinControl* TAccessibleObject::Control() const {
  return IsWindow(wnd_) ? TWinControl::FromHandle(wnd_) : nullptr;
}

HRESULT TAccessibleObject::Text(const std::wstring& text, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT TAccessibleObject::Number(long value, VARIANT* out) {
  if (!out) return E_INVALIDARG;
  VariantInit(out);
  out->vt = VT_I4;
  out->lVal = value;
  return S_OK;
}

HRESULT TAccessibleObject::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, kIidAccessible)) {
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG TAccessibleObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG TAccessibleObject::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT TAccessibleObject::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}
HRESULT TAccessibleObject::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT TAccessibleObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}
HRESULT TAccessibleObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                  UINT*) {
  return E_NOTIMPL;
}

// The window gone, the object has nothing to say.
#define QV_STANDARD(call)                                       \
  if (!standard_ || !IsWindow(wnd_)) return RPC_E_DISCONNECTED; \
  return standard_->call

HRESULT TAccessibleObject::get_accParent(IDispatch** parent) { QV_STANDARD(get_accParent(parent)); }
HRESULT TAccessibleObject::get_accChildCount(long* count) { QV_STANDARD(get_accChildCount(count)); }
HRESULT TAccessibleObject::get_accChild(VARIANT child, IDispatch** out) {
  QV_STANDARD(get_accChild(child, out));
}
HRESULT TAccessibleObject::get_accName(VARIANT child, BSTR* name) {
  QV_STANDARD(get_accName(child, name));
}
HRESULT TAccessibleObject::get_accValue(VARIANT child, BSTR* value) {
  QV_STANDARD(get_accValue(child, value));
}
HRESULT TAccessibleObject::get_accDescription(VARIANT child, BSTR* description) {
  QV_STANDARD(get_accDescription(child, description));
}
HRESULT TAccessibleObject::get_accRole(VARIANT child, VARIANT* role) {
  QV_STANDARD(get_accRole(child, role));
}
HRESULT TAccessibleObject::get_accState(VARIANT child, VARIANT* state) {
  QV_STANDARD(get_accState(child, state));
}
HRESULT TAccessibleObject::get_accHelp(VARIANT child, BSTR* help) {
  QV_STANDARD(get_accHelp(child, help));
}
HRESULT TAccessibleObject::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
  QV_STANDARD(get_accHelpTopic(file, child, topic));
}
HRESULT TAccessibleObject::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  QV_STANDARD(get_accKeyboardShortcut(child, shortcut));
}
HRESULT TAccessibleObject::get_accFocus(VARIANT* child) { QV_STANDARD(get_accFocus(child)); }
HRESULT TAccessibleObject::get_accSelection(VARIANT* children) {
  QV_STANDARD(get_accSelection(children));
}
HRESULT TAccessibleObject::get_accDefaultAction(VARIANT child, BSTR* action) {
  QV_STANDARD(get_accDefaultAction(child, action));
}
HRESULT TAccessibleObject::accSelect(long flags, VARIANT child) {
  QV_STANDARD(accSelect(flags, child));
}
HRESULT TAccessibleObject::accLocation(long* left, long* top, long* width, long* height,
                                       VARIANT child) {
  QV_STANDARD(accLocation(left, top, width, height, child));
}
HRESULT TAccessibleObject::accNavigate(long dir, VARIANT start, VARIANT* end) {
  QV_STANDARD(accNavigate(dir, start, end));
}
HRESULT TAccessibleObject::accHitTest(long x, long y, VARIANT* child) {
  QV_STANDARD(accHitTest(x, y, child));
}
HRESULT TAccessibleObject::accDoDefaultAction(VARIANT child) {
  QV_STANDARD(accDoDefaultAction(child));
}
HRESULT TAccessibleObject::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT TAccessibleObject::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

#undef QV_STANDARD

HRESULT TControlAccessible::get_accName(VARIANT child, BSTR* name) {
  TWinControl* control = Control();
  if (IsSelf(child) && control && !control->Accessibility.Name.empty())
    return Text(AnsiToWide(control->Accessibility.Name), name);
  return TAccessibleObject::get_accName(child, name);
}

HRESULT TControlAccessible::get_accDescription(VARIANT child, BSTR* description) {
  TWinControl* control = Control();
  if (IsSelf(child) && control) {
    const std::string& text = control->Accessibility.Description.empty()
                                  ? control->Hint()
                                  : control->Accessibility.Description;
    if (!text.empty()) return Text(AnsiToWide(text), description);
  }
  return TAccessibleObject::get_accDescription(child, description);
}

HRESULT TControlAccessible::get_accRole(VARIANT child, VARIANT* role) {
  TWinControl* control = Control();
  if (IsSelf(child) && control && control->Accessibility.Role != 0)
    return Number(control->Accessibility.Role, role);
  return TAccessibleObject::get_accRole(child, role);
}

HRESULT TControlAccessible::get_accState(VARIANT child, VARIANT* state) {
  const HRESULT result = TAccessibleObject::get_accState(child, state);
  TWinControl* control = Control();
  if (SUCCEEDED(result) && IsSelf(child) && control && state->vt == VT_I4)
    state->lVal |= control->AccessibleState();
  return result;
}

namespace {

class TNamedAccessible : public TAccessibleObject {
 public:
  TNamedAccessible(HWND wnd, std::wstring name) : TAccessibleObject(wnd), name_(std::move(name)) {}
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (IsSelf(child)) return Text(name_, name);
    return TAccessibleObject::get_accName(child, name);
  }

 private:
  std::wstring name_;
};

LRESULT CALLBACK NamedWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR data) {
  auto* name = reinterpret_cast<std::wstring*>(data);
  if (msg == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT)
    return (new TNamedAccessible(wnd, *name))->Answer(wParam);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(wnd, NamedWindowProc, id);
    delete name;
  }
  return DefSubclassProc(wnd, msg, wParam, lParam);
}

}  // namespace

void NameChildWindow(HWND wnd, const std::string& name) {
  if (!wnd) return;
  auto* text = new std::wstring(AnsiToWide(name));
  if (!SetWindowSubclass(wnd, NamedWindowProc, 1, reinterpret_cast<DWORD_PTR>(text))) delete text;
}

}  // namespace qv
