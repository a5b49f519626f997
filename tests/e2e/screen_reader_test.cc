// The real menu read as a screen reader reads it: on a private session bus
// with Debian's AT-SPI launcher and registry, through libatspi. What it
// shows, the focus events as a player moves, the actions, the failure
// message, calls no client should make, and a bus that dies.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "art/art.h"
#include "host/words.h"
#include "menu/website.h"
#include "tests/e2e/accessibility_bus.h"
#include "tests/e2e/fake_game.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/scripted_pads.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

Lines lines_of(const std::string& text, const std::string& prefix = "") {
  Lines found;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.starts_with(prefix)) found.push_back(line);
  return found;
}

const Words& words() {
  static const Words built_in = parse_words(
      {reinterpret_cast<const char*>(art::words.bytes.data()), art::words.bytes.size()}, "words");
  return built_in;
}

class ScreenReaderTest : public ::testing::Test {
 protected:
  explicit ScreenReaderTest(int xft_dpi = 0)
      : x_(1920, 1200, /*window_manager=*/true), input_(dir_.path() + "/devices") {
    if (xft_dpi) x_.set_xft_dpi(xft_dpi);
    menu_dir_ = fs::path(dir_.path()) / "Spiel";
    fs::create_directories(menu_dir_);
    fs::copy_file(zol_binary(), menu_dir_ / "zol");
  }
  // The menu on the screen with the focus; `env` overrides the test's.
  void start_menu(std::vector<std::string> env = {}) {
    for (const std::string& v : input_.environment()) env.push_back(v);
    zol_ = x_.start((menu_dir_ / "zol").string(), {}, "", "", env);
    window_ = x_.wait_for_window("Orvenna");
    ASSERT_NE(window_, 0u);
    ASSERT_TRUE(x_.wait_for_focus(window_));
  }
  void reader_on() {
    bus_.start_launcher();
    bus_.set_enabled(true);
  }
  // The watch's focus events once there are `count` of them (or 10 s pass).
  Lines focus_events(pid_t watch, size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    Lines events;
    while ((events = lines_of(x_.stdout_of(watch), "object:state-changed:focused")).size() < count &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // and none more
    return lines_of(x_.stdout_of(watch), "object:state-changed:focused");
  }

  TempDir dir_;
  FakeGameRecord record_{fs::path(dir_.path()) / "game.record"};
  XSession x_;
  ScriptedInput input_;
  AccessibilityBus bus_{x_};
  fs::path menu_dir_;
  pid_t zol_ = -1;
  unsigned long window_ = 0;
};

TEST_F(ScreenReaderTest, OffTheMenuStartsNothingAndJoinsNothing) {
  struct Case {
    const char* what;
    bool session_bus, launcher;
  };
  const Case cases[] = {
      {"no session bus", false, false},
      {"no launcher on the session bus", true, false},
      {"a launcher, assistive technology off", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.launcher && !bus_.has_owner("org.a11y.Bus")) bus_.start_launcher();
    ASSERT_NO_FATAL_FAILURE(
        start_menu(c.session_bus ? Lines{} : Lines{"DBUS_SESSION_BUS_ADDRESS="}));
    x_.xdotool({"key", "Right"});  // the first wait, where it would look
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(bus_.has_owner("org.a11y.Bus"), c.launcher) << "the menu started the launcher";
    // Loaded only to ask a bus, and with none named there is none to ask.
    const bool loaded = read_file("/proc/" + std::to_string(zol_) + "/maps").find("libdbus-1") !=
                        std::string::npos;
    EXPECT_EQ(loaded, c.session_bus);
    if (c.launcher) {
      EXPECT_FALSE(bus_.has_owner("org.a11y.atspi.Registry"));
      EXPECT_EQ(bus_.read({"tree"}).status, 3) << "the menu is on the bus";
    }
    x_.xdotool({"key", "Escape"});
    EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  }
}

TEST_F(ScreenReaderTest, AScreenReaderFindsTheMenuWhenEverItStartsAndLosesItWhenItStops) {
  bus_.start_launcher();
  ASSERT_NO_FATAL_FAILURE(start_menu());
  x_.xdotool({"key", "Right"});
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "turned on after the menu started" : "turned on again");
    bus_.set_enabled(true);
    EXPECT_EQ(bus_.read_menu({"tree"}).status, 0);
    bus_.set_enabled(false);
    EXPECT_TRUE(bus_.menu_gone()) << "the menu stayed on the bus";
  }
  x_.xdotool({"key", "Escape"});
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
}

// A rectangle as the reader prints it.
std::string rect(int x, int y, int w, int h) {
  std::ostringstream out;
  out << x << ',' << y << ',' << w << ',' << h;
  return out.str();
}

// What the tree must read at the window's place, `scale` times the art.
Lines expected_tree(const Geometry& g, int scale, const std::string& bus) {
  Lines expected = {"bus " + bus, "locale de", "0 | application | Orvenna |  |  | - | - | -"};
  std::ostringstream frame;
  frame << "1 | frame | Orvenna | " << words().window_description
        << " | active,enabled,sensitive,showing,visible | " << rect(g.x, g.y, g.width, g.height)
        << " | " << rect(0, 0, g.width, g.height) << " | -";
  expected.push_back(frame.str());
  const int left[] = {59, 193, 328, 464};
  const char* const names[] = {"Vollbildmodus", "Fenstermodus", "Website", "Raus hier!"};
  for (size_t i = 0; i < 4; ++i) {
    const int x = left[i] * scale, y = 408 * scale, w = 119 * scale, h = 26 * scale;
    const std::string& description = words().buttons[i].description;
    std::ostringstream line;
    line << "2 | push button | " << names[i] << " | " << description
         << " | enabled,focusable,sensitive,showing,visible | " << rect(g.x + x, g.y + y, w, h)
         << " | " << rect(x, y, w, h) << " | click:" << description;
    expected.push_back(line.str());
  }
  return expected;
}

class ScreenReaderDpiTest : public ScreenReaderTest, public ::testing::WithParamInterface<int> {
 protected:
  ScreenReaderDpiTest() : ScreenReaderTest(GetParam()) {}
};

TEST_P(ScreenReaderDpiTest, ReadsEachButtonWhereItIsDrawn) {
  reader_on();  // before the menu starts
  ASSERT_NO_FATAL_FAILURE(start_menu());
  const Finished tree = bus_.read_menu({"tree"});
  ASSERT_EQ(tree.status, 0) << tree.output;
  const Lines read = lines_of(tree.output);
  ASSERT_FALSE(read.empty());
  EXPECT_EQ(read, expected_tree(x_.geometry(window_), GetParam() / 96, read[0].substr(4)));
}

INSTANTIATE_TEST_SUITE_P(Dpi, ScreenReaderDpiTest, ::testing::Values(96, 192),
                         [](const auto& info) { return std::to_string(info.param); });

TEST_F(ScreenReaderTest, TheLitButtonIsTheFocusedOneWithItsEventsInOrder) {
  reader_on();
  input_.plug("event0", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_EQ(bus_.read_menu({"tree"}).status, 0);
  const Geometry g = x_.geometry(window_);
  // A tap of the pad's d-pad: {"pad", "1"} right, {"pad", "-1"} left.
  const auto play = [&](const Lines& step) {
    if (step[0] != "pad") return x_.xdotool(step);
    input_.send("event0", {pad_event(EV_ABS, ABS_HAT0X, std::stoi(step[1])), report()});
    input_.send("event0", {pad_event(EV_ABS, ABS_HAT0X, 0), report()});
  };
  const auto over = [&](size_t button) {
    const DevicePoint c = menu_buttons()[button].centre();
    return Lines{"mousemove", std::to_string(g.x + c.x), std::to_string(g.y + c.y)};
  };
  const std::string kFocus = "object:state-changed:focused push button:";
  struct Case {
    const char* what;
    std::vector<Lines> steps;  // xdotool's arguments
    Lines events;
  };
  const Case cases[] = {
      {"keys",
       {{"key", "Right"}, {"key", "Right"}, {"key", "Left"}},
       {kFocus + "Vollbildmodus 1", kFocus + "Vollbildmodus 0", kFocus + "Fenstermodus 1",
        kFocus + "Fenstermodus 0", kFocus + "Vollbildmodus 1"}},
      {"the pointer, then the bare window",
       {over(2), over(3), {"mousemove", std::to_string(g.x + 320), std::to_string(g.y + 100)}},
       {kFocus + "Vollbildmodus 0", kFocus + "Website 1", kFocus + "Website 0",
        kFocus + "Raus hier! 1", kFocus + "Raus hier! 0"}},
      {"the pad",
       {{"pad", "1"}, {"pad", "1"}, {"pad", "-1"}},
       {kFocus + "Vollbildmodus 1", kFocus + "Vollbildmodus 0", kFocus + "Fenstermodus 1",
        kFocus + "Fenstermodus 0", kFocus + "Vollbildmodus 1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const pid_t watch = bus_.watch();
    for (const Lines& step : c.steps) play(step);
    EXPECT_EQ(focus_events(watch, c.events.size()), c.events);
    kill(watch, SIGKILL);
  }
}

TEST_F(ScreenReaderTest, TheFrameIsActiveWhileTheWindowHasTheFocus) {
  reader_on();
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_EQ(bus_.read_menu({"tree"}).status, 0);
  const pid_t watch = bus_.watch();
  x_.open_window("Other");
  const auto frame_states = [&] { return lines_of(bus_.read({"tree"}).output, "1 | frame")[0]; };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (frame_states().find("active,") != std::string::npos &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(frame_states().find("active,"), std::string::npos) << "still active";
  EXPECT_EQ(lines_of(x_.stdout_of(watch), "window:"), Lines{"window:deactivate frame:Orvenna 0"});
  kill(watch, SIGKILL);
}

TEST_F(ScreenReaderTest, EachButtonsActionIsItsClick) {
  struct Case {
    const char* what;
    int button;
    std::optional<Lines> started;  // the fake game's arguments; nullopt: none
    bool browser = false;
  };
  const Case cases[] = {
      {"full screen", 0, Lines{}},
      {"window mode", 1, Lines{"W"}},
      {"the website", 2, Lines{std::string(menu::kWebsite)}, true},
      {"quit", 3, std::nullopt},
  };
  reader_on();
  const fs::path bin = fs::path(dir_.path()) / "bin";
  fs::create_directories(bin);
  FakeGameRecord::install(bin / "xdg-open");
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(record_.file());
    zol_ = x_.start((menu_dir_ / "zol").string(), {}, "", bin.string() + ":/usr/bin:/bin");
    ASSERT_NE(x_.wait_for_window("Orvenna"), 0u);
    const Finished acted = bus_.read_menu({"act", std::to_string(c.button)});
    EXPECT_EQ(acted.output, "True\n");
    EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
    if (c.started) {
      const std::optional<Start> start = record_.wait_for_start();
      ASSERT_TRUE(start.has_value());
      EXPECT_EQ(start->program, c.browser ? "xdg-open" : "ZolMain.exe");
      EXPECT_EQ(start->args, *c.started);
    } else {
      usleep(100000);
      EXPECT_TRUE(record_.starts().empty());
    }
  }
}

TEST_F(ScreenReaderTest, TheFailureMessageIsAnAlertWithItsTextAndAnOkThatDismissesIt) {
  reader_on();
  ASSERT_NO_FATAL_FAILURE(start_menu());  // no game beside it: its start fails
  ASSERT_EQ(bus_.read_menu({"tree"}).status, 0);
  const pid_t watch = bus_.watch();
  ASSERT_EQ(bus_.read({"act", "0"}).output, "True\n");
  Finished alert;
  for (int tries = 0; tries < 100 && (alert = bus_.read({"alert"})).status == 4; ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(alert.status, 0) << alert.output;
  const std::string err = x_.stderr_of(zol_);
  ASSERT_TRUE(err.starts_with("zol: ")) << err;
  const std::string text = err.substr(5, err.find('\n') - 5);
  EXPECT_EQ(lines_of(alert.output),
            (Lines{"0 | alert | " + text + " |  | active,enabled,modal,sensitive,showing,visible | - | - | -",
                   "1 | label | " + text + " |  | enabled,sensitive,showing,visible | - | - | -",
                   "1 | push button | OK |  | enabled,focusable,focused,sensitive,showing,visible | - | - | click:"}));
  EXPECT_EQ(focus_events(watch, 1), Lines{"object:state-changed:focused push button:OK 1"});
  EXPECT_EQ(x_.wait_exit(zol_, 0.2), std::nullopt) << "gone before it was dismissed";
  EXPECT_EQ(lines_of(bus_.read({"alert", "press"}).output).back(), "True");
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(1));
}

TEST_F(ScreenReaderTest, CallsNoScreenReaderMakesGetErrorsAndChangeNothing) {
  reader_on();
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  const Finished tree = bus_.read_menu({"tree"});
  ASSERT_EQ(tree.status, 0);
  const std::string name = "--dest=" + lines_of(tree.output, "bus ")[0].substr(4);
  const std::string root = "/org/a11y/atspi/accessible/root", button = "/org/a11y/atspi/accessible/2";
  const std::string huge(100000, 'x');
  struct Case {
    const char* what;
    Lines args;
    std::string error;
  };
  const Case cases[] = {
      {"no such object", {name, "/org/a11y/atspi/accessible/99", "org.a11y.atspi.Accessible.GetRole"},
       "UnknownObject"},
      {"an object's number with a leading zero", {name, "/org/a11y/atspi/accessible/02",
                                                   "org.a11y.atspi.Accessible.GetRole"},
       "UnknownObject"},
      {"no such method", {name, button, "org.a11y.atspi.Accessible.Explode"}, "UnknownMethod"},
      {"an interface the object lacks", {name, root, "org.a11y.atspi.Action.DoAction", "int32:0"},
       "UnknownMethod"},
      {"a wrong signature", {name, root, "org.a11y.atspi.Accessible.GetChildAtIndex", "string:0"},
       "InvalidArgs"},
      {"a child past the end", {name, root, "org.a11y.atspi.Accessible.GetChildAtIndex", "int32:1"},
       "InvalidArgs"},
      {"a negative child", {name, root, "org.a11y.atspi.Accessible.GetChildAtIndex", "int32:-1"},
       "InvalidArgs"},
      {"a second action", {name, button, "org.a11y.atspi.Action.DoAction", "int32:1"}, "InvalidArgs"},
      {"no such coordinates", {name, button, "org.a11y.atspi.Component.GetExtents", "uint32:9"},
       "InvalidArgs"},
      {"a huge property name", {name, button, "org.freedesktop.DBus.Properties.Get",
                                "string:org.a11y.atspi.Accessible", "string:" + huge},
       "UnknownProperty"},
      {"writing a name", {name, button, "org.freedesktop.DBus.Properties.Set",
                          "string:org.a11y.atspi.Accessible", "string:Name", "variant:string:x"},
       "PropertyReadOnly"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Finished r = bus_.send(c.args);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find("org.freedesktop.DBus.Error." + c.error), std::string::npos) << r.output;
  }
  EXPECT_EQ(lines_of(bus_.read({"tree"}).output), lines_of(tree.output)) << "the tree changed";
  EXPECT_EQ(x_.wait_exit(zol_, 0.2), std::nullopt);
  EXPECT_TRUE(record_.starts().empty());
}

TEST_F(ScreenReaderTest, TheMenuOutlivesTheAccessibilityBus) {
  reader_on();
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_EQ(bus_.read_menu({"tree"}).status, 0);
  bus_.kill_accessibility_bus();
  x_.xdotool({"key", "Right"});
  x_.xdotool({"key", "Right"});
  const Image lit = with_highlight(menu_buttons()[1]);
  const Geometry g = x_.geometry(window_);
  EXPECT_TRUE(x_.wait_for_pixels(g.x, g.y, lit));
  x_.xdotool({"key", "Return"});
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  const std::optional<Start> start = record_.wait_for_start();
  ASSERT_TRUE(start.has_value());
  EXPECT_EQ(start->args, Lines{"W"});
}

}  // namespace
}  // namespace zol::e2e
