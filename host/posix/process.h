#pragma once
// The menu's own process on POSIX systems: what it settles at start
// (settle_process, declared with the seam) and where its executable lies.

#include <string>

namespace zol {

// The absolute directory of the running executable.
std::string executable_dir();

}  // namespace zol
