// Keys and controller buttons, through the host's routing: with the menu's
// own tables, and with recording procedures to see what reaches them.

#include <gtest/gtest.h>

#include "menu/menu.h"
#include "menu/website.h"
#include "tests/shown_menu.h"

namespace zol {
namespace {

using enum Navigation;

// Inside each hot zone of the menu, and over the bare window.
const Step kOverFullScreen = pointer_at(100, 420), kOverWindowed = pointer_at(250, 420),
           kOverQuit = pointer_at(500, 420), kOverBackground = pointer_at(320, 100),
           kOutside = pointer_at(-5, 420);

using Texts = std::vector<std::string>;

TEST(MenuNavigationTest, ArrowsLightOneEntryInTheRowAndStopAtItsEnds) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    Texts lit;
  };
  const Case cases[] = {
      {"next from nothing lit", {key(Next)}, {"VOLLBILDMODUS"}},
      {"previous from nothing lit", {key(Previous)}, {"VOLLBILDMODUS"}},
      {"activate from nothing lit", {key(Activate)}, {"VOLLBILDMODUS"}},
      {"two nexts", {key(Next), key(Next)}, {"FENSTERMODUS"}},
      {"left to right", {key(Next), key(Next), key(Next)}, {"WEBSITE"}},
      {"the right end", {key(Next), key(Next), key(Next), key(Next)}, {"RAUS HIER!"}},
      {"past the right end", {key(Next), key(Next), key(Next), key(Next), key(Next)},
       {"RAUS HIER!"}},
      {"past the left end", {key(Next), key(Previous)}, {"VOLLBILDMODUS"}},
      {"back along the row", {key(Next), key(Next), key(Next), key(Previous)}, {"FENSTERMODUS"}},
      {"the pointer's entry, then next", {kOverWindowed, key(Next)}, {"WEBSITE"}},
      {"the pointer's entry, then previous", {kOverWindowed, key(Previous)}, {"VOLLBILDMODUS"}},
      {"the pointer's last entry counts", {kOverQuit, kOverFullScreen, key(Next)},
       {"FENSTERMODUS"}},
      {"the bare window leaves none current", {kOverQuit, kOverBackground, key(Previous)},
       {"VOLLBILDMODUS"}},
      {"outside the window changes nothing", {kOverQuit, kOutside, key(Previous)}, {"WEBSITE"}},
      {"a key, then the pointer", {key(Next), key(Next), kOverQuit},
       {"FENSTERMODUS", "RAUS HIER!"}},
      {"the pointer on one, a key on another", {kOverFullScreen, key(Next), key(Previous)},
       {"VOLLBILDMODUS"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShownMenu menu;
    menu.play(c.steps);
    EXPECT_EQ(menu.lit(), c.lit);
    EXPECT_EQ(menu.requests(), Texts{});
  }
}

TEST(MenuNavigationTest, ActivateActsAsAClickOnTheCurrentEntryOnly) {
  struct Case {
    const char* what;
    std::vector<Step> steps;
    Texts requests;
  };
  const Case cases[] = {
      {"nothing current", {key(Activate)}, {}},
      {"full screen", {key(Next), key(Activate)},
       {"start_program ZolMain.exe minimised-with-focus", "destroy_window"}},
      {"window mode", {key(Next), key(Next), key(Activate)},
       {"start_program ZolMain.exe W minimised-with-focus", "destroy_window"}},
      {"the pointer's entry", {kOverWindowed, key(Activate)},
       {"start_program ZolMain.exe W minimised-with-focus", "destroy_window"}},
      {"the website", {key(Next), key(Next), key(Next), key(Activate)},
       {"open_address open " + std::string(menu::kWebsite) + " normal", "destroy_window"}},
      {"quit", {kOverQuit, key(Activate)}, {"destroy_window"}},
      {"back with nothing lit", {key(Back)}, {"destroy_window"}},
      {"back with an entry lit", {key(Next), key(Next), key(Back)}, {"destroy_window"}},
      {"after the bare window", {kOverWindowed, kOverBackground, key(Activate)}, {}},
      {"keys after the unload", {key(Back), key(Next), key(Activate)}, {"destroy_window"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShownMenu menu;
    menu.play(c.steps);
    EXPECT_EQ(menu.requests(), c.requests);
    EXPECT_EQ(menu.form.loaded(), c.requests.empty());
  }
}

TEST(MenuNavigationTest, ALitEntryIsRepaintedLikeAHoveredOne) {
  ShownMenu menu;
  menu.platform.presented_.clear();
  menu.play({key(Next)});
  menu.form.idle();
  ASSERT_EQ(menu.platform.presented_.size(), 1u);
  EXPECT_EQ(menu.platform.presented_[0], std::vector<DeviceRect>{menu.form.control("Image1").rect});
}

// Procedures that record the moves and clicks they see, on a row of two
// entries whose stacking order is not their order on the window.
std::vector<std::string> seen;
template <const char* Name>
void record(ZolForm&) { seen.push_back(Name); }
constexpr char kFormMove[] = "Form_MouseMove", kLeftMove[] = "Left_MouseMove",
               kLeftClick[] = "Left_Click", kRightMove[] = "Right_MouseMove",
               kRightClick[] = "Right_Click";

constexpr TwipsRect px(int x, int y, int w, int h) { return {x * 15, y * 15, w * 15, h * 15}; }
const ControlSpec kRow[] = {
    {"Right", px(300, 100, 50, 20), nullptr, nullptr, true},
    {"Label", px(0, 0, 50, 20), nullptr, nullptr, true},  // takes moves, no click: not an entry
    {"Left", px(100, 100, 50, 20), nullptr, nullptr, true},
};
const DispatchRow kRowDispatch[] = {
    {kFormTarget, FormEvent::MouseMove, record<kFormMove>},
    {"Label", FormEvent::MouseMove, record<kFormMove>},
    {"Left", FormEvent::MouseMove, record<kLeftMove>},
    {"Left", FormEvent::Click, record<kLeftClick>},
    {"Right", FormEvent::MouseMove, record<kRightMove>},
    {"Right", FormEvent::Click, record<kRightClick>},
};

TEST(NavigationTest, ProceduresSeeWhatAPointerSweepWouldGiveThem) {
  struct Case {
    const char* what;
    std::vector<Navigation> keys;
    std::vector<std::string> seen;
  };
  using enum Navigation;
  const Case cases[] = {
      {"the first entry is the leftmost", {Next}, {kFormMove, kLeftMove}},
      {"to the right", {Next, Next}, {kFormMove, kLeftMove, kFormMove, kRightMove}},
      {"nothing past the end", {Next, Next, Next}, {kFormMove, kLeftMove, kFormMove, kRightMove}},
      {"a click on the current entry", {Next, Next, Activate},
       {kFormMove, kLeftMove, kFormMove, kRightMove, kRightClick}},
      {"back runs no procedure", {Next, Back}, {kFormMove, kLeftMove}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform platform;
    ZolForm form{platform, kRow, kRowDispatch};
    form.show();
    seen.clear();
    for (Navigation n : c.keys) form.navigate(n);
    EXPECT_EQ(seen, c.seen);
  }
}

TEST(NavigationTest, AControlWithoutAClickIsNoEntryAndLeavesTheCurrentOne) {
  FakePlatform platform;
  ZolForm form{platform, kRow, kRowDispatch};
  form.show();
  form.navigate(Navigation::Next);
  form.pointer({PointerEvent::Kind::Move, {10, 10}, 0});  // over Label
  seen.clear();
  form.navigate(Navigation::Next);
  EXPECT_EQ(seen, (std::vector<std::string>{kFormMove, kRightMove}));
}

TEST(NavigationTest, WithNoEntriesOnlyBackDoesAnything) {
  FakePlatform platform;
  ZolForm form{platform, {}, {}};
  form.show();
  for (Navigation n : {Navigation::Previous, Navigation::Next, Navigation::Activate})
    form.navigate(n);
  EXPECT_TRUE(form.loaded());
  form.navigate(Navigation::Back);
  EXPECT_FALSE(form.loaded());
}

}  // namespace
}  // namespace zol
