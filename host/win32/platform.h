#pragma once
// Private to the Win32 platform: what its files share, included nowhere
// else, so no Windows type leaks out.

#include "host/win32/system_library.h"  // windows.h as the room includes it

#include <exception>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/platform.h"
#include "host/win32/xinput_pads.h"

namespace zol::win32 {

constexpr UINT_PTR kFailurePadTimer = 1;

// UTF-8 to the system's UTF-16 and back.
std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);

// The system's own wording for an error code, as the end of a sentence:
// German where Windows has it, else in the system's language.
std::string system_reason(DWORD code);

// The whole monitor, taskbar and all, in device pixels.
DeviceRect monitor_area(HMONITOR monitor);

// The window rectangle whose client area is `where`, and back.
RECT window_rect(DeviceRect where);
DeviceRect client_rect(const RECT& frame);

// The pads' clock.
XInputPads::Clock now();

using ShellExecuteAFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

class Win32Platform final : public Platform {
 public:
  ~Win32Platform() override;

  Screen screen() override;
  void create_window(const WindowSpec& spec) override;
  void place_window(DeviceRect where) override;
  void present(const Framebuffer& frame, std::span<const DeviceRect> areas) override;
  void show_window() override;
  void run(EventSink& sink) override;
  void destroy_window() override;
  void show_failure(const std::string& text) override;
  void start_program(const std::string& program, const std::vector<std::string>& args,
                     WindowState state) override;
  void open_address(const std::string& verb, const std::string& address,
                    WindowState state) override;
  void release(std::span<const uint8_t> bytes) override;

 private:
  static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT handle(HWND window, UINT message, WPARAM w, LPARAM l);
  void register_class();
  void paint();
  void deliver(PointerEvent::Kind kind, int button, LPARAM l);
  BOOL scaled_size(int dpi, SIZE& size) const;
  template <typename Call>
  void to_sink(Call call);
  void navigate(std::optional<Navigation> step);
  void pace_failure_pads();
  void read_failure_pads();

  HINSTANCE instance_ = GetModuleHandleW(nullptr);
  ATOM class_ = 0;
  HWND window_ = nullptr;
  const Framebuffer* frame_ = nullptr;
  // Set only while run() delivers: without it (the failure message is up)
  // pointer messages and close requests reach nothing.
  EventSink* sink_ = nullptr;
  // An exception must not unwind through the system's frames: a handler's
  // is kept here and rethrown by run().
  std::exception_ptr failure_;
  ShellExecuteAFunction shell_execute_ = nullptr;
  XInputPads pads_;
  HDEVNOTIFY device_notice_ = nullptr;
  bool failure_up_ = false;  // the failure message is on the screen
};

}  // namespace zol::win32
