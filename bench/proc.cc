#include "bench/proc.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/e2e/child_process.h"

extern char** environ;

namespace bench {
namespace {

namespace fs = std::filesystem;

std::vector<pid_t> g_children;  // ended by PID if the harness is interrupted

long status_field(const std::string& status, const std::string& name) {
  const size_t at = status.find("\n" + name + ":");
  return at == std::string::npos ? 0 : std::stol(status.substr(at + name.size() + 2));
}

template <typename PerTask>
long long sum_tasks(pid_t pid, PerTask per_task) {
  long long total = 0;
  std::error_code ignored;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ignored))
    total += per_task(task.path().string());
  return total;
}

}  // namespace

void end_children(int) {
  for (pid_t pid : g_children) kill(pid, SIGKILL);
  _exit(130);
}

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extra_env,
            const std::string& log) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const bool replaced = std::any_of(extra_env.begin(), extra_env.end(), [&](const auto& x) {
      return entry.starts_with(x.substr(0, x.find('=') + 1));
    });
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), extra_env.begin(), extra_env.end());
  const pid_t pid = zol::e2e::spawn_logged(argv, env, "", log);
  g_children.push_back(pid);
  return pid;
}

void adopt(pid_t pid) { g_children.push_back(pid); }

// Waits up to `seconds`; true when it ended.
bool reap(pid_t pid, double seconds) {
  for (double waited = 0; waited < seconds; waited += 0.005) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      std::erase(g_children, pid);
      return true;
    }
    usleep(5000);
  }
  return false;
}

void stop(pid_t pid) {
  kill(pid, SIGTERM);
  if (!reap(pid, 2)) {
    kill(pid, SIGKILL);
    reap(pid, 5);
  }
}

void stop_all() {
  for (pid_t pid : std::vector<pid_t>(g_children)) stop(pid);
}

int wait_for(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  std::erase(g_children, pid);
  return status;
}

bool still_running(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

std::string slurp(const std::string& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

namespace {

// Field `n` of /proc/PID/stat, counted as proc(5) counts them (3 is the state).
long stat_field(pid_t pid, int n) {
  const std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  for (int i = 3; fields >> field; ++i)
    if (i == n) return std::stol(field);
  return 0;
}

}  // namespace

// utime + stime of the whole process, in clock ticks.
long cpu_ticks(pid_t pid) { return stat_field(pid, 14) + stat_field(pid, 15); }

// What getrusage's ru_minflt gives the process itself.
long minor_faults(pid_t pid) { return stat_field(pid, 10); }

// Voluntary and involuntary, over all threads (status counts one thread).
long context_switches(pid_t pid) {
  return static_cast<long>(sum_tasks(pid, [](const std::string& task) {
    const std::string s = slurp(task + "/status");
    return status_field(s, "voluntary_ctxt_switches") +
           status_field(s, "nonvoluntary_ctxt_switches");
  }));
}

// CPU time in nanoseconds over all threads: finer than the ticks.
long long cpu_ns(pid_t pid) {
  return sum_tasks(pid, [](const std::string& task) {
    long long ns = 0;
    std::istringstream(slurp(task + "/schedstat")) >> ns;
    return ns;
  });
}

long peak_rss_kib(pid_t pid) {
  return status_field(slurp("/proc/" + std::to_string(pid) + "/status"), "VmHWM");
}

long long now_ns() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

void sleep_until(long long ns) {
  const timespec t{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
  }
}

void sleep_s(double seconds) { sleep_until(now_ns() + static_cast<long long>(seconds * 1e9)); }

}  // namespace bench
