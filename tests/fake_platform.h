#pragma once
// A platform that records what it was asked, for tests of the host and menu.

#include <string>
#include <vector>

#include "host/platform.h"

namespace zol {

inline std::string to_string(WindowState state) {
  return state == WindowState::Normal ? "normal" : "minimised-with-focus";
}

class FakePlatform : public Platform {
 public:
  Screen screen() override {
    calls_.push_back("screen");
    return screen_;
  }
  void create_window(const WindowSpec& spec) override {
    calls_.push_back("create_window");
    window_ = spec;
    icon_sizes_.clear();
    for (const IconImage& icon : spec.icons) icon_sizes_.push_back(icon.size);
  }
  void place_window(DeviceRect where) override {
    calls_.push_back("place_window");
    placed_.push_back(where);
  }
  void present(const Framebuffer& frame, std::span<const DeviceRect> areas) override {
    calls_.push_back("present");
    frame_ = &frame;
    presented_.emplace_back(areas.begin(), areas.end());
  }
  void show_window() override { calls_.push_back("show_window"); }
  void run(EventSink&) override { calls_.push_back("run"); }
  void destroy_window() override { calls_.push_back("destroy_window"); }
  void describe(AccessibleMenu& menu) override {
    calls_.push_back("describe");
    described_ = &menu;
  }
  void show_failure(const std::string& text) override { failures_.push_back(text); }
  void start_program(const std::string& program, const std::vector<std::string>& args,
                     WindowState state) override {
    std::string call = "start_program " + program;
    for (const std::string& arg : args) call += " " + arg;
    calls_.push_back(call + " " + to_string(state));
    if (!start_failure_.empty()) throw PlatformError(start_failure_);
  }
  void open_address(const std::string& verb, const std::string& address,
                    WindowState state) override {
    calls_.push_back("open_address " + verb + " " + address + " " + to_string(state));
  }

  void release(std::span<const uint8_t> bytes) override { released_.push_back(bytes); }

  Screen screen_{96, {0, 0, 1920, 1080}};  // what screen() reports
  std::vector<std::span<const uint8_t>> released_;
  std::vector<std::string> calls_;
  std::vector<std::vector<DeviceRect>> presented_;  // one entry per present()
  std::vector<DeviceRect> placed_;
  std::vector<std::string> failures_;
  std::vector<int> icon_sizes_;
  WindowSpec window_;
  const Framebuffer* frame_ = nullptr;
  AccessibleMenu* described_ = nullptr;
  std::string start_failure_;  // when set, start_program throws it
};

}  // namespace zol
