#pragma once
// Twips to device pixels. The layout is physical: the window is 9600 x 7200
// twips at the screen's DPI, and everything in it scales by one factor.

#include "host/units.h"

namespace zol {

inline constexpr int kBaseDpi = 96;         // 15 twips to the pixel: the 1x artwork
inline constexpr int kDpiStep = 24;         // scale steps of 25 %
// What a system may sensibly report; anything outside is taken for 96.
inline constexpr int kLeastDpi = 48, kMostDpi = 480;
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kTwipsPerArtPixel = 15;  // of the 1x set
inline constexpr TwipsRect kClientTwips{0, 0, 9600, 7200};

// E(t): the device edge of twips coordinate t, the first device pixel whose
// centre lies at or after t. A device pixel belongs to a rectangle when its
// centre lies inside it. At 96 DPI, E(t) = t / 15.
int device_edge(int32_t twips, int dpi);
DeviceRect to_device(TwipsRect rect, int dpi);
DeviceSize window_size(int dpi);

// The DPI to draw at, at start and after a change alike: 96 for a reported
// one outside kLeastDpi to kMostDpi; else rounded to the nearest step, never
// below 96; then a step down while the window would not fit the monitor.
int pick_dpi(int reported, DeviceRect monitor);

// `size` centred in `area`, odd remainders to the top left.
DeviceRect centred(DeviceRect area, DeviceSize size);
// `rect` moved the least that puts it inside `area`; where it is too large
// for that, its top left edges lie on the area's.
DeviceRect moved_onto(DeviceRect area, DeviceRect rect);

}  // namespace zol
