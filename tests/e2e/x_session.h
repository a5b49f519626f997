#pragma once
// A real X server (Xvfb, optionally with openbox) for end-to-end tests of
// the real zol binary: start it, drive the pointer with xdotool, read the
// window's pixels and properties back. Every process it starts it ends by
// its PID.

#include <gtest/gtest.h>
#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/image.h"
#include "tests/e2e/child_process.h"

namespace zol::e2e {

// Where the binary under test lies; set by the build.
std::string zol_binary();

struct Geometry {
  int x = 0, y = 0, width = 0, height = 0;
};

class XSession {
 public:
  // An X server of `depth` bits a pixel (its default visual's depth).
  XSession(int width, int height, bool window_manager, int depth = 24);
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;

  const std::string& display() const { return display_; }

  // Starts `program` with `args` in `dir` (or here), with DISPLAY set,
  // PATH set to `path` when given and `env` ("NAME=value") in place of
  // what the test's own environment says. Output goes to files in the
  // test dir, unless `streams` says otherwise.
  pid_t start(const std::string& program, const std::vector<std::string>& args = {},
              const std::string& dir = "", const std::string& path = "",
              const std::vector<std::string>& env = {}, const Streams& streams = {});
  // The top-level window whose WM_NAME is `name`, waiting up to `seconds`
  // for it to be mapped; 0 when none came.
  unsigned long wait_for_window(const std::string& name, double seconds = 10);
  // The exit status of `pid`, waiting up to `seconds`; nullopt if it still runs.
  std::optional<int> wait_exit(pid_t pid, double seconds = 10);
  // What a started program wrote on stderr, or stdout, so far.
  std::string stderr_of(pid_t pid) const { return output_of(pid, ".err"); }
  std::string stdout_of(pid_t pid) const { return output_of(pid, ".out"); }

  Geometry geometry(unsigned long window);
  // Pixels of the screen, 0x00RRGGBB, top-down. Channels of fewer than 8
  // bits are widened by repeating their bits, wider ones cut to their top 8.
  Image grab(int x, int y, int width, int height);
  // `image` as this screen shows it: each channel cut to the bits the
  // default visual has for it, then widened again as grab() does.
  Image as_shown(const Image& image) const;
  Image grab_window(unsigned long window);
  std::vector<long> cardinals(unsigned long window, const std::string& property);
  std::string text_property(unsigned long window, const std::string& property);
  void send_close_request(unsigned long window);
  // Waits (bounded) until `window` has the keyboard focus.
  bool wait_for_focus(unsigned long window, double seconds = 5);
  // Maps a plain window named `name` for another client to hold the focus;
  // it lives as long as the session.
  unsigned long open_window(const std::string& name);
  // Gives `window` the focus, as a program clicked with no window manager
  // to give it takes it itself.
  void set_focus(unsigned long window);
  // Holds the keyboard, as a screen locker does, until ungrab_keyboard();
  // false when another client holds it already.
  bool grab_keyboard();
  void ungrab_keyboard();

  // Merges Xft.dpi into the server's resource string, as a desktop's
  // settings daemon does; read by every client that starts after.
  void set_xft_dpi(int dpi);
  // Runs as the screen's XSETTINGS manager announcing Gdk/WindowScalingFactor,
  // as GTK desktops do.
  void set_gtk_scale(int factor);

  // Runs a program with DISPLAY set to its end; its exit status.
  int run(const std::vector<std::string>& argv);

  // xdotool, waiting for it to finish.
  void xdotool(const std::vector<std::string>& args);
  void move_pointer(int x, int y) { xdotool({"mousemove", std::to_string(x), std::to_string(y)}); }
  void click(int x, int y);

  // Waits (bounded) until the screen at the rectangle equals `expected`.
  bool wait_for_pixels(int x, int y, const Image& expected, double seconds = 5);

  void kill_server();

 private:
  std::string output_of(pid_t pid, const std::string& stream) const;
  void start_server(int width, int height, int depth);
  void start_window_manager();
  void* connection();

  std::string display_;
  pid_t server_ = -1;
  std::vector<pid_t> children_;
  std::map<pid_t, std::string> logs_;
  void* display_handle_ = nullptr;
  bool true_colour_ = true;
  unsigned long masks_[3] = {0xFF0000, 0x00FF00, 0x0000FF};  // red, green, blue
};

// Writes `image` as a BMP file under the test output folder; its path.
std::string keep_picture(const Image& image, const std::string& name);

// Compares two pictures exactly; on a mismatch writes both (and where they
// differ) as BMP files under the test output folder and says where.
::testing::AssertionResult same_pixels(const Image& actual, const Image& expected,
                                       const std::string& name);

// A fresh directory removed at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace zol::e2e
