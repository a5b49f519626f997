#pragma once
// What zol shows at a DPI, from its own core: the frame it composes and the
// device-size highlights it makes, and how long making them takes.

#include "bench/scene.h"

namespace bench {

// On a monitor of `monitor` device pixels that reports `dpi`.
Look zol_look(int dpi, zol::DeviceSize monitor);

// The CPU time zol's core takes from loading the form to its first frame
// composed (the device pictures made), in ms; no window system involved.
double picture_ms(int dpi, zol::DeviceSize monitor);

}  // namespace bench
