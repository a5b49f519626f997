#pragma once
// The launcher menu as the host sees it: a layout table and a dispatch table,
// and the procedures those rows name.

#include <span>
#include <string_view>

#include "host/form.h"

namespace zol::menu {

// What an entry's click does.
enum class LaunchAction { StartFullScreen, StartWindowed, OpenWebsite, Quit };

// One button of the menu: its label in the artwork, the hot zone that takes
// its pointer events, the highlight beneath it and what a click does.
struct MenuEntry {
  std::string_view label, hot_zone, highlight;
  LaunchAction action;
};

std::span<const MenuEntry> entries();
std::span<const ControlSpec> layout();
std::span<const DispatchRow> dispatch();

// Each procedure's rows of the dispatch table live beside it.
std::span<const DispatchRow> hover_rows();
std::span<const DispatchRow> action_rows();

}  // namespace zol::menu
