// Which of the server's bitmap fonts the failure message takes at a scale.

#include "host/x11/core_font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zol::x11 {
namespace {

// As a Debian X server with xfonts-base lists kFixedFonts, in its order.
const std::vector<std::string> kServer = {
    "-misc-fixed-medium-r-normal--10-100-75-75-c-60-iso8859-1",
    "-misc-fixed-medium-r-normal--13-120-75-75-c-80-iso8859-1",
    "-misc-fixed-medium-r-normal--13-120-75-75-c-70-iso8859-1",
    "-misc-fixed-medium-r-semicondensed--13-120-75-75-c-60-iso8859-1",
    "-misc-fixed-medium-r-normal--14-130-75-75-c-70-iso8859-1",
    "-misc-fixed-medium-r-normal--15-140-75-75-c-90-iso8859-1",
    "-misc-fixed-medium-r-normal--18-120-100-100-c-90-iso8859-1",
    "-misc-fixed-medium-r-normal--20-200-75-75-c-100-iso8859-1",
    "-sony-fixed-medium-r-normal--24-170-100-100-c-120-iso8859-1",
    "-misc-fixed-medium-r-normal--0-0-75-75-c-0-iso8859-1",
    "-misc-fixed-medium-r-normal--8-80-75-75-c-50-iso8859-1",
    "-misc-fixed-medium-r-semicondensed--17-120-100-100-c-0-iso8859-1",
};

TEST(CoreFontTest, TheLargestBitmapThatFitsTheScaledSize) {
  struct Case {
    const char* what;
    std::vector<std::string> names;
    int pixels;
    std::string font;
  };
  const Case cases[] = {
      {"96 DPI: 6 x 13, the server's own \"fixed\"", kServer, 13, kServer[3]},
      {"120 DPI", kServer, 16, kServer[5]},
      {"not an instance the server scaled", kServer, 17, kServer[5]},
      {"144 DPI", kServer, 19, kServer[6]},
      {"192 DPI", kServer, 26, kServer[8]},
      {"larger than any", kServer, 60, kServer[8]},
      {"smaller than any", kServer, 6, kServer[10]},
      {"only the scalable one", {kServer[9]}, 26, ""},
      {"a name that is no XLFD", {"fixed", "6x13"}, 13, ""},
      {"none", {}, 13, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(core_font_for(c.names, c.pixels), c.font) << c.what;
}

}  // namespace
}  // namespace zol::x11
