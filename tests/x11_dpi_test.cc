// The DPI the X11 platform reads from the server's resource string, and the
// scale step the menu then draws at.

#include <gtest/gtest.h>

#include "host/platform_x11.h"
#include "host/scale.h"

namespace zol {
namespace {

TEST(X11DpiTest, XftDpiFromTheResourceStringPicksTheStep) {
  const DeviceRect monitor{0, 0, 3840, 2160};
  struct Case {
    const char* resources;
    int read, drawn;
  };
  const Case cases[] = {
      {"Xft.dpi:\t96\n", 96, 96},
      {"Xft.dpi: 110\n", 110, 120},
      {"Xft.dpi: 120\n", 120, 120},
      {"Xft.dpi: 132\n", 132, 144},
      {"Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144, 144},
      {"Xft.dpi: 168", 168, 168},
      {"Xft.dpi: 192.4\n", 192, 192},
      {"Xft*dpi: 240\n", 240, 240},
      {"*dpi: 288\n", 288, 288},
      {"Xft.dpi: 480\n", 480, 432},  // 3200 x 2400 is too tall for the monitor
      {"Xft.dpi: 48\n", 48, 96},
      {nullptr, 96, 96},
      {"", 96, 96},
      {"Xcursor.size: 48\n", 96, 96},
      {"Xft.dpi: 47\n", 96, 96},
      {"Xft.dpi: 481\n", 96, 96},
      {"Xft.dpi: -192\n", 96, 96},
      {"Xft.dpi: 192px\n", 96, 96},
      {"Xft.dpi: hoch\n", 96, 96},
      {"Xft.dpi:\n", 96, 96},
      {"Xft.dpi: nan\n", 96, 96},
  };
  for (const Case& c : cases) {
    const int read = x11::dpi_from_resources(c.resources);
    EXPECT_EQ(read, c.read) << (c.resources ? c.resources : "(no resource string)");
    EXPECT_EQ(pick_dpi(read, monitor), c.drawn) << (c.resources ? c.resources : "(none)");
  }
}

}  // namespace
}  // namespace zol
