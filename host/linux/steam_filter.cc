#include "host/linux/steam_filter.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <optional>

namespace zol::pads {
namespace {

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// "0x" and one to four hex digits, nothing else.
std::optional<uint16_t> hex16(std::string_view s) {
  s = trimmed(s);
  if (s.size() < 3 || s.size() > 6 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X'))
    return std::nullopt;
  unsigned value = 0;
  const char* end = s.data() + s.size();
  const auto [stop, error] = std::from_chars(s.data() + 2, end, value, 16);
  if (error != std::errc() || stop != end) return std::nullopt;
  return static_cast<uint16_t>(value);
}

bool listed(const std::vector<UsbId>& list, UsbId id) {
  return std::find(list.begin(), list.end(), id) != list.end();
}

}  // namespace

std::vector<UsbId> parse_usb_ids(std::string_view text) {
  std::vector<UsbId> ids;
  while (!text.empty()) {
    const size_t comma = text.find(',');
    const std::string_view entry = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    const size_t slash = entry.find('/');
    if (slash == std::string_view::npos) continue;
    const auto vendor = hex16(entry.substr(0, slash)), product = hex16(entry.substr(slash + 1));
    if (vendor && product) ids.push_back({*vendor, *product});
  }
  return ids;
}

SteamFilter::SteamFilter(const char* ignore, const char* except) {
  if (ignore) ignore_ = parse_usb_ids(ignore);
  if (except) only_ = parse_usb_ids(except);
}

SteamFilter SteamFilter::from_environment() {
  return SteamFilter(std::getenv("SDL_GAMECONTROLLER_IGNORE_DEVICES"),
                     std::getenv("SDL_GAMECONTROLLER_IGNORE_DEVICES_EXCEPT"));
}

bool SteamFilter::keeps(UsbId device) const {
  if (!only_.empty()) return listed(only_, device);
  return !listed(ignore_, device);
}

}  // namespace zol::pads
