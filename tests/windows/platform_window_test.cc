// The Win32 platform's window, which needs a display: built into a test
// program of its own that the native tests run on a wine desktop in Xvfb
// (tests/e2e/wine_test.cc), as the unit tests under wine run with none.

#include <gtest/gtest.h>

#define UNICODE
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <memory>
#include <ostream>
#include <vector>

#include "host/platform.h"

namespace zol {
namespace {

constexpr wchar_t kTitle[] = L"Orvenna DPI";

// Plays the system's part in a DPI change once the loop is idle: asks the
// window's size at 144 DPI, then tells it the DPI changed, as Windows does
// when the window is dragged to another monitor. Records what reached it.
class DpiChangeSink : public EventSink {
 public:
  explicit DpiChangeSink(Platform& platform) : platform_(platform) {}
  void pointer(const PointerEvent&) override {}
  void close_requested() override {}
  void navigate(Navigation) override {}
  bool running() const override { return running_; }
  void idle() override {
    running_ = false;
    HWND window = FindWindowW(L"ZolForm", kTitle);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);  // the loop waits for one more message
    scaled = SendMessageW(window, WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&size));
    RECT suggested{100, 50, 1060, 770};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&suggested));
    GetWindowRect(window, &placed);
  }
  // As the core does: its own size at the top left it is given.
  void dpi_changed(const Screen& screen, DeviceRect suggested) override {
    changes.push_back({screen.dpi, screen.monitor, suggested});
    platform_.place_window({suggested.x, suggested.y, 960, 720});
  }
  DeviceSize window_size_at(const Screen& screen) const override {
    asked.push_back({screen.dpi, screen.monitor, {}});
    return {screen.dpi * 10, screen.dpi * 5};
  }

  struct Change {
    int dpi;
    DeviceRect monitor, suggested;
    bool operator==(const Change&) const = default;
    friend void PrintTo(const Change& c, std::ostream* out) {
      *out << c.dpi << " DPI on " << c.monitor.w << "x" << c.monitor.h << " at " << c.suggested.x
           << "," << c.suggested.y << " " << c.suggested.w << "x" << c.suggested.h;
    }
  };
  mutable std::vector<Change> asked;
  std::vector<Change> changes;
  LRESULT scaled = FALSE;
  SIZE size{1, 1};
  RECT placed{};

 private:
  Platform& platform_;
  bool running_ = true;
};

TEST(Win32WindowTest, ADpiChangeReachesTheSinkAndTheWindowTakesThePlaceItIsGiven) {
  std::unique_ptr<Platform> platform = make_platform();
  platform->create_window({{10, 20, 640, 480}, 96, "Orvenna DPI", {}});
  DpiChangeSink sink(*platform);
  platform->run(sink);
  EXPECT_TRUE(sink.scaled) << "the size left to the system's linear guess";
  EXPECT_EQ(sink.size.cx, 1440);  // a popup's window is its client area
  EXPECT_EQ(sink.size.cy, 720);
  // Wine has one monitor, the one under the pointer.
  const DeviceRect monitor = platform->screen().monitor;
  EXPECT_EQ(sink.asked, (std::vector<DpiChangeSink::Change>{{144, monitor, {}}}));
  EXPECT_EQ(sink.changes,
            (std::vector<DpiChangeSink::Change>{{144, monitor, {100, 50, 960, 720}}}));
  EXPECT_EQ(sink.placed.left, 100);
  EXPECT_EQ(sink.placed.top, 50);
  EXPECT_EQ(sink.placed.right, 1060);
  EXPECT_EQ(sink.placed.bottom, 770);
}

}  // namespace
}  // namespace zol
