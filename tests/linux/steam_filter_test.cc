// Steam's lists of pads to pass over, as it hands them to the programs it starts.

#include "host/linux/steam_filter.h"

#include <gtest/gtest.h>

#include <vector>

namespace zol::pads {
namespace {

TEST(SteamFilterTest, ReadsTheEntriesItCanAndPassesOverTheRest) {
  struct Case {
    const char* text;
    std::vector<UsbId> ids;
  };
  const Case cases[] = {
      {"0x045e/0x028e", {{0x045e, 0x028e}}},
      {"0x045e/0x028e,0x054C/0x0CE6", {{0x045e, 0x028e}, {0x054c, 0x0ce6}}},
      {"0X45E/0x28e, 0x057e/0x2009 ,", {{0x045e, 0x028e}, {0x057e, 0x2009}}},
      {"0xffff/0x0", {{0xffff, 0}}},
      {"", {}},
      {",,,", {}},
      {"045e/028e", {}},
      {"0x045e", {}},
      {"0x045e:0x028e", {}},
      {"0x10000/0x0001", {}},
      {"0x/0x0001", {}},
      {"0x045g/0x028e,0x28de/0x11ff", {{0x28de, 0x11ff}}},
      {"0x045e/0x028e/0x1", {}},
      {"0x-45e/0x028e", {}},
      {"@/home/someone/list.txt", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_usb_ids(c.text), c.ids) << c.text;
}

TEST(SteamFilterTest, KeepsWhatIsNotIgnoredOrOnlyTheExceptions) {
  const UsbId physical{0x045e, 0x028e}, virtual_pad{0x28de, 0x11ff}, other{0x054c, 0x0ce6};
  struct Case {
    const char *ignore, *except;
    std::vector<bool> kept;  // physical, virtual, other
  };
  const Case cases[] = {
      {nullptr, nullptr, {true, true, true}},
      {"0x045e/0x028e", nullptr, {false, true, true}},
      {"0x045e/0x028e,0x054c/0x0ce6", "", {false, true, false}},
      {nullptr, "0x28de/0x11ff", {false, true, false}},
      {"0x28de/0x11ff", "0x28de/0x11ff", {false, true, false}},
      {"garbage", "also garbage", {true, true, true}},
  };
  for (const Case& c : cases) {
    const SteamFilter filter(c.ignore, c.except);
    const std::vector<bool> kept{filter.keeps(physical), filter.keeps(virtual_pad),
                                 filter.keeps(other)};
    EXPECT_EQ(kept, c.kept) << (c.ignore ? c.ignore : "-") << " / " << (c.except ? c.except : "-");
  }
}

}  // namespace
}  // namespace zol::pads
