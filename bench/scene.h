#pragma once
// What the floor and the peer show at a DPI: the menu's window and its four
// buttons at zol's device size, where the menu's layout table puts them, cut
// from the art set without scaling: as many pixels as zol shows, none of
// its work.

#include <vector>

#include "host/image.h"
#include "host/units.h"

namespace bench {

struct Look {
  zol::Image background;                 // the whole window
  std::vector<zol::DeviceRect> buttons;  // left to right
  std::vector<zol::Image> lit;           // each its button's size
};

// The 1x set as it is at 96 DPI; above, the top left of the 2x set's
// pictures, of the device size.
Look cut_look(int dpi);

// The DPI a program of the benchmark is told in its first argument; 96 without.
int dpi_argument(int argc, char** argv);

}  // namespace bench
