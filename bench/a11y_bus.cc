#include "bench/a11y_bus.h"

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "bench/proc.h"

namespace bench {
namespace {

// The children of `pid`, as /proc lists them.
std::vector<pid_t> children_of(pid_t pid) {
  std::vector<pid_t> found;
  std::error_code ec;
  for (const auto& task :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream in(task.path() / "children");
    for (pid_t child; in >> child;) found.push_back(child);
  }
  return found;
}

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace

// `args` for dbus-send, run to its end with the bus in its environment.
std::string A11yBus::run(const std::string& args) const {
  const std::string log = logs_ + "/dbus-send";
  const pid_t pid = spawn({"/bin/sh", "-c", "dbus-send --print-reply " + args},
                          {environment(), "DISPLAY=" + display_}, log);
  wait_for(pid);
  return slurp(log + ".out");
}

A11yBus::A11yBus(const std::string& display, const std::string& logs) : logs_(logs), display_(display) {
  daemon_ = spawn({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, {}, logs + "/session-bus");
  for (int i = 0; i < 200 && session_.empty(); ++i, sleep_s(0.05))
    session_ = first_line(slurp(logs + "/session-bus.out"));
  if (session_.empty()) throw std::runtime_error("the session bus did not start");
  launcher_ = spawn({"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"},
                    {environment(), "DISPLAY=" + display, "GSETTINGS_BACKEND=memory"},
                    logs + "/at-spi-bus-launcher");
  for (int i = 0; i < 200; ++i, sleep_s(0.05)) {
    const std::string reply = run("--session --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress");
    const size_t at = reply.find("string \"");
    if (at == std::string::npos) continue;
    a11y_ = reply.substr(at + 8, reply.find('"', at + 8) - at - 8);
    break;
  }
  if (a11y_.empty()) throw std::runtime_error("at-spi-bus-launcher did not start");
  run("--session --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set "
      "string:org.a11y.Status string:IsEnabled variant:boolean:true");
  // As a screen reader does, by asking the registry for the desktop.
  run("--bus=" + a11y_ + " --dest=org.a11y.atspi.Registry /org/a11y/atspi/accessible/root "
      "org.a11y.atspi.Accessible.GetChildren");
}

A11yBus::~A11yBus() {
  for (pid_t bus : children_of(launcher_)) {
    for (pid_t service : children_of(bus)) kill(service, SIGKILL);
    kill(bus, SIGKILL);
  }
  stop(launcher_);
  stop(daemon_);
}

bool A11yBus::registered(pid_t pid) const {
  const std::string names =
      run("--bus=" + a11y_ + " --dest=org.a11y.atspi.Registry /org/a11y/atspi/accessible/root "
          "org.a11y.atspi.Accessible.GetChildren");
  // Each application is listed by its connection's name; ask whose it is.
  for (size_t at = 0; (at = names.find("string \":", at)) != std::string::npos; ++at) {
    const size_t start = at + 8, end = names.find('"', start);
    const std::string owner = run("--bus=" + a11y_ +
                                  " --dest=org.freedesktop.DBus / "
                                  "org.freedesktop.DBus.GetConnectionUnixProcessID string:" +
                                  names.substr(start, end - start));
    if (owner.find("uint32 " + std::to_string(pid)) != std::string::npos) return true;
  }
  return false;
}

}  // namespace bench
