// Each test executable names its own binary under test. ZOL_TEST_BINARY
// names another build of the same program: the release tests run the
// signed Zol.exe through them.
#include <stdlib.h>

#include "tests/e2e/x_session.h"

namespace zol::e2e {

std::string zol_binary() {
  const char* other = getenv("ZOL_TEST_BINARY");
  return other && *other ? other : ZOL_BINARY;
}

}  // namespace zol::e2e
