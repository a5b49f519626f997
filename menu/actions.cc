// The four buttons' clicks: make the entry's one platform request, take no
// notice of what it returns, then unload the form. A request that fails
// throws, so the unload is not reached and the failure is reported at entry.

#include "menu/menu.h"
#include "menu/website.h"

namespace zol::menu {
namespace {

constexpr const char* kGame = "ZolMain.exe";

void perform(LaunchAction action, ZolForm& form) {
  switch (action) {
    case LaunchAction::StartFullScreen:
      form.start_program(kGame, {}, WindowState::MinimisedWithFocus);
      break;
    case LaunchAction::StartWindowed:
      form.start_program(kGame, {"W"}, WindowState::MinimisedWithFocus);
      break;
    case LaunchAction::OpenWebsite:
      form.open_address("open", kWebsite, WindowState::Normal);
      break;
    case LaunchAction::Quit:
      break;
  }
  form.unload();
}

void Image2_Click(ZolForm& form) { perform(LaunchAction::StartFullScreen, form); }
void Image4_Click(ZolForm& form) { perform(LaunchAction::StartWindowed, form); }
void Image10_Click(ZolForm& form) { perform(LaunchAction::OpenWebsite, form); }
void Image8_Click(ZolForm& form) { perform(LaunchAction::Quit, form); }

constexpr DispatchRow kRows[] = {
    {"Image2", FormEvent::Click, Image2_Click},
    {"Image4", FormEvent::Click, Image4_Click},
    {"Image10", FormEvent::Click, Image10_Click},
    {"Image8", FormEvent::Click, Image8_Click},
};

}  // namespace

std::span<const DispatchRow> action_rows() { return kRows; }

}  // namespace zol::menu
