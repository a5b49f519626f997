#include "host/win32/key_map.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace zol::win32 {

std::optional<Navigation> key_navigation(const KeyPress& key) {
  if (key.control) return std::nullopt;
  switch (key.virtual_key) {
    case VK_LEFT:
      return Navigation::Previous;
    case VK_RIGHT:
      return Navigation::Next;
    case VK_TAB:
      return key.shift ? Navigation::Previous : Navigation::Next;
    // Only a fresh press acts: a held Return first lights the leftmost entry,
    // and its repeat must not then start the game.
    case VK_RETURN:  // the keypad's Enter too
    case VK_SPACE:
      if (key.repeated) return std::nullopt;
      return Navigation::Activate;
    case VK_ESCAPE:
      if (key.repeated) return std::nullopt;
      return Navigation::Back;
    default:
      return std::nullopt;
  }
}

}  // namespace zol::win32
