#pragma once
// The menu with its own tables, shown on a recording platform with nothing
// lit, and the steps of a player to play on it.

#include <optional>
#include <string>
#include <vector>

#include "menu/menu.h"
#include "tests/fake_platform.h"

namespace zol {

// One step of a player: a key, or a pointer move to a client pixel.
struct Step {
  std::optional<Navigation> key;
  DevicePoint at{};
};
inline Step key(Navigation n) { return {n, {}}; }
inline Step pointer_at(int x, int y) { return {std::nullopt, {x, y}}; }

struct ShownMenu {
  explicit ShownMenu(int dpi = 96) {
    platform.screen_.dpi = dpi;
    form.show();
  }
  void play(const std::vector<Step>& steps) {
    for (const Step& s : steps) {
      if (s.key) form.navigate(*s.key);
      else form.pointer({PointerEvent::Kind::Move, s.at, 0});
    }
  }
  std::vector<std::string> lit() const {
    std::vector<std::string> labels;
    for (const auto& entry : menu::entries())
      if (form.control(entry.highlight).visible) labels.emplace_back(entry.label);
    return labels;
  }
  // What the menu asked of the platform beyond showing itself.
  std::vector<std::string> requests() const {
    std::vector<std::string> made;
    for (const std::string& call : platform.calls_)
      if (call.starts_with("start_program") || call.starts_with("open_address") ||
          call == "destroy_window")
        made.push_back(call);
    return made;
  }
  FakePlatform platform;
  ZolForm form{platform, menu::layout(), menu::dispatch()};
};

}  // namespace zol
