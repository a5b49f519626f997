#include "host/posix/process.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "host/failure.h"

namespace zol {

// Descriptors 0-2 that are closed are opened on /dev/null, so that nothing
// of ours takes their numbers, and SIGPIPE is ignored, so that a stderr
// whose reader has gone costs a line, not the menu. What the menu starts
// gets default signal handling back.
void settle_process() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number: this one, as those below are open by now.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
  signal(SIGPIPE, SIG_IGN);
}

std::string executable_dir() {
  std::vector<char> buf(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) fail_to_find_executable(std::string(std::strerror(errno)) + ".");
    if (static_cast<size_t>(n) < buf.size()) {
      std::string path(buf.data(), static_cast<size_t>(n));
      size_t slash = path.rfind('/');
      return slash == 0 ? "/" : path.substr(0, slash);
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace zol
