// Runs zol, the floor and the SDL2 peer side by side under a private Xvfb,
// round by round, and prints one table of medians (min-max): first frame,
// peak memory, idle cost, pointer cost, hover latency, stripped size.
// It reports figures; it asserts no timing. It fails only when a program
// does not show what it must (wrong pixels, no window, an early exit).
//
// Usage: zol_bench [--rounds N] [results.md]

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
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

#include "art/art.h"
#include "host/image.h"
#include "host/scale.h"
#include "menu/menu.h"
#include "bench/proc.h"
#include "bench/report.h"
#include "tests/e2e/child_process.h"

extern char** environ;

namespace {

using namespace bench;
namespace fs = std::filesystem;
using zol::Image;
using zol::DeviceRect;

constexpr int kScreenW = 1280, kScreenH = 1024, kWinW = 640, kWinH = 480;
// Every program centres its window on the (one) screen.
constexpr int kWinX = (kScreenW - kWinW) / 2, kWinY = (kScreenH - kWinH) / 2;
constexpr double kIdleSeconds = 5;
constexpr int kMoves = 1000;

// ---- the X server -----------------------------------------------------------

struct Server {
  pid_t pid = -1;
  Display* display = nullptr;
  std::string name;
};

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

std::vector<uint32_t> grab(Display* d, DeviceRect area) {
  XImage* shot = XGetImage(d, DefaultRootWindow(d), kWinX + area.x, kWinY + area.y,
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
  XTestFakeMotionEvent(d, DefaultScreen(d), kWinX + window_x, kWinY + window_y, CurrentTime);
  XFlush(d);
}

// ---- what each run measures -------------------------------------------------

struct Program {
  std::string name, path;
  std::vector<std::string> env;
};

struct Figures {
  std::vector<double> first_frame_ms, peak_rss_mib, idle_ticks, idle_switches, moves_cpu_ms,
      moves_server_ms, hover_ms;
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

Scene make_scene() {
  const Image background =
      zol::decode_bmp(zol::art::background.bytes, zol::art::background.file, kWinW, kWinH);
  Scene s;
  s.first = {probe_of(background, {60, 96, 40, 4}), probe_of(background, {600, 474, 40, 6})};
  s.whole = probe_of(background, {0, 0, kWinW, kWinH});
  for (const zol::menu::MenuEntry& entry : zol::menu::entries()) {
    for (const zol::ControlSpec& c : zol::menu::layout()) {
      if (c.name != entry.highlight) continue;
      const DeviceRect r = zol::to_device(c.rect, zol::kBaseDpi);
      const Image lit = zol::decode_bmp(c.picture->bytes, c.picture->file, r.w, r.h);
      const DeviceRect face{r.x + r.w / 2 - 20, r.y + r.h / 2 - 4, 40, 8};
      Button b{r, probe_of(lit, face, r.x, r.y), probe_of(background, face),
               probe_of(lit, r, r.x, r.y)};
      if (b.lit.want == b.unlit.want) throw std::logic_error(entry.label.data());
      s.buttons.push_back(std::move(b));
    }
  }
  if (s.buttons.size() != 4) throw std::logic_error("expected four buttons");
  return s;
}

void fail(const Program& p, const std::string& what) {
  throw std::runtime_error(p.name + ": " + what);
}

void run_once(const Server& server, const Scene& scene, const Program& program,
              const std::string& logs, Figures& f) {
  Display* d = server.display;
  move_pointer(d, -kWinX + 2, -kWinY + 2);  // parked in the screen's corner, off the window
  XSync(d, False);
  // The previous window may still be on its way out.
  if (poll_until(5, 1'000'000, [&] { return !shows(d, scene.first[0]); }) < 0)
    throw std::runtime_error("the screen still shows the picture before " + program.name);

  std::vector<std::string> env = program.env;
  env.push_back("DISPLAY=" + server.name);
  const long long start = now_ns();
  const pid_t pid = spawn({program.path}, env, logs + "/" + program.name);
  const long long shown = poll_until(10, 1'000'000, [&] {
    return shows_all(d, scene.first) || !still_running(pid);
  });
  if (!still_running(pid)) fail(program, "ended early (see " + logs + ")");
  if (shown < 0) fail(program, "showed no first frame within 10 s");
  f.first_frame_ms.push_back(static_cast<double>(shown - start) / 1e6);
  if (poll_until(2, 1'000'000, [&] { return shows(d, scene.whole); }) < 0)
    fail(program, "its window does not show exactly the background");

  sleep_s(0.5);  // let start-up work finish
  const long ticks0 = cpu_ticks(pid), switches0 = context_switches(pid);
  sleep_s(kIdleSeconds);
  f.idle_ticks.push_back(static_cast<double>(cpu_ticks(pid) - ticks0));
  f.idle_switches.push_back(static_cast<double>(context_switches(pid) - switches0));

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

  f.peak_rss_mib.push_back(static_cast<double>(peak_rss_kib(pid)) / 1024);
  if (!still_running(pid)) fail(program, "ended during the run");
  stop(pid);
}

long stripped_size(const Program& p, const std::string& logs) {
  const std::string copy = logs + "/" + p.name + ".stripped";
  const pid_t pid = spawn({"strip", "-o", copy, p.path}, {}, logs + "/strip");
  const int status = wait_for(pid);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail(p, "strip failed");
  return static_cast<long>(fs::file_size(copy));
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 15;
  std::string results;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--rounds" && i + 1 < argc)
      rounds = std::max(1, std::atoi(argv[++i]));
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
  const std::vector<Program> programs = {
      {"zol", ZOL_BINARY, {}},
      {"floor", FLOOR_BINARY, {}},
      {"peer", PEER_BINARY, {"SDL_VIDEODRIVER=x11"}},
  };
  std::vector<Figures> figures(programs.size());
  std::vector<long> sizes;
  Server server;
  const std::string load_before = loadavg();
  try {
    const Scene scene = make_scene();
    for (const Program& p : programs) sizes.push_back(stripped_size(p, logs));
    server = start_server(logs);
    for (int r = 0; r < rounds; ++r) {
      std::cerr << "round " << r + 1 << "/" << rounds << ":";
      for (size_t i = 0; i < programs.size(); ++i) {
        const size_t k = (i + static_cast<size_t>(r)) % programs.size();  // each goes first in turn
        std::cerr << " " << programs[k].name << std::flush;
        run_once(server, scene, programs[k], logs, figures[k]);
      }
      std::cerr << "\n";
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

  struct Row {
    std::string figure;
    std::vector<double> Figures::*samples;
    int decimals;
    std::string target;
    std::function<bool(const Stat& zol, const Stat& floor, const Stat& peer)> met;
  };
  const std::vector<Row> rows = {
      {"first frame, ms", &Figures::first_frame_ms, 1, "≤ 1.3 × floor, ≥ 5 × faster than peer",
       [](auto& z, auto& f, auto& p) { return z.median <= 1.3 * f.median && 5 * z.median <= p.median; }},
      {"peak RSS, MiB", &Figures::peak_rss_mib, 2, "≤ 1.3 × floor",
       [](auto& z, auto& f, auto&) { return z.median <= 1.3 * f.median; }},
      {"CPU ticks in 5 s idle", &Figures::idle_ticks, 0, "0", [](auto& z, auto&, auto&) { return z.max == 0; }},
      {"context switches in 5 s idle", &Figures::idle_switches, 0, "0",
       [](auto& z, auto&, auto&) { return z.max == 0; }},
      {"CPU per 1,000 moves, ms", &Figures::moves_cpu_ms, 2, "", nullptr},
      {"X server CPU per 1,000 moves, ms", &Figures::moves_server_ms, 2, "", nullptr},
      {"hover to lit pixels, ms", &Figures::hover_ms, 2, "≤ 1.5 × floor",
       [](auto& z, auto& f, auto&) { return z.median <= 1.5 * f.median; }},
  };

  std::ostringstream table;
  table << "| figure | zol | floor | SDL2 peer | zol/floor | zol/peer | target |\n"
        << "|---|---|---|---|---|---|---|\n";
  for (const Row& row : rows) {
    const Stat z = stat_of(figures[0].*row.samples), f = stat_of(figures[1].*row.samples),
               p = stat_of(figures[2].*row.samples);
    table << "| " << row.figure << " | " << cell(z, row.decimals) << " | " << cell(f, row.decimals)
          << " | " << cell(p, row.decimals) << " | " << ratio(z.median, f.median) << " | "
          << ratio(z.median, p.median) << " | "
          << (row.met ? row.target + (row.met(z, f, p) ? " ✔" : " ✘ missed") : "") << " |\n";
  }
  table << "| stripped binary, KiB | " << sizes[0] / 1024 << " | " << sizes[1] / 1024 << " | "
        << sizes[2] / 1024 << " | " << ratio(static_cast<double>(sizes[0]), static_cast<double>(sizes[1]))
        << " | " << ratio(static_cast<double>(sizes[0]), static_cast<double>(sizes[2])) << " | |\n";

  std::ostringstream about;
  about << "Machine: " << machine() << ". Run " << today() << ", " << rounds
        << " rounds, load average " << load_before << " before and " << loadavg()
        << " after. SDL2 peer " << (renderer.empty() ? "renderer unknown" : renderer) << ".\n";

  std::cout << "\n" << table.str() << "\n" << about.str();
  if (!results.empty()) {
    std::ofstream out(results);
    out << "# Benchmark results\n\n"
        << "Written by `make bench` (`bench/harness.cc`); medians over all rounds, (min–max).\n\n"
        << table.str() << "\n"
        << about.str() << "\n"
        << "- **zol**: the real binary. **floor**: `bench/floor.cc`, the least an Xlib program "
           "does for the same window (same embedded BMP, same decoder, one highlight put per "
           "change). **SDL2 peer**: `bench/peer_sdl.cc`, the same picture through SDL's "
           "renderer with default settings, redrawn whole on a change.\n"
        << "- One private Xvfb (" << kScreenW << " × " << kScreenH
        << " × 24), no window manager: its map and reparent round trips would be the same "
           "for all three and only add noise. The programs take turns, the first of each "
           "round rotating.\n"
        << "- First frame: from just before `posix_spawn` until two small areas of the "
           "screen (part of the title, the bottom-right corner) equal the background, polled "
           "about every millisecond; then the whole window is checked to equal it exactly.\n"
        << "- Peak RSS: `VmHWM` just before the program is ended. Idle: `utime + stime` "
           "ticks and voluntary + involuntary context switches (all threads) over "
           << kIdleSeconds << " s with nothing happening, from 0.5 s after the first frame.\n"
        << "- Moves: " << kMoves << " XTest pointer moves, one a millisecond, back and forth "
           "along the buttons' row; CPU from `/proc/PID/task/*/schedstat`, the X server's "
           "own CPU in the next row.\n"
        << "- Hover: from an XTest move onto a button (from the bare background above it) "
           "until part of its face shows the lit picture, polled every 0.1 ms; four buttons "
           "a round; then the whole button is checked against its lit picture.\n"
        << "- Stripped binary: `strip` of a copy; all three embed the same pictures, and the "
           "peer's SDL2 is a shared library not counted here.\n";
    std::cout << "Written to " << results << "\n";
  }
  return 0;
}
