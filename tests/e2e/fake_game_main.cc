// A stand-in for whatever the menu starts: the game, or the desktop's
// xdg-open. Appends how it was started, in one write, to the file named by
// ZOL_TEST_RECORD (passed on by the menu from the test):
//   program=<argv[0]>, arg=<each argument>, cwd=, pid=, fd=<n> <target>,
//   and the signals it ignores and blocks, as hex masks from /proc:
//   ignored=, blocked=
// With ZOL_TEST_GAME_STAYS set it then stays a minute, so that a test can
// see it outlive the menu.

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  const char* record = std::getenv("ZOL_TEST_RECORD");
  if (!record) return 2;
  std::string out = std::string("program=") + argv[0] + "\n";
  for (int i = 1; i < argc; ++i) out += std::string("arg=") + argv[i] + "\n";
  char cwd[PATH_MAX] = "";
  out += std::string("cwd=") + (getcwd(cwd, sizeof cwd) ? cwd : "?") + "\n";
  out += "pid=" + std::to_string(getpid()) + "\n";
  if (DIR* d = opendir("/proc/self/fd")) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] == '.' || std::atoi(e->d_name) == dirfd(d)) continue;
      char target[PATH_MAX] = "";
      const std::string link = std::string("/proc/self/fd/") + e->d_name;
      const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
      out += std::string("fd=") + e->d_name + " " + (n > 0 ? std::string(target, n) : "?") + "\n";
    }
    closedir(d);
  }
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigIgn:")) out += "ignored=" + line.substr(line.find_first_not_of(" \t", 7)) + "\n";
    if (line.starts_with("SigBlk:")) out += "blocked=" + line.substr(line.find_first_not_of(" \t", 7)) + "\n";
  }
  const int fd = open(record, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0 || write(fd, out.data(), out.size()) != static_cast<ssize_t>(out.size())) return 3;
  close(fd);
  if (std::getenv("ZOL_TEST_GAME_STAYS")) sleep(60);
  return 0;
}
