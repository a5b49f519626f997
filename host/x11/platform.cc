// The X11 platform: one undecorated window painted from the framebuffer,
// X events turned into neutral ones at once; programs are started through
// the POSIX room's spawn.

#include "host/x11/platform.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <iterator>
#include <optional>
#include <vector>

#include "host/posix/pages.h"
#include "host/posix/process.h"
#include "host/posix/spawn.h"
#include "host/scale.h"
#include "host/linux/gamepads.h"
#include "host/x11/keyboard.h"
#include "host/x11/presenter.h"
#include "host/x11/screen_reader.h"

namespace zol {
namespace {

class X11Platform final : public Platform {
 public:
  ~X11Platform() override {
    destroy_window();
    if (display_) XCloseDisplay(display_);
  }

  Screen screen() override;
  void create_window(const WindowSpec& spec) override;
  void place_window(DeviceRect where) override;
  void present(const Framebuffer& frame, std::span<const DeviceRect> areas) override;
  void show_window() override;
  void destroy_window() override;  // the connection stays, for a message that may follow
  void run(EventSink& sink) override;
  void show_failure(const std::string& text) override;
  void describe(AccessibleMenu& menu) override { described_ = &menu; }

  // X has no window-state hint for a program yet to start.
  void start_program(const std::string& program, const std::vector<std::string>& args,
                     WindowState) override {
    start_beside(executable_dir(), program, args);
  }
  // xdg-open only opens, so the verb and the window state have no say.
  void open_address(const std::string&, const std::string& address, WindowState) override {
    open_with_desktop(address);
  }
  void release(std::span<const uint8_t> bytes) override { drop_pages(bytes); }

 private:
  Atom atom(const char* name) { return XInternAtom(display_, name, False); }
  void connect();
  void set_properties(const WindowSpec& spec);
  void push(DeviceRect area);
  void dispatch(XEvent& event, EventSink& sink);
  void key_pressed(XKeyEvent& event, EventSink& sink);
  void take_focus();
  pads::Gamepads& gamepads();
  x11::ScreenReader* screen_reader();
  DeviceRect window_on_screen();

  Display* display_ = nullptr;
  Window window_ = 0;
  std::optional<x11::Presenter> presenter_;
  Colormap own_colormap_ = 0;
  GC gc_ = nullptr;
  Atom wm_protocols_ = 0, wm_delete_ = 0;
  bool mapped_ = false;
  bool focus_taken_ = false;
  x11::Keyboard keyboard_;
  int dpi_ = 0;  // the scale step the menu is drawn at; 0 before create_window
  const Framebuffer* frame_ = nullptr;
  std::optional<pads::Gamepads> gamepads_;
  AccessibleMenu* described_ = nullptr;
  std::optional<x11::ScreenReader> screen_reader_;
};

void X11Platform::connect() {
  if (display_) return;
  display_ = x11::open_display();
  if (!display_)
    throw PlatformError(
        "Keine Verbindung zum X-Server (DISPLAY nicht gesetzt oder nicht erreichbar).");
}

Screen X11Platform::screen() {
  connect();
  return x11::screen_of(display_);
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
                       KeyPressMask | KeyReleaseMask | FocusChangeMask | KeymapStateMask |
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
  // A key map names no window: it follows the FocusIn it belongs to.
  if (event.type == KeymapNotify) keyboard_.keymap(event.xkeymap.key_vector);
  if (event.xany.window != window_) return;
  switch (event.type) {
    case Expose: {
      mapped_ = true;  // only a viewable window is exposed
      DeviceRect area{event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height};
      push(area);  // the framebuffer holds the last composed frame
      take_focus();
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
    case KeyPress:
      key_pressed(event.xkey, sink);
      break;
    case KeyRelease:
      if (!x11::repeats(display_, event.xkey)) keyboard_.release(event.xkey.keycode);
      break;
    case FocusIn:
    case FocusOut:
      keyboard_.focus_event(event.xfocus.type, event.xfocus.detail);
      if (screen_reader_) screen_reader_->window_active(keyboard_.focused());
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

// Opened when first waited on: after the first frame is on its way.
pads::Gamepads& X11Platform::gamepads() {
  if (!gamepads_) gamepads_.emplace("/dev/input", pads::SteamFilter::from_environment());
  return *gamepads_;
}

void X11Platform::key_pressed(XKeyEvent& event, EventSink& sink) {
  if (!keyboard_.focused()) return;
  if (const std::optional<Navigation> step = keyboard_.press(event)) sink.navigate(*step);
}

// Once, when the window is first on the screen.
void X11Platform::take_focus() {
  if (focus_taken_) return;
  focus_taken_ = true;
  if (keyboard_.focused()) return;
  x11::ErrorTrap trap;  // a window unmapped meanwhile just stays without it
  x11::take_focus_unmanaged(display_, window_);
  trap.first_error(display_);
}

// Looked for when first waited on, as the pads are: after the first frame.
x11::ScreenReader* X11Platform::screen_reader() {
  if (!screen_reader_ && described_) {
    screen_reader_.emplace(display_, *described_, [this] { return window_on_screen(); });
    screen_reader_->window_active(keyboard_.focused());
  }
  return screen_reader_ ? &*screen_reader_ : nullptr;
}

DeviceRect X11Platform::window_on_screen() {
  if (!window_ || !frame_) return {};
  int x = 0, y = 0;
  Window child = None;
  XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
  return {x, y, frame_->width, frame_->height};
}

void X11Platform::run(EventSink& sink) {
  if (!display_) return;
  while (sink.running()) {
    if (XPending(display_) == 0) {
      const auto handle = [&](XEvent& event) { dispatch(event, sink); };
      for (Navigation step :
           x11::wait_for_input(display_, keyboard_, gamepads(), handle, screen_reader()))
        if (sink.running()) sink.navigate(step);
    } else {
      XEvent event;
      XNextEvent(display_, &event);
      dispatch(event, sink);
    }
    if (sink.running() && XPending(display_) == 0) sink.idle();
  }
}

// The connection stays open until the platform goes, for a failure
// message that may follow.
void X11Platform::destroy_window() {
  if (!display_) return;
  if (gc_) XFreeGC(display_, gc_);
  if (window_) XDestroyWindow(display_, window_);
  if (own_colormap_) XFreeColormap(display_, own_colormap_);
  XFlush(display_);
  window_ = 0;
  gc_ = nullptr;
  own_colormap_ = 0;
  presenter_.reset();
  mapped_ = false;
  focus_taken_ = false;
  keyboard_ = {};
}

void X11Platform::show_failure(const std::string& text) {
  Display* display = display_ ? display_ : x11::open_display();
  if (!display) return;
  // Before the window, at the step the menu would have been drawn at.
  int dpi = dpi_;
  if (!dpi) {
    const Screen screen = x11::screen_of(display);
    dpi = pick_dpi(screen.dpi, screen.monitor);
  }
  if (screen_reader_) screen_reader_->show_alert(text);
  x11::run_failure_dialog(
      display, window_, dpi, text,
      [this](DeviceRect r) {
        mapped_ = true;
        push(r);
      },
      gamepads(), screen_reader_ ? &*screen_reader_ : nullptr);
  if (display != display_) XCloseDisplay(display);
}

}  // namespace

std::unique_ptr<Platform> make_platform() { return std::make_unique<X11Platform>(); }

}  // namespace zol
