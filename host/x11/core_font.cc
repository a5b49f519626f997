#include "host/x11/core_font.h"

#include <cstdlib>
#include <optional>
#include <tuple>
#include <vector>

namespace zol::x11 {
namespace {

struct Size {
  int pixels, average_width;
};

// -FOUNDRY-FAMILY-WEIGHT-SLANT-SETWIDTH-ADDSTYLE-PIXELS-POINTS-RESX-RESY-
// SPACING-AVERAGE_WIDTH-REGISTRY-ENCODING
std::optional<Size> size_of(const std::string& name) {
  std::vector<std::string> fields;
  size_t at = 0;
  for (size_t dash; (dash = name.find('-', at)) != std::string::npos; at = dash + 1)
    fields.push_back(name.substr(at, dash - at));
  fields.push_back(name.substr(at));
  if (fields.size() != 15 || !fields[0].empty()) return std::nullopt;
  const int pixels = std::atoi(fields[7].c_str()), width = std::atoi(fields[12].c_str());
  if (pixels <= 0 || width <= 0) return std::nullopt;
  return Size{pixels, width};
}

}  // namespace

std::string core_font_for(std::span<const std::string> names, int pixels) {
  const std::string* best = nullptr;
  Size best_size{};
  // Fitting first, then larger, then narrower; past the size, smaller is better.
  auto rank = [&](Size s) {
    const bool fits = s.pixels <= pixels;
    return std::make_tuple(fits, fits ? s.pixels : -s.pixels, -s.average_width);
  };
  for (const std::string& name : names) {
    const std::optional<Size> size = size_of(name);
    if (!size) continue;
    if (!best || rank(*size) > rank(best_size)) {
      best = &name;
      best_size = *size;
    }
  }
  return best ? *best : std::string();
}

}  // namespace zol::x11
