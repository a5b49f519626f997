// Each test executable names its own binary under test.
#include "tests/e2e/x_session.h"

namespace zol::e2e {

std::string zol_binary() { return ZOL_BINARY; }

}  // namespace zol::e2e
