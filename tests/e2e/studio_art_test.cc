// A studio's own pictures, from a folder outside the tree named by
// ZOL_ART_DIR: the project configured and built as a studio would, then the
// menu that comes out of it. One build serves every step: it is the costly
// part, and later steps only change the pictures.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "art/art.h"
#include "tests/e2e/art_folder.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

class StudioArtTest : public ::testing::Test {
 protected:
  Finished configure_and_build(const std::string& art_dir) {
    const auto start = std::chrono::steady_clock::now();
    Finished done = run_to_end({"cmake", "-S", ZOL_SOURCE_DIR, "-B", build_, "-DZOL_TESTS=OFF",
                                "-DCMAKE_BUILD_TYPE=Release", "-DZOL_ART_DIR=" + art_dir},
                               tmp_.path() + "/configure");
    if (done.status == 0)  // one job: the other tests run beside it
      done = run_to_end({"cmake", "--build", build_, "--target", "zol", "-j", "1"},
                        tmp_.path() + "/build");
    std::printf("configured and built in %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return done;
  }

  TempDir tmp_;
  // Kept between runs: the next run builds only what the new pictures change.
  const std::string build_ = ZOL_STUDIO_BUILD;
};

TEST_F(StudioArtTest, ItsFolderBuildsAndShowsOrStopsTheBuildNamingTheFiles) {
  // A 1x set alone, from a paint program: it builds, and the menu shows it.
  const std::string plain = tmp_.path() + "/studio art";
  write_studio_folder(plain);
  fs::remove_all(plain + "/2x");
  const Finished built = configure_and_build(plain);
  ASSERT_EQ(built.status, 0) << built.output;

  Image expected = background();
  swap_red_and_blue(expected);
  {
    XSession x(1024, 768, false);
    x.start(build_ + "/zol");
    const unsigned long window = x.wait_for_window("Orvenna");
    ASSERT_NE(window, 0u);
    x.wait_for_pixels((1024 - 640) / 2, (768 - 480) / 2, expected);
    EXPECT_TRUE(same_pixels(x.grab_window(window), expected, "studio-background"));
  }

  // New 1x pictures beside our old 2x ones: the build stops, naming both.
  if (!art::has_2x()) return;
  const std::string mixed = tmp_.path() + "/mixed art";
  write_studio_folder(mixed);
  const Finished stopped = configure_and_build(mixed);
  EXPECT_NE(stopped.status, 0);
  EXPECT_NE(stopped.output.find(mixed + "/2x/background.bmp does not match " + mixed +
                                "/background.bmp: replace both, or delete " + mixed +
                                "/2x/ to have the 1\u00d7 pictures scaled"),
            std::string::npos)
      << stopped.output;
}

}  // namespace
}  // namespace zol::e2e
