#pragma once
// Private to the Win32 platform: serves the menu's description to MSAA
// clients. Nothing of COM or oleacc is loaded until the first client asks
// for the client object; focus events go out from the start, as screen
// readers listen for them before they ask.

#include "host/win32/system_library.h"  // windows.h as the room includes it

#include <optional>

#include "host/accessibility.h"
#include "host/win32/accessible.h"

namespace zol::win32 {

class MsaaServer final : public AccessibilityListener {
 public:
  MsaaServer() = default;
  MsaaServer(const MsaaServer&) = delete;
  MsaaServer& operator=(const MsaaServer&) = delete;
  ~MsaaServer() override;

  void serve(AccessibleMenu& menu);
  void attach(HWND window) { window_ = window; }
  // WM_GETOBJECT's answer, or nullopt when it is the system's to give.
  std::optional<LRESULT> get_object(WPARAM w, LPARAM l);
  // Before the window goes: clients still holding the object find it
  // disconnected.
  void window_gone();

  void current_changed(std::optional<size_t> before, std::optional<size_t> now) override;

 private:
  bool load();

  AccessibleMenu* menu_ = nullptr;
  HWND window_ = nullptr;
  MenuAccessible* object_ = nullptr;
  AccessibleCalls calls_;
  using LresultFromObjectFunction = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
  using CoDisconnectObjectFunction = HRESULT(WINAPI*)(LPUNKNOWN, DWORD);
  using CoUninitializeFunction = void(WINAPI*)();
  LresultFromObjectFunction lresult_from_object_ = nullptr;
  CoDisconnectObjectFunction disconnect_object_ = nullptr;
  CoUninitializeFunction uninitialize_ = nullptr;  // set when this thread's COM is ours to end
  bool load_failed_ = false;
};

}  // namespace zol::win32
