#pragma once
// The seam between the host core and the operating system.

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace zol {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
  bool empty() const { return w <= 0 || h <= 0; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Pixels as 0x00RRGGBB, rows top-down, no padding: the layout of a 32-bit
// TrueColor XImage and of a top-down 32-bit Windows DIB alike.
struct Framebuffer {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

// One icon image as the desktop wants it: 0xAARRGGBB, rows top-down.
struct IconImage {
  int size = 0;
  std::vector<uint32_t> argb;
};

struct PointerEvent {
  enum class Kind { Move, Press, Release };
  Kind kind = Kind::Move;
  int x = 0, y = 0;    // client pixels; may lie outside the client area during a grab
  int button = 0;      // 1 = primary; 0 for moves
};

// What the platform's event loop delivers to, one event at a time.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void pointer(const PointerEvent& event) = 0;
  virtual void close_requested() = 0;
  // The queue is empty: the moment to paint what changed.
  virtual void idle() = 0;
  // False ends the event loop.
  virtual bool running() const = 0;
};

// A failure the platform reports (a program that can't be started, a
// library that can't be bound). Its text is shown to the user as it stands.
class PlatformError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct WindowSpec {
  int width = 0, height = 0;
  std::string title;
  std::span<const IconImage> icons;
};

// Everything the host and the menu need from the operating system. An
// abstract interface so that tests can put a recording fake in its place.
class Platform {
 public:
  virtual ~Platform() = default;

  // Creates the window hidden and centred; it shows nothing until show().
  virtual void create_window(const WindowSpec& spec) = 0;
  // Pushes these rectangles of the framebuffer to the window. The
  // framebuffer always holds the whole window as last composed, so the
  // platform repaints exposed areas from it on its own, also while the
  // failure message is up: it must outlive the platform.
  virtual void present(const Framebuffer& frame, std::span<const Rect> areas) = 0;
  // Maps the window; the first frame is presented before this.
  virtual void show_window() = 0;
  // Delivers events to the sink until sink.running() turns false.
  virtual void run(EventSink& sink) = 0;
  virtual void destroy_window() = 0;

  // A modal message naming a failure; returns when it is dismissed. The
  // window stays on the screen behind it, painted, taking no pointer events.
  virtual void show_failure(const std::string& text) = 0;

  // Starts `program` (a bare file name, found beside this executable) with
  // `args` and does not wait for it. Throws PlatformError when it can't be
  // started. `show_hint` is a window-state hint where the platform has them.
  virtual void start_program(const std::string& program, const std::vector<std::string>& args,
                             int show_hint) = 0;
  // Hands `address` to the user's handler for `verb`; does not wait and
  // does not report the outcome. Throws PlatformError only when the
  // mechanism itself can't be reached.
  virtual void open_address(const std::string& verb, const std::string& address,
                            int show_command) = 0;
};

// The real platform of this build, chosen by CMake.
std::unique_ptr<Platform> make_platform();

}  // namespace zol
