// The window: its class and icons, its place and size on the monitor at
// the monitor's DPI, and its pixels painted from the framebuffer.

#include "host/win32/platform.h"

#include <utility>

namespace zol::win32 {
namespace {

constexpr wchar_t kClassName[] = L"ZolForm";
constexpr int kIconGroup = 1;  // the icon group in the executable's resources

}  // namespace

Win32Platform::~Win32Platform() {
  destroy_window();
  if (class_) UnregisterClassW(kClassName, instance_);
}

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
  msaa_.attach(window_);
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

void Win32Platform::destroy_window() {
  if (HDEVNOTIFY notice = std::exchange(device_notice_, nullptr))
    UnregisterDeviceNotification(notice);
  msaa_.window_gone();
  if (HWND window = std::exchange(window_, nullptr)) DestroyWindow(window);
}

}  // namespace zol::win32
