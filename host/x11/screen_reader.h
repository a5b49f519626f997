#pragma once
// The AT-SPI adapter: finds the accessibility bus as AT-SPI clients do,
// joins it only while the desktop says assistive technology is enabled,
// and serves the menu there from the platform's one wait. Without a
// session bus, a bus launcher or that setting, it makes at most one
// connection and a few calls, then nothing more.

#include <X11/Xlib.h>
#include <poll.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "host/accessibility.h"
#include "host/x11/atspi_tree.h"
#include "host/x11/bus_link.h"

namespace zol::x11 {

class ScreenReader final : public AccessibilityListener {
 public:
  // `window` gives the client area on the screen, empty while there is none.
  ScreenReader(Display* display, AccessibleMenu& menu, std::function<DeviceRect()> window);
  // Sends nothing more and leaves the buses; the menu may be gone by now.
  ~ScreenReader() override = default;
  ScreenReader(const ScreenReader&) = delete;
  ScreenReader& operator=(const ScreenReader&) = delete;

  // The wait: the buses' descriptors, then what the poll found on them.
  void add_descriptors(std::vector<pollfd>& fds);
  void handle(std::span<const pollfd> fds);
  // Everything libdbus has read ahead, dispatched, and all that is to be
  // sent, written: the last step before the wait sleeps.
  void drain();

  void window_active(bool active);
  // The failure message is up; its OK button holds the focus.
  void show_alert(const std::string& text);
  bool alert_dismissed() const { return tree_ && tree_->alert_dismissed(); }

  void current_changed(std::optional<size_t> before, std::optional<size_t> now) override;

 private:
  void on_session(DBusMessage* message);
  void on_accessibility(DBusMessage* message);
  std::optional<std::string> bus_address();
  void join();
  void embed();
  bool has_owner(BusLink& link, const char* name);
  void settle();  // after a dispatch: join or leave as the setting and the buses say
  void emit(DBusMessage* signal);

  Display* display_;
  AccessibleMenu& menu_;
  const DBusLibrary* dbus_ = nullptr;
  std::unique_ptr<BusLink> session_, a11y_;
  std::optional<AtspiTree> tree_;
  std::function<DeviceRect()> window_;
  bool enabled_ = false;
  bool tried_ = false;  // joining, since the setting last turned on
  bool active_ = false;
  size_t session_fds_ = 0;  // of the descriptors last added, the session bus's
};

}  // namespace zol::x11
