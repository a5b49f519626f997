// The Win32 platform: one WS_POPUP window painted from the framebuffer,
// pointer messages, keys and XInput's pads as neutral events (the pads read
// in the loop's own wait), programs started with CreateProcessW
// and addresses handed to ShellExecuteA. Per-monitor DPI aware through the
// manifest (host/win32/zol.manifest): it reports the monitor's DPI and passes DPI
// changes on, and the core scales. No Windows type leaves the Win32 room.

// Wide-character APIs throughout; no min/max macros.
#define UNICODE
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <windowsx.h>
#include <dbt.h>

#include <algorithm>
#include <cwctype>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/failure.h"
#include "host/win32/key_map.h"
#include "host/win32/system_library.h"
#include "host/win32/xinput_pads.h"

namespace zol {
namespace {

constexpr wchar_t kClassName[] = L"ZolForm";
constexpr int kIconGroup = 1;  // the icon group in the executable's resources
constexpr UINT_PTR kFailurePadTimer = 1;

std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), n);
  return out;
}

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

// The system's own wording for an error code, as the end of a sentence:
// German where Windows has it, else in the system's language.
std::string system_reason(DWORD code) {
  std::wstring text;
  for (DWORD language : {DWORD{MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)}, DWORD{0}}) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer),
                                   0, nullptr);
    if (buffer) {
      text.assign(buffer, n);
      LocalFree(buffer);
    }
    if (!text.empty()) break;
  }
  while (!text.empty() && (std::iswspace(text.back()) || text.back() == L'.')) text.pop_back();
  return (text.empty() ? std::string("Windows-Fehler") : narrow(text)) + " (Fehler " +
         std::to_string(code) + ").";
}

// The directory of the running executable, without a trailing separator.
std::wstring executable_dir() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) fail_to_find_executable(system_reason(GetLastError()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/"));
}

// One argument as CommandLineToArgvW and the C runtime read it back.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L'"';
}

std::string start_reason(DWORD code, const std::wstring& dir, const std::wstring& path) {
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
    return not_found_beside(narrow(dir));
  // Which error a directory gives differs between Windows and wine.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return kIsDirectory;
  switch (code) {
    case ERROR_ACCESS_DENIED:
      return "Der Zugriff auf die Datei wurde verweigert.";
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MARKED_INVALID:
    case ERROR_INVALID_EXE_SIGNATURE:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
      return kNotAProgram;
    default:
      return system_reason(code);
  }
}

using ShellExecuteAFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

class Win32Platform final : public Platform {
 public:
  ~Win32Platform() override {
    destroy_window();
    if (class_) UnregisterClassW(kClassName, instance_);
  }

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
  win32::XInputPads pads_;
  HDEVNOTIFY device_notice_ = nullptr;
  bool failure_up_ = false;  // the failure message is on the screen
};

win32::XInputPads::Clock now() { return win32::XInputPads::Clock(GetTickCount64()); }

void Win32Platform::register_class() {
  if (class_) return;
  // The executable's icon group holds the same images as spec.icons.
  auto icon = [&](int cx, int cy) {
    return static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kIconGroup), IMAGE_ICON,
                                         GetSystemMetrics(cx), GetSystemMetrics(cy), LR_SHARED));
  };
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = instance_;
  wc.hIcon = icon(SM_CXICON, SM_CYICON);
  wc.hIconSm = icon(SM_CXSMICON, SM_CYSMICON);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  class_ = RegisterClassExW(&wc);
  if (!class_ && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw PlatformError("Das Fenster ließ sich nicht anlegen: " + system_reason(GetLastError()));
}

using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the scale the user set

// The monitor's DPI as the user set it (Windows 8.1 on, through shcore);
// before that one DPI for the whole desktop.
int monitor_dpi(HMONITOR monitor) {
  if (HMODULE shcore = win32::load_system_library(L"shcore.dll")) {
    UINT x = 0, y = 0;
    HRESULT result = E_NOTIMPL;
    if (FARPROC entry = GetProcAddress(shcore, "GetDpiForMonitor"))
      result = reinterpret_cast<GetDpiForMonitorFunction>(reinterpret_cast<void (*)()>(entry))(
          monitor, kEffectiveDpi, &x, &y);
    FreeLibrary(shcore);
    if (SUCCEEDED(result) && x > 0) return static_cast<int>(x);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// The whole monitor, taskbar and all, in device pixels.
DeviceRect monitor_area(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(monitor, &info)) area = info.rcMonitor;
  return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

// The whole monitor under the pointer, not its work area: the menu sits in
// the middle of the picture the user sees, as on Linux, wherever a taskbar
// lies. Per-monitor aware, the process sees it in device pixels.
Screen Win32Platform::screen() {
  POINT cursor{};
  GetCursorPos(&cursor);
  HMONITOR monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY);
  return {monitor_dpi(monitor), monitor_area(monitor)};
}

constexpr DWORD kStyle = WS_POPUP;

// The window rectangle whose client area is `where`.
RECT window_rect(DeviceRect where) {
  RECT frame{where.x, where.y, where.x + where.w, where.y + where.h};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  return frame;
}

// The client area of the window rectangle `frame`.
DeviceRect client_rect(const RECT& frame) {
  const RECT border = window_rect({});
  return {frame.left - border.left, frame.top - border.top,
          (frame.right - frame.left) - (border.right - border.left),
          (frame.bottom - frame.top) - (border.bottom - border.top)};
}

void Win32Platform::create_window(const WindowSpec& spec) {
  destroy_window();
  register_class();
  const RECT frame = window_rect(spec.where);
  window_ = CreateWindowExW(0, kClassName, widen(spec.title).c_str(), kStyle, frame.left,
                            frame.top, frame.right - frame.left, frame.bottom - frame.top,
                            nullptr, nullptr, instance_, this);
  if (!window_)
    throw PlatformError("Das Fenster ließ sich nicht anlegen: " + system_reason(GetLastError()));
  device_notice_ = win32::notify_on_pad_arrivals(window_);
}

void Win32Platform::place_window(DeviceRect where) {
  if (!window_) return;
  const RECT frame = window_rect(where);
  SetWindowPos(window_, nullptr, frame.left, frame.top, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Platform::present(const Framebuffer& frame, std::span<const DeviceRect> areas) {
  frame_ = &frame;
  if (!window_) return;
  for (const DeviceRect& r : areas) {
    const RECT dirty{r.x, r.y, r.x + r.w, r.y + r.h};
    InvalidateRect(window_, &dirty, FALSE);
  }
}

void Win32Platform::show_window() {
  if (!window_) return;
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

void Win32Platform::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  if (dc && frame_ && !frame_->pixels.empty()) {
    const RECT& dirty = ps.rcPaint;
    const DeviceRect part = intersect(
        DeviceRect{dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top},
        {0, 0, frame_->width, frame_->height});
    if (!part.empty()) {
      // 0x00RRGGBB top-down is a 32-bit BI_RGB DIB with a negative height.
      // The source y counts from the bottom edge even so.
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = frame_->width;
      info.bmiHeader.biHeight = -frame_->height;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      SetDIBitsToDevice(dc, part.x, part.y, static_cast<DWORD>(part.w), static_cast<DWORD>(part.h),
                        part.x, frame_->height - (part.y + part.h), 0,
                        static_cast<UINT>(frame_->height),
                        frame_->pixels.data(), &info, DIB_RGB_COLORS);
    }
  }
  EndPaint(window_, &ps);
}

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

// The system proposes a size for the window at the DPI it moves to; the
// menu's own is exact, not the old one multiplied.
BOOL Win32Platform::scaled_size(int dpi, SIZE& size) const {
  if (!sink_) return FALSE;
  // The monitor the window mostly lies on: the one whose DPI it takes.
  const Screen screen{dpi, monitor_area(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST))};
  const DeviceSize client = sink_->window_size_at(screen);
  const RECT frame = window_rect({0, 0, client.w, client.h});
  size = {frame.right - frame.left, frame.bottom - frame.top};
  return TRUE;
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

void Win32Platform::destroy_window() {
  if (HDEVNOTIFY notice = std::exchange(device_notice_, nullptr))
    UnregisterDeviceNotification(notice);
  if (HWND window = std::exchange(window_, nullptr)) DestroyWindow(window);
}

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

// The key that brought the message up, still held, must not dismiss it:
// its repeats are dropped before the message box sees them.
LRESULT CALLBACK drop_held_keys(int code, WPARAM w, LPARAM l) {
  const MSG* msg = reinterpret_cast<const MSG*>(l);
  if (code == MSGF_DIALOGBOX && msg->message == WM_KEYDOWN && (msg->lParam & (LPARAM{1} << 30)))
    return TRUE;
  return CallNextHookEx(nullptr, code, w, l);
}

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

int show_command(WindowState state) {
  return state == WindowState::MinimisedWithFocus ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
}

void Win32Platform::start_program(const std::string& program,
                                  const std::vector<std::string>& args, WindowState state) {
  require_bare_file_name(program);
  const std::wstring dir = executable_dir();
  // The full path as the application name: no search, so nothing planted
  // in the working directory or on PATH can be started instead.
  const std::wstring path = dir + L"\\" + widen(program);
  std::wstring command = quoted(widen(program));
  for (const std::string& arg : args) command += L" " + quoted(widen(arg));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show_command(state));
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.c_str(), &startup, &process))
    fail_to_start(program, start_reason(GetLastError(), dir, path));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

void Win32Platform::open_address(const std::string& verb, const std::string& address,
                                 WindowState state) {
  if (!shell_execute_) {
    HMODULE shell = win32::load_system_library(L"shell32.dll");
    if (!shell)
      throw PlatformError("\"shell32.dll\" konnte nicht geladen werden: " +
                          system_reason(GetLastError()));
    FARPROC entry = GetProcAddress(shell, "ShellExecuteA");
    if (!entry)
      throw PlatformError("\"ShellExecuteA\" fehlt in \"shell32.dll\": " +
                          system_reason(GetLastError()));
    shell_execute_ = reinterpret_cast<ShellExecuteAFunction>(reinterpret_cast<void (*)()>(entry));
  }
  shell_execute_(nullptr, verb.c_str(), address.c_str(), nullptr, nullptr, show_command(state));
}

}  // namespace

// A GUI process inherits no console descriptors worth guarding, and
// Windows has no SIGPIPE: nothing to settle.
void settle_process() {}

std::unique_ptr<Platform> make_platform() { return std::make_unique<Win32Platform>(); }

}  // namespace zol
