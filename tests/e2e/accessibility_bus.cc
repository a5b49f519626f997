#include "tests/e2e/accessibility_bus.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "tests/e2e/child_process.h"
#include "tests/e2e/menu_fixtures.h"

extern char** environ;

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// What the test's environment must not hand on from the machine it runs on.
const char* const kOwnEnvironment[] = {"DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
                                       "GSETTINGS_BACKEND"};

void pause() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

}  // namespace

AccessibilityBus::AccessibilityBus(XSession& x) : x_(x) {
  for (const char* name : kOwnEnvironment) {
    const char* value = std::getenv(name);
    saved_.push_back(value ? std::string(name) + "=" + value : "");
    unsetenv(name);
  }
  daemon_ = x_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while ((address_ = x_.stdout_of(daemon_)).find('\n') == std::string::npos) {
    if (Clock::now() > deadline) throw std::runtime_error("the session bus did not start");
    pause();
  }
  address_.erase(address_.find('\n'));
  setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
  setenv("GSETTINGS_BACKEND", "memory", 1);  // the launcher keeps IsEnabled there
}

AccessibilityBus::~AccessibilityBus() {
  if (launcher_ > 0) kill_accessibility_bus();
  for (size_t i = 0; i < std::size(kOwnEnvironment); ++i) {
    unsetenv(kOwnEnvironment[i]);
    if (!saved_[i].empty()) putenv(strdup(saved_[i].c_str()));
  }
}

std::vector<pid_t> AccessibilityBus::children_of(pid_t pid) const {
  std::vector<pid_t> found;
  std::error_code ec;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
    std::ifstream in(task.path() / "children");
    for (pid_t child; in >> child;) found.push_back(child);
  }
  return found;
}

void AccessibilityBus::kill_accessibility_bus() {
  for (pid_t bus : children_of(launcher_)) {
    for (pid_t service : children_of(bus)) kill(service, SIGKILL);
    kill(bus, SIGKILL);
  }
}

Finished AccessibilityBus::run(const std::vector<std::string>& argv, const std::string& log) {
  std::vector<std::string> env{"DISPLAY=" + x_.display()};
  for (char** e = environ; *e; ++e)
    if (!std::string(*e).starts_with("DISPLAY=")) env.emplace_back(*e);
  const std::string base = ::testing::TempDir() + log + "-" + std::to_string(++runs_);
  const pid_t pid = spawn_logged(argv, env, "", base);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
          read_file(base + ".out") + read_file(base + ".err")};
}

void AccessibilityBus::start_launcher() {
  launcher_ = x_.start("/usr/libexec/at-spi-bus-launcher", {"--launch-immediately"});
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!has_owner("org.a11y.Bus")) {
    if (Clock::now() > deadline) throw std::runtime_error("at-spi-bus-launcher did not start");
    pause();
  }
}

bool AccessibilityBus::has_owner(const std::string& name) {
  const Finished r = run({"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                          "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                          "string:" + name},
                         "has-owner");
  return r.output.find("boolean true") != std::string::npos;
}

void AccessibilityBus::set_enabled(bool enabled) {
  const Finished r = run({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                          "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                          "string:org.a11y.Status", "string:IsEnabled",
                          std::string("variant:boolean:") + (enabled ? "true" : "false")},
                         "set-enabled");
  if (r.status != 0) throw std::runtime_error("IsEnabled not set: " + r.output);
}

std::string AccessibilityBus::accessibility_address() {
  const Finished r = run({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                          "/org/a11y/bus", "org.a11y.Bus.GetAddress"},
                         "get-address");
  const size_t open = r.output.find("string \"");
  if (open == std::string::npos) throw std::runtime_error("no accessibility bus: " + r.output);
  const size_t start = open + 8;
  return r.output.substr(start, r.output.find('"', start) - start);
}

Finished AccessibilityBus::read(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"/usr/bin/python3", ZOL_SOURCE_DIR "/tests/e2e/atspi_reader.py"};
  argv.insert(argv.end(), args.begin(), args.end());
  return run(argv, "reader");
}

Finished AccessibilityBus::read_menu(const std::vector<std::string>& args, double seconds) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    Finished r = read(args);
    if (r.status != 3 || Clock::now() > deadline) return r;
    pause();
  }
}

bool AccessibilityBus::menu_gone(double seconds) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (read({"tree"}).status == 3) return true;
    if (Clock::now() > deadline) return false;
    pause();
  }
}

pid_t AccessibilityBus::watch() {
  const pid_t pid = x_.start("/usr/bin/python3", {ZOL_SOURCE_DIR "/tests/e2e/atspi_reader.py", "watch"});
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (x_.stdout_of(pid).find("ready\n") == std::string::npos) {
    if (Clock::now() > deadline) throw std::runtime_error("the watch did not start: " + x_.stderr_of(pid));
    pause();
  }
  return pid;
}

Finished AccessibilityBus::send(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"dbus-send", "--bus=" + accessibility_address(), "--print-reply"};
  argv.insert(argv.end(), args.begin(), args.end());
  return run(argv, "dbus-send");
}

}  // namespace zol::e2e
