#pragma once
// Starting helper programs for the end-to-end tests and the benchmark, with
// their output in files, and a private Xvfb. No test framework in here, so
// the benchmark can share it.

#include <sys/types.h>

#include <string>
#include <vector>

namespace zol::e2e {

// How a started program finds one of its descriptors 0-2: as usual (stdin
// from /dev/null, stdout and stderr in log files), closed, or a pipe whose
// reader has gone.
enum class Stream { Usual, Closed, PipeWithoutReader };
struct Streams {
  Stream in = Stream::Usual, out = Stream::Usual, err = Stream::Usual;
};

// Starts argv (argv[0] found on PATH) in `dir` (or here) with exactly `env`,
// stdin from /dev/null and stdout/stderr in `log`.out and `log`.err, unless
// `streams` says otherwise.
pid_t spawn_logged(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                   const std::string& dir, const std::string& log, const Streams& streams = {});

struct Xvfb {
  pid_t pid = -1;
  std::string display;  // ":N"
};

// An Xvfb of width x height x depth on a display it picks itself, returned
// once it is ready. Throws when it can't start.
Xvfb start_xvfb(int width, int height, const std::vector<std::string>& env,
                const std::string& log, int depth = 24);

}  // namespace zol::e2e
