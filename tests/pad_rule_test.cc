// A pad's reports become the menu's steps, whatever platform reads them:
// the d-pad over the stick, the dead zone and the let-go margin, presses at
// their edge, the repeat of a held side, and what was held at the start.

#include "host/pad_rule.h"

#include <gtest/gtest.h>

#include <vector>

namespace zol {
namespace {

using enum Navigation;
using Ms = PadRule::Clock;
using Steps = std::vector<Navigation>;

PadReport dpad(int side) { return {.dpad = side}; }
PadReport stick(int x) { return {.stick_x = x}; }
const PadReport kRest{}, kA{.south = true}, kB{.east = true};

std::vector<PadReport> held(const PadReport& r, int reports) {
  return std::vector<PadReport>(static_cast<size_t>(reports), r);
}

std::vector<PadReport> then(std::vector<PadReport> a, const std::vector<PadReport>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(PadRuleTest, ReportsMakeTheirSteps) {
  struct Case {
    const char* what;
    std::vector<PadReport> reports;  // 50 ms apart, the rule asked to repeat every 10 ms
    Steps steps;
    PadReport at_start = kRest;
    int held_off_after = -1;  // hold_off() after this report
  };
  const Case cases[] = {
      {"A, let go", {kA, kRest}, {Activate}},
      {"B", {kB}, {Back}},
      {"A held is one press", held(kA, 3), {Activate}},
      {"A and the d-pad at once", {{.dpad = 1, .south = true}}, {Next, Activate}},
      {"d-pad right, let go, left", {dpad(1), kRest, dpad(-1)}, {Next, Previous}},
      {"stick at the dead zone's edge", {stick(7849), stick(-7849), kRest}, {}},
      {"stick past it", {stick(7850), kRest, stick(-7850), kRest}, {Next, Previous}},
      {"stick flicked across", {stick(32767), stick(-32768)}, {Next, Previous}},
      {"a tremor at the edge steps once",
       {stick(7850), stick(6000), stick(7850), stick(5887), stick(7850)}, {Next}},
      {"let go well inside, pushed again", {stick(7850), stick(5886), stick(7850)}, {Next, Next}},
      {"the d-pad wins over the stick", {{.dpad = -1, .stick_x = 30000}, stick(30000)},
       {Previous, Next}},
      {"d-pad to stick the same way is one push", {dpad(1), stick(30000), kRest}, {Next}},
      {"a held side repeats after 250 ms, then every 150 ms", held(dpad(1), 10),
       {Next, Next, Next}},
      {"the stick held at the start does nothing, however long", held(stick(30000), 10), {},
       stick(30000)},
      {"the d-pad held at the start, let go, pushed", then(held(dpad(-1), 6), {kRest, dpad(-1)}),
       {Previous}, dpad(-1)},
      {"held at the start, then the other way", {dpad(1), dpad(-1)}, {Previous}, dpad(1)},
      {"A held at the start, let go, pressed", {kA, kRest, kA}, {Activate}, kA},
      {"held off, nothing until let go", then(held(dpad(1), 10), {kRest, dpad(1)}),
       {Next, Next}, kRest, 0},
      {"held off, the other way steps", {dpad(1), dpad(-1)}, {Next, Previous}, kRest, 0},
  };
  for (const Case& c : cases) {
    PadRule rule;
    rule.start_from(c.at_start);
    Steps steps;
    for (int i = 0; i < static_cast<int>(c.reports.size()); ++i) {
      const Ms at{50 * i};
      rule.report(c.reports[static_cast<size_t>(i)], at, steps);
      if (i == c.held_off_after) rule.hold_off();
      for (Ms tick = at + Ms{10}; tick < at + Ms{50}; tick += Ms{10}) rule.repeat(tick, steps);
    }
    EXPECT_EQ(steps, c.steps) << c.what;
  }
}

TEST(PadRuleTest, ARepeatIsDueOnlyWhileASideIsHeldAndNotHeldOff) {
  PadRule rule;
  Steps steps;
  EXPECT_FALSE(rule.next_repeat());
  rule.report(stick(-20000), Ms{1000}, steps);
  EXPECT_EQ(rule.next_repeat(), Ms{1250});
  rule.hold_off();
  EXPECT_FALSE(rule.next_repeat());
  rule.report(kRest, Ms{1300}, steps);
  rule.report(stick(20000), Ms{1400}, steps);
  EXPECT_EQ(rule.next_repeat(), Ms{1650});
  rule.start_from(stick(20000));
  EXPECT_FALSE(rule.next_repeat());
  EXPECT_EQ(steps, (Steps{Previous, Next}));
}

}  // namespace
}  // namespace zol
