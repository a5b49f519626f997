#pragma once
// A private session bus for one test, with Debian's AT-SPI bus launcher on
// it when asked, and a screen reader's view of the menu through libatspi
// (tests/e2e/atspi_reader.py). The bus's address is in this process's
// environment while it lives, so the menu and every helper use it.

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/e2e/art_folder.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {

class AccessibilityBus {
 public:
  explicit AccessibilityBus(XSession& x);
  ~AccessibilityBus();
  AccessibilityBus(const AccessibilityBus&) = delete;
  AccessibilityBus& operator=(const AccessibilityBus&) = delete;

  // Starts at-spi-bus-launcher and waits until it holds org.a11y.Bus.
  void start_launcher();
  // Sets org.a11y.Status IsEnabled, as a screen reader does when it starts.
  void set_enabled(bool enabled);
  // Whether a connection holds `name` on the session bus.
  bool has_owner(const std::string& name);
  // The accessibility bus's address, from the launcher.
  std::string accessibility_address();
  // Ends the accessibility bus's daemon (and what runs on it), as a crash would.
  void kill_accessibility_bus();

  // Runs the reader with `args` to its end.
  Finished read(const std::vector<std::string>& args);
  // Runs the reader until it finds the menu (status 3: not yet), up to `seconds`.
  Finished read_menu(const std::vector<std::string>& args, double seconds = 10);
  // Whether the menu is off the bus, waiting up to `seconds` for it to leave.
  bool menu_gone(double seconds = 10);
  // Starts the reader's event watch in the background, once it listens.
  pid_t watch();
  // dbus-send on the accessibility bus; its status, stdout and stderr.
  Finished send(const std::vector<std::string>& args);

 private:
  Finished run(const std::vector<std::string>& argv, const std::string& log);
  std::vector<pid_t> children_of(pid_t pid) const;

  XSession& x_;
  std::string address_;
  pid_t daemon_ = -1, launcher_ = -1;
  std::vector<std::string> saved_;  // the environment's entries it replaced
  int runs_ = 0;
};

}  // namespace zol::e2e
