#include "host/x11/desktop_settings.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/scale.h"

namespace zol::x11 {

int dpi_from_resources(const char* resources) {
  if (!resources) return kBaseDpi;
  XrmInitialize();
  XrmDatabase db = XrmGetStringDatabase(resources);
  if (!db) return kBaseDpi;
  char* type = nullptr;
  XrmValue value{};
  std::string text;
  if (XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
    text.assign(value.addr, value.size && !value.addr[value.size - 1] ? value.size - 1 : value.size);
  XrmDestroyDatabase(db);
  // The leading number, whatever follows it (a CR from a CRLF file, a unit),
  // as Xft's XftDefaultGetDouble reads it.
  char* end = nullptr;
  const double dpi = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(dpi) || dpi < kLeastDpi || dpi > kMostDpi)
    return kBaseDpi;
  return static_cast<int>(std::lround(dpi));
}

namespace {

// The XSETTINGS wire format: in the manager's byte order, every item padded
// to 4 bytes. Reads fail softly: past the end, everything is 0 and !ok.
class SettingsReader {
 public:
  explicit SettingsReader(std::span<const uint8_t> bytes) : bytes_(bytes) {
    msb_ = u8() == 1;
    skip(3);
  }
  bool ok() const { return ok_; }
  uint8_t u8() { return static_cast<uint8_t>(take(1)); }
  uint16_t u16() { return static_cast<uint16_t>(take(2)); }
  uint32_t u32() { return take(4); }
  std::string_view text(size_t length) {
    if (!fits(length)) return {};
    const std::string_view t(reinterpret_cast<const char*>(bytes_.data() + at_), length);
    skip(length + (4 - length % 4) % 4);
    return t;
  }
  void skip(size_t n) { at_ = fits(n) ? at_ + n : bytes_.size(); }

 private:
  bool fits(size_t n) {
    ok_ = ok_ && n <= bytes_.size() - at_;
    return ok_;
  }
  uint32_t take(int n) {
    if (!fits(static_cast<size_t>(n))) return 0;
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      const uint32_t byte = bytes_[at_ + (msb_ ? i : n - 1 - i)];
      v = v << 8 | byte;
    }
    at_ += static_cast<size_t>(n);
    return v;
  }
  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
  bool msb_ = false, ok_ = true;
};

}  // namespace

int window_scaling_factor(std::span<const uint8_t> settings) {
  enum : uint8_t { kInteger = 0, kString = 1, kColour = 2 };
  SettingsReader r(settings);
  r.u32();  // serial
  const uint32_t count = r.u32();
  for (uint32_t i = 0; i < count && r.ok(); ++i) {
    const uint8_t type = r.u8();
    r.skip(1);
    const std::string_view name = r.text(r.u16());
    r.u32();  // last change serial
    if (type == kInteger) {
      const auto value = static_cast<int32_t>(r.u32());
      if (r.ok() && name == "Gdk/WindowScalingFactor") return value > 0 ? value : 0;
    } else if (type == kString) {
      r.text(r.u32());
    } else if (type == kColour) {
      r.skip(8);
    } else {
      return 0;
    }
  }
  return 0;
}

int desktop_dpi(const char* resources, std::span<const uint8_t> xsettings) {
  const int dpi = dpi_from_resources(resources);
  const int factor = window_scaling_factor(xsettings);
  return factor > 0 && factor <= kMostDpi / kBaseDpi ? std::max(dpi, factor * kBaseDpi) : dpi;
}

}  // namespace zol::x11
