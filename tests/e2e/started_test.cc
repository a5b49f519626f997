// The real menu however it was started: with descriptors closed or broken,
// and with an X server that rejects a request while the window is made.
// No game lies beside it, so a start button brings up the one message.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;
constexpr int kFullScreen = 100;

std::string target_of(pid_t pid, int fd) {
  std::error_code ignored;
  return fs::read_symlink("/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd), ignored);
}

struct StartedCase {
  const char* name;
  Streams streams;
  std::vector<int> on_dev_null;  // descriptors the menu must have put there
};
void PrintTo(const StartedCase& c, std::ostream* out) { *out << c.name; }

class StartedTest : public ::testing::TestWithParam<StartedCase> {
 protected:
  StartedTest() { fs::copy_file(zol_binary(), fs::path(dir_.path()) / "zol"); }
  TempDir dir_;
  XSession x_{1024, 768, /*window_manager=*/false};
};

TEST_P(StartedTest, AGameThatCanNotStartStillGivesTheMessageAndStatusOne) {
  const StartedCase& c = GetParam();
  const pid_t zol = x_.start(dir_.path() + "/zol", {}, dir_.path(), "", {}, c.streams);
  ASSERT_NE(x_.wait_for_window("Orvenna"), 0u);
  x_.click(kLeft + kFullScreen, kTop + 420);
  ASSERT_NE(x_.wait_for_window("Zol"), 0u) << "no message; status "
                                           << x_.wait_exit(zol, 0).value_or(-1);
  for (int fd : c.on_dev_null) EXPECT_EQ(target_of(zol, fd), "/dev/null") << "descriptor " << fd;
  x_.xdotool({"key", "Return"});  // the message holds the focus
  EXPECT_EQ(x_.wait_exit(zol), std::optional<int>(1));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, StartedTest,
    ::testing::Values(
        StartedCase{"StderrClosed", {.err = Stream::Closed}, {2}},
        StartedCase{"StderrAPipeWithoutReader", {.err = Stream::PipeWithoutReader}, {}},
        StartedCase{"StdinAndStdoutClosed", {.in = Stream::Closed, .out = Stream::Closed}, {0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

// The server rejects a request sent while the window is made: that is the
// failure, said once, and the menu does not wait for a window.
TEST(XErrorAtCreationTest, IsAFailureWithOneLineAndStatusOne) {
  XSession x(1024, 768, /*window_manager=*/false);
  std::vector<std::string> env{"LD_PRELOAD=" ZOL_X_ERROR_INJECTOR};
#ifdef ZOL_SANITIZED
  // The sanitizer's runtime would insist on coming first.
  const char* options = getenv("ASAN_OPTIONS");
  env.push_back(std::string("ASAN_OPTIONS=") + (options ? options : "") + ":verify_asan_link_order=0");
#endif
  const pid_t zol = x.start(zol_binary(), {}, "", "", env);
  const unsigned long message = x.wait_for_window("Zol");
  ASSERT_NE(message, 0u) << "no message: " << x.stderr_of(zol);
  EXPECT_EQ(x.wait_for_window("Orvenna", 0.2), 0u) << "the menu's window is up";
  const std::string err = x.stderr_of(zol);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("BadValue"), std::string::npos) << err;
  x.xdotool({"key", "Return"});
  EXPECT_EQ(x.wait_exit(zol), std::optional<int>(1));
}

}  // namespace
}  // namespace zol::e2e
