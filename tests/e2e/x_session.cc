#include <gtest/gtest.h>
// (gtest first: x_session.h names its AssertionResult)
#include "tests/e2e/x_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "tests/e2e/child_process.h"
#include "tests/test_pictures.h"

extern char** environ;

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string output_dir() {
  // Outside a test (a benchmark's session), one folder for all.
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::current_path() / "e2e-output" /
                 (info ? std::string(info->test_suite_name()) + "." + info->name() : "session");
  fs::create_directories(dir);
  return dir.string();
}

// Bounded polling: synchronisation with another process, never a timing claim.
template <typename Done>
bool poll_until(double seconds, Done done) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

std::vector<std::string> environment_with(const std::string& display, const std::string& path) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.starts_with("DISPLAY=") || entry.starts_with("PATH=")) continue;
    env.push_back(entry);
  }
  env.push_back("DISPLAY=" + display);
  const char* old_path = getenv("PATH");
  env.push_back("PATH=" + (path.empty() ? std::string(old_path ? old_path : "/usr/bin:/bin") : path));
  return env;
}

Display* as_display(void* handle) { return static_cast<Display*>(handle); }

// Windows come and go while the tests look at them; Xlib's default handler
// would end the test run over a BadWindow.
int ignore_x_error(Display*, XErrorEvent*) { return 0; }

}  // namespace

XSession::XSession(int width, int height, bool window_manager, int depth) {
  start_server(width, height, depth);
  if (window_manager) start_window_manager();
}

XSession::~XSession() {
  if (display_handle_) XCloseDisplay(as_display(display_handle_));
  for (pid_t pid : children_) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  if (server_ > 0) {
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
  }
}

void XSession::start_server(int width, int height, int depth) {
  const Xvfb server =
      start_xvfb(width, height, environment_with("", ""), output_dir() + "/xvfb", depth);
  server_ = server.pid;
  display_ = server.display;
  XSetErrorHandler(ignore_x_error);
  display_handle_ = XOpenDisplay(display_.c_str());
  if (!display_handle_) throw std::runtime_error("can't open " + display_);
  Display* d = as_display(display_handle_);
  fcntl(ConnectionNumber(d), F_SETFD, FD_CLOEXEC);
  const Visual* visual = DefaultVisual(d, DefaultScreen(d));
  true_colour_ = visual->c_class == TrueColor || visual->c_class == DirectColor;
  masks_[0] = visual->red_mask, masks_[1] = visual->green_mask, masks_[2] = visual->blue_mask;
}

// openbox runs its startup command once it is in its event loop; a window
// mapped before then can be lost, as at any desktop's login.
void XSession::start_window_manager() {
  const std::string ready = output_dir() + "/openbox.ready";
  std::filesystem::remove(ready);
  children_.push_back(spawn_logged({"openbox", "--sm-disable", "--startup", "touch " + ready},
                            environment_with(display_, ""), "", output_dir() + "/openbox"));
  if (!poll_until(10, [&] { return fs::exists(ready); }))
    throw std::runtime_error("openbox did not come up");
}

pid_t XSession::start(const std::string& program, const std::vector<std::string>& args,
                      const std::string& dir, const std::string& path,
                      const std::vector<std::string>& env, const Streams& streams) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  const std::string log = output_dir() + "/" + fs::path(program).filename().string();
  std::vector<std::string> environment = environment_with(display_, path);
  for (const std::string& entry : env) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    std::erase_if(environment, [&](const std::string& e) { return e.starts_with(name); });
    environment.push_back(entry);
  }
  const pid_t pid = spawn_logged(argv, environment, dir, log, streams);
  children_.push_back(pid);
  logs_[pid] = log;
  return pid;
}

namespace {

// A channel of `bits` bits as 8 bits.
uint32_t to_8_bits(uint32_t v, int bits) {
  if (bits >= 8) return v >> (bits - 8);
  uint32_t out = 0;
  for (int filled = 0; filled < 8; filled += bits) {
    const int shift = 8 - bits - filled;
    out |= shift >= 0 ? v << shift : v >> -shift;
  }
  return out & 0xFF;
}

}  // namespace

std::string XSession::output_of(pid_t pid, const std::string& stream) const {
  std::stringstream text;
  text << std::ifstream(logs_.at(pid) + stream).rdbuf();
  return text.str();
}

unsigned long XSession::wait_for_window(const std::string& name, double seconds) {
  Display* d = as_display(display_handle_);
  Window found = 0;
  std::function<void(Window)> search = [&](Window w) {
    char* title = nullptr;
    XWindowAttributes attributes;
    if (XFetchName(d, w, &title) && title) {
      if (name == title && XGetWindowAttributes(d, w, &attributes) &&
          attributes.map_state == IsViewable)
        found = w;
      XFree(title);
    }
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!found && XQueryTree(d, w, &root, &parent, &children, &count))
      for (unsigned int i = 0; i < count && !found; ++i) search(children[i]);
    if (children) XFree(children);
  };
  poll_until(seconds, [&] {
    search(DefaultRootWindow(d));
    return found != 0;
  });
  return found;
}

std::optional<int> XSession::wait_exit(pid_t pid, double seconds) {
  int status = 0;
  if (!poll_until(seconds, [&] { return waitpid(pid, &status, WNOHANG) == pid; })) return {};
  std::erase(children_, pid);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

Geometry XSession::geometry(unsigned long window) {
  Display* d = as_display(display_handle_);
  XWindowAttributes a;
  XGetWindowAttributes(d, window, &a);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
  return {x, y, a.width, a.height};
}

Image XSession::grab(int x, int y, int width, int height) {
  Display* d = as_display(display_handle_);
  XImage* shot = XGetImage(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(width),
                           static_cast<unsigned>(height), AllPlanes, ZPixmap);
  Image image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
  std::map<unsigned long, uint32_t> palette;  // a colormapped screen's colours
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col) {
      const unsigned long p = XGetPixel(shot, col, row);
      uint32_t rgb = 0;
      if (true_colour_)
        for (unsigned long mask : masks_)
          rgb = rgb << 8 | to_8_bits((p & mask) >> std::countr_zero(mask), std::popcount(mask));
      else if (auto known = palette.find(p); known != palette.end())
        rgb = known->second;
      else {
        XColor c{};
        c.pixel = p;
        XQueryColor(d, DefaultColormap(d, DefaultScreen(d)), &c);
        rgb = palette[p] = (c.red >> 8) << 16 | (c.green >> 8) << 8 | c.blue >> 8;
      }
      image.pixels[static_cast<size_t>(row) * width + col] = rgb;
    }
  XDestroyImage(shot);
  return image;
}

Image XSession::as_shown(const Image& image) const {
  Image shown = image;
  for (uint32_t& p : shown.pixels) {
    uint32_t rgb = 0;
    for (int c = 0; c < 3; ++c) {
      const int bits = std::popcount(masks_[c]);
      const uint32_t v = p >> (16 - 8 * c) & 0xFF;
      rgb = rgb << 8 | (bits >= 8 ? v : to_8_bits(v >> (8 - bits), bits));
    }
    p = rgb;
  }
  return shown;
}

Image XSession::grab_window(unsigned long window) {
  const Geometry g = geometry(window);
  return grab(g.x, g.y, g.width, g.height);
}

// A property's items of the given format (8: chars, 32: longs, as Xlib
// hands them out); empty when it is missing or of another format.
template <typename Item>
std::vector<Item> read_property(Display* d, Window window, const std::string& name, int format) {
  Atom type;
  int got = 0;
  unsigned long count = 0, after;
  unsigned char* data = nullptr;
  XGetWindowProperty(d, window, XInternAtom(d, name.c_str(), False), 0, 1 << 20, False,
                     AnyPropertyType, &type, &got, &count, &after, &data);
  std::vector<Item> items;
  if (data && got == format) items.assign(reinterpret_cast<Item*>(data), reinterpret_cast<Item*>(data) + count);
  if (data) XFree(data);
  return items;
}

std::vector<long> XSession::cardinals(unsigned long window, const std::string& property) {
  return read_property<long>(as_display(display_handle_), window, property, 32);
}

std::string XSession::text_property(unsigned long window, const std::string& property) {
  const auto text = read_property<char>(as_display(display_handle_), window, property, 8);
  return {text.begin(), text.end()};
}

void XSession::send_close_request(unsigned long window) {
  Display* d = as_display(display_handle_);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, window, False, NoEventMask, &event);
  XFlush(d);
}

bool XSession::wait_for_focus(unsigned long window, double seconds) {
  Display* d = as_display(display_handle_);
  return poll_until(seconds, [&] {
    Window focus = 0;
    int revert;
    XGetInputFocus(d, &focus, &revert);
    return focus == window;
  });
}

void XSession::set_focus(unsigned long window) {
  Display* d = as_display(display_handle_);
  XSetInputFocus(d, window, RevertToParent, CurrentTime);
  XSync(d, False);
}

bool XSession::grab_keyboard() {
  Display* d = as_display(display_handle_);
  const int status =
      XGrabKeyboard(d, DefaultRootWindow(d), False, GrabModeAsync, GrabModeAsync, CurrentTime);
  XSync(d, False);
  return status == GrabSuccess;
}

void XSession::ungrab_keyboard() {
  Display* d = as_display(display_handle_);
  XUngrabKeyboard(d, CurrentTime);
  XSync(d, False);
}

unsigned long XSession::open_window(const std::string& name) {
  Display* d = as_display(display_handle_);
  const Window window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 200, 100, 0, 0, 0);
  XStoreName(d, window, name.c_str());
  XMapWindow(d, window);
  XSync(d, False);
  return window;
}

void XSession::set_xft_dpi(int dpi) {
  Display* d = as_display(display_handle_);
  const Window root = DefaultRootWindow(d);
  std::string merged;
  std::istringstream old(text_property(root, "RESOURCE_MANAGER"));
  for (std::string line; std::getline(old, line);)
    if (!line.starts_with("Xft.dpi:")) merged += line + "\n";
  merged += "Xft.dpi:\t" + std::to_string(dpi) + "\n";
  XChangeProperty(d, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(merged.data()),
                  static_cast<int>(merged.size()));
  XSync(d, False);
}

void XSession::set_gtk_scale(int factor) {
  Display* d = as_display(display_handle_);
  const std::string name = "Gdk/WindowScalingFactor";  // 23 bytes, padded to 24
  std::vector<uint8_t> settings = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0,  // LSB first, serial, one
                                   0, 0, static_cast<uint8_t>(name.size()), 0};  // an integer
  settings.insert(settings.end(), name.begin(), name.end());
  settings.push_back(0);
  for (uint32_t v : {0u, static_cast<uint32_t>(factor)})  // last change serial, value
    for (int i = 0; i < 4; ++i) settings.push_back(static_cast<uint8_t>(v >> 8 * i));
  const Atom property = XInternAtom(d, "_XSETTINGS_SETTINGS", False);
  const Window manager = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  XChangeProperty(d, manager, property, property, 8, PropModeReplace, settings.data(),
                  static_cast<int>(settings.size()));
  XSetSelectionOwner(d, XInternAtom(d, "_XSETTINGS_S0", False), manager, CurrentTime);
  XSync(d, False);
}

void XSession::xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  const pid_t pid = spawn_logged(argv, environment_with(display_, ""), "", output_dir() + "/xdotool");
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("xdotool " + (args.empty() ? "" : args[0]) + " failed");
}

int XSession::run(const std::vector<std::string>& argv) {
  const std::string log = output_dir() + "/" + fs::path(argv.at(0)).filename().string();
  const pid_t pid = spawn_logged(argv, environment_with(display_, ""), "", log);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void XSession::click(int x, int y) {
  move_pointer(x, y);
  xdotool({"click", "1"});
}

bool XSession::wait_for_pixels(int x, int y, const Image& expected, double seconds) {
  return poll_until(seconds, [&] {
    return grab(x, y, expected.width, expected.height).pixels == expected.pixels;
  });
}

void XSession::kill_server() {
  if (display_handle_) XCloseDisplay(as_display(display_handle_));
  display_handle_ = nullptr;
  kill(server_, SIGKILL);
  waitpid(server_, nullptr, 0);
  server_ = -1;
}

std::string keep_picture(const Image& image, const std::string& name) {
  const std::string file = output_dir() + "/" + name + ".bmp";
  test::write_bmp(image, file);
  return file;
}

::testing::AssertionResult same_pixels(const Image& actual, const Image& expected,
                                       const std::string& name) {
  if (actual.width == expected.width && actual.height == expected.height &&
      actual.pixels == expected.pixels)
    return ::testing::AssertionSuccess();
  const std::string dir = output_dir();
  keep_picture(actual, name + "-actual");
  keep_picture(expected, name + "-expected");
  size_t differ = 0;
  int first_x = -1, first_y = -1;
  if (actual.width == expected.width && actual.height == expected.height)
    for (int y = 0; y < actual.height; ++y)
      for (int x = 0; x < actual.width; ++x)
        if (actual.at(x, y) != expected.at(x, y) && differ++ == 0) first_x = x, first_y = y;
  return ::testing::AssertionFailure()
         << name << ": " << actual.width << "x" << actual.height << " vs " << expected.width
         << "x" << expected.height << ", " << differ << " pixels differ (first at " << first_x
         << "," << first_y << "); pictures in " << dir;
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "zol-e2e-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace zol::e2e
