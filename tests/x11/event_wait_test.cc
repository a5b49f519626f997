// The one place the X11 platform blocks, against a real X server.

#include <gtest/gtest.h>
// (gtest first: x_session.h names its AssertionResult)
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "host/linux/gamepads.h"
#include "host/x11/keyboard.h"
#include "host/x11/platform.h"
#include "tests/e2e/x_session.h"

namespace zol::x11 {
namespace {

// A ClientMessage nobody asked for; sent with no mask, it reaches the
// client that made the window.
void poke(Display* from, Window window) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(from, "ZOL_TEST_POKE", False);
  e.xclient.format = 32;
  XSendEvent(from, window, False, 0, &e);
}

// Any Xlib call may read events off the socket into Xlib's queue, where
// poll() does not see them: a wait then sleeps on an event already there
// (the last pointer move, under a flood of them, was once left unhandled).
TEST(EventWaitTest, ReturnsAtOnceWhenXlibAlreadyHoldsAnEvent) {
  e2e::XSession x(320, 240, /*window_manager=*/false);
  Display* d = XOpenDisplay(x.display().c_str());
  ASSERT_NE(d, nullptr);
  const Window window = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
  poke(d, window);
  XSync(d, False);  // reads the poke into Xlib's queue: the socket is empty
  ASSERT_EQ(XEventsQueued(d, QueuedAlready), 1);

  e2e::TempDir no_pads;
  pads::Gamepads pads(no_pads.path(), {});
  // Should the wait sleep, a poke from another client ends it.
  std::promise<void> returned;
  std::atomic<bool> woken{false};
  std::thread waker([&, done = returned.get_future()] {
    if (done.wait_for(std::chrono::seconds(3)) == std::future_status::ready) return;
    Display* other = XOpenDisplay(x.display().c_str());
    woken = true;
    poke(other, window);
    XCloseDisplay(other);
  });
  const std::vector<Navigation> steps = wait_for_input(d, Keyboard{}, pads, [](XEvent&) {});
  returned.set_value();
  waker.join();
  EXPECT_FALSE(woken) << "it slept with an event in Xlib's queue";
  EXPECT_TRUE(steps.empty());
  EXPECT_EQ(XEventsQueued(d, QueuedAlready), woken ? 2 : 1);
  XCloseDisplay(d);
}

}  // namespace
}  // namespace zol::x11
