#pragma once
// The seam between the host core and the operating system.

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/accessibility.h"
#include "host/image.h"
#include "host/units.h"

namespace zol {

// The window's pixels, in device pixels: the framebuffer is the window.
// Pixels as 0x00RRGGBB, rows top-down, no padding: the layout of a 32-bit
// TrueColor XImage and of a top-down 32-bit Windows DIB alike.
struct Framebuffer {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

struct PointerEvent {
  enum class Kind { Move, Press, Release };
  Kind kind = Kind::Move;
  DevicePoint at;   // from the client area's top left; may lie outside it during a grab
  int button = 0;   // in X11's numbering: 1 = primary, 2 middle, 3 secondary; 0 for moves
};

// What the platform knows of the screen the menu opens on: the monitor
// under the pointer, in the desktop's device pixels, and its DPI as the
// system gives it (96 when it gives none). The platform reports the DPI as
// it finds it; rounding it to a scale step and fitting the window to the
// monitor are the core's (host/scale.h).
struct Screen {
  int dpi = 96;
  DeviceRect monitor;
};

// How a started program's first window should come up, where the system
// takes such a hint (Windows: SW_SHOWNORMAL, SW_SHOWMINIMIZED); others drop it.
enum class WindowState { Normal, MinimisedWithFocus };

// What a key or a controller button asks of the menu, whatever the device:
// each platform turns its own key codes and buttons into these at its edge.
enum class Navigation { Previous, Next, Activate, Back };

// What the platform's event loop delivers to, one event at a time.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void pointer(const PointerEvent& event) = 0;
  virtual void close_requested() = 0;
  // A key or a controller button, only while the window has the focus.
  virtual void navigate(Navigation step) = 0;
  // The queue is empty: the moment to paint what changed.
  virtual void idle() = 0;
  // False ends the event loop.
  virtual bool running() const = 0;

  // The window's DPI changed while it is open (Windows: WM_DPICHANGED, when
  // the scale setting changes or the window lands on a monitor of another
  // DPI): `screen` is the DPI the system gives and the monitor of
  // `suggested`. The sink picks its scale step from them as at start
  // (host/scale.h), rebuilds its geometry and pictures at it, calls
  // Platform::place_window with its own exact size at the top left of
  // `suggested`, moved to lie on the monitor, and presents the whole new
  // frame, all before it returns.
  virtual void dpi_changed(const Screen& screen, DeviceRect suggested) = 0;
  // The window's exact client size for `screen`, as dpi_changed would make
  // it (Windows: the answer to WM_GETDPISCALEDSIZE). Changes nothing.
  virtual DeviceSize window_size_at(const Screen& screen) const = 0;
};

// A failure the platform reports (a program that can't be started, a
// library that can't be bound). Its text is shown to the user as it stands.
class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct WindowSpec {
  DeviceRect where;  // the client area on the desktop, placed by the core
  // The scale step the menu is drawn at (a multiple of 24, at least 96): a
  // platform draws what it paints itself, such as the failure message, at it.
  int dpi = 96;
  std::string title;
  std::span<const IconImage> icons;
};

// Everything the host and the menu need from the operating system. An
// abstract interface so that tests can put a recording fake in its place.
class Platform {
 public:
  virtual ~Platform() = default;

  // The monitor under the pointer and its DPI; asked once, before
  // create_window. May connect to the window system; throws PlatformError
  // when it can't be reached.
  virtual Screen screen() = 0;
  // Creates the window hidden with its client area at exactly spec.where;
  // it shows nothing until show().
  virtual void create_window(const WindowSpec& spec) = 0;
  // Moves the window's client area to `where` and gives it that size
  // (after a DPI change). The frame presented next fills it.
  virtual void place_window(DeviceRect where) = 0;
  // Pushes these rectangles of the framebuffer to the window. The
  // framebuffer always holds the whole window as last composed, so the
  // platform repaints exposed areas from it on its own, also while the
  // failure message is up: it must outlive the platform.
  virtual void present(const Framebuffer& frame, std::span<const DeviceRect> areas) = 0;
  // Maps the window; the first frame is presented before this.
  virtual void show_window() = 0;
  // Delivers events to the sink until sink.running() turns false. Pointer
  // positions are device pixels of the client area, never scaled.
  virtual void run(EventSink& sink) = 0;
  virtual void destroy_window() = 0;

  // The menu as a screen reader sees it, handed over once the first frame
  // is on its way; it outlives the window. A platform with a screen reader
  // adapter serves it from then on, and starts nothing before one asks.
  virtual void describe(AccessibleMenu& menu) { (void)menu; }

  // A modal message naming a failure; returns when it is dismissed. The
  // window stays on the screen behind it, painted, taking no pointer events.
  virtual void show_failure(const std::string& text) = 0;

  // Starts `program` (a bare file name, found beside this executable) with
  // `args` and does not wait for it. Throws PlatformError when it can't be
  // started.
  virtual void start_program(const std::string& program, const std::vector<std::string>& args,
                             WindowState state) = 0;
  // Hands `address` to the user's handler for `verb`; does not wait and
  // does not report the outcome. Throws PlatformError only when the
  // mechanism itself can't be reached.
  virtual void open_address(const std::string& verb, const std::string& address,
                            WindowState state) = 0;

  // The core is done with these bytes of the executable's built-in data:
  // their pages may leave the process's memory; the system reads them
  // again from the file should they be touched again. A hint: a platform
  // may ignore it.
  virtual void release(std::span<const uint8_t> bytes) { (void)bytes; }
};

// Makes the process safe to run however it was started, before the menu
// opens anything (on POSIX: descriptors 0-2, SIGPIPE); per platform.
void settle_process();

// The real platform of this build, chosen by CMake.
std::unique_ptr<Platform> make_platform();

}  // namespace zol
