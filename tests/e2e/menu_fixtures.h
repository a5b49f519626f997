#pragma once
// What the end-to-end tests expect the menu to show, made from the same
// built-in artwork the binary carries, and small helpers they share.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "art/art.h"
#include "host/image.h"
#include "host/units.h"

namespace zol::e2e {

// One of the menu's buttons, where the menu's layout table puts it.
struct MenuButton {
  std::string name;  // its label, fit for a test's name: "raus_hier"
  const art::Asset* lit;
  const art::Asset* lit_2x;
  TwipsRect twips;
  DeviceRect rect;  // at 96 DPI

  DeviceRect at(int dpi) const;
  DevicePoint centre(int dpi = 96) const;
};
const std::vector<MenuButton>& menu_buttons();  // left to right
inline void PrintTo(const MenuButton& b, std::ostream* out) { *out << b.name; }

// The whole window as the menu must show it at `dpi` with nothing lit: the
// art as it is at 96 DPI (the 1x set) and 192 (the 2x set), else the set
// the build has, area-averaged to the window's size.
Image background(int dpi = 96);
// The same with `lit` lit, where the art is shown as it is.
Image with_highlight(const MenuButton& lit, int dpi = 96);

struct Screen {
  int width, height;
};
inline void PrintTo(const Screen& s, std::ostream* out) { *out << s.width << "x" << s.height; }

std::string read_file(const std::filesystem::path& file);

}  // namespace zol::e2e
