#pragma once
// Starting helper programs for the end-to-end tests and the benchmark, with
// their output in files, and a private Xvfb. No test framework in here, so
// the benchmark can share it.

#include <sys/types.h>

#include <string>
#include <vector>

namespace zol::e2e {

// Starts argv (argv[0] found on PATH) in `dir` (or here) with exactly `env`,
// stdin from /dev/null and stdout/stderr in `log`.out and `log`.err.
pid_t spawn_logged(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                   const std::string& dir, const std::string& log);

struct Xvfb {
  pid_t pid = -1;
  std::string display;  // ":N"
};

// An Xvfb of width x height x 24 on a display it picks itself, returned
// once it is ready. Throws when it can't start.
Xvfb start_xvfb(int width, int height, const std::vector<std::string>& env,
                const std::string& log);

}  // namespace zol::e2e
