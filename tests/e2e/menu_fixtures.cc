#include "tests/e2e/menu_fixtures.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/resample.h"
#include "host/scale.h"
#include "menu/menu.h"

namespace zol::e2e {
namespace {

// The art set shown as it is at `dpi`.
int set_scale(int dpi) {
  if (dpi == 96 || (dpi == 192 && art::has_2x())) return dpi / 96;
  throw std::logic_error("no art set is shown as it is at " + std::to_string(dpi) + " DPI");
}

std::string test_name(std::string_view label) {
  std::string name;
  for (char c : label) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (!name.empty() && name.back() != '_')
      name += '_';
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name;
}

}  // namespace

DeviceRect MenuButton::at(int dpi) const { return to_device(twips, dpi); }

DevicePoint MenuButton::centre(int dpi) const {
  const DeviceRect r = at(dpi);
  return {r.x + r.w / 2, r.y + r.h / 2};
}

const std::vector<MenuButton>& menu_buttons() {
  static const std::vector<MenuButton> buttons = [] {
    std::vector<MenuButton> all;
    for (const menu::MenuEntry& entry : menu::entries())
      for (const ControlSpec& c : menu::layout())
        if (c.name == entry.highlight)
          all.push_back({test_name(entry.label), c.picture, c.picture_2x, c.rect,
                         to_device(c.rect, kBaseDpi)});
    return all;
  }();
  return buttons;
}

Image background(int dpi) {
  if (dpi == 96 || (dpi == 192 && art::has_2x())) {
    const int scale = set_scale(dpi);
    const art::Asset& a = scale == 2 ? art::background_2x : art::background;
    return decode_bmp(a.bytes, a.file, 640 * scale, 480 * scale);
  }
  const Image source = background(art::has_2x() ? 192 : 96);
  const DeviceSize size = window_size(dpi);
  return area_average(
      [&](int x, int y, int n, uint32_t* out) {
        std::copy_n(&source.pixels[static_cast<size_t>(y) * source.width + x], n, out);
      },
      {source.width, source.height}, size, {0, 0, size.w, size.h});
}

Image with_highlight(const MenuButton& lit, int dpi) {
  const int scale = set_scale(dpi);
  Image expected = background(dpi);
  const DeviceRect r = lit.at(dpi);
  const art::Asset& a = scale == 2 ? *lit.lit_2x : *lit.lit;
  const Image button = decode_bmp(a.bytes, a.file, r.w, r.h);
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x)
      expected.pixels[static_cast<size_t>(r.y + y) * expected.width + r.x + x] = button.at(x, y);
  return expected;
}

std::string read_file(const std::filesystem::path& file) {
  std::stringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

}  // namespace zol::e2e
