#include <vector>

#include "menu/menu.h"

namespace zol::menu {
namespace {

// All eight controls share their top, width and height (twips).
constexpr int32_t kTop = 6120, kWidth = 1785, kHeight = 390;

// Top of the stack first. Each transparent hot zone lies directly above its
// hidden highlight, so a lit highlight never takes a pointer event.
constexpr ControlSpec kLayout[] = {
    {"Image10", {4920, kTop, kWidth, kHeight}, nullptr, nullptr, true},
    {"Image9", {4920, kTop, kWidth, kHeight}, &art::lit_website, &art::lit_website_2x, false},
    {"Image8", {6960, kTop, kWidth, kHeight}, nullptr, nullptr, true},
    {"Image7", {6960, kTop, kWidth, kHeight}, &art::lit_raus_hier, &art::lit_raus_hier_2x, false},
    {"Image4", {2895, kTop, kWidth, kHeight}, nullptr, nullptr, true},
    {"Image3", {2895, kTop, kWidth, kHeight}, &art::lit_fenstermodus, &art::lit_fenstermodus_2x, false},
    {"Image2", {885, kTop, kWidth, kHeight}, nullptr, nullptr, true},
    {"Image1", {885, kTop, kWidth, kHeight}, &art::lit_vollbildmodus, &art::lit_vollbildmodus_2x, false},
};

constexpr MenuEntry kEntries[] = {
    {"VOLLBILDMODUS", "Image2", "Image1", LaunchAction::StartFullScreen},
    {"FENSTERMODUS", "Image4", "Image3", LaunchAction::StartWindowed},
    {"WEBSITE", "Image10", "Image9", LaunchAction::OpenWebsite},
    {"RAUS HIER!", "Image8", "Image7", LaunchAction::Quit},
};

}  // namespace

std::span<const MenuEntry> entries() { return kEntries; }
std::span<const ControlSpec> layout() { return kLayout; }

std::span<const DispatchRow> dispatch() {
  static const std::vector<DispatchRow> rows = [] {
    std::vector<DispatchRow> all(hover_rows().begin(), hover_rows().end());
    all.insert(all.end(), action_rows().begin(), action_rows().end());
    return all;
  }();
  return rows;
}

}  // namespace zol::menu
