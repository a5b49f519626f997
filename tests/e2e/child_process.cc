#include "tests/e2e/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace zol::e2e {

pid_t spawn_logged(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                   const std::string& dir, const std::string& log, const Streams& streams) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
  const std::string out = log + ".out", err = log + ".err";
  const struct {
    int fd;
    Stream how;
    const char* usual;
    int flags;
  } setups[] = {{0, streams.in, "/dev/null", O_RDONLY},
                {1, streams.out, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC},
                {2, streams.err, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC}};
  std::vector<int> pipe_ends;
  for (const auto& s : setups) {
    if (s.how == Stream::Usual) posix_spawn_file_actions_addopen(&actions, s.fd, s.usual, s.flags, 0644);
    if (s.how == Stream::Closed) posix_spawn_file_actions_addclose(&actions, s.fd);
    if (s.how == Stream::PipeWithoutReader) {
      int ends[2];
      if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
      close(ends[0]);
      pipe_ends.push_back(ends[1]);
      posix_spawn_file_actions_adddup2(&actions, ends[1], s.fd);
    }
  }
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  for (int end : pipe_ends) close(end);
  if (failed != 0) throw std::runtime_error("can't start " + argv[0] + ": " + strerror(failed));
  return pid;
}

// Xvfb says which display it took once it is ready. It writes the number and
// the newline apart: read up to the newline, or closing early kills it with
// SIGPIPE.
Xvfb start_xvfb(int width, int height, const std::vector<std::string>& env,
                const std::string& log, int depth) {
  int ready[2];
  if (pipe(ready) != 0) throw std::runtime_error("pipe failed");
  fcntl(ready[0], F_SETFD, FD_CLOEXEC);
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth);
  Xvfb server;
  server.pid = spawn_logged({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                             screen, "-nolisten", "tcp", "-noreset"},
                            env, "", log);  // inherits ready[1]
  close(ready[1]);
  std::string number;
  char c = 0;
  pollfd p{ready[0], POLLIN, 0};
  while (poll(&p, 1, 20000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
  close(ready[0]);
  if (c != '\n' || number.empty()) throw std::runtime_error("Xvfb did not start (is it installed?)");
  server.display = ":" + number;
  return server;
}

}  // namespace zol::e2e
