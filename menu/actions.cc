#include "menu/menu.h"

namespace zol::menu {

// No click does anything yet.
std::span<const DispatchRow> action_rows() { return {}; }

}  // namespace zol::menu
