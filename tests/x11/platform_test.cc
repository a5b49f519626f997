// The DPI the X11 platform reads from the server's resource string, and the
// scale step the menu then draws at.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/x11/desktop_settings.h"
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
      // Xft takes the leading number and ignores what follows.
      {"Xft.dpi: 120\r\nXft.hinting: 1\r\n", 120, 120},  // an Xresources file from Windows
      {"Xft.dpi: 192px\n", 192, 192},
      {"Xft.dpi: 144 # meins\n", 144, 144},
      {"Xft.dpi: 1e2\n", 100, 96},
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

// An XSETTINGS blob as a settings manager writes it, in either byte order.
class Settings {
 public:
  explicit Settings(bool msb) : msb_(msb) {
    bytes_ = {uint8_t{msb}, 0, 0, 0};
    put(7, 4);  // serial
    put(0, 4);  // count
  }
  Settings& integer(const std::string& name, int32_t value) {
    head(0, name);
    put(static_cast<uint32_t>(value), 4);
    return count();
  }
  Settings& text(const std::string& name, const std::string& value) {
    head(1, name);
    put(static_cast<uint32_t>(value.size()), 4);
    padded(value);
    return count();
  }
  Settings& colour(const std::string& name) {
    head(2, name);
    put(0xFFFF, 4);
    put(0x8000FFFF, 4);
    return count();
  }
  std::vector<uint8_t> bytes(size_t cut = 0) const {
    return {bytes_.begin(), bytes_.end() - static_cast<ptrdiff_t>(cut)};
  }

 private:
  void put(uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
      bytes_.push_back(static_cast<uint8_t>(v >> 8 * (msb_ ? n - 1 - i : i)));
  }
  void padded(const std::string& s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    bytes_.resize(bytes_.size() + (4 - s.size() % 4) % 4);
  }
  void head(uint8_t type, const std::string& name) {
    bytes_.push_back(type);
    bytes_.push_back(0);
    put(static_cast<uint32_t>(name.size()), 2);
    padded(name);
    put(3, 4);  // last change serial
  }
  Settings& count() {
    ++n_;
    for (int i = 0; i < 4; ++i)
      bytes_[8 + i] = static_cast<uint8_t>(n_ >> 8 * (msb_ ? 3 - i : i));
    return *this;
  }
  bool msb_;
  uint32_t n_ = 0;
  std::vector<uint8_t> bytes_;
};

TEST(X11DpiTest, AGtkScalingFactorRaisesTheDpi) {
  const std::vector<uint8_t> gnome_200 = Settings(false)
                                             .text("Net/ThemeName", "Adwaita")
                                             .colour("Gtk/Colour")
                                             .integer("Xft/DPI", 98304)
                                             .integer("Gdk/WindowScalingFactor", 2)
                                             .bytes();
  struct Case {
    const char* what;
    const char* resources;
    std::vector<uint8_t> settings;
    int dpi;
  };
  auto factor = [](int32_t value) {
    return Settings(false).integer("Gdk/WindowScalingFactor", value).bytes();
  };
  const Case cases[] = {
      {"factor 2 alone", nullptr, gnome_200, 192},
      {"factor 2, big endian", nullptr,
       Settings(true).integer("Gdk/WindowScalingFactor", 2).bytes(), 192},
      {"factor 2 over Xft.dpi 120", "Xft.dpi: 120\n", gnome_200, 192},
      {"Xft.dpi 240 over factor 2", "Xft.dpi: 240\n", gnome_200, 240},
      {"factor 1", "Xft.dpi: 144\n", factor(1), 144},
      {"factor 5", nullptr, factor(5), 480},
      {"factor 6: too large", nullptr, factor(6), 96},
      {"factor 0", nullptr, factor(0), 96},
      {"factor -2", nullptr, factor(-2), 96},
      {"no settings manager", "Xft.dpi: 120\n", {}, 120},
      {"no factor", nullptr, Settings(false).integer("Xft/DPI", 196608).bytes(), 96},
      {"cut short", nullptr, Settings(false).integer("Gdk/WindowScalingFactor", 2).bytes(2), 96},
      {"a string of that name", nullptr,
       Settings(false).text("Gdk/WindowScalingFactor", "2").bytes(), 96},
      {"garbage", nullptr, {1, 2, 3, 4, 5, 6, 7, 8, 255, 255, 255, 255, 9}, 96},
  };
  for (const Case& c : cases) EXPECT_EQ(x11::desktop_dpi(c.resources, c.settings), c.dpi) << c.what;
}

}  // namespace
}  // namespace zol
