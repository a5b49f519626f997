#include "menu/menu.h"

namespace zol::menu {

// Empty until the menu's controls and procedures exist.
std::span<const ControlSpec> layout() { return {}; }
std::span<const DispatchRow> dispatch() { return {}; }

}  // namespace zol::menu
