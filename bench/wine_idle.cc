// Zol.exe under wine in Xvfb with openbox, left alone for 5 s: the context
// switches of its window's thread and of the whole process, and the CPU it
// took, with no pad and with a pad connected but still (a scripted XInput
// in the prefix). With no pad the menu waits for messages only, no timer
// and no poll, so its thread sleeps throughout; with a pad it polls at
// about 60 Hz. Wine's own service threads count only in the process's.
// Figures only; it fails only when the menu does not come up.
//
// Usage: zol_wine_idle [results.md]  (appends its table)

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/proc.h"
#include "tests/e2e/x_session.h"

namespace {

namespace fs = std::filesystem;
using zol::e2e::XSession;

constexpr double kIdleSeconds = 5, kSettleSeconds = 2;
constexpr int kRounds = 3;

// The Windows main thread is the process's first.
long main_thread_switches(pid_t pid) {
  const std::string status =
      bench::slurp("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status");
  long total = 0;
  for (const char* field : {"voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:"}) {
    const size_t at = status.find(field);
    if (at != std::string::npos) total += std::stol(status.substr(at + std::string(field).size()));
  }
  return total;
}

struct Idle {
  long thread_wakeups, process_switches, process_ticks;
};

// XInput's name on the scripted pad, over wine's own, put back after.
class ScriptedXInput {
 public:
  ScriptedXInput() {
    fs::copy_file(system_, saved_, fs::copy_options::overwrite_existing);
    fs::copy_file(ZOL_XINPUT_SCRIPT_DLL, system_, fs::copy_options::overwrite_existing);
  }
  ~ScriptedXInput() { fs::copy_file(saved_, system_, fs::copy_options::overwrite_existing); }

 private:
  const fs::path system_ = fs::path(ZOL_WINE_PREFIX) / "drive_c/windows/system32/xinput1_4.dll";
  const fs::path saved_ = fs::path(ZOL_WINE_PREFIX) / "xinput1_4.dll.wine";
};

Idle measure(bool pad) {
  XSession x(1024, 768, /*window_manager=*/true);
  std::vector<std::string> env{"WINEPREFIX=" ZOL_WINE_PREFIX, "WINEDEBUG=-all",
                               "WINEDLLOVERRIDES=mscoree,mshtml="};
  std::optional<ScriptedXInput> xinput;
  if (pad) {
    xinput.emplace();
    env.back() += ";xinput1_4=n";
    env.push_back("ZOL_XINPUT_SCRIPT=idle");
  }
  const pid_t zol = x.start("wine", {ZOL_BINARY}, "", "", env);
  const unsigned long window = x.wait_for_window("Orvenna", 60);
  if (!window) throw std::runtime_error("Zol.exe showed no window: " + x.stderr_of(zol));
  bench::sleep_s(kSettleSeconds);
  const Idle before{main_thread_switches(zol), bench::context_switches(zol), bench::cpu_ticks(zol)};
  bench::sleep_s(kIdleSeconds);
  const Idle after{main_thread_switches(zol), bench::context_switches(zol), bench::cpu_ticks(zol)};
  x.send_close_request(window);
  x.wait_exit(zol, 20);
  x.run({"wineserver", "-k"});
  x.run({"wineserver", "-w"});
  return {after.thread_wakeups - before.thread_wakeups,
          after.process_switches - before.process_switches,
          after.process_ticks - before.process_ticks};
}

std::string spread(std::vector<long> values) {
  std::sort(values.begin(), values.end());
  std::ostringstream out;
  out << values[values.size() / 2] << " (" << values.front() << "–" << values.back() << ")";
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  // For wineserver, which ends each run's wine.
  setenv("WINEPREFIX", ZOL_WINE_PREFIX, 1);
  setenv("WINEDEBUG", "-all", 1);
  std::ostringstream table;
  table << "\n### Windows: Zol.exe under wine, " << kIdleSeconds << " s idle\n\n"
        << "Medians over " << kRounds << " runs (min–max), from " << kSettleSeconds
        << " s after the window shows (`bench/wine_idle.cc`). Context switches: voluntary + "
           "involuntary; wine's message wait takes a few per wake-up.\n\n"
        << "| pads | context switches, window thread | the same, all threads | CPU ticks |\n"
        << "|---|---|---|---|\n";
  try {
    for (bool pad : {false, true}) {
      std::vector<long> wakeups, switches, ticks;
      for (int round = 0; round < kRounds; ++round) {
        const Idle idle = measure(pad);
        wakeups.push_back(idle.thread_wakeups);
        switches.push_back(idle.process_switches);
        ticks.push_back(idle.process_ticks);
      }
      table << "| " << (pad ? "one connected, still" : "none") << " | " << spread(wakeups)
            << " | " << spread(switches) << " | " << spread(ticks) << " |\n";
    }
  } catch (const std::exception& e) {
    std::cerr << "zol_wine_idle: " << e.what() << "\n";
    return 1;
  }
  std::cout << table.str();
  if (argc > 1) std::ofstream(argv[1], std::ios::app) << table.str();
  return 0;
}
