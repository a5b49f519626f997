// Runs zol, the floor and the SDL2 peer side by side under a private Xvfb,
// round by round, at 96, 120, 144, 168 and 192 DPI (Xft.dpi for zol; the
// others are told), and prints a table of medians (min-max) for each: first
// frame and the minor page faults until then, peak memory, hover latency (and zol's key press latency), and at 96 DPI
// idle and pointer cost and the
// stripped size; and the time zol's core takes to make its pictures.
// It reports figures; it asserts no timing. It fails only when a program
// does not show what it must (wrong pixels, no window, an early exit).
//
// Usage: zol_bench [--rounds N] [--dpi D]... [--compare NAME=PATH]... [results.md]
// (--dpi: only these DPIs, to try a change quickly; --compare: other builds
// of zol in the same rounds, their first frame, faults and memory only)

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <X11/Xatom.h>

#include "host/image.h"
#include "host/scale.h"
#include "bench/a11y_bus.h"
#include "bench/proc.h"
#include "bench/report.h"
#include "bench/scene.h"
#include "bench/zol_look.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/scripted_pads.h"

extern char** environ;

namespace {

using namespace bench;
namespace fs = std::filesystem;
using zol::Image;
using zol::DeviceRect;

constexpr int kScreenW = 1280, kScreenH = 1024;
constexpr int kDpis[] = {96, 120, 144, 168, 192};
constexpr double kIdleSeconds = 5;
constexpr int kMoves = 1000;

// ---- the X server -----------------------------------------------------------

struct Server {
  pid_t pid = -1;
  Display* display = nullptr;
  std::string name;
};

// As a desktop's settings daemon does: every client started after reads it.
void set_xft_dpi(const Server& s, int dpi) {
  const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
  XChangeProperty(s.display, DefaultRootWindow(s.display), XA_RESOURCE_MANAGER, XA_STRING, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                  static_cast<int>(resources.size()));
  XSync(s.display, False);
}

Server start_server(const std::string& logs) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  const zol::e2e::Xvfb xvfb = zol::e2e::start_xvfb(kScreenW, kScreenH, env, logs + "/xvfb");
  adopt(xvfb.pid);
  Server s;
  s.pid = xvfb.pid;
  s.name = xvfb.display;
  s.display = XOpenDisplay(s.name.c_str());
  if (!s.display) throw std::runtime_error("can't open " + s.name);
  fcntl(ConnectionNumber(s.display), F_SETFD, FD_CLOEXEC);
  int event, error, major, minor;
  if (!XTestQueryExtension(s.display, &event, &error, &major, &minor))
    throw std::runtime_error("Xvfb has no XTEST extension");
  return s;
}

// ---- pixels -----------------------------------------------------------------

// A small area of the window and what it must show, in window coordinates.
struct Probe {
  DeviceRect area;
  std::vector<uint32_t> want;
};

Probe probe_of(const Image& picture, DeviceRect area, int picture_x = 0, int picture_y = 0) {
  Probe p{area, {}};
  for (int y = area.y; y < area.y + area.h; ++y)
    for (int x = area.x; x < area.x + area.w; ++x)
      p.want.push_back(picture.at(x - picture_x, y - picture_y));
  return p;
}

// Where every program puts its window: centred on the (one) screen.
DeviceRect window_at(int dpi) {
  return zol::centred({0, 0, kScreenW, kScreenH}, zol::window_size(dpi));
}
DeviceRect g_window = window_at(96);  // of the DPI being measured

std::vector<uint32_t> grab(Display* d, DeviceRect area) {
  XImage* shot = XGetImage(d, DefaultRootWindow(d), g_window.x + area.x, g_window.y + area.y,
                           static_cast<unsigned>(area.w), static_cast<unsigned>(area.h), AllPlanes,
                           ZPixmap);
  std::vector<uint32_t> pixels;
  if (!shot) return pixels;
  for (int y = 0; y < area.h; ++y)
    for (int x = 0; x < area.w; ++x)
      pixels.push_back(static_cast<uint32_t>(XGetPixel(shot, x, y)) & 0xFFFFFF);
  XDestroyImage(shot);
  return pixels;
}

bool shows(Display* d, const Probe& p) { return grab(d, p.area) == p.want; }

bool shows_all(Display* d, const std::vector<Probe>& probes) {
  return std::all_of(probes.begin(), probes.end(), [&](const Probe& p) { return shows(d, p); });
}

// Polls every `period` until `done`, up to `seconds`; the time it turned
// true (ns), or -1.
long long poll_until(double seconds, long long period_ns, const std::function<bool()>& done) {
  const long long end = now_ns() + static_cast<long long>(seconds * 1e9);
  for (long long next = now_ns();; next += period_ns) {
    if (done()) return now_ns();
    if (now_ns() > end) return -1;
    sleep_until(std::max(next + period_ns, now_ns()));
  }
}

void move_pointer(Display* d, int window_x, int window_y) {
  XTestFakeMotionEvent(d, DefaultScreen(d), g_window.x + window_x, g_window.y + window_y,
                       CurrentTime);
  XFlush(d);
}

// ---- what each run measures -------------------------------------------------

struct Program {
  std::string name, path;
  std::vector<std::string> env;
  bool told_dpi;  // takes the DPI as its argument; zol reads Xft.dpi
  bool keys;      // works from the keyboard
  bool compared = false;  // another build of zol: its start only
};

struct Figures {
  std::vector<double> first_frame_ms, first_frame_faults, peak_rss_mib, idle_ticks, idle_switches,
      moves_cpu_ms, moves_server_ms, hover_ms, key_ms;
  // zol only, at 96 DPI, over scripted event devices.
  std::vector<double> no_pad_ticks, no_pad_switches, pad_ticks, pad_switches, pad_ms;
  // zol only, at 96 DPI, registered with a screen reader's registry.
  std::vector<double> reader_ticks, reader_switches;
};

struct Button {
  DeviceRect rect;      // window pixels
  Probe lit;      // part of its face, lit
  Probe unlit;    // the same part, as the background has it
  Probe lit_all;  // the whole button, lit
};

struct Scene {
  std::vector<Probe> first;  // the first frame: a piece of the title, the last rows
  Probe whole;
  std::vector<Button> buttons;
};

Scene make_scene(const Look& look) {
  const Image& background = look.background;
  const int w = background.width, h = background.height;
  Scene s;
  s.first = {probe_of(background, {w * 60 / 640, h * 96 / 480, 40, 4}),
             probe_of(background, {w - 40, h - 6, 40, 6})};
  s.whole = probe_of(background, {0, 0, w, h});
  for (size_t i = 0; i < look.buttons.size(); ++i) {
    const DeviceRect r = look.buttons[i];
    const Image& lit = look.lit[i];
    const DeviceRect face{r.x + r.w / 2 - 20, r.y + r.h / 2 - 4, 40, 8};
    Button b{r, probe_of(lit, face, r.x, r.y), probe_of(background, face),
             probe_of(lit, r, r.x, r.y)};
    if (b.lit.want == b.unlit.want) throw std::logic_error("a button lit looks as unlit");
    s.buttons.push_back(std::move(b));
  }
  if (s.buttons.size() != 4) throw std::logic_error("expected four buttons");
  return s;
}

void fail(const Program& p, const std::string& what) {
  throw std::runtime_error(p.name + ": " + what);
}

void measure_idle_and_moves(const Server& server, const Scene& scene, pid_t pid, Figures& f);
void measure_idle(pid_t pid, std::vector<double>& ticks, std::vector<double>& switches);
void measure_hover(Display* d, const Scene& scene, const Program& program, Figures& f);
void measure_keys(Display* d, const Scene& scene, const Program& program, Figures& f);

// Starts it once its window is gone from before; returns once it shows its
// first frame whole, the time that took in `first_frame_ms` and the minor
// page faults until then in `faults`.
pid_t launch(const Server& server, const Scene& scene, const Program& program, int dpi,
             const std::string& logs, std::vector<double>& first_frame_ms,
             std::vector<double>& faults) {
  Display* d = server.display;
  move_pointer(d, -g_window.x + 2, -g_window.y + 2);  // parked in the screen's corner, off the window
  XSync(d, False);
  // The previous window may still be on its way out.
  if (poll_until(5, 1'000'000, [&] { return !shows(d, scene.first[0]); }) < 0)
    throw std::runtime_error("the screen still shows the picture before " + program.name);

  std::vector<std::string> env = program.env;
  env.push_back("DISPLAY=" + server.name);
  const long long start = now_ns();
  std::vector<std::string> argv{program.path};
  if (program.told_dpi) argv.push_back(std::to_string(dpi));
  const pid_t pid = spawn(argv, env, logs + "/" + program.name);
  const long long shown = poll_until(10, 1'000'000, [&] {
    return shows_all(d, scene.first) || !still_running(pid);
  });
  if (!still_running(pid)) fail(program, "ended early (see " + logs + ")");
  if (shown < 0) fail(program, "showed no first frame within 10 s");
  faults.push_back(static_cast<double>(minor_faults(pid)));
  first_frame_ms.push_back(static_cast<double>(shown - start) / 1e6);
  if (poll_until(2, 1'000'000, [&] { return shows(d, scene.whole); }) < 0)
    fail(program, "its window does not show exactly the background");
  return pid;
}

void run_once(const Server& server, const Scene& scene, const Program& program, int dpi,
              const std::string& logs, Figures& f) {
  Display* d = server.display;
  const pid_t pid =
      launch(server, scene, program, dpi, logs, f.first_frame_ms, f.first_frame_faults);
  if (program.compared) {
    f.peak_rss_mib.push_back(static_cast<double>(peak_rss_kib(pid)) / 1024);
    stop(pid);
    return;
  }

  if (dpi == zol::kBaseDpi) measure_idle_and_moves(server, scene, pid, f);
  measure_hover(d, scene, program, f);
  if (program.keys) measure_keys(d, scene, program, f);
  f.peak_rss_mib.push_back(static_cast<double>(peak_rss_kib(pid)) / 1024);
  if (!still_running(pid)) fail(program, "ended during the run");
  stop(pid);
}

void measure_idle_and_moves(const Server& server, const Scene& scene, pid_t pid, Figures& f) {
  Display* d = server.display;
  sleep_s(0.5);  // let start-up work finish
  measure_idle(pid, f.idle_ticks, f.idle_switches);

  // Back and forth along the buttons' row, one move a millisecond.
  const int row = scene.buttons[0].rect.y + scene.buttons[0].rect.h / 2;
  const long long cpu0 = cpu_ns(pid), server0 = cpu_ns(server.pid);
  long long next = now_ns();
  for (int i = 0; i < kMoves; ++i) {
    const int phase = i % 580;
    move_pointer(d, phase < 290 ? 30 + 2 * phase : 610 - 2 * (phase - 290), row);
    sleep_until(next += 1'000'000);
  }
  XSync(d, False);
  sleep_s(0.1);  // the last events handled
  f.moves_cpu_ms.push_back(static_cast<double>(cpu_ns(pid) - cpu0) / 1e6 * 1000 / kMoves);
  f.moves_server_ms.push_back(static_cast<double>(cpu_ns(server.pid) - server0) / 1e6 * 1000 /
                              kMoves);
}

void measure_hover(Display* d, const Scene& scene, const Program& program, Figures& f) {
  for (const Button& b : scene.buttons) {
    const int cx = b.rect.x + b.rect.w / 2;
    move_pointer(d, cx, b.rect.y - 30);  // the bare background above it
    if (poll_until(2, 100'000, [&] { return shows(d, b.unlit); }) < 0)
      fail(program, "a button stays lit with the pointer off it");
    sleep_s(0.02);
    const long long moved = now_ns();
    move_pointer(d, cx, b.rect.y + b.rect.h / 2);
    const long long lit = poll_until(2, 100'000, [&] { return shows(d, b.lit); });
    if (lit < 0) fail(program, "a button does not light under the pointer");
    f.hover_ms.push_back(static_cast<double>(lit - moved) / 1e6);
    if (poll_until(1, 1'000'000, [&] { return shows(d, b.lit_all); }) < 0)
      fail(program, "a lit button does not show exactly its lit picture");
  }
}

// zol's CPU ticks and context switches over the idle span.
void measure_idle(pid_t pid, std::vector<double>& ticks, std::vector<double>& switches) {
  const long ticks0 = cpu_ticks(pid), switches0 = context_switches(pid);
  sleep_s(kIdleSeconds);
  ticks.push_back(static_cast<double>(cpu_ticks(pid) - ticks0));
  switches.push_back(static_cast<double>(context_switches(pid) - switches0));
}

// zol over a scripted /dev/input at 96 DPI: idle with no pad, then with one
// plugged in and still, then its d-pad pressed across the buttons and back.
void run_with_pad(const Server& server, const Scene& scene, const std::string& logs, int round,
                  Figures& f) {
  using namespace zol::e2e;
  Display* d = server.display;
  const std::string folder = logs + "/devices-" + std::to_string(round);
  ScriptedInput input(folder);
  const Program program{"zol-pad", ZOL_BINARY, input.environment(), false, true};
  std::vector<double> first_frame, faults;
  const pid_t pid = launch(server, scene, program, zol::kBaseDpi, logs, first_frame, faults);
  sleep_s(0.5);
  measure_idle(pid, f.no_pad_ticks, f.no_pad_switches);
  input.plug("event0", ScriptedDevice::xbox_pad());
  if (poll_until(5, 1'000'000, [&] { return input.held_by(pid, "event0"); }) < 0)
    fail(program, "does not open a pad plugged in");
  sleep_s(0.5);
  measure_idle(pid, f.pad_ticks, f.pad_switches);

  const int order[] = {0, 1, 2, 3, 2, 1, 0};
  for (size_t i = 0; i < std::size(order); ++i) {
    const Button& b = scene.buttons[static_cast<size_t>(order[i])];
    const int hat = i == 0 || order[i] > order[i - 1] ? 1 : -1;
    sleep_s(0.02);
    const long long pressed = now_ns();
    input.send("event0", {pad_event(EV_ABS, ABS_HAT0X, hat), report()});
    const long long lit = poll_until(2, 100'000, [&] { return shows(d, b.lit); });
    input.send("event0", {pad_event(EV_ABS, ABS_HAT0X, 0), report()});
    if (lit < 0) fail(program, "a pad press does not light the next button");
    f.pad_ms.push_back(static_cast<double>(lit - pressed) / 1e6);
    if (poll_until(1, 1'000'000, [&] { return shows(d, b.lit_all); }) < 0)
      fail(program, "a lit button does not show exactly its lit picture");
  }
  if (!still_running(pid)) fail(program, "ended during the run");
  stop(pid);
  input.pull("event0");
}

// zol at 96 DPI on the accessibility bus, as a screen reader finds it: idle.
void run_with_screen_reader(const Server& server, const Scene& scene, const std::string& logs,
                            Figures& f) {
  const A11yBus bus(server.name, logs);
  const Program program{"zol-reader", ZOL_BINARY, {bus.environment()}, false, true};
  std::vector<double> first_frame, faults;
  const pid_t pid = launch(server, scene, program, zol::kBaseDpi, logs, first_frame, faults);
  if (poll_until(5, 10'000'000, [&] { return bus.registered(pid); }) < 0)
    fail(program, "is not registered with the screen reader's registry");
  sleep_s(0.5);
  measure_idle(pid, f.reader_ticks, f.reader_switches);
  if (!still_running(pid)) fail(program, "ended during the run");
  stop(pid);
}

// Right, from nothing lit (the pointer on the bare background) along the
// row: from the XTest press until part of the next face shows lit.
void measure_keys(Display* d, const Scene& scene, const Program& program, Figures& f) {
  const Button& first = scene.buttons[0];
  move_pointer(d, first.rect.x + first.rect.w / 2, first.rect.y - 30);
  if (poll_until(2, 100'000, [&] { return shows(d, scene.buttons.back().unlit); }) < 0)
    fail(program, "a button stays lit with the pointer off it");
  const KeyCode right = XKeysymToKeycode(d, XK_Right);
  for (const Button& b : scene.buttons) {
    sleep_s(0.02);
    const long long pressed = now_ns();
    XTestFakeKeyEvent(d, right, True, CurrentTime);
    XFlush(d);
    const long long lit = poll_until(2, 100'000, [&] { return shows(d, b.lit); });
    XTestFakeKeyEvent(d, right, False, CurrentTime);
    XFlush(d);
    if (lit < 0) fail(program, "Right does not light the next button");
    f.key_ms.push_back(static_cast<double>(lit - pressed) / 1e6);
    if (poll_until(1, 1'000'000, [&] { return shows(d, b.lit_all); }) < 0)
      fail(program, "a lit button does not show exactly its lit picture");
  }
}

long stripped_size(const Program& p, const std::string& logs) {
  const std::string copy = logs + "/" + p.name + ".stripped";
  const pid_t pid = spawn({"strip", "-o", copy, p.path}, {}, logs + "/strip");
  const int status = wait_for(pid);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail(p, "strip failed");
  return static_cast<long>(fs::file_size(copy));
}

struct Row {
  std::string figure;
  std::vector<double> Figures::*samples;
  int decimals;
  std::string target;
  std::function<bool(const Stat& zol, const Stat& floor, const Stat& peer)> met;
  bool every_dpi;  // else at 96 DPI only
};

const std::vector<Row>& rows() {
  static const std::vector<Row> all = {
      {"first frame, ms", &Figures::first_frame_ms, 1, "≤ 1.1 × floor, ≥ 5 × faster than peer",
       [](auto& z, auto& f, auto& p) { return z.median <= 1.1 * f.median && 5 * z.median <= p.median; },
       true},
      {"minor page faults to first frame", &Figures::first_frame_faults, 0, "", nullptr, true},
      {"peak RSS, MiB", &Figures::peak_rss_mib, 2, "≤ 1.1 × floor",
       [](auto& z, auto& f, auto&) { return z.median <= 1.1 * f.median; }, true},
      {"CPU ticks in 5 s idle", &Figures::idle_ticks, 0, "0",
       [](auto& z, auto&, auto&) { return z.max == 0; }, false},
      {"context switches in 5 s idle", &Figures::idle_switches, 0, "0",
       [](auto& z, auto&, auto&) { return z.max == 0; }, false},
      {"CPU per 1,000 moves, ms", &Figures::moves_cpu_ms, 2, "", nullptr, false},
      {"X server CPU per 1,000 moves, ms", &Figures::moves_server_ms, 2, "", nullptr, false},
      {"hover to lit pixels, ms", &Figures::hover_ms, 2, "≤ 1.5 × floor",
       [](auto& z, auto& f, auto&) { return z.median <= 1.5 * f.median; }, true},
      {"key press to lit pixels, ms", &Figures::key_ms, 2, "", nullptr, true},
      {"CPU ticks in 5 s idle, no pad", &Figures::no_pad_ticks, 0, "0",
       [](auto& z, auto&, auto&) { return z.max == 0; }, false},
      {"context switches in 5 s idle, no pad", &Figures::no_pad_switches, 0, "0",
       [](auto& z, auto&, auto&) { return z.max == 0; }, false},
      {"CPU ticks in 5 s idle, a pad attached, still", &Figures::pad_ticks, 0, "0",
       [](auto& z, auto&, auto&) { return z.max == 0; }, false},
      {"context switches in 5 s idle, a pad attached, still", &Figures::pad_switches, 0, "0",
       [](auto& z, auto&, auto&) { return z.max == 0; }, false},
      {"pad press to lit pixels, ms", &Figures::pad_ms, 2, "", nullptr, false},
      {"CPU ticks in 5 s idle, a screen reader registered", &Figures::reader_ticks, 0, "0",
       [](auto& z, auto&, auto&) { return z.max == 0; }, false},
      {"context switches in 5 s idle, a screen reader registered", &Figures::reader_switches, 0,
       "0", [](auto& z, auto&, auto&) { return z.max == 0; }, false},
  };
  return all;
}

// One table: the figures of zol, the floor and the peer at one DPI, and
// of the builds compared.
std::string table_of(int dpi, const std::vector<Program>& programs,
                     const std::vector<Figures>& figures, const std::vector<long>& sizes,
                     const Stat& pictures) {
  const DeviceRect w = window_at(dpi);
  std::ostringstream table;
  table << "### " << dpi << " DPI: a " << w.w << " × " << w.h << " window\n\n"
        << "| figure | zol | floor | SDL2 peer | zol/floor | zol/peer | target |\n"
        << "|---|---|---|---|---|---|---|\n";
  for (const Row& row : rows()) {
    if (!row.every_dpi && dpi != zol::kBaseDpi) continue;
    const Stat z = stat_of(figures[0].*row.samples), f = stat_of(figures[1].*row.samples),
               p = stat_of(figures[2].*row.samples);
    // Only zol answers keys and pads: the others' cells stay empty.
    const bool others = !(figures[1].*row.samples).empty();
    table << "| " << row.figure << " | " << cell(z, row.decimals) << " | "
          << (others ? cell(f, row.decimals) + " | " + cell(p, row.decimals) + " | " +
                           ratio(z.median, f.median) + " | " + ratio(z.median, p.median)
                     : " | | | ")
          << " | "
          << (row.met ? row.target + (row.met(z, f, p) ? " ✔" : " ✘ missed") : "") << " |\n";
  }
  for (size_t i = 3; i < programs.size(); ++i)
    for (auto [figure, samples, decimals] :
         {std::tuple{"first frame, ms", &Figures::first_frame_ms, 1},
          {"minor page faults to first frame", &Figures::first_frame_faults, 0},
          {"peak RSS, MiB", &Figures::peak_rss_mib, 2}}) {
      const Stat c = stat_of(figures[i].*samples), f = stat_of(figures[1].*samples);
      table << "| " << figure << ", " << programs[i].name << " | " << cell(c, decimals)
            << " | | | " << ratio(c.median, f.median) << " | | |\n";
    }
  table << "| zol's core: load to first frame composed, CPU ms | " << cell(pictures, 2)
        << " | | | | | |\n";
  if (dpi == zol::kBaseDpi)
    table << "| stripped binary, KiB | " << sizes[0] / 1024 << " | " << sizes[1] / 1024 << " | "
          << sizes[2] / 1024 << " | "
          << ratio(static_cast<double>(sizes[0]), static_cast<double>(sizes[1])) << " | "
          << ratio(static_cast<double>(sizes[0]), static_cast<double>(sizes[2])) << " | |\n";
  return table.str();
}

void write_results(const std::string& file, const std::string& tables, const std::string& about) {
  std::ofstream out(file);
  out << "# Benchmark results\n\n"
      << "Written by `make bench` (`bench/harness.cc`); medians over all rounds, (min–max).\n\n"
      << tables << about << "\n"
      << "- **zol**: the real binary, told the DPI by `Xft.dpi` in the server's resource "
         "string; it makes its pictures at the device size once at start (at 120, 144 and 168 "
         "DPI by area averaging the 2x set). **floor**: `bench/floor.cc`, the least an Xlib program does "
         "for a window of the same device size: the same embedded BMP, decoded the same way, "
         "its top left cut at the device size with no scaling (the 1x set at 96 DPI, the 2x "
         "set above), one highlight put per change. **SDL2 peer**: `bench/peer_sdl.cc`, the "
         "floor's pictures through SDL's renderer with default settings, redrawn whole on a "
         "change. Button places come from the menu's layout table.\n"
      << "- One private Xvfb (" << kScreenW << " × " << kScreenH
      << " × 24), no window manager: its map and reparent round trips would be the same "
         "for all three and only add noise. The programs take turns, the first of each "
         "round rotating.\n"
      << "- First frame: from just before `posix_spawn` until two small areas of the "
         "screen (part of the title, the bottom-right corner) equal the program's first "
         "frame, polled about every millisecond; then the whole window is checked to equal "
         "it exactly (zol's: what its own core composes at that DPI). Minor page faults: the "
         "process's own count (`/proc/PID/stat`, what `getrusage` gives it) when the first "
         "frame was seen: each is a page of fresh memory, or of the executable, touched for the "
         "first time.\n"
      << "- Peak RSS: `VmHWM` just before the program is ended. Idle (96 DPI): `utime + stime` "
         "ticks and voluntary + involuntary context switches (all threads) over "
      << kIdleSeconds << " s with nothing happening, from 0.5 s after the first frame.\n"
      << "- Moves (96 DPI): " << kMoves << " XTest pointer moves, one a millisecond, back and "
         "forth along the buttons' row; CPU from `/proc/PID/task/*/schedstat`, the X "
         "server's own CPU in the next row.\n"
      << "- Pads (96 DPI, zol alone): zol once more with `/dev/input` replaced by a folder of "
         "scripted event devices (the tests' preloaded `tests/e2e/scripted_input.cc`): idle "
         "as above with the folder empty, then with an Xbox pad plugged in and still; then its "
         "d-pad pressed across the buttons and back (seven presses), from the event written "
         "until part of the button's face shows lit, polled every 0.1 ms.\n"
      << "- Hover: from an XTest move onto a button (from the bare background above it) "
         "until part of its face shows the lit picture, polled every 0.1 ms; four buttons "
         "a round; then the whole button is checked against its lit picture.\n"
      << "- Key press (zol only; the others take no keys): from an XTest press of Right until "
         "part of the next button's face shows lit, polled every 0.1 ms, along the row from "
         "nothing lit; with no window manager zol takes the focus itself.\n"
      << "- zol's core: the CPU time of `ZolForm` loaded and shown on a platform that does "
         "nothing, in the harness's own process: the artwork checked, the device pictures "
         "made and the first frame composed. Its growth over 96 DPI is the resampling's own "
         "time.\n"
      << "- Stripped binary: `strip` of a copy; all three embed the same pictures, the 2x "
         "set included, and the peer's SDL2 is a shared library not counted here.\n";
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 15;
  std::string results;
  std::vector<int> dpis;
  std::vector<std::string> compared;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--rounds" && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
    else if (arg == "--dpi" && i + 1 < argc)
      dpis.push_back(std::atoi(argv[++i]));
    else if (arg == "--compare" && i + 1 < argc && std::strchr(argv[i + 1], '='))
      compared.push_back(argv[++i]);
    else
      results = arg;
  }
  signal(SIGINT, end_children);
  signal(SIGTERM, end_children);
  signal(SIGPIPE, SIG_IGN);

  std::string logs = (fs::temp_directory_path() / "zol-bench-XXXXXX").string();
  if (!mkdtemp(logs.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  std::vector<Program> programs = {
      {"zol", ZOL_BINARY, {}, false, true},
      {"floor", FLOOR_BINARY, {}, true, false},
      {"peer", PEER_BINARY, {"SDL_VIDEODRIVER=x11"}, true, false},
  };
  for (const std::string& c : compared)
    programs.push_back({c.substr(0, c.find('=')), c.substr(c.find('=') + 1), {}, false, false, true});
  std::vector<long> sizes;
  Server server;
  const std::string load_before = loadavg();
  std::string tables;
  try {
    for (const Program& p : programs) sizes.push_back(stripped_size(p, logs));
    server = start_server(logs);
    if (dpis.empty()) dpis.assign(std::begin(kDpis), std::end(kDpis));
    for (int dpi : dpis) {
      set_xft_dpi(server, dpi);
      g_window = window_at(dpi);
      const zol::DeviceSize screen{kScreenW, kScreenH};
      const Scene zol_scene = make_scene(zol_look(dpi, screen)), cut_scene = make_scene(cut_look(dpi));
      std::vector<Figures> figures(programs.size());
      std::vector<double> pictures;
      for (int r = 0; r < rounds; ++r) {
        std::cerr << dpi << " DPI, round " << r + 1 << "/" << rounds << ":";
        for (size_t i = 0; i < programs.size(); ++i) {
          const size_t k = (i + static_cast<size_t>(r)) % programs.size();  // each goes first in turn
          std::cerr << " " << programs[k].name << std::flush;
          const bool zols = k == 0 || programs[k].compared;
          run_once(server, zols ? zol_scene : cut_scene, programs[k], dpi, logs, figures[k]);
        }
        if (dpi == zol::kBaseDpi) {
          std::cerr << " zol-pad" << std::flush;
          run_with_pad(server, zol_scene, logs, r, figures[0]);
          std::cerr << " zol-reader" << std::flush;
          run_with_screen_reader(server, zol_scene, logs, figures[0]);
        }
        pictures.push_back(picture_ms(dpi, screen));
        std::cerr << "\n";
      }
      tables += table_of(dpi, programs, figures, sizes, stat_of(pictures)) + "\n";
    }
  } catch (const std::exception& e) {
    std::cerr << "\nzol_bench: " << e.what() << "\n";
    stop_all();
    return 1;
  }
  const std::string renderer = first_line(logs + "/peer.out");
  XCloseDisplay(server.display);
  stop(server.pid);
  fs::remove_all(logs);

  std::ostringstream about;
  about << "Machine: " << machine() << ". Run " << today() << ", " << rounds
        << " rounds at each DPI, load average " << load_before << " before and " << loadavg()
        << " after. SDL2 peer " << (renderer.empty() ? "renderer unknown" : renderer) << ".\n";
  std::cout << "\n" << tables << about.str();
  if (!results.empty()) {
    write_results(results, tables, about.str());
    std::cout << "Written to " << results << "\n";
  }
  return 0;
}
