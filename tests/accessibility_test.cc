// The menu as a screen reader sees it, through the host with the menu's own
// tables: what is described, which entry is current as the player moves,
// and a press that acts as the pointer's click, after it returns.

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "menu/menu.h"
#include "menu/website.h"
#include "tests/shown_menu.h"

namespace zol {
namespace {

using enum Navigation;
using Texts = std::vector<std::string>;

TEST(AccessibilityTest, DescribesTheWindowAndItsRowInTheArtsWords) {
  ShownMenu menu;
  ASSERT_EQ(menu.platform.described_, &menu.form.accessible());
  const AccessibleMenu& a = menu.form.accessible();
  EXPECT_EQ(a.window().name, "Orvenna");
  EXPECT_EQ(a.window().language, "de");
  EXPECT_NE(a.window().description, "");
  Texts names, descriptions;
  for (const AccessibleEntry& e : a.entries()) {
    names.push_back(e.name);
    descriptions.push_back(e.description);
  }
  EXPECT_EQ(names, (Texts{"Vollbildmodus", "Fenstermodus", "Website", "Raus hier!"}));
  EXPECT_EQ(descriptions[0], "Startet das Spiel im Vollbild");
  for (const std::string& d : descriptions) EXPECT_NE(d, "");
  EXPECT_EQ(a.current(), std::nullopt);
}

TEST(AccessibilityTest, EntriesLieOnTheirButtonsInDevicePixels) {
  struct Case {
    const char* what;
    int dpi;
    std::optional<int> moved_to_dpi;
    int scale;  // of the 96 DPI rectangles, which are the art's
  };
  const Case cases[] = {
      {"96 DPI", 96, std::nullopt, 1},
      {"192 DPI", 192, std::nullopt, 2},
      {"moved to a 192 DPI monitor", 96, 192, 2},
      {"moved back to 96 DPI", 192, 96, 1},
  };
  const int art_left[] = {59, 193, 328, 464};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShownMenu menu(c.dpi);
    if (c.moved_to_dpi)
      menu.form.dpi_changed({*c.moved_to_dpi, {0, 0, 3840, 2160}}, {100, 100, 1, 1});
    const auto entries = menu.form.accessible().entries();
    ASSERT_EQ(entries.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
      EXPECT_EQ(entries[i].rect,
                (DeviceRect{art_left[i] * c.scale, 408 * c.scale, 119 * c.scale, 26 * c.scale}))
          << entries[i].name;
  }
}

// Records each move of the current entry as "before>now", "-" for none.
struct FocusLog : AccessibilityListener {
  void current_changed(std::optional<size_t> before, std::optional<size_t> now) override {
    const auto text = [](std::optional<size_t> e) { return e ? std::to_string(*e) : "-"; };
    moves.push_back(text(before) + ">" + text(now));
  }
  Texts moves;
};

TEST(AccessibilityTest, TellsEachMoveOfTheCurrentEntryOnceInOrder) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    Texts moves;
  };
  const Case cases[] = {
      {"keys along the row", {key(Next), key(Next), key(Previous)}, {"->0", "0>1", "1>0"}},
      {"a key at the row's end moves nothing", {key(Previous), key(Previous)}, {"->0"}},
      {"the pointer over an entry, then the bare window",
       {pointer_at(250, 420), pointer_at(320, 100)}, {"->1", "1>-"}},
      {"moves within one entry tell once", {pointer_at(250, 420), pointer_at(260, 425)}, {"->1"}},
      {"outside the window nothing moves", {pointer_at(500, 420), pointer_at(-5, 420)}, {"->3"}},
      {"the pointer, then a key", {pointer_at(500, 420), key(Previous)}, {"->3", "3>2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShownMenu menu;
    FocusLog log;
    menu.form.accessible().listen(&log);
    menu.play(c.steps);
    EXPECT_EQ(log.moves, c.moves);
    menu.form.accessible().listen(nullptr);
  }
}

TEST(AccessibilityTest, APressIsTheClickOfItsEntryMadeAfterItReturns) {
  struct Case {
    const char* what;
    std::vector<size_t> presses;
    Texts requests;
    bool taken = true;
  };
  const Case cases[] = {
      {"full screen", {0}, {"start_program ZolMain.exe minimised-with-focus", "destroy_window"}},
      {"window mode", {1}, {"start_program ZolMain.exe W minimised-with-focus", "destroy_window"}},
      {"the website", {2},
       {"open_address open " + std::string(menu::kWebsite) + " normal", "destroy_window"}},
      {"quit", {3}, {"destroy_window"}},
      {"two presses: the first acts", {1, 0},
       {"start_program ZolMain.exe W minimised-with-focus", "destroy_window"}},
      {"no such entry", {4}, {}, false},
      {"far beyond the row", {SIZE_MAX}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShownMenu menu;
    for (size_t entry : c.presses) EXPECT_EQ(menu.form.accessible().press(entry), c.taken);
    EXPECT_EQ(menu.requests(), Texts{}) << "acted before the press returned";
    menu.form.idle();
    EXPECT_EQ(menu.requests(), c.requests);
    EXPECT_EQ(menu.form.loaded(), c.requests.empty());
  }
}

TEST(AccessibilityTest, APressAfterTheMenuIsGoneDoesNothing) {
  ShownMenu menu;
  menu.form.navigate(Back);
  menu.form.accessible().press(0);
  menu.form.idle();
  EXPECT_EQ(menu.requests(), Texts{"destroy_window"});
}

}  // namespace
}  // namespace zol
