// Program entry: load ZolForm from the menu's tables, show it, run it. A
// failure that reaches here is reported once, then the program ends.

#include <exception>
#include <optional>

#include "host/failure.h"
#include "host/form.h"
#include "menu/menu.h"

int main() {
  zol::settle_process();
  std::unique_ptr<zol::Platform> platform;
  // Outlives the failure report, so the window stays painted behind it.
  std::optional<zol::ZolForm> form;
  try {
    platform = zol::make_platform();
    form.emplace(*platform, zol::menu::layout(), zol::menu::dispatch());
    form->show();
    form->run();
    return 0;
  } catch (const std::exception& failure) {
    zol::report_failure(platform.get(), failure.what());
    return 1;
  }
}
