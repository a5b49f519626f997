#include "host/posix/spawn.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/platform.h"
#include "host/posix/process.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecordVar = "ZOL_TEST_FAKE_RECORD";

// A copy of this test binary serves as the fake game: when started with
// kRecordVar set it writes its argv, working directory and open descriptors
// to that file and exits before any test runs. A real binary, unlike a
// script, keeps the argv[0] it was given.
const bool kIsFake = [] {
  const char* record = std::getenv(kRecordVar);
  if (!record) return false;
  std::string out;
  {
    std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
    for (std::string arg; std::getline(cmdline, arg, '\0');) out += "arg=" + arg + "\n";
  }
  char cwd[4096];
  out += std::string("cwd=") + (getcwd(cwd, sizeof cwd) ? cwd : "?") + "\n";
  if (DIR* d = opendir("/proc/self/fd")) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] == '.' || std::atoi(e->d_name) == dirfd(d)) continue;
      out += std::string("fd=") + e->d_name + "\n";
    }
    closedir(d);
  }
  // Written under a temporary name so the reader never sees half of it.
  std::string tmp = std::string(record) + ".part";
  std::ofstream(tmp) << out;
  std::rename(tmp.c_str(), record);
  _exit(0);
}();

struct Record {
  std::vector<std::string> args;
  std::string cwd;
  std::vector<int> fds;
};

class SpawnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zol-spawn-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = fs::canonical(tmpl);
    record_ = dir_ / "record";
    setenv(kRecordVar, record_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv(kRecordVar);
    fs::remove_all(dir_);
  }

  // A directory under the temp dir, optionally holding the fake as `name`.
  fs::path make_dir(const std::string& sub, const char* fake_name) {
    fs::path d = dir_ / sub;
    fs::create_directories(d);
    if (fake_name) fs::copy_file("/proc/self/exe", d / fake_name);
    return d;
  }

  // The fake runs detached; wait (bounded) for it to end and read its record.
  Record wait_for_record(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Record r;
    std::ifstream in(record_);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("arg=", 0) == 0) r.args.push_back(line.substr(4));
      if (line.rfind("cwd=", 0) == 0) r.cwd = line.substr(4);
      if (line.rfind("fd=", 0) == 0) r.fds.push_back(std::stoi(line.substr(3)));
    }
    return r;
  }

  fs::path dir_, record_;
};

TEST_F(SpawnTest, StartsTheGameBesideWithItsArgsInItsDirectory) {
  fs::path game_dir = make_dir("game dir", "ZolMain.exe");
  // Descriptors a careless caller left inheritable must not reach the game.
  int leaky[2];
  ASSERT_EQ(pipe(leaky), 0);
  int leaky_file = open("/dev/null", O_RDONLY);
  ASSERT_GE(leaky_file, 0);

  pid_t pid = zol::start_beside(game_dir.string(), "ZolMain.exe", {"W"});
  close(leaky[0]);
  close(leaky[1]);
  close(leaky_file);

  Record r = wait_for_record(pid);
  EXPECT_EQ(r.args, (std::vector<std::string>{"ZolMain.exe", "W"}));
  EXPECT_EQ(r.cwd, game_dir.string());
  ASSERT_FALSE(r.fds.empty()) << "no record from the fake game";
  for (int fd : r.fds) EXPECT_LT(fd, 3) << "descriptor " << fd << " leaked into the game";
}

TEST_F(SpawnTest, GameRunsInASessionOfItsOwn) {
  // The fake exits at once, so check the session through a long-lived child:
  // /bin/sleep copied beside under the game's name.
  fs::path game_dir = make_dir("sleeper", nullptr);
  fs::copy_file("/bin/sleep", game_dir / "ZolMain.exe");
  pid_t pid = zol::start_beside(game_dir.string(), "ZolMain.exe", {"5"});
  pid_t sid = getsid(pid);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(sid, pid);
  EXPECT_NE(sid, getsid(0));
}

TEST_F(SpawnTest, RelativeDirectoryIsResolvedBeforeTheChange) {
  fs::path game_dir = make_dir("rel", "ZolMain.exe");
  fs::path old = fs::current_path();
  fs::current_path(dir_);
  pid_t pid = zol::start_beside("rel", "ZolMain.exe", {});
  fs::current_path(old);
  Record r = wait_for_record(pid);
  EXPECT_EQ(r.args, (std::vector<std::string>{"ZolMain.exe"}));
  EXPECT_EQ(r.cwd, game_dir.string());
}

struct FailureCase {
  const char* name;
  void (*prepare)(const fs::path& game);  // makes what stands at the game's path
  const char* reason;
};

void write_file(const fs::path& p, const std::string& bytes, fs::perms perms) {
  std::ofstream(p, std::ios::binary) << bytes;
  fs::permissions(p, perms);
}

constexpr auto kRunnable = fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read;

const FailureCase kFailures[] = {
    {"missing", [](const fs::path&) {}, "nicht gefunden"},
    {"directory", [](const fs::path& g) { fs::create_directory(g); }, "Verzeichnis"},
    {"dangling link", [](const fs::path& g) { fs::create_symlink(g.parent_path() / "gone", g); },
     "Verknüpfung auf eine Datei, die es nicht gibt"},
    {"no run bit",
     [](const fs::path& g) {
       write_file(g, "#!/bin/sh\nexit 0\n", fs::perms::owner_read | fs::perms::owner_write);
     },
     "nicht ausführbar"},
    {"garbage with run bit",
     [](const fs::path& g) {
       write_file(g, std::string("\x01\x02garbage\xff\xfe", 11), kRunnable);
     },
     "kein ausführbares Programm"},
    {"empty with run bit", [](const fs::path& g) { write_file(g, "", kRunnable); },
     "kein ausführbares Programm"},
    {"script whose interpreter is missing",
     [](const fs::path& g) { write_file(g, "#!/nonexistent/interpreter\n", kRunnable); }, "fehlt"},
    {"fifo", [](const fs::path& g) { mkfifo(g.c_str(), 0755); }, "keine gewöhnliche Datei"},
};

TEST_F(SpawnTest, FailuresThrowNamingTheProgramAndTheReason) {
  for (const FailureCase& c : kFailures) {
    SCOPED_TRACE(c.name);
    fs::path game_dir = make_dir(c.name, nullptr);
    c.prepare(game_dir / "ZolMain.exe");
    try {
      zol::start_beside(game_dir.string(), "ZolMain.exe", {"W"});
      ADD_FAILURE() << "started although it should not";
    } catch (const zol::PlatformError& e) {
      std::string msg = e.what();
      EXPECT_NE(msg.find("\"ZolMain.exe\""), std::string::npos) << msg;
      EXPECT_NE(msg.find(c.reason), std::string::npos) << msg;
      EXPECT_EQ(msg.find('\n'), std::string::npos) << msg;
    }
  }
}

TEST_F(SpawnTest, NeverFallsBackToWorkingDirectoryOrPath) {
  fs::path decoy = make_dir("decoy", "ZolMain.exe");
  fs::path empty = make_dir("empty", nullptr);
  fs::path old = fs::current_path();
  std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  fs::current_path(decoy);
  setenv("PATH", decoy.c_str(), 1);

  std::string msg;
  try {
    zol::start_beside(empty.string(), "ZolMain.exe", {});
  } catch (const zol::PlatformError& e) {
    msg = e.what();
  }
  fs::current_path(old);
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_NE(msg.find("nicht gefunden"), std::string::npos) << msg;
  EXPECT_FALSE(fs::exists(record_));
}

TEST_F(SpawnTest, RejectsANameThatIsAPath) {
  make_dir("sub", "ZolMain.exe");
  EXPECT_THROW(zol::start_beside(dir_.string(), "sub/ZolMain.exe", {}), zol::PlatformError);
  EXPECT_THROW(zol::start_beside(dir_.string(), "", {}), zol::PlatformError);
}

TEST(ExecutableDir, HoldsThisVeryExecutable) {
  std::string dir = zol::executable_dir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  struct stat self {
  }, found{};
  ASSERT_EQ(stat("/proc/self/exe", &self), 0);
  bool seen = false;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (stat(e.path().c_str(), &found) == 0 && found.st_ino == self.st_ino &&
        found.st_dev == self.st_dev)
      seen = true;
  }
  EXPECT_TRUE(seen) << dir;
}

TEST_F(SpawnTest, OpensTheAddressWithXdgOpenFromPath) {
  fs::path bin = make_dir("bin", "xdg-open");
  std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", bin.c_str(), 1);
  pid_t pid = zol::open_with_desktop("https://example.org/a b?c=d");
  setenv("PATH", old_path.c_str(), 1);
  ASSERT_GT(pid, 0);
  Record r = wait_for_record(pid);
  EXPECT_EQ(r.args, (std::vector<std::string>{"xdg-open", "https://example.org/a b?c=d"}));
  ASSERT_FALSE(r.fds.empty()) << "no record from the fake xdg-open";
  for (int fd : r.fds) EXPECT_LT(fd, 3) << "descriptor " << fd << " leaked into xdg-open";
}

TEST_F(SpawnTest, MissingXdgOpenIsReportedNotThrown) {
  fs::path empty = make_dir("nothing", nullptr);
  std::string old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", empty.c_str(), 1);
  testing::internal::CaptureStderr();
  pid_t pid = 0;
  EXPECT_NO_THROW(pid = zol::open_with_desktop("https://example.org/"));
  std::string err = testing::internal::GetCapturedStderr();
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_EQ(pid, -1);
  EXPECT_NE(err.find("xdg-open"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace
