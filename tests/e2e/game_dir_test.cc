// The real menu beside a hostile "ZolMain.exe", in a directory whose name a
// shell would take apart: it starts the one program or names the reason.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/fake_game.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

// The parent and state of a running process, from /proc/PID/stat.
std::pair<pid_t, char> parent_and_state(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const size_t name_end = text.rfind(')');
  if (name_end == std::string::npos) return {-1, '?'};
  std::istringstream rest(text.substr(name_end + 2));
  char state = '?';
  pid_t parent = -1;
  rest >> state >> parent;
  return {parent, state};
}

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;
constexpr int kWindowed = 250;  // "FENSTERMODUS"

struct GameDirCase {
  const char* name;
  void (*prepare)(const fs::path& game);
  const char* reason;  // nullptr: the game starts
};
void PrintTo(const GameDirCase& c, std::ostream* out) { *out << c.name; }

class GameDirTest : public ::testing::TestWithParam<GameDirCase> {
 protected:
  void SetUp() override {
    // Spaces, letters beyond ASCII, and what a shell would run.
    menu_dir_ = fs::path(dir_.path()) / "Spiele Ordner ÄÖÜ ß $(touch injected);`touch injected`";
    fs::create_directories(menu_dir_);
    fs::copy_file(zol_binary(), menu_dir_ / "zol");
    // The game stays, to be seen outliving the menu; it is to come to this
    // process then.
    setenv("ZOL_TEST_GAME_STAYS", "1", 1);
    prctl(PR_SET_CHILD_SUBREAPER, 1);
  }
  void TearDown() override {
    unsetenv("ZOL_TEST_GAME_STAYS");
    if (game_ > 0) {
      kill(game_, SIGKILL);
      waitpid(game_, nullptr, 0);
    }
  }

  TempDir dir_;
  FakeGameRecord record_{fs::path(dir_.path()) / "game.record"};
  fs::path menu_dir_;
  pid_t game_ = -1;
};

TEST_P(GameDirTest, ItStartsTheOneProgramOrNamesTheReason) {
  const GameDirCase& c = GetParam();
  c.prepare(menu_dir_ / "ZolMain.exe");
  XSession x(1024, 768, /*window_manager=*/false);
  const pid_t zol = x.start((menu_dir_ / "zol").string(), {}, dir_.path());
  ASSERT_NE(x.wait_for_window("Orvenna"), 0u);
  x.click(kLeft + kWindowed, kTop + 420);

  if (c.reason) {
    ASSERT_NE(x.wait_for_window("Zol"), 0u) << "no failure message";
    const std::string err = x.stderr_of(zol);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("\"ZolMain.exe\""), std::string::npos) << err;
    EXPECT_NE(err.find(c.reason), std::string::npos) << err;
    x.xdotool({"key", "Return"});  // the message holds the focus
    EXPECT_EQ(x.wait_exit(zol), std::optional<int>(1));
    usleep(100000);  // a start would be detached: give it the time to show
    EXPECT_TRUE(record_.starts().empty()) << "something was started";
  } else {
    EXPECT_EQ(x.wait_exit(zol), std::optional<int>(0));
    const std::optional<Start> started = record_.wait_for_start();
    ASSERT_TRUE(started.has_value()) << "the game did not start";
    game_ = started->pid;
    EXPECT_EQ(started->program, "ZolMain.exe");
    EXPECT_EQ(started->args, std::vector<std::string>{"W"});
    EXPECT_EQ(started->cwd, menu_dir_.string());
    for (const std::string& fd : started->fds)
      EXPECT_TRUE(fd.starts_with("0 ") || fd.starts_with("1 ") || fd.starts_with("2 "))
          << "the game holds the menu's descriptor " << fd;
    const auto [parent, state] = parent_and_state(game_);
    EXPECT_EQ(parent, getpid()) << "the game was not left behind by the menu";
    EXPECT_TRUE(state != 'Z' && state != 'X' && state != '?') << "game state " << state;
  }
  for (const char* marker : {"injected", "started-by-a-shell"}) {
    EXPECT_FALSE(fs::exists(fs::path(dir_.path()) / marker)) << "a shell ran: " << marker;
    EXPECT_FALSE(fs::exists(menu_dir_ / marker)) << "a shell ran: " << marker;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Games, GameDirTest,
    ::testing::Values(
        GameDirCase{"ADirectory", [](const fs::path& g) { fs::create_directory(g); }, "Verzeichnis"},
        GameDirCase{"ADanglingLink",
                    [](const fs::path& g) { fs::create_symlink("weg/ZolMain.exe", g); },
                    "Verknüpfung auf eine Datei, die es nicht gibt"},
        // Commands without "#!": only a shell would run them.
        GameDirCase{"NoExecutableFormat",
                    [](const fs::path& g) {
                      std::ofstream(g) << "touch started-by-a-shell\n";
                      fs::permissions(g, fs::perms::owner_all);
                    },
                    "kein ausführbares Programm"},
        GameDirCase{"ALinkToARealProgram",
                    [](const fs::path& g) { fs::create_symlink(FakeGameRecord::program(), g); },
                    nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zol::e2e
