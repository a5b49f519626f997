// The Win32 platform: one WS_POPUP window painted from the framebuffer,
// pointer messages, keys and XInput's pads as neutral events (the pads read
// in the loop's own wait), programs started with CreateProcessW
// and addresses handed to ShellExecuteA. Per-monitor DPI aware through the
// manifest (host/win32/zol.manifest): it reports the monitor's DPI and passes DPI
// changes on, and the core scales. No Windows type leaves the Win32 room.
// Here: the window's messages and the event loop; beside it the window
// itself, the programs it starts, the failure message and text.

#include "host/win32/platform.h"

#include <windowsx.h>
#include <dbt.h>

#include <utility>

#include "host/win32/key_map.h"

namespace zol {
namespace win32 {

XInputPads::Clock now() { return XInputPads::Clock(GetTickCount64()); }

template <typename Call>
void Win32Platform::to_sink(Call call) {
  if (!sink_ || failure_) return;
  try {
    call(*sink_);
  } catch (...) {
    failure_ = std::current_exception();
  }
}

void Win32Platform::navigate(std::optional<Navigation> step) {
  if (step) to_sink([&](EventSink& sink) { sink.navigate(*step); });
}

void Win32Platform::deliver(PointerEvent::Kind kind, int button, LPARAM l) {
  to_sink([&](EventSink& sink) {
    sink.pointer({kind, {GET_X_LPARAM(l), GET_Y_LPARAM(l)}, button});
  });
}

LRESULT CALLBACK Win32Platform::window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || self->window_ != window) return DefWindowProcW(window, message, w, l);
  return self->handle(window, message, w, l);
}

LRESULT Win32Platform::handle(HWND window, UINT message, WPARAM w, LPARAM l) {
  constexpr WPARAM kAnyButton = MK_LBUTTON | MK_MBUTTON | MK_RBUTTON | MK_XBUTTON1 | MK_XBUTTON2;
  // Buttons in X11's numbering; only 1, the primary, clicks.
  auto press = [&](int button) {
    SetCapture(window_);
    deliver(PointerEvent::Kind::Press, button, l);
    return 0;
  };
  auto release = [&](int button) {
    if (!(GET_KEYSTATE_WPARAM(w) & kAnyButton)) ReleaseCapture();
    deliver(PointerEvent::Kind::Release, button, l);
    return 0;
  };
  auto x_button = [&] { return GET_XBUTTON_WPARAM(w) == XBUTTON1 ? 8 : 9; };
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // every pixel comes from the framebuffer
    case WM_MOUSEMOVE:
      deliver(PointerEvent::Kind::Move, 0, l);
      return 0;
    case WM_LBUTTONDOWN:
      return press(1);
    case WM_MBUTTONDOWN:
      return press(2);
    case WM_RBUTTONDOWN:
      return press(3);
    case WM_XBUTTONDOWN:
      press(x_button());
      return TRUE;
    case WM_LBUTTONUP:
      return release(1);
    case WM_MBUTTONUP:
      return release(2);
    case WM_RBUTTONUP:
      return release(3);
    case WM_XBUTTONUP:
      release(x_button());
      return TRUE;
    case WM_CLOSE:
      to_sink([](EventSink& sink) { sink.close_requested(); });
      return 0;
    // Only the focused window gets keys: the menu, while it is active.
    // WM_SYSKEYDOWN (Alt+F4 among them) goes on to the system.
    case WM_KEYDOWN:
      navigate(win32::key_navigation(
          {static_cast<unsigned>(w), GetKeyState(VK_SHIFT) < 0,
           GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0,
           (l & (LPARAM{1} << 30)) != 0}));
      return 0;
    case WM_ACTIVATEAPP:  // the menu, or its failure message, came to the front or left it
      pads_.set_active(w != FALSE, now());
      pace_failure_pads();
      return 0;
    case WM_DEVICECHANGE:
      if (w == DBT_DEVICEARRIVAL || w == DBT_DEVNODES_CHANGED) {
        pads_.devices_changed(now());
        pace_failure_pads();
      }
      return TRUE;
    case WM_TIMER:
      if (w != kFailurePadTimer) break;
      read_failure_pads();
      return 0;
    case WM_GETDPISCALEDSIZE:
      return scaled_size(static_cast<int>(w), *reinterpret_cast<SIZE*>(l));
    case WM_DPICHANGED: {
      const RECT& frame = *reinterpret_cast<const RECT*>(l);
      const Screen screen{LOWORD(w), monitor_area(MonitorFromRect(&frame, MONITOR_DEFAULTTONEAREST))};
      const DeviceRect suggested = client_rect(frame);
      to_sink([&](EventSink& sink) { sink.dpi_changed(screen, suggested); });
      return 0;
    }
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, w, l);
}

void Win32Platform::run(EventSink& sink) {
  struct Delivering {
    Win32Platform& self;
    ~Delivering() { self.sink_ = nullptr; }
  } delivering{*this};
  sink_ = &sink;
  MSG msg;
  while (window_ && sink.running()) {
    for (Navigation step : pads_.read(now())) navigate(step);
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    if (!sink.running()) break;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      sink.idle();
      // Until a message comes or the pads are due; with no pad, for ever.
      MsgWaitForMultipleObjectsEx(0, nullptr, pads_.wait(now()), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (msg.message == WM_QUIT) break;
    DispatchMessageW(&msg);  // keys go untranslated: WM_KEYDOWN is all the menu reads
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }
}

}  // namespace win32

// A GUI process inherits no console descriptors worth guarding, and
// Windows has no SIGPIPE: what is left is where DLLs come from, settled
// before user32 or shell32 can load one on demand from beside Zol.exe.
void settle_process() { win32::search_system32_only(); }

std::unique_ptr<Platform> make_platform() { return std::make_unique<win32::Win32Platform>(); }

}  // namespace zol
