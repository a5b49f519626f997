// The failure message: the system's message box, owned by the menu, which
// a pad's A or B dismisses as Return and Escape do.

#include "host/win32/platform.h"

#include <algorithm>

namespace zol::win32 {

// The failure message runs a loop of its own, which only a timer wakes: it
// runs at the pads' pace while a pad is connected and the message is active.
void Win32Platform::pace_failure_pads() {
  if (!failure_up_ || !window_) return;
  const DWORD wait = pads_.wait(now());
  if (wait == INFINITE)
    KillTimer(window_, kFailurePadTimer);
  else
    SetTimer(window_, kFailurePadTimer, std::max<DWORD>(wait, USER_TIMER_MINIMUM), nullptr);
}

// A pad's A or B is the message's OK, as Return and Escape are.
void Win32Platform::read_failure_pads() {
  for (Navigation step : pads_.read(now())) {
    HWND message = GetActiveWindow();
    if ((step == Navigation::Activate || step == Navigation::Back) && message && message != window_)
      PostMessageW(message, WM_COMMAND, IDOK, 0);
  }
  pace_failure_pads();
}

namespace {

// The key that brought the message up, still held, must not dismiss it:
// its repeats are dropped before the message box sees them.
LRESULT CALLBACK drop_held_keys(int code, WPARAM w, LPARAM l) {
  const MSG* msg = reinterpret_cast<const MSG*>(l);
  if (code == MSGF_DIALOGBOX && msg->message == WM_KEYDOWN && (msg->lParam & (LPARAM{1} << 30)))
    return TRUE;
  return CallNextHookEx(nullptr, code, w, l);
}

}  // namespace

void Win32Platform::show_failure(const std::string& text) {
  // Owned by the menu, the box disables it until dismissed; WM_PAINT still
  // reaches it through the box's own message loop.
  failure_up_ = true;
  pace_failure_pads();
  HHOOK held_keys = SetWindowsHookExW(WH_MSGFILTER, drop_held_keys, nullptr, GetCurrentThreadId());
  MessageBoxW(window_, widen(text).c_str(), L"Zol", MB_OK | MB_ICONERROR);
  if (held_keys) UnhookWindowsHookEx(held_keys);
  failure_up_ = false;
  if (window_) KillTimer(window_, kFailurePadTimer);
}

}  // namespace zol::win32
