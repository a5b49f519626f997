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
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/utsname.h>
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
#include "menu/menu.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using zol::Image;
using zol::Rect;

constexpr int kScreenW = 1280, kScreenH = 1024, kWinW = 640, kWinH = 480;
// Every program centres its window on the (one) screen.
constexpr int kWinX = (kScreenW - kWinW) / 2, kWinY = (kScreenH - kWinH) / 2;
constexpr double kIdleSeconds = 5;
constexpr int kMoves = 1000;

// ---- processes ------------------------------------------------------------

std::vector<pid_t> g_children;  // ended by PID if the harness is interrupted

void end_children(int) {
  for (pid_t pid : g_children) kill(pid, SIGKILL);
  _exit(130);
}

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extra_env,
            const std::string& log) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (log + ".out").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (log + ".err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const bool replaced = std::any_of(extra_env.begin(), extra_env.end(), [&](const auto& x) {
      return entry.starts_with(x.substr(0, x.find('=') + 1));
    });
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), extra_env.begin(), extra_env.end());
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  const int err = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) throw std::runtime_error("can't start " + argv[0] + ": " + strerror(err));
  g_children.push_back(pid);
  return pid;
}

// Waits up to `seconds`; true when it ended.
bool reap(pid_t pid, double seconds) {
  for (double waited = 0; waited < seconds; waited += 0.005) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      std::erase(g_children, pid);
      return true;
    }
    usleep(5000);
  }
  return false;
}

void stop(pid_t pid) {
  kill(pid, SIGTERM);
  if (!reap(pid, 2)) {
    kill(pid, SIGKILL);
    reap(pid, 5);
  }
}

bool still_running(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

// ---- /proc ----------------------------------------------------------------

std::string slurp(const std::string& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// utime + stime of the whole process, in clock ticks.
long cpu_ticks(pid_t pid) {
  const std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {  // field 3 is the state
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

long status_field(const std::string& status, const std::string& name) {
  const size_t at = status.find("\n" + name + ":");
  return at == std::string::npos ? 0 : std::stol(status.substr(at + name.size() + 2));
}

template <typename PerTask>
long long sum_tasks(pid_t pid, PerTask per_task) {
  long long total = 0;
  std::error_code ignored;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ignored))
    total += per_task(task.path().string());
  return total;
}

// Voluntary and involuntary, over all threads (status counts one thread).
long context_switches(pid_t pid) {
  return static_cast<long>(sum_tasks(pid, [](const std::string& task) {
    const std::string s = slurp(task + "/status");
    return status_field(s, "voluntary_ctxt_switches") +
           status_field(s, "nonvoluntary_ctxt_switches");
  }));
}

// CPU time in nanoseconds over all threads: finer than the ticks.
long long cpu_ns(pid_t pid) {
  return sum_tasks(pid, [](const std::string& task) {
    long long ns = 0;
    std::istringstream(slurp(task + "/schedstat")) >> ns;
    return ns;
  });
}

long peak_rss_kib(pid_t pid) {
  return status_field(slurp("/proc/" + std::to_string(pid) + "/status"), "VmHWM");
}

// ---- time -----------------------------------------------------------------

long long now_ns() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

void sleep_until(long long ns) {
  const timespec t{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
  }
}

void sleep_s(double seconds) { sleep_until(now_ns() + static_cast<long long>(seconds * 1e9)); }

// ---- the X server -----------------------------------------------------------

struct Server {
  pid_t pid = -1;
  Display* display = nullptr;
  std::string name;
};

// Xvfb picks a free display itself and writes its number, then a newline,
// once it is ready: read up to the newline, or closing early kills it.
Server start_server(const std::string& logs) {
  int ready[2];
  if (pipe(ready) != 0) throw std::runtime_error("pipe failed");
  fcntl(ready[0], F_SETFD, FD_CLOEXEC);
  Server s;
  s.pid = spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                 std::to_string(kScreenW) + "x" + std::to_string(kScreenH) + "x24", "-nolisten",
                 "tcp", "-noreset"},
                {}, logs + "/xvfb");
  close(ready[1]);
  std::string number;
  char c = 0;
  pollfd p{ready[0], POLLIN, 0};
  while (poll(&p, 1, 20000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n') number += c;
  close(ready[0]);
  if (c != '\n' || number.empty()) throw std::runtime_error("Xvfb did not start (is it installed?)");
  s.name = ":" + number;
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
  Rect area;
  std::vector<uint32_t> want;
};

Probe probe_of(const Image& picture, Rect area, int picture_x = 0, int picture_y = 0) {
  Probe p{area, {}};
  for (int y = area.y; y < area.y + area.h; ++y)
    for (int x = area.x; x < area.x + area.w; ++x)
      p.want.push_back(picture.at(x - picture_x, y - picture_y));
  return p;
}

std::vector<uint32_t> grab(Display* d, Rect area) {
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
  Rect rect;      // window pixels
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
      const int k = 15;  // twips per pixel
      const Rect r{c.left / k, c.top / k, c.width / k, c.height / k};
      const Image lit = zol::decode_bmp(c.picture->bytes, c.picture->file, r.w, r.h);
      const Rect face{r.x + r.w / 2 - 20, r.y + r.h / 2 - 4, 40, 8};
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
  int status = 0;
  waitpid(pid, &status, 0);
  std::erase(g_children, pid);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail(p, "strip failed");
  return static_cast<long>(fs::file_size(copy));
}

// ---- the table ----------------------------------------------------------------

struct Stat {
  double median = 0, min = 0, max = 0;
};

Stat stat_of(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return {n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2, v.front(), v.back()};
}

std::string fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string cell(const Stat& s, int decimals) {
  return fixed(s.median, decimals) + " (" + fixed(s.min, decimals) + "–" +
         fixed(s.max, decimals) + ")";
}

std::string ratio(double a, double b) {
  if (b == 0) return a == 0 ? "–" : "∞";
  return fixed(a / b, 2);
}

std::string first_line(const std::string& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string machine() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line, model = "unknown CPU";
  while (std::getline(cpuinfo, line))
    if (line.starts_with("model name")) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  utsname u{};
  uname(&u);
  return model + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores, Linux " +
         u.release;
}

std::string today() {
  const std::time_t t = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", std::gmtime(&t));
  return text;
}

std::string loadavg() {
  std::istringstream in(first_line("/proc/loadavg"));
  std::string one;
  in >> one;
  return one;
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
    for (pid_t pid : std::vector<pid_t>(g_children)) stop(pid);
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
