#pragma once
// Private to the Win32 platform: the menu's window as MSAA shows it to
// NVDA, Narrator (through its proxy) and any other client. The client
// object is the window; its four push buttons are simple elements, child
// ids 1 to 4 left to right, 0 the client itself.

#include "host/win32/system_library.h"  // windows.h as the room includes it

#include <oleacc.h>

#include <atomic>
#include <optional>

#include "host/accessibility.h"

namespace zol::win32 {

// What the object takes from DLLs the menu only loads once a client asks.
struct AccessibleCalls {
  BSTR(WINAPI* alloc_string)(const OLECHAR*) = nullptr;                    // oleaut32
  HRESULT(WINAPI* object_from_window)(HWND, DWORD, REFIID, void**) = nullptr;  // oleacc
};

// VariantInit without oleaut32, which the menu doesn't import.
inline void set_empty(VARIANT* out) { out->vt = VT_EMPTY; }

// The default action's name, as Windows names a push button's in German.
inline constexpr wchar_t kPressAction[] = L"Drücken";

class MenuAccessible final : public IAccessible {
 public:
  // Holds one reference, the caller's. `window` may be null in tests that
  // need no places.
  MenuAccessible(AccessibleMenu& menu, HWND window, AccessibleCalls calls);
  MenuAccessible(const MenuAccessible&) = delete;
  MenuAccessible& operator=(const MenuAccessible&) = delete;

  // The window is going: from now on every call but IUnknown's answers
  // CO_E_OBJNOTCONNECTED, while clients may still hold the object.
  void disconnect();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: clients call IAccessible's methods directly; no type library.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 private:
  ~MenuAccessible() = default;
  // S_OK with `id` set for a child id of this object; E_INVALIDARG for
  // anything else, CO_E_OBJNOTCONNECTED once disconnected.
  HRESULT child_id(const VARIANT& child, long& id) const;
  HRESULT text(const std::string& utf8, BSTR* out) const;
  std::optional<long> current_id() const;
  // The client area, or a button, in screen pixels.
  std::optional<RECT> screen_rect(long id) const;

  std::atomic<ULONG> references_{1};
  AccessibleMenu* menu_;  // null once disconnected
  HWND window_;
  AccessibleCalls calls_;
};

}  // namespace zol::win32
