#include "host/x11/platform.h"

#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "host/x11/presenter.h"
#include "host/scale.h"
#include "host/posix/spawn.h"

namespace zol {
namespace x11 {
namespace {

int on_io_error(Display*) {
  static const char msg[] = "zol: Verbindung zum X-Server verloren\n";
  ssize_t ignored = write(STDERR_FILENO, msg, sizeof msg - 1);
  (void)ignored;
  _exit(1);
}

// Set while an ErrorTrap lives: the first error it caught.
bool trapping = false;
std::optional<std::string> trapped;

// A protocol error (say a window gone in a race) is not worth dying for,
// unless a window is being made.
int on_error(Display* display, XErrorEvent* e) {
  char text[256] = "";
  XGetErrorText(display, e->error_code, text, sizeof text);
  char line[400];
  std::snprintf(line, sizeof line, "%s (Anfrage %d.%d)", text, e->request_code, e->minor_code);
  if (!trapping)
    std::fprintf(stderr, "zol: X-Fehler: %s\n", line);
  else if (!trapped)
    trapped = line;
  return 0;
}

}  // namespace

ErrorTrap::ErrorTrap() {
  trapping = true;
  trapped.reset();
}

ErrorTrap::~ErrorTrap() {
  trapping = false;
  trapped.reset();
}

std::optional<std::string> ErrorTrap::first_error(Display* display) {
  XSync(display, False);
  return trapped;
}

void ErrorTrap::check(Display* display, const std::string& what) {
  if (auto error = first_error(display)) throw PlatformError(what + ": X-Fehler " + *error + ".");
}

Display* open_display() {
  XSetIOErrorHandler(on_io_error);
  XSetErrorHandler(on_error);
  Display* display = XOpenDisplay(nullptr);
  if (display) fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
  return display;
}

int dpi_from_resources(const char* resources) {
  constexpr int kDefault = 96, kLeast = 48, kMost = 480;
  if (!resources) return kDefault;
  XrmInitialize();
  XrmDatabase db = XrmGetStringDatabase(resources);
  if (!db) return kDefault;
  char* type = nullptr;
  XrmValue value{};
  std::string text;
  if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
    text.assign(value.addr, value.size && !value.addr[value.size - 1] ? value.size - 1 : value.size);
  XrmDestroyDatabase(db);
  char* end = nullptr;
  const double dpi = std::strtod(text.c_str(), &end);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  if (text.empty() || !end || *end || !std::isfinite(dpi) || dpi < kLeast || dpi > kMost)
    return kDefault;
  return static_cast<int>(std::lround(dpi));
}

namespace {

// The XSETTINGS wire format: in the manager's byte order, every item padded
// to 4 bytes. Reads fail softly: past the end, everything is 0 and !ok.
class SettingsReader {
 public:
  explicit SettingsReader(std::span<const uint8_t> bytes) : bytes_(bytes) {
    msb_ = u8() == 1;
    skip(3);
  }
  bool ok() const { return ok_; }
  uint8_t u8() { return static_cast<uint8_t>(take(1)); }
  uint16_t u16() { return static_cast<uint16_t>(take(2)); }
  uint32_t u32() { return take(4); }
  std::string_view text(size_t length) {
    if (!fits(length)) return {};
    const std::string_view t(reinterpret_cast<const char*>(bytes_.data() + at_), length);
    skip(length + (4 - length % 4) % 4);
    return t;
  }
  void skip(size_t n) { at_ = fits(n) ? at_ + n : bytes_.size(); }

 private:
  bool fits(size_t n) {
    ok_ = ok_ && n <= bytes_.size() - at_;
    return ok_;
  }
  uint32_t take(int n) {
    if (!fits(static_cast<size_t>(n))) return 0;
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      const uint32_t byte = bytes_[at_ + (msb_ ? i : n - 1 - i)];
      v = v << 8 | byte;
    }
    at_ += static_cast<size_t>(n);
    return v;
  }
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
  bool msb_ = false, ok_ = true;
};

}  // namespace

int window_scaling_factor(std::span<const uint8_t> settings) {
  enum : uint8_t { kInteger = 0, kString = 1, kColour = 2 };
  SettingsReader r(settings);
  r.u32();  // serial
  const uint32_t count = r.u32();
  for (uint32_t i = 0; i < count && r.ok(); ++i) {
    const uint8_t type = r.u8();
    r.skip(1);
    const std::string_view name = r.text(r.u16());
    r.u32();  // last change serial
    if (type == kInteger) {
      const auto value = static_cast<int32_t>(r.u32());
      if (r.ok() && name == "Gdk/WindowScalingFactor") return value > 0 ? value : 0;
    } else if (type == kString) {
      r.text(r.u32());
    } else if (type == kColour) {
      r.skip(8);
    } else {
      return 0;
    }
  }
  return 0;
}

int desktop_dpi(const char* resources, std::span<const uint8_t> xsettings) {
  constexpr int kMost = 480;
  const int dpi = dpi_from_resources(resources);
  const int factor = window_scaling_factor(xsettings);
  return factor > 0 && factor <= kMost / kBaseDpi ? std::max(dpi, factor * kBaseDpi) : dpi;
}

void set_fixed_size(Display* display, Window window, DeviceRect where) {
  XSizeHints* size = XAllocSizeHints();
  size->flags = PPosition | PSize | PMinSize | PMaxSize;
  size->x = where.x;
  size->y = where.y;
  size->width = size->min_width = size->max_width = where.w;
  size->height = size->min_height = size->max_height = where.h;
  XSetWMNormalHints(display, window, size);
  XFree(size);
}

void set_identity(Display* display, Window window, DeviceRect where, const std::string& title) {
  set_fixed_size(display, window, where);
  XWMHints* hints = XAllocWMHints();
  hints->flags = InputHint | StateHint;
  hints->input = True;
  hints->initial_state = NormalState;
  XClassHint* cls = XAllocClassHint();
  cls->res_name = const_cast<char*>("zol");
  cls->res_class = const_cast<char*>("Zol");
  Xutf8SetWMProperties(display, window, title.c_str(), title.c_str(), nullptr, 0, nullptr, hints,
                       cls);
  XFree(hints);
  XFree(cls);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
  long pid = getpid();
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
  Atom close = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &close, 1);
}

DeviceRect monitor_at_pointer(Display* display) {
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  DeviceRect whole{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};

  Window root_ret, child;
  int px = 0, py = 0, wx, wy;
  unsigned mask;
  XQueryPointer(display, root, &root_ret, &child, &px, &py, &wx, &wy, &mask);

  int event_base, error_base, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &event_base, &error_base) ||
      !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105)
    return whole;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
  if (!monitors) return whole;
  DeviceRect fallback = whole;
  std::optional<DeviceRect> hit;
  for (int i = 0; i < count; ++i) {
    DeviceRect m{monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height};
    if (i == 0 || monitors[i].primary) fallback = m;
    if (!hit && m.contains({px, py})) hit = m;
  }
  XRRFreeMonitors(monitors);
  return hit.value_or(fallback);
}

}  // namespace x11

namespace {

class X11Platform final : public Platform {
 public:
  ~X11Platform() override { destroy_window(); }

  Screen screen() override;
  void create_window(const WindowSpec& spec) override;
  void place_window(DeviceRect where) override;
  void present(const Framebuffer& frame, std::span<const DeviceRect> areas) override;
  void show_window() override;
  void run(EventSink& sink) override;
  void destroy_window() override;
  void show_failure(const std::string& text) override;

  // X has no window-state hint for a program yet to start.
  void start_program(const std::string& program, const std::vector<std::string>& args,
                     WindowState) override {
    start_beside(executable_dir(), program, args);
  }
  // xdg-open only opens, so the verb and the window state have no say.
  void open_address(const std::string&, const std::string& address, WindowState) override {
    open_with_desktop(address);
  }

 private:
  Atom atom(const char* name) { return XInternAtom(display_, name, False); }
  void connect();
  void set_properties(const WindowSpec& spec);
  void push(DeviceRect area);
  void dispatch(XEvent& event, EventSink& sink);

  Display* display_ = nullptr;
  Window window_ = 0;
  std::optional<x11::Presenter> presenter_;
  Colormap own_colormap_ = 0;
  GC gc_ = nullptr;
  Atom wm_protocols_ = 0, wm_delete_ = 0;
  bool mapped_ = false;
  int dpi_ = 0;  // the scale step the menu is drawn at; 0 before create_window
  const Framebuffer* frame_ = nullptr;
};

void X11Platform::connect() {
  if (display_) return;
  display_ = x11::open_display();
  if (!display_)
    throw PlatformError(
        "Keine Verbindung zum X-Server (DISPLAY nicht gesetzt oder nicht erreichbar).");
}

// The settings manager's XSETTINGS, if a desktop runs one.
std::vector<uint8_t> xsettings(Display* display) {
  const std::string selection = "_XSETTINGS_S" + std::to_string(DefaultScreen(display));
  const Window owner = XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False));
  if (!owner) return {};
  const Atom settings = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<uint8_t> bytes;
  if (XGetWindowProperty(display, owner, settings, 0, 1 << 16, False, settings, &type, &format,
                         &count, &after, &data) == Success &&
      data && format == 8)
    bytes.assign(data, data + count);
  if (data) XFree(data);
  return bytes;
}

// The DPI the desktop asks for and the monitor under the pointer.
Screen screen_of(Display* display) {
  return {x11::desktop_dpi(XResourceManagerString(display), xsettings(display)),
          x11::monitor_at_pointer(display)};
}

Screen X11Platform::screen() {
  connect();
  return screen_of(display_);
}

void X11Platform::create_window(const WindowSpec& spec) {
  if (window_) destroy_window();
  connect();
  x11::ErrorTrap trap;
  try {
    const XVisualInfo vi = x11::pick_visual(display_);
    presenter_.emplace(display_, vi);
    const int screen = DefaultScreen(display_);
    const Window root = RootWindow(display_, screen);
    Colormap colormap = DefaultColormap(display_, screen);
    if (vi.visual != DefaultVisual(display_, screen))
      colormap = own_colormap_ = XCreateColormap(display_, root, vi.visual, AllocNone);

    const DeviceRect where = spec.where;
    XSetWindowAttributes attrs{};
    attrs.background_pixmap = None;  // the server never paints an empty frame
    attrs.border_pixel = 0;
    attrs.colormap = colormap;
    attrs.event_mask = ExposureMask | PointerMotionMask | ButtonPressMask | ButtonReleaseMask |
                       StructureNotifyMask;
    window_ =
        XCreateWindow(display_, root, where.x, where.y, where.w, where.h, 0, vi.depth, InputOutput,
                      vi.visual, CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attrs);
    XGCValues values{};
    values.graphics_exposures = False;
    gc_ = XCreateGC(display_, window_, GCGraphicsExposures, &values);
    set_properties(spec);
    dpi_ = spec.dpi;
    trap.check(display_, "Der X-Server hat das Fenster des Menüs abgelehnt");
  } catch (...) {
    destroy_window();
    throw;
  }
}

void X11Platform::set_properties(const WindowSpec& spec) {
  // Every atom named below (and by Xlib for the WM_ properties) in one
  // round trip instead of one each: Xlib answers later look-ups from its cache.
  const char* names[] = {"_NET_WM_NAME", "UTF8_STRING", "_NET_WM_PID", "WM_PROTOCOLS",
                         "WM_DELETE_WINDOW", "WM_LOCALE_NAME", "_MOTIF_WM_HINTS", "_NET_WM_ICON"};
  Atom interned[std::size(names)];
  XInternAtoms(display_, const_cast<char**>(names), std::size(names), False, interned);
  x11::set_identity(display_, window_, spec.where, spec.title);
  auto set = [&](const char* name, Atom type, int format, const void* data, int count) {
    XChangeProperty(display_, window_, atom(name), type, format, PropModeReplace,
                    static_cast<const unsigned char*>(data), count);
  };
  // flags = decorations, decorations = none; still a managed, focusable window.
  long motif[5] = {2, 0, 0, 0, 0};
  set("_MOTIF_WM_HINTS", atom("_MOTIF_WM_HINTS"), 32, motif, 5);

  std::vector<long> icon;  // format 32 properties are arrays of long in Xlib
  for (const IconImage& image : spec.icons) {
    icon.push_back(image.size);
    icon.push_back(image.size);
    for (uint32_t p : image.argb) icon.push_back(static_cast<long>(p));
  }
  if (!icon.empty())
    set("_NET_WM_ICON", XA_CARDINAL, 32, icon.data(), static_cast<int>(icon.size()));

  wm_protocols_ = atom("WM_PROTOCOLS");
  wm_delete_ = atom("WM_DELETE_WINDOW");
}

void X11Platform::place_window(DeviceRect where) {
  if (!window_) return;
  x11::set_fixed_size(display_, window_, where);
  XMoveResizeWindow(display_, window_, where.x, where.y, where.w, where.h);
}

void X11Platform::push(DeviceRect area) {
  if (!frame_ || !mapped_ || !presenter_) return;
  presenter_->put(window_, gc_, *frame_, area.x, area.y, area.w, area.h);
}

void X11Platform::present(const Framebuffer& frame, std::span<const DeviceRect> areas) {
  frame_ = &frame;
  if (!display_ || !mapped_) return;  // the first Expose pushes it
  for (const DeviceRect& r : areas) push(r);
  XFlush(display_);
}

void X11Platform::show_window() {
  if (!display_) return;
  x11::ErrorTrap trap;
  XMapWindow(display_, window_);
  trap.check(display_, "Der X-Server hat das Fenster des Menüs nicht gezeigt");
}

void X11Platform::dispatch(XEvent& event, EventSink& sink) {
  if (event.xany.window != window_) return;
  switch (event.type) {
    case Expose: {
      mapped_ = true;  // only a viewable window is exposed
      DeviceRect area{event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height};
      push(area);  // the framebuffer holds the last composed frame
      break;
    }
    case MapNotify:
      mapped_ = true;
      break;
    case UnmapNotify:
      mapped_ = false;
      break;
    case MotionNotify:
      sink.pointer({PointerEvent::Kind::Move, {event.xmotion.x, event.xmotion.y}, 0});
      break;
    case ButtonPress:
    case ButtonRelease:
      sink.pointer(
          {event.type == ButtonPress ? PointerEvent::Kind::Press : PointerEvent::Kind::Release,
           {event.xbutton.x, event.xbutton.y}, static_cast<int>(event.xbutton.button)});
      break;
    case ClientMessage:
      if (event.xclient.message_type == wm_protocols_ && event.xclient.format == 32 &&
          static_cast<Atom>(event.xclient.data.l[0]) == wm_delete_)
        sink.close_requested();
      break;
    default:
      break;
  }
}

void X11Platform::run(EventSink& sink) {
  if (!display_) return;
  while (sink.running()) {
    XEvent event;
    XNextEvent(display_, &event);
    dispatch(event, sink);
    if (sink.running() && XPending(display_) == 0) {
      sink.idle();
      XFlush(display_);
    }
  }
}

void X11Platform::destroy_window() {
  if (!display_) return;
  if (gc_) XFreeGC(display_, gc_);
  if (window_) XDestroyWindow(display_, window_);
  if (own_colormap_) XFreeColormap(display_, own_colormap_);
  XCloseDisplay(display_);
  display_ = nullptr;
  window_ = 0;
  gc_ = nullptr;
  own_colormap_ = 0;
  presenter_.reset();
  mapped_ = false;
}

void X11Platform::show_failure(const std::string& text) {
  std::string line = text;
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "zol: %s\n", line.c_str());
  std::fflush(stderr);

  Display* display = display_ ? display_ : x11::open_display();
  if (!display) return;
  // Before the window, at the step the menu would have been drawn at.
  int dpi = dpi_;
  if (!dpi) {
    const Screen screen = screen_of(display);
    dpi = pick_dpi(screen.dpi, screen.monitor);
  }
  x11::run_failure_dialog(display, window_, dpi, text, [this](DeviceRect r) {
    mapped_ = true;
    push(r);
  });
  if (display != display_) XCloseDisplay(display);
}

}  // namespace

std::unique_ptr<Platform> make_platform() {
  settle_process();
  return std::make_unique<X11Platform>();
}

}  // namespace zol
