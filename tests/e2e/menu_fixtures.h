#pragma once
// What the end-to-end tests expect the menu to show, made from the same
// built-in artwork the binary carries, and small helpers they share.

#include <filesystem>
#include <ostream>
#include <string>

#include "art/art.h"
#include "host/image.h"

namespace zol::e2e {

Image background();
// The background with `lit` drawn at its button's place (left, 408).
Image with_highlight(const art::Asset& lit, int left);

struct MenuButton {
  const char* name;
  const art::Asset* lit;
  int left;  // window pixels; every button is 119 x 26 at y = 408
};
extern const MenuButton kMenuButtons[4];  // left to right
inline void PrintTo(const MenuButton& b, std::ostream* out) { *out << b.name; }

struct Screen {
  int width, height;
};
inline void PrintTo(const Screen& s, std::ostream* out) { *out << s.width << "x" << s.height; }

std::string read_file(const std::filesystem::path& file);

}  // namespace zol::e2e
