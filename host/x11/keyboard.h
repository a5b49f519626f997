#pragma once
// The keyboard of one of our windows: which presses become steps, told
// apart from the window system's repeats, and whether the window has the
// focus. Pure logic on X's event fields, so a table can test it.

#include <X11/Xlib.h>

#include <bitset>
#include <optional>

#include "host/platform.h"

namespace zol::x11 {

// The step a key asks for: `sym` as the layout gives it with Shift and Num
// Lock applied, `state` the modifiers held. None for other keys, and with
// Control, Alt or Super held: those shortcuts belong to the desktop.
std::optional<Navigation> navigation_for(KeySym sym, unsigned state);

class Keyboard {
 public:
  // With detectable autorepeat on (open_display asks for it) a held key
  // repeats as presses alone: a press of a key already down is a repeat.
  // Moving repeats, as any list does; acting and closing take a fresh press,
  // so a held Return never acts twice or reaches the next window.
  std::optional<Navigation> press(unsigned keycode, KeySym sym, unsigned state);
  // The same for a KeyPress, its key looked up in the keyboard's layout.
  std::optional<Navigation> press(XKeyEvent& event);
  void release(unsigned keycode);
  // The keys down as a KeymapNotify says. The one that follows gaining the
  // focus tells what was held as it arrived: pressed while another window
  // had it (say the one that brought up a message, or launched the menu),
  // those count as held; a press that came after is fresh. Other key maps
  // change nothing.
  void keymap(const char keys[32]);

  // FocusIn / FocusOut as they reach the window.
  void focus_event(int type, int detail);
  // Keys act, and pads with them, only while this is true.
  bool focused() const { return focused_; }

 private:
  std::bitset<256> down_;
  bool focused_ = false;
  bool keymap_due_ = false;
};

// Whether a KeyRelease was sent only to repeat its key, `next` being the
// event that follows it at once (none: nothing queued). Without detectable
// auto-repeat a held key arrives as release and press pairs of one time.
bool repeats(const XKeyEvent& release, const XEvent* next);
// The same, peeking at what the display has queued or can read at once.
bool repeats(Display* display, const XKeyEvent& release);

}  // namespace zol::x11
