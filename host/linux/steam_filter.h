#pragma once
// Steam presents every physical pad once more as its own virtual pad and
// names the physical ones in the environment, so that a game reading the
// devices itself sees each press once. This is that list and its reading.

#include <cstdint>
#include <string_view>
#include <vector>

namespace zol::pads {

struct UsbId {
  uint16_t vendor = 0, product = 0;
  bool operator==(const UsbId&) const = default;
};

// "0xVVVV/0xPPPP" entries separated by commas. An entry that is not one is
// passed over; it never fails.
std::vector<UsbId> parse_usb_ids(std::string_view text);

class SteamFilter {
 public:
  SteamFilter() = default;
  // The two variables' values, nullptr when unset. An "except" list with
  // no readable entry is no list: it would hide every pad.
  SteamFilter(const char* ignore, const char* except);
  // From SDL_GAMECONTROLLER_IGNORE_DEVICES and ..._EXCEPT.
  static SteamFilter from_environment();

  bool keeps(UsbId device) const;

 private:
  std::vector<UsbId> ignore_, only_;
};

}  // namespace zol::pads
