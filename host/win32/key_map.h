#pragma once
// Private to the Win32 platform: a key the menu's window gets (WM_KEYDOWN)
// as a navigation step, or none.

#include <optional>

#include "host/platform.h"

namespace zol::win32 {

struct KeyPress {
  unsigned virtual_key = 0;
  bool shift = false;
  bool control = false;  // Ctrl or a Windows key: a shortcut, not ours
  bool repeated = false;  // the keyboard's autorepeat (bit 30 of lParam)
};

std::optional<Navigation> key_navigation(const KeyPress& key);

}  // namespace zol::win32
