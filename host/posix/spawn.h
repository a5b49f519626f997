#pragma once
// Starting other programs on POSIX systems: detached, in a session of their
// own, inheriting no descriptor beyond 0-2 and never through a shell.

#include <sys/types.h>

#include <string>
#include <vector>

namespace zol {

// Starts `dir`/`program` with argv {program, args...} and `dir` as its
// working directory, without waiting for it. Throws PlatformError naming
// the program and the reason when it can't be started. Returns its pid.
pid_t start_beside(const std::string& dir, const std::string& program,
                   const std::vector<std::string>& args);

// Hands `address` to xdg-open from PATH without waiting. When xdg-open
// can't be started it says so on stderr and returns -1; it never throws.
pid_t open_with_desktop(const std::string& address);

}  // namespace zol
