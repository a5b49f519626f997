#pragma once
// Pictures at the device size by area averaging: each device pixel is the
// area-weighted mean of the source pixels it covers. No ringing, and exact
// at whole ratios (a pixel repeated, or a block's mean). Integer arithmetic
// throughout, one axis at a time.

#include <cstdint>
#include <functional>

#include "host/image.h"
#include "host/units.h"

namespace zol {

// Writes `count` pixels of the source's row `y` from column `x` on, as
// 0x00RRGGBB.
using RowReader = std::function<void(int x, int y, int count, uint32_t* out)>;
// Takes one row of the result, valid only during the call.
using RowWriter = std::function<void(const uint32_t* row)>;

// The source, `source` art pixels in all, imagined stretched over `whole`
// device pixels: the `part` of it (which lies inside `whole`), handed to
// `out` row by row, top-down.
void area_average(const RowReader& source_rows, ArtSize source, DeviceSize whole, DeviceRect part,
                  const RowWriter& out);
// The same as a picture of its own.
Image area_average(const RowReader& source_rows, ArtSize source, DeviceSize whole,
                   DeviceRect part);

}  // namespace zol
