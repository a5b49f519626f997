// A stand-in for XInput (built as xinput1_4.dll, put in the test prefix's
// System32 and chosen with WINEDLLOVERRIDES): one pad in slot 0 that
// replays the script in ZOL_XINPUT_SCRIPT, one state per question asked,
// the last one for ever. Tokens, each optionally "*N" times:
//   plug   no pad; a second after first asked, it arrives as a real one
//          does, with WM_DEVICECHANGE to the menu's window, and the script
//          goes on
//   idle, right, left, a, b, stickright   the pad holding that
// Slots 1 to 3 stay empty. Test-only: the menu never reads the environment.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <dbt.h>
#include <xinput.h>

#include <atomic>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct State {
  bool plugged = true;
  WORD buttons = 0;
  SHORT stick_x = 0;
};

std::vector<State> parse(const std::string& text) {
  std::vector<State> script;
  std::istringstream in(text);
  for (std::string token; in >> token;) {
    int times = 1;
    if (const size_t star = token.find('*'); star != std::string::npos) {
      times = std::atoi(token.c_str() + star + 1);
      token.resize(star);
    }
    State s;
    if (token == "plug") s.plugged = false;
    else if (token == "right") s.buttons = XINPUT_GAMEPAD_DPAD_RIGHT;
    else if (token == "left") s.buttons = XINPUT_GAMEPAD_DPAD_LEFT;
    else if (token == "a") s.buttons = XINPUT_GAMEPAD_A;
    else if (token == "b") s.buttons = XINPUT_GAMEPAD_B;
    else if (token == "stickright") s.stick_x = 32767;
    script.insert(script.end(), static_cast<size_t>(times), s);
  }
  if (script.empty()) script.push_back({false, 0, 0});
  return script;
}

const std::vector<State>& script() {
  static const std::vector<State> parsed = [] {
    const char* text = std::getenv("ZOL_XINPUT_SCRIPT");
    return parse(text ? text : "");
  }();
  return parsed;
}

std::atomic<size_t> at{0};
std::atomic<bool> arriving{false};

// As Windows tells a window that asked for HID arrivals.
DWORD WINAPI arrive(void*) {
  Sleep(1000);
  at.fetch_add(1);
  static DEV_BROADCAST_DEVICEINTERFACE_W device{};
  device.dbcc_size = sizeof device;
  device.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  if (HWND menu = FindWindowW(L"ZolForm", nullptr))
    SendMessageW(menu, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&device));
  arriving = false;
  return 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD WINAPI XInputGetState(DWORD slot, XINPUT_STATE* state) {
  if (slot != 0 || !state) return ERROR_DEVICE_NOT_CONNECTED;
  const std::vector<State>& steps = script();
  const size_t i = at.load();
  const State& s = steps[i < steps.size() ? i : steps.size() - 1];
  if (!s.plugged) {
    if (!arriving.exchange(true))
      if (HANDLE thread = CreateThread(nullptr, 0, arrive, nullptr, 0, nullptr))
        CloseHandle(thread);
    return ERROR_DEVICE_NOT_CONNECTED;
  }
  if (i + 1 < steps.size()) at.fetch_add(1);
  *state = {};
  state->dwPacketNumber = static_cast<DWORD>(i);
  state->Gamepad.wButtons = s.buttons;
  state->Gamepad.sThumbLX = s.stick_x;
  return ERROR_SUCCESS;
}

__declspec(dllexport) DWORD WINAPI XInputSetState(DWORD slot, XINPUT_VIBRATION*) {
  return slot == 0 ? ERROR_SUCCESS : ERROR_DEVICE_NOT_CONNECTED;
}

__declspec(dllexport) void WINAPI XInputEnable(BOOL) {}

}  // extern "C"
