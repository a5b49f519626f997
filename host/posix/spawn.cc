#include "host/posix/spawn.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "host/failure.h"

extern char** environ;

namespace zol {
namespace {

// Attributes and file actions for a child that is on its own: new session,
// default signal handling, empty signal mask, no descriptor beyond 0-2.
class DetachedSpawn {
 public:
  explicit DetachedSpawn(const char* cwd) {
    posix_spawnattr_init(&attr_);
    posix_spawn_file_actions_init(&actions_);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr_, &none);
    posix_spawnattr_setsigdefault(&attr_, &all);
    posix_spawnattr_setflags(&attr_,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
    if (cwd) posix_spawn_file_actions_addchdir_np(&actions_, cwd);
  }
  ~DetachedSpawn() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attr_);
  }
  DetachedSpawn(const DetachedSpawn&) = delete;
  DetachedSpawn& operator=(const DetachedSpawn&) = delete;

  // Returns 0 or the errno of the failed start (glibc reports exec errors).
  int run(const char* file, const std::vector<std::string>& argv, bool search, pid_t& pid) {
    std::vector<char*> raw;
    for (const auto& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
    raw.push_back(nullptr);
    return search ? posix_spawnp(&pid, file, &actions_, &attr_, raw.data(), environ)
                  : posix_spawn(&pid, file, &actions_, &attr_, raw.data(), environ);
  }

 private:
  posix_spawnattr_t attr_;
  posix_spawn_file_actions_t actions_;
};

std::string spawn_reason(int err) {
  switch (err) {
    case ENOEXEC:
      return kNotAProgram;
    case EACCES:
      return "Die Datei ist nicht ausführbar.";
    // The file is there, so what is missing is its interpreter or loader.
    case ENOENT:
      return "Ein Programm, das sie zum Laufen braucht, fehlt.";
    default:
      return std::string(std::strerror(err)) + ".";
  }
}

// Gives the clearest reason before trying, since a failed exec says less.
void check_runnable(const std::string& dir, const std::string& program, const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    const int err = errno;
    // A link is there, so "not found" would send the user looking for a file.
    if (err == ENOENT && lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
      fail_to_start(program, "Das ist eine Verknüpfung auf eine Datei, die es nicht gibt.");
    if (err == ENOENT || err == ENOTDIR)
      fail_to_start(program, not_found_beside(dir));
    fail_to_start(program, std::string(std::strerror(err)) + ".");
  }
  if (S_ISDIR(st.st_mode)) fail_to_start(program, kIsDirectory);
  if (!S_ISREG(st.st_mode)) fail_to_start(program, "Das ist keine gewöhnliche Datei.");
  if (access(path.c_str(), X_OK) != 0) fail_to_start(program, "Die Datei ist nicht ausführbar.");
}

}  // namespace

pid_t start_beside(const std::string& dir, const std::string& program,
                   const std::vector<std::string>& args) {
  require_bare_file_name(program);
  // Absolute, since the exec comes after the change of directory.
  const std::string base = std::filesystem::absolute(dir).string();
  const std::string path = base + "/" + program;
  check_runnable(base, program, path);

  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  DetachedSpawn spawn(base.c_str());
  pid_t pid = -1;
  if (int err = spawn.run(path.c_str(), argv, false, pid)) fail_to_start(program, spawn_reason(err));
  return pid;
}

pid_t open_with_desktop(const std::string& address) {
  DetachedSpawn spawn(nullptr);
  pid_t pid = -1;
  if (int err = spawn.run("xdg-open", {"xdg-open", address}, true, pid)) {
    std::fprintf(stderr, "zol: xdg-open konnte nicht gestartet werden: %s\n", std::strerror(err));
    return -1;
  }
  return pid;
}

}  // namespace zol
