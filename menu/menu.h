#pragma once
// The launcher menu as the host sees it: a layout table and a dispatch table.

#include <span>

#include "host/form.h"

namespace zol::menu {

std::span<const ControlSpec> layout();
std::span<const DispatchRow> dispatch();

}  // namespace zol::menu
