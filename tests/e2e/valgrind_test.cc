// A user's short session with the real menu under valgrind's memcheck:
// no invalid access, no use of uninitialised memory, nothing definitely lost.

#include <gtest/gtest.h>

#include "art/art.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;
constexpr int kMemcheckFound = 99;

TEST(ValgrindTest, HoverThenQuitShowsNoErrorAndLosesNothing) {
  XSession x(1024, 768, /*window_manager=*/false);
  const pid_t zol = x.start("valgrind", {"--error-exitcode=" + std::to_string(kMemcheckFound),
                                         "--leak-check=full", "--show-leak-kinds=definite",
                                         "--errors-for-leak-kinds=definite", zol_binary()});
  ASSERT_NE(x.wait_for_window("Orvenna"), 0u) << x.stderr_of(zol);
  ASSERT_TRUE(x.wait_for_pixels(kLeft, kTop, background(), 30));

  // Over each button until it lights, and off again, then a click on "RAUS HIER!".
  for (const MenuButton& b : menu_buttons()) {
    x.move_pointer(kLeft + b.centre().x, kTop + b.centre().y);
    const Image shown = decode_bmp(b.lit->bytes, b.lit->file, b.rect.w, b.rect.h);
    EXPECT_TRUE(x.wait_for_pixels(kLeft + b.rect.x, kTop + b.rect.y, shown, 30)) << b.name;
    x.move_pointer(kLeft + 320, kTop + 300);
  }
  ASSERT_TRUE(x.wait_for_pixels(kLeft, kTop, background(), 30));
  x.click(kLeft + 520, kTop + 420);
  EXPECT_EQ(x.wait_exit(zol, 60), std::optional<int>(0)) << x.stderr_of(zol);
}

}  // namespace
}  // namespace zol::e2e
