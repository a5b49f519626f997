#include "bench/zol_look.h"

#include <time.h>

#include <stdexcept>

#include "menu/menu.h"

namespace bench {
namespace {

// A platform with a screen and nothing else: what zol's core makes for it
// is what zol shows.
class StillPlatform final : public zol::Platform {
 public:
  StillPlatform(int dpi, zol::DeviceSize monitor) : screen_{dpi, {0, 0, monitor.w, monitor.h}} {}
  zol::Screen screen() override { return screen_; }
  void create_window(const zol::WindowSpec&) override {}
  void place_window(zol::DeviceRect) override {}
  void present(const zol::Framebuffer&, std::span<const zol::DeviceRect>) override {}
  void show_window() override {}
  void run(zol::EventSink&) override {}
  void destroy_window() override {}
  void show_failure(const std::string&) override {}
  void start_program(const std::string&, const std::vector<std::string>&,
                     zol::WindowState) override {}
  void open_address(const std::string&, const std::string&, zol::WindowState) override {}

 private:
  zol::Screen screen_;
};

}  // namespace

Look zol_look(int dpi, zol::DeviceSize monitor) {
  StillPlatform platform(dpi, monitor);
  zol::ZolForm form(platform, zol::menu::layout(), zol::menu::dispatch());
  form.show();
  if (form.dpi() != dpi) throw std::logic_error("zol draws at another DPI than asked");
  const zol::Framebuffer& frame = form.frame();
  Look look{{frame.width, frame.height, frame.pixels}, {}, {}};
  for (const zol::menu::MenuEntry& entry : zol::menu::entries()) {
    const zol::ImageControl& c = form.control(entry.highlight);
    look.buttons.push_back(c.rect);
    look.lit.push_back(*c.picture);
  }
  return look;
}

double picture_ms(int dpi, zol::DeviceSize monitor) {
  // CPU time: the figure is the core's work, whatever else runs on the machine.
  auto cpu_ns = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
  };
  StillPlatform platform(dpi, monitor);
  const long long start = cpu_ns();
  zol::ZolForm form(platform, zol::menu::layout(), zol::menu::dispatch());
  form.show();
  return static_cast<double>(cpu_ns() - start) / 1e6;
}

}  // namespace bench
