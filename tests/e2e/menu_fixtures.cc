#include "tests/e2e/menu_fixtures.h"

#include <fstream>
#include <sstream>

namespace zol::e2e {

Image background() { return decode_bmp(art::background.bytes, art::background.file, 640, 480); }

Image with_highlight(const art::Asset& lit, int left) {
  Image expected = background();
  const Image button = decode_bmp(lit.bytes, lit.file, 119, 26);
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 119; ++x) expected.pixels[(408 + y) * 640 + left + x] = button.at(x, y);
  return expected;
}

const MenuButton kMenuButtons[4] = {
    {"vollbildmodus", &art::lit_vollbildmodus, 59},
    {"fenstermodus", &art::lit_fenstermodus, 193},
    {"website", &art::lit_website, 328},
    {"raus_hier", &art::lit_raus_hier, 464},
};

std::string read_file(const std::filesystem::path& file) {
  std::stringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

}  // namespace zol::e2e
