// The client object's identity and what it says: IUnknown, a minimal
// IDispatch, names, roles and states. Places, focus and actions are in
// accessible_places.cc.

#include "host/win32/accessible.h"

#include "host/win32/platform.h"

namespace zol::win32 {
namespace {

void set_i4(VARIANT* out, long value) {
  out->vt = VT_I4;
  out->lVal = value;
}

}  // namespace

MenuAccessible::MenuAccessible(AccessibleMenu& menu, HWND window, AccessibleCalls calls)
    : menu_(&menu), window_(window), calls_(calls) {}

void MenuAccessible::disconnect() {
  menu_ = nullptr;
  window_ = nullptr;
}

HRESULT MenuAccessible::child_id(const VARIANT& child, long& id) const {
  if (!menu_) return CO_E_OBJNOTCONNECTED;
  if (child.vt != VT_I4 || child.lVal < CHILDID_SELF ||
      child.lVal > static_cast<long>(menu_->entries().size()))
    return E_INVALIDARG;
  id = child.lVal;
  return S_OK;
}

HRESULT MenuAccessible::text(const std::string& utf8, BSTR* out) const {
  *out = calls_.alloc_string(widen(utf8).c_str());
  return *out ? S_OK : E_OUTOFMEMORY;
}

std::optional<long> MenuAccessible::current_id() const {
  if (const std::optional<size_t> current = menu_->current())
    return static_cast<long>(*current) + 1;
  return std::nullopt;
}

HRESULT MenuAccessible::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG MenuAccessible::AddRef() { return ++references_; }

ULONG MenuAccessible::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT MenuAccessible::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}
HRESULT MenuAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT MenuAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT MenuAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                               UINT*) {
  return E_NOTIMPL;
}

// The window's own object, which the system makes.
HRESULT MenuAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  if (!menu_) return CO_E_OBJNOTCONNECTED;
  if (!window_ || !calls_.object_from_window) return S_FALSE;
  return calls_.object_from_window(window_, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                   reinterpret_cast<void**>(parent));
}

HRESULT MenuAccessible::get_accChildCount(long* count) {
  if (!count) return E_POINTER;
  if (!menu_) return CO_E_OBJNOTCONNECTED;
  *count = static_cast<long>(menu_->entries().size());
  return S_OK;
}

// The buttons are simple elements, not objects of their own.
HRESULT MenuAccessible::get_accChild(VARIANT child, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  return id == CHILDID_SELF ? E_INVALIDARG : S_FALSE;
}

HRESULT MenuAccessible::get_accName(VARIANT child, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  return text(id == CHILDID_SELF ? menu_->window().name : menu_->entries()[id - 1].name, name);
}

HRESULT MenuAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (!description) return E_POINTER;
  *description = nullptr;
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  return text(id == CHILDID_SELF ? menu_->window().description
                                 : menu_->entries()[id - 1].description,
              description);
}

HRESULT MenuAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  set_empty(role);
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  set_i4(role, id == CHILDID_SELF ? ROLE_SYSTEM_CLIENT : ROLE_SYSTEM_PUSHBUTTON);
  return S_OK;
}

// The lit button has the focus; with none lit, the client has it while the
// window has the keyboard's.
HRESULT MenuAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  set_empty(state);
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  const std::optional<long> current = current_id();
  const bool focused = id == CHILDID_SELF
                           ? !current && window_ && GetFocus() == window_
                           : current == id;
  set_i4(state, STATE_SYSTEM_FOCUSABLE | (focused ? STATE_SYSTEM_FOCUSED : 0));
  return S_OK;
}

HRESULT MenuAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_POINTER;
  *action = nullptr;
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  if (id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
  *action = calls_.alloc_string(kPressAction);
  return *action ? S_OK : E_OUTOFMEMORY;
}

// What the menu doesn't have: no value, help, shortcut or selection.
HRESULT MenuAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (!value) return E_POINTER;
  *value = nullptr;
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT MenuAccessible::get_accHelp(VARIANT child, BSTR* help) { return get_accValue(child, help); }

HRESULT MenuAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
  if (!file || !topic) return E_POINTER;
  *file = nullptr;
  *topic = 0;
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT MenuAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return get_accValue(child, shortcut);
}

HRESULT MenuAccessible::get_accSelection(VARIANT* selection) {
  if (!selection) return E_POINTER;
  set_empty(selection);
  return menu_ ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
}

HRESULT MenuAccessible::accSelect(long, VARIANT child) {
  long id = 0;
  if (const HRESULT checked = child_id(child, id); FAILED(checked)) return checked;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT MenuAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT MenuAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace zol::win32
