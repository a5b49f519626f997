// Zol.exe under wine as a screen reader sees it: a small MSAA client
// (tests/windows/msaa_client.cc), a process of its own, reads the menu
// through wine's oleacc and COM, listens for its focus events and presses
// its buttons.

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/wine_menu.h"

namespace zol::e2e {
namespace {

constexpr char kFocusable[] = "00100000", kFocusedAndFocusable[] = "00100004";
constexpr char kInvalidArg[] = "80070057";
constexpr int kRoleClient = 10, kRolePushButton = 43;

struct ButtonWords {
  const char* name;
  const char* description;
};
const ButtonWords kWords[] = {
    {"Vollbildmodus", "Startet das Spiel im Vollbild"},
    {"Fenstermodus", "Startet das Spiel in einem Fenster"},
    {"Website", "Öffnet die Website des Spiels im Browser"},
    {"Raus hier!", "Schließt das Menü, ohne das Spiel zu starten"}};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();  // a Windows text stream
    lines.push_back(line);
  }
  return lines;
}

// Runs the client to its end; its lines.
std::vector<std::string> run_client(XSession& x, const std::vector<std::string>& args) {
  std::vector<std::string> argv{ZOL_MSAA_CLIENT};
  argv.insert(argv.end(), args.begin(), args.end());
  const pid_t client = x.start("wine", argv);
  EXPECT_EQ(x.wait_exit(client, 60), std::optional<int>(0)) << x.stderr_of(client);
  return lines_of(x.stdout_of(client));
}

std::string location(const Geometry& window, DeviceRect r) {
  return std::to_string(window.x + r.x) + "," + std::to_string(window.y + r.y) + "," +
         std::to_string(r.w) + "," + std::to_string(r.h);
}

// The lines `read` must print with entry `current` lit (-1: none, the
// window focused).
std::vector<std::string> expected_read(const Geometry& g, int dpi, int current) {
  std::vector<std::string> lines{
      "parent hr=00000000 accessible",
      "count hr=00000000 count=4",
      "child 0 name=Orvenna role=" + std::to_string(kRoleClient) + " state=" +
          (current < 0 ? kFocusedAndFocusable : kFocusable) + " location=" +
          location(g, {0, 0, g.width, g.height}) +
          " action=hr=80020003 description=Startmenü von Orvenna: Wähle, wie das Spiel startet.",
      "focus = " + std::to_string(current + 1),
      "hit outside = empty",
      "navigate 0 first = 1", "navigate 0 last = 4", "navigate 1 right = 2",
      "navigate 4 right = empty", "navigate 2 left = 1", "navigate 1 left = empty",
      "navigate 3 next = 4", "navigate 3 up = empty", "navigate 2 99 = hr=" + std::string(kInvalidArg)};
  for (int i = 0; i < 4; ++i) {
    const std::string id = std::to_string(i + 1);
    lines.push_back("child " + id + " name=" + kWords[i].name + " role=" +
                    std::to_string(kRolePushButton) + " state=" +
                    (i == current ? kFocusedAndFocusable : kFocusable) +
                    " location=" + location(g, menu_buttons()[i].at(dpi)) +
                    " action=Drücken description=" + kWords[i].description);
    lines.push_back("hit " + id + " = " + id);
  }
  for (const char* id : {"5", "-1", "bstr", "i2"})
    for (const char* call : {"name", "state", "location", "action"})
      lines.push_back(std::string("invalid ") + id + " " + call + " = " + kInvalidArg);
  return lines;
}

void expect_lines(const std::vector<std::string>& got, const std::vector<std::string>& expected) {
  const std::set<std::string> have(got.begin(), got.end());
  std::string all;
  for (const std::string& line : got) all += line + "\n";
  for (const std::string& line : expected) EXPECT_TRUE(have.contains(line)) << line << "\nin\n" << all;
}

class WineScreenReaderDpiTest : public ::testing::TestWithParam<int> {};

TEST_P(WineScreenReaderDpiTest, ReadsTheWindowAndItsButtonsWithOleaccLoadedOnlyOnceAsked) {
  const int dpi = GetParam();
  MenuOnWine menu({1920, 1080}, dpi);
  ASSERT_NE(menu.window, 0u) << menu.wine.x.stderr_of(menu.zol);
  XSession& x = menu.wine.x;
  ASSERT_TRUE(x.wait_for_focus(menu.window, 10)) << "the menu never got the focus";

  std::vector<std::string> got = run_client(x, {"read"});
  ASSERT_GE(got.size(), 3u);
  EXPECT_EQ(got[0], "before oleacc=none");
  EXPECT_EQ(got[1], "object hr=00000000");
  EXPECT_EQ(got[2], "after oleacc=C:\\windows\\system32\\oleacc.dll");
  expect_lines(got, expected_read(menu.where, dpi, -1));

  x.xdotool({"key", "--delay", "50", "Right", "Right"});
  x.wait_for_pixels(menu.where.x, menu.where.y, with_highlight(menu_buttons()[1], dpi));
  expect_lines(run_client(x, {"read"}), expected_read(menu.where, dpi, 1));

  x.xdotool({"key", "Escape"});
  EXPECT_EQ(x.wait_exit(menu.zol, 20), std::optional<int>(0));
}

INSTANTIATE_TEST_SUITE_P(Dpis, WineScreenReaderDpiTest, ::testing::Values(96, 192),
                         [](const auto& info) { return "At" + std::to_string(info.param); });

class WineScreenReaderTest : public WineMenuTest {
 protected:
  // Starts the client and returns once it is listening or holding.
  pid_t start_client(const std::vector<std::string>& args, const std::string& ready) {
    std::vector<std::string> argv{ZOL_MSAA_CLIENT};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t client = x_.start("wine", argv);
    wait_for_line(client, ready);
    return client;
  }
  void wait_for_line(pid_t client, const std::string& wanted) {
    for (int tries = 0; tries < 600; ++tries) {
      for (const std::string& line : lines_of(x_.stdout_of(client)))
        if (line == wanted) return;
      usleep(100'000);
    }
    ADD_FAILURE() << "the client never said " << wanted << ": " << x_.stdout_of(client);
  }
};

// Keys and the pointer move the lit button; each move is one focus event
// for the client object's child, in order, named as the button is.
TEST_F(WineScreenReaderTest, EachMoveOfTheLitButtonIsAFocusEventInOrder) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_NO_FATAL_FAILURE(wait_for_focus());
  const pid_t client = start_client({"events", "60"}, "ready");
  x_.xdotool({"key", "--delay", "50", "Right", "Right", "Left"});
  x_.move_pointer(kLeft + kWebsite, kTop + kRow);
  x_.wait_for_pixels(kLeft, kTop, with_highlight(menu_buttons()[2]));
  x_.move_pointer(kLeft + 320, kTop + 300);  // the bare window: none lit
  x_.wait_for_pixels(kLeft, kTop, background());
  // The client names each element from the menu as it hears of it.
  wait_for_line(client, "focus -4 0 Orvenna");
  x_.xdotool({"key", "Escape"});
  EXPECT_EQ(x_.wait_exit(zol_, 20), std::optional<int>(0));
  EXPECT_EQ(x_.wait_exit(client, 30), std::optional<int>(0));
  EXPECT_EQ(lines_of(x_.stdout_of(client)),
            (std::vector<std::string>{"ready", "focus -4 1 Vollbildmodus",
                                      "focus -4 2 Fenstermodus", "focus -4 1 Vollbildmodus",
                                      "focus -4 3 Website", "focus -4 0 Orvenna"}));
}

// A button's default action is the click on it: the call is answered,
// then the menu does what the click does.
struct ActionCase {
  const char* name;
  int child;
  std::string command;  // the game's command line; empty: none starts
};
void PrintTo(const ActionCase& c, std::ostream* out) { *out << c.name; }

class WineScreenReaderActionTest : public WineScreenReaderTest,
                                   public ::testing::WithParamInterface<ActionCase> {};

TEST_P(WineScreenReaderActionTest, DoesWhatAClickDoes) {
  const ActionCase& c = GetParam();
  fs::copy_file(ZOL_FAKE_GAME, menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  const std::vector<std::string> got = run_client(x_, {"act", std::to_string(c.child)});
  EXPECT_EQ(got, (std::vector<std::string>{"object hr=00000000",
                                           "act " + std::to_string(c.child) + " = 00000000"}));
  expect_ended_having_started(c.command);
  EXPECT_FALSE(planted_game_ran());
}

INSTANTIATE_TEST_SUITE_P(Buttons, WineScreenReaderActionTest,
                         ::testing::Values(ActionCase{"FullScreen", 1, "ZolMain.exe"},
                                           ActionCase{"Windowed", 2, "ZolMain.exe W"},
                                           ActionCase{"Quit", 4, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// A client may hold the object past the menu's end: its calls then fail,
// and neither side hangs or crashes.
TEST_F(WineScreenReaderTest, AClientHoldingTheObjectLetsTheMenuEndAndThenGetsErrors) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_NO_FATAL_FAILURE(wait_for_focus());
  const pid_t client = start_client({"held"}, "held");
  x_.xdotool({"key", "Escape"});
  EXPECT_EQ(x_.wait_exit(zol_, 20), std::optional<int>(0));
  EXPECT_EQ(x_.wait_exit(client, 30), std::optional<int>(0));
  const std::vector<std::string> got = lines_of(x_.stdout_of(client));
  ASSERT_EQ(got.size(), 5u) << x_.stdout_of(client);
  EXPECT_TRUE(got[2].starts_with("after name = hr=8")) << got[2];
  EXPECT_TRUE(got[3].starts_with("after count = 8")) << got[3];
  EXPECT_EQ(got[4], "released");
}

}  // namespace
}  // namespace zol::e2e
