#include "host/win32/msaa_server.h"

namespace zol::win32 {
namespace {

template <typename Function>
Function entry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace

MsaaServer::~MsaaServer() {
  window_gone();
  // The DLLs stay: a client may still hold the object, whose calls end in
  // them until the process does.
  if (uninitialize_) uninitialize_();
}

void MsaaServer::serve(AccessibleMenu& menu) {
  menu_ = &menu;
  menu.listen(this);
}

// oleacc and what it needs, from System32 only, on the thread that owns the
// window: COM's calls from out of process come to it as messages.
bool MsaaServer::load() {
  if (lresult_from_object_) return true;
  if (load_failed_) return false;
  load_failed_ = true;
  HMODULE ole32 = load_system_library(L"ole32.dll");
  HMODULE oleaut32 = load_system_library(L"oleaut32.dll");
  HMODULE oleacc = load_system_library(L"oleacc.dll");
  using CoInitializeExFunction = HRESULT(WINAPI*)(LPVOID, DWORD);
  const auto initialize = entry<CoInitializeExFunction>(ole32, "CoInitializeEx");
  disconnect_object_ = entry<CoDisconnectObjectFunction>(ole32, "CoDisconnectObject");
  calls_.alloc_string = entry<decltype(calls_.alloc_string)>(oleaut32, "SysAllocString");
  calls_.object_from_window =
      entry<decltype(calls_.object_from_window)>(oleacc, "AccessibleObjectFromWindow");
  const auto lresult = entry<LresultFromObjectFunction>(oleacc, "LresultFromObject");
  if (!initialize || !disconnect_object_ || !calls_.alloc_string || !lresult) return false;
  const HRESULT initialized = initialize(nullptr, COINIT_APARTMENTTHREADED);
  if (SUCCEEDED(initialized)) uninitialize_ = entry<CoUninitializeFunction>(ole32, "CoUninitialize");
  else if (initialized != RPC_E_CHANGED_MODE) return false;
  lresult_from_object_ = lresult;
  load_failed_ = false;
  return true;
}

std::optional<LRESULT> MsaaServer::get_object(WPARAM w, LPARAM l) {
  // The id is a DWORD, whatever a sender made of the rest of lParam.
  if (static_cast<LONG>(static_cast<DWORD>(l)) != OBJID_CLIENT) return std::nullopt;
  if (!menu_ || !window_ || !load()) return std::nullopt;
  if (!object_) object_ = new MenuAccessible(*menu_, window_, calls_);
  return lresult_from_object_(__uuidof(IAccessible), w, object_);
}

void MsaaServer::window_gone() {
  window_ = nullptr;
  if (!object_) return;
  object_->disconnect();
  disconnect_object_(object_, 0);
  std::exchange(object_, nullptr)->Release();
}

// With no button lit, the client itself has the focus.
void MsaaServer::current_changed(std::optional<size_t>, std::optional<size_t> now) {
  if (window_)
    NotifyWinEvent(EVENT_OBJECT_FOCUS, window_, OBJID_CLIENT,
                   now ? static_cast<LONG>(*now) + 1 : CHILDID_SELF);
}

}  // namespace zol::win32
