#pragma once
// A private session bus with Debian's AT-SPI launcher and registry on it,
// assistive technology turned on, as a screen reader leaves a desktop: for
// the menu's idle figures with a screen reader registered.

#include <sys/types.h>

#include <string>

namespace bench {

class A11yBus {
 public:
  // Started, with the registry running; throws when a piece can't start.
  A11yBus(const std::string& display, const std::string& logs);
  ~A11yBus();
  // What the menu's environment needs to find it.
  std::string environment() const { return "DBUS_SESSION_BUS_ADDRESS=" + session_; }
  // Whether the registry lists an application by this process.
  bool registered(pid_t pid) const;

 private:
  std::string run(const std::string& args) const;
  std::string logs_, display_, session_, a11y_;
  pid_t daemon_ = -1, launcher_ = -1;
};

}  // namespace bench
