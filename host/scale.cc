#include "host/scale.h"

#include <algorithm>

namespace zol {
namespace {

int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

int device_edge(int32_t twips, int dpi) {
  // ceil((t * dpi - 720) / 1440) = -floor((720 - t * dpi) / 1440)
  return static_cast<int>(
      -floor_div(kTwipsPerInch / 2 - int64_t{twips} * dpi, kTwipsPerInch));
}

DeviceRect to_device(TwipsRect rect, int dpi) {
  const int x0 = device_edge(rect.x, dpi), y0 = device_edge(rect.y, dpi);
  return {x0, y0, device_edge(rect.x + rect.w, dpi) - x0, device_edge(rect.y + rect.h, dpi) - y0};
}

DeviceSize window_size(int dpi) { return to_device(kClientTwips, dpi).size(); }

int pick_dpi(int reported, DeviceRect monitor) {
  if (reported < kLeastDpi || reported > kMostDpi) reported = kBaseDpi;
  int dpi = std::max(kBaseDpi, (reported + kDpiStep / 2) / kDpiStep * kDpiStep);
  auto fits = [&] {
    const DeviceSize s = window_size(dpi);
    return s.w <= monitor.w && s.h <= monitor.h;
  };
  while (dpi > kBaseDpi && !fits()) dpi -= kDpiStep;
  return dpi;
}

DeviceRect moved_onto(DeviceRect area, DeviceRect rect) {
  auto onto = [](int at, int length, int area_at, int area_length) {
    return std::max(area_at, std::min(at, area_at + area_length - length));
  };
  return {onto(rect.x, rect.w, area.x, area.w), onto(rect.y, rect.h, area.y, area.h), rect.w,
          rect.h};
}

DeviceRect centred(DeviceRect area, DeviceSize size) {
  return {area.x + static_cast<int>(floor_div(area.w - size.w, 2)),
          area.y + static_cast<int>(floor_div(area.h - size.h, 2)), size.w, size.h};
}

}  // namespace zol
