// The real menu under faults: its X server gone, no X server at all, a flood
// of pointer events, and input while the failure message is up.

#include <gtest/gtest.h>
// (gtest first: x_session.h names its AssertionResult)
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <utility>

#include "art/art.h"
#include "tests/e2e/fake_game.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

extern char** environ;

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;

size_t lines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// Resident memory of a process in KiB, from /proc.
long resident_kib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  return -1;
}

// A second client of the test's X server: fakes input through XTest, far
// faster than one xdotool call per event, and sees what the menu draws
// through DAMAGE, which reports every drawing request on a window.
class Observer {
 public:
  explicit Observer(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
    if (!d_) throw std::runtime_error("can't open " + display);
    int event, error, major, minor;
    if (!XTestQueryExtension(d_, &event, &error, &major, &minor) ||
        !XDamageQueryExtension(d_, &damage_event_, &error))
      throw std::runtime_error("the X server lacks XTEST or DAMAGE");
  }
  ~Observer() { XCloseDisplay(d_); }
  Observer(const Observer&) = delete;
  Observer& operator=(const Observer&) = delete;

  // Counts from now on: the server reports the visible area at once, as
  // if freshly drawn, and that report is dropped.
  void watch(unsigned long window) {
    XDamageCreate(d_, window, XDamageReportRawRectangles);
    drawn(window);
  }
  void move(int x, int y) {
    XTestFakeMotionEvent(d_, -1, x, y, CurrentTime);
    XSync(d_, False);
  }
  void click() {
    XTestFakeButtonEvent(d_, 1, True, CurrentTime);
    XTestFakeButtonEvent(d_, 1, False, CurrentTime);
    XSync(d_, False);
  }
  // `count` moves between two points, sent as fast as the server takes them.
  void burst(int count, int x0, int y0, int x1, int y1) {
    for (int i = 0; i < count; ++i)
      XTestFakeMotionEvent(d_, -1, i % 2 ? x1 : x0, i % 2 ? y1 : y0, CurrentTime);
    XSync(d_, False);
  }
  // The areas drawn on `window` since the last call, in its coordinates.
  // Sound once the drawing is known to have happened: the server queues the
  // event before it answers any later request.
  std::vector<DeviceRect> drawn(unsigned long window) {
    XSync(d_, False);
    while (XPending(d_)) {
      XEvent e;
      XNextEvent(d_, &e);
      if (e.type != damage_event_ + XDamageNotify) continue;
      const auto& n = reinterpret_cast<const XDamageNotifyEvent&>(e);
      drawn_[n.drawable].push_back({n.area.x, n.area.y, n.area.width, n.area.height});
    }
    return std::exchange(drawn_[window], {});
  }

 private:
  Display* d_;
  int damage_event_ = 0;
  std::map<unsigned long, std::vector<DeviceRect>> drawn_;
};

std::string describe(const std::vector<DeviceRect>& areas) {
  std::ostringstream out;
  out << areas.size() << " areas:";
  for (size_t i = 0; i < areas.size() && i < 8; ++i)
    out << " {" << areas[i].x << "," << areas[i].y << " " << areas[i].w << "x" << areas[i].h << "}";
  if (areas.size() > 8) out << " ...";
  return out.str();
}

// The menu copied into a directory of its own, with nothing beside it, and
// started in an X server without a window manager.
class FaultsTest : public ::testing::Test {
 protected:
  FaultsTest() : x_(1024, 768, /*window_manager=*/false) {
    menu_dir_ = fs::path(dir_.path()) / "menu";
    bin_ = fs::path(dir_.path()) / "bin";
    fs::create_directories(menu_dir_);
    fs::create_directories(bin_);
    fs::copy_file(zol_binary(), menu_dir_ / "zol");
    FakeGameRecord::install(bin_ / "xdg-open");
  }
  void start_menu() {
    zol_ = x_.start((menu_dir_ / "zol").string(), {}, dir_.path(), bin_.string());
    window_ = x_.wait_for_window("Orvenna");
    ASSERT_NE(window_, 0u);
    ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, background()));
  }
  // Clicks "VOLLBILDMODUS" with no game beside the menu: the failure message.
  unsigned long bring_up_the_message() {
    x_.click(kLeft + 100, kTop + 420);
    return x_.wait_for_window("Zol");
  }

  TempDir dir_;
  // Notes a start that must not happen.
  FakeGameRecord record_{fs::path(dir_.path()) / "started.record"};
  XSession x_;
  fs::path menu_dir_, bin_;
  pid_t zol_ = -1;
  unsigned long window_ = 0;
};

TEST_F(FaultsTest, ALostXServerWhileTheMessageIsUpEndsItAtOnceWithOneMoreLine) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_NE(bring_up_the_message(), 0u);
  const std::string before = x_.stderr_of(zol_);
  ASSERT_EQ(lines(before), 1u) << before;  // the failure itself
  x_.kill_server();
  const std::optional<int> status = x_.wait_exit(zol_, 5);
  ASSERT_TRUE(status.has_value()) << "it hangs without its X server";
  EXPECT_EQ(*status, 1) << "an exit status above 128 is a signal";
  const std::string after = x_.stderr_of(zol_);
  ASSERT_TRUE(after.starts_with(before)) << after;
  EXPECT_EQ(lines(after.substr(before.size())), 1u) << after;
}

// Moves and clicks over all four buttons while the message is up, with a
// game and a browser now there to be started: none may reach a procedure.
TEST_F(FaultsTest, InputWhileTheMessageIsUpReachesNoProcedure) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  const unsigned long message = bring_up_the_message();
  ASSERT_NE(message, 0u);
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  Observer observer(x_.display());
  observer.watch(window_);
  observer.watch(message);

  for (const MenuButton& button : menu_buttons()) {
    const DeviceRect b = button.rect;
    observer.burst(200, kLeft + b.x + 5, kTop + b.y + 5, kLeft + b.x + 100, kTop + b.y + 20);
    observer.click();
  }
  observer.burst(200, kLeft + 620, kTop + 350, kLeft + 20, kTop + 20);  // the bare background
  observer.click();
  // Onto the message's button, which lights: once it has, the menu has
  // handled every event before.
  const Geometry g = x_.geometry(message);
  observer.drawn(message);
  observer.move(g.x + g.width / 2, g.y + g.height - 30);
  bool lit = false;
  for (int i = 0; i < 500 && !lit; ++i) {
    lit = !observer.drawn(message).empty();
    if (!lit) usleep(10000);
  }
  ASSERT_TRUE(lit) << "the message's button did not light";
  const std::vector<DeviceRect> drawn = observer.drawn(window_);
  EXPECT_TRUE(drawn.empty()) << "the menu repainted " << describe(drawn);
  EXPECT_EQ(x_.wait_for_window("Orvenna"), window_) << "the menu was closed";

  x_.xdotool({"key", "Return"});  // the message holds the focus
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(1));
  usleep(100000);  // a start would be detached: give it the time to show
  EXPECT_TRUE(record_.starts().empty()) << read_file(record_.file());
}

TEST_F(FaultsTest, ABurstOfMovesCostsNoMemoryAndRepaintsOnlyOnAChange) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  Observer observer(x_.display());
  observer.watch(window_);
  const DeviceRect button = menu_buttons()[0].rect;
  const int x0 = kLeft + button.x + 10, x1 = kLeft + button.x + 100, y = kTop + button.y + 13;
  const int bg_x0 = kLeft + 320, bg_y0 = kTop + 300, bg_x1 = kLeft + 20, bg_y1 = kTop + 20;
  const Image lit = with_highlight(menu_buttons()[0]);
  observer.move(x0, y);
  ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, lit, 20));
  observer.drawn(window_);

  // Each burst ends with one move that changes the light: the only repaint.
  struct Phase {
    const char* name;
    int from_x, from_y, to_x, to_y;  // the burst, to and fro
    int probe_x, probe_y;
    const Image& shown;  // once the probe is handled
  };
  const Image unlit = background();
  const Phase phases[] = {
      {"within the lit button", x0, y, x1, y, bg_x0, bg_y0, unlit},
      {"over the background", bg_x0, bg_y0, bg_x1, bg_y1, x0, y, lit},
  };
  // In one burst each: the menu falls behind, then catches up.
  for (const Phase& p : phases) {
    observer.burst(100000, p.from_x, p.from_y, p.to_x, p.to_y);
    observer.move(p.probe_x, p.probe_y);
    // Events are handled in order: the probe showing means the burst is through.
    ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, p.shown, 60)) << p.name << ": no longer responds";
    const std::vector<DeviceRect> drawn = observer.drawn(window_);
    EXPECT_TRUE(drawn == std::vector<DeviceRect>{button})
        << p.name << ": repainted " << describe(drawn) << ", expected " << describe({button});
  }

  // As many again, in steps the menu keeps up with: Xlib holds on to what
  // the longest backlog of events took, but nothing may grow per event.
  [[maybe_unused]] const long before = resident_kib(zol_);
  for (int step = 0; step < 50; ++step)
    for (const Phase& p : phases) {
      observer.burst(1000, p.from_x, p.from_y, p.to_x, p.to_y);
      observer.move(p.probe_x, p.probe_y);
      std::vector<DeviceRect> drawn;
      for (int i = 0; i < 2000 && drawn.empty(); ++i) {
        drawn = observer.drawn(window_);
        if (drawn.empty()) usleep(5000);
      }
      ASSERT_TRUE(drawn == std::vector<DeviceRect>{button})
          << p.name << ", step " << step << ": repainted " << describe(drawn);
    }
  // A sanitizer's allocator holds freed memory back on purpose: there the
  // figure says nothing about the menu.
#ifndef ZOL_SANITIZED
  const long after = resident_kib(zol_);
  ASSERT_GT(before, 0);
  EXPECT_LE(after - before, 256) << "VmRSS " << before << " -> " << after << " KiB";
#endif
}

// Where no X server can be reached the menu says so on stderr and ends.
struct NoDisplayCase {
  const char* name;
  std::optional<std::string> display;  // nullopt: not set at all
};
void PrintTo(const NoDisplayCase& c, std::ostream* out) { *out << c.name; }

class NoDisplayTest : public ::testing::TestWithParam<NoDisplayCase> {};

TEST_P(NoDisplayTest, AClearMessageAndAFailingStatus) {
  const NoDisplayCase& c = GetParam();
  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e)
    if (!std::string_view(*e).starts_with("DISPLAY=")) env_text.emplace_back(*e);
  if (c.display) env_text.push_back("DISPLAY=" + *c.display);
  std::vector<char*> env;
  for (auto& e : env_text) env.push_back(e.data());
  env.push_back(nullptr);

  TempDir dir;
  const std::string err = dir.path() + "/stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::string binary = zol_binary();
  char* argv[] = {const_cast<char*>(binary.c_str()), nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv, env.data()), 0);
  posix_spawn_file_actions_destroy(&actions);

  int status = 0;
  for (int i = 0; i < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (kill(pid, 0) == 0 && waitpid(pid, &status, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    FAIL() << "still running after 10 s";
  }
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_NE(WEXITSTATUS(status), 0);
  const std::string text = read_file(err);
  EXPECT_EQ(lines(text), 1u) << text;
  EXPECT_NE(text.find("X-Server"), std::string::npos) << text;
  EXPECT_NE(text.find("DISPLAY"), std::string::npos) << text;
}

// A display number no server has taken on this machine.
std::string free_display() {
  int number = 4242;
  while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
         fs::exists("/tmp/.X" + std::to_string(number) + "-lock"))
    ++number;
  return std::string(":").append(std::to_string(number));
}

INSTANTIATE_TEST_SUITE_P(Displays, NoDisplayTest,
                         ::testing::Values(NoDisplayCase{"Unset", std::nullopt},
                                           NoDisplayCase{"Empty", ""},
                                           NoDisplayCase{"NoServerThere", free_display()},
                                           NoDisplayCase{"Malformed", "no display"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zol::e2e
