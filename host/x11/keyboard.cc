// Keys that work the menu, and the focus that decides whether they do.

#include "host/x11/keyboard.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace zol::x11 {

namespace {

struct KeyRow {
  KeySym sym;
  Navigation step;
};

// Shift+Tab arrives as ISO_Left_Tab in every common layout; Tab with Shift
// is for a keymap that lacks it.
constexpr KeyRow kKeys[] = {
    {XK_Left, Navigation::Previous},     {XK_KP_Left, Navigation::Previous},
    {XK_ISO_Left_Tab, Navigation::Previous},
    {XK_Right, Navigation::Next},        {XK_KP_Right, Navigation::Next},
    {XK_Tab, Navigation::Next},
    {XK_Return, Navigation::Activate},   {XK_KP_Enter, Navigation::Activate},
    {XK_space, Navigation::Activate},
    {XK_Escape, Navigation::Back},
};

}  // namespace

std::optional<Navigation> navigation_for(KeySym sym, unsigned state) {
  if (state & (ControlMask | Mod1Mask | Mod4Mask)) return std::nullopt;
  if (sym == XK_Tab && (state & ShiftMask)) return Navigation::Previous;
  for (const KeyRow& row : kKeys)
    if (row.sym == sym) return row.step;
  return std::nullopt;
}

std::optional<Navigation> Keyboard::press(unsigned keycode, KeySym sym, unsigned state) {
  const bool repeat = keycode < down_.size() && down_.test(keycode);
  if (keycode < down_.size()) down_.set(keycode);
  const std::optional<Navigation> step = navigation_for(sym, state);
  if (repeat && (step == Navigation::Activate || step == Navigation::Back)) return std::nullopt;
  return step;
}

std::optional<Navigation> Keyboard::press(XKeyEvent& event) {
  KeySym sym = NoSymbol;
  char text[8];
  XLookupString(&event, text, sizeof text, &sym, nullptr);
  return press(event.keycode, sym, event.state);
}

void Keyboard::release(unsigned keycode) {
  if (keycode < down_.size()) down_.reset(keycode);
}

void Keyboard::keymap(const char keys[32]) {
  if (!keymap_due_) return;
  keymap_due_ = false;
  // Keycodes start at 8: Xlib leaves the first byte of a KeymapNotify unset.
  down_.reset();
  for (unsigned code = 8; code < down_.size(); ++code)
    down_[code] = keys[code / 8] & (1 << (code % 8));
}

// A change inside the window (NotifyInferior) or between the roots and
// "no focus" says nothing about this window. Every other detail, the
// pointer's included (no window manager: the focus follows the pointer),
// moves the focus to or from it. A grab by another client (the window
// manager's Alt+Tab) takes it away until the grab ends.
void Keyboard::focus_event(int type, int detail) {
  if (detail == NotifyInferior || detail == NotifyPointerRoot || detail == NotifyDetailNone)
    return;
  const bool had = focused_;
  focused_ = type == FocusIn;
  if (focused_ && !had) keymap_due_ = true;
}

bool repeats(const XKeyEvent& release, const XEvent* next) {
  return next && next->type == KeyPress && next->xkey.keycode == release.keycode &&
         next->xkey.time == release.time;
}

bool repeats(Display* display, const XKeyEvent& release) {
  if (XEventsQueued(display, QueuedAfterReading) == 0) return repeats(release, nullptr);
  XEvent next;
  XPeekEvent(display, &next);
  return repeats(release, &next);
}

}  // namespace zol::x11
