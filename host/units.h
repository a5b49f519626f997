#pragma once
// The three units of the menu, each a type of its own so that one is never
// passed where another is meant: twips (the layout, 1/1440 inch), art pixels
// (a picture's own, of the 1x or the 2x set) and device pixels (the window's).
// Only the core turns one into another: the scaling (host/scale.h,
// host/resample.h), and the form where it places a picture's twips on its
// art pixels.

#include <algorithm>
#include <cstdint>

namespace zol {

template <typename Unit>
struct PointOf {
  int32_t x = 0, y = 0;
  friend bool operator==(const PointOf&, const PointOf&) = default;
};

template <typename Unit>
struct SizeOf {
  int32_t w = 0, h = 0;
  friend bool operator==(const SizeOf&, const SizeOf&) = default;
};

// Half-open: covers [x, x + w) x [y, y + h).
template <typename Unit>
struct RectOf {
  int32_t x = 0, y = 0, w = 0, h = 0;
  bool contains(PointOf<Unit> p) const { return p.x >= x && p.x < x + w && p.y >= y && p.y < y + h; }
  bool empty() const { return w <= 0 || h <= 0; }
  SizeOf<Unit> size() const { return {w, h}; }
  friend bool operator==(const RectOf&, const RectOf&) = default;
};

// What two rectangles of one unit share; empty ({}) when nothing.
template <typename Unit>
RectOf<Unit> intersect(RectOf<Unit> a, RectOf<Unit> b) {
  const int32_t x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
  const int32_t x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
  return x1 > x0 && y1 > y0 ? RectOf<Unit>{x0, y0, x1 - x0, y1 - y0} : RectOf<Unit>{};
}

struct TwipsUnit;
struct ArtUnit;
struct DeviceUnit;

using TwipsRect = RectOf<TwipsUnit>;
using ArtRect = RectOf<ArtUnit>;
using ArtSize = SizeOf<ArtUnit>;
using DevicePoint = PointOf<DeviceUnit>;
using DeviceSize = SizeOf<DeviceUnit>;
using DeviceRect = RectOf<DeviceUnit>;

}  // namespace zol
