// The real menu beside a hostile "ZolMain.exe", in a directory whose name a
// shell would take apart: it starts the one program or names the reason.

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kGameVar = "ZOL_TEST_FAKE_GAME";

// This test binary doubles as the game: started with kGameVar set, it writes
// its argv, working directory, pid and open descriptors to that file, then
// stays (a minute at most) so that the test can see it outlive the menu.
const bool kIsGame = [] {
  const char* record = std::getenv(kGameVar);
  if (!record) return false;
  std::string out = "pid=" + std::to_string(getpid()) + "\n";
  {
    std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
    for (std::string arg; std::getline(cmdline, arg, '\0');) out += "arg=" + arg + "\n";
  }
  out += "cwd=" + fs::current_path().string() + "\n";
  if (DIR* d = opendir("/proc/self/fd")) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] == '.' || std::atoi(e->d_name) == dirfd(d)) continue;
      std::error_code ignored;
      out += std::string("fd=") + e->d_name + " " +
             fs::read_symlink(fs::path("/proc/self/fd") / e->d_name, ignored).string() + "\n";
    }
    closedir(d);
  }
  // Written under a temporary name so the reader never sees half of it.
  const std::string part = std::string(record) + ".part";
  std::ofstream(part) << out;
  std::rename(part.c_str(), record);
  sleep(60);
  _exit(0);
}();

struct Game {
  pid_t pid = -1;
  std::vector<std::string> args, fds;
  std::string cwd;
};

std::optional<Game> read_record(const fs::path& file) {
  std::ifstream in(file);
  if (!in) return std::nullopt;
  Game g;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("pid=")) g.pid = std::stoi(line.substr(4));
    if (line.starts_with("arg=")) g.args.push_back(line.substr(4));
    if (line.starts_with("cwd=")) g.cwd = line.substr(4);
    if (line.starts_with("fd=")) g.fds.push_back(line.substr(3));
  }
  return g;
}

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

class GameDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Spaces, letters beyond ASCII, and what a shell would run.
    menu_dir_ = fs::path(dir_.path()) / "Spiele Ordner ÄÖÜ ß $(touch injected);`touch injected`";
    fs::create_directories(menu_dir_);
    fs::copy_file(zol_binary(), menu_dir_ / "zol");
    record_ = fs::path(dir_.path()) / "game.record";
    setenv(kGameVar, record_.c_str(), 1);  // the menu passes it on to the game
    // The game outlives the menu: it is to come to this process then.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
  }
  void TearDown() override {
    unsetenv(kGameVar);
    if (game_ > 0) {
      kill(game_, SIGKILL);
      waitpid(game_, nullptr, 0);
    }
  }

  TempDir dir_;
  fs::path menu_dir_, record_;
  pid_t game_ = -1;
};

TEST_F(GameDirTest, ItStartsTheOneProgramOrNamesTheReason) {
  const fs::path self = fs::read_symlink("/proc/self/exe");
  struct Case {
    const char* name;
    std::function<void(const fs::path& game)> prepare;
    const char* reason;  // nullptr: the game starts
  };
  const Case cases[] = {
      {"a directory", [](const fs::path& g) { fs::create_directory(g); }, "Verzeichnis"},
      {"a dangling link", [](const fs::path& g) { fs::create_symlink("weg/ZolMain.exe", g); },
       "Verknüpfung auf eine Datei, die es nicht gibt"},
      // Commands without "#!": only a shell would run them.
      {"no executable format",
       [](const fs::path& g) {
         std::ofstream(g) << "touch started-by-a-shell\n";
         fs::permissions(g, fs::perms::owner_all);
       },
       "kein ausführbares Programm"},
      {"a link to a real program", [&](const fs::path& g) { fs::create_symlink(self, g); },
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path game = menu_dir_ / "ZolMain.exe";
    fs::remove_all(game);
    c.prepare(game);
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
      EXPECT_FALSE(fs::exists(record_)) << "something was started";
    } else {
      EXPECT_EQ(x.wait_exit(zol), std::optional<int>(0));
      std::optional<Game> started;
      for (int i = 0; i < 1000 && !(started = read_record(record_)); ++i) usleep(10000);
      ASSERT_TRUE(started.has_value()) << "the game did not start";
      game_ = started->pid;
      EXPECT_EQ(started->args, (std::vector<std::string>{"ZolMain.exe", "W"}));
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
}

}  // namespace
}  // namespace zol::e2e
