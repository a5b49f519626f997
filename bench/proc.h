#pragma once
// The benchmark's dealings with processes: starting and ending them, what
// /proc says of them, and the clock.

#include <sys/types.h>

#include <string>
#include <vector>

namespace bench {

// Started with its stdout and stderr in `log`.out and `log`.err, and
// `extra_env` ("NAME=value") over the environment. Ended with the harness.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extra_env,
            const std::string& log);
// A child started elsewhere, to be ended with the harness like the others.
void adopt(pid_t pid);
// Waits up to `seconds`; true when it ended.
bool reap(pid_t pid, double seconds);
void stop(pid_t pid);
void stop_all();
// Waits for it to end; its wait status.
int wait_for(pid_t pid);
bool still_running(pid_t pid);
// Kills every child still running; for an interrupted run.
void end_children(int signal);

std::string slurp(const std::string& file);
long cpu_ticks(pid_t pid);         // utime + stime, clock ticks
long minor_faults(pid_t pid);      // pages first touched without reading the disk
long context_switches(pid_t pid);  // voluntary and involuntary, all threads
long long cpu_ns(pid_t pid);       // all threads, from schedstat
long peak_rss_kib(pid_t pid);

long long now_ns();
void sleep_until(long long ns);
void sleep_s(double seconds);

}  // namespace bench
