#pragma once
// What a screen reader is given of the menu, free of any platform type: the
// window, its row of buttons, which one is current, and a way to press one.
// The form keeps it true; each platform's adapter (AT-SPI on X11, MSAA on
// Windows) reads it when asked, listens for changes, and turns the
// protocol's "do the action" into press(). All of it runs on the platform's
// one thread.
//
// The failure message is not here: it reaches the platform whole, as
// Platform::show_failure, which is where an adapter shows it.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/units.h"

namespace zol {

struct AccessibleWindow {
  std::string name;         // the window's caption
  std::string description;  // from the art's words file
  std::string language;     // its tag, such as "de"
};

// One button of the row, left to right.
struct AccessibleEntry {
  std::string name, description;  // from the art's words file
  DeviceRect rect;                // in the client area, device pixels, at the current DPI
};

class AccessibilityListener {
 public:
  virtual ~AccessibilityListener() = default;
  // The current (lit) entry moved: `before` loses, `now` gains; nullopt is none.
  virtual void current_changed(std::optional<size_t> before, std::optional<size_t> now) = 0;
};

class AccessibleMenu {
 public:
  AccessibleMenu() = default;
  AccessibleMenu(AccessibleWindow window, std::vector<AccessibleEntry> entries)
      : window_(std::move(window)), entries_(std::move(entries)) {}

  const AccessibleWindow& window() const { return window_; }
  std::span<const AccessibleEntry> entries() const { return entries_; }
  std::optional<size_t> current() const { return current_; }

  // Asks for the click the pointer gives on entry `entry`. It is done at the
  // form's next idle(), so this returns first; a second press before then
  // is dropped, as the first one ends the menu or changes nothing. False,
  // and nothing asked, when there is no such entry.
  bool press(size_t entry);

  // One listener at a time; nullptr stops the telling.
  void listen(AccessibilityListener* listener) { listener_ = listener; }

  // The form's side.
  void set_current(std::optional<size_t> now);
  void set_rect(size_t entry, DeviceRect rect) { entries_.at(entry).rect = rect; }
  std::optional<size_t> take_press() { return std::exchange(pressed_, std::nullopt); }

 private:
  AccessibleWindow window_;
  std::vector<AccessibleEntry> entries_;
  std::optional<size_t> current_, pressed_;
  AccessibilityListener* listener_ = nullptr;
};

}  // namespace zol
