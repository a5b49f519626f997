#include "host/win32/xinput_pads.h"

#include <dbt.h>

#include <algorithm>
#include <utility>

namespace zol::win32 {

HDEVNOTIFY notify_on_pad_arrivals(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = {0x4d1e55b2, 0xf16f, 0x11cf,  // GUID_DEVINTERFACE_HID
                           {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
  return RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

XInputPads::~XInputPads() {
  if (library_) FreeLibrary(library_);
}

void XInputPads::load() {
  loaded_ = true;
  for (const wchar_t* name : {L"xinput1_4.dll", L"xinput9_1_0.dll"}) {
    library_ = load_system_library(name);
    if (!library_) continue;
    if (FARPROC entry = GetProcAddress(library_, "XInputGetState")) {
      get_state_ = reinterpret_cast<GetStateFunction>(reinterpret_cast<void (*)()>(entry));
      return;
    }
    FreeLibrary(std::exchange(library_, nullptr));
  }
}

void XInputPads::set_active(bool active, Clock now) {
  active_ = active;
  slots_ = {};  // known afresh at the next activation
  // Looked for in the loop, after the frame in hand is painted.
  looks_.assign(active ? 1 : 0, now);
}

void XInputPads::devices_changed(Clock now) {
  if (!active_) return;  // the next activation looks
  looks_ = {now};
  for (Clock later : kLookAgain) looks_.push_back(now + later);
}

bool XInputPads::any_connected() const {
  return std::any_of(slots_.begin(), slots_.end(), [](const Slot& s) { return s.connected; });
}

DWORD XInputPads::wait(Clock now) const {
  if (!active_) return INFINITE;
  std::vector<Clock> due(looks_);
  // Polling at its pace also keeps the repeats' own.
  if (any_connected()) due.push_back(next_poll_);
  if (due.empty()) return INFINITE;
  const Clock first = *std::min_element(due.begin(), due.end());
  return first <= now ? 0 : static_cast<DWORD>((first - now).count());
}

namespace {

PadReport report_of(const XINPUT_GAMEPAD& pad) {
  PadReport r;
  r.dpad = int{(pad.wButtons & XINPUT_GAMEPAD_DPAD_RIGHT) != 0} -
           int{(pad.wButtons & XINPUT_GAMEPAD_DPAD_LEFT) != 0};
  r.stick_x = pad.sThumbLX;
  r.south = pad.wButtons & XINPUT_GAMEPAD_A;
  r.east = pad.wButtons & XINPUT_GAMEPAD_B;
  return r;
}

}  // namespace

// A pad first seen, which includes every pad when the menu comes back to
// the front, starts from what it holds.
void XInputPads::read_slot(DWORD index, Slot& slot, Clock now, std::vector<Navigation>& steps) {
  XINPUT_STATE state{};
  if (get_state_(index, &state) != ERROR_SUCCESS) {
    slot = {};  // none there, or pulled out
    return;
  }
  const PadReport report = report_of(state.Gamepad);
  if (std::exchange(slot.connected, true))
    slot.rule.report(report, now, steps);
  else
    slot.rule.start_from(report);
}

std::vector<Navigation> XInputPads::read(Clock now) {
  std::vector<Navigation> steps;
  if (!active_) return steps;
  // A look asks every slot; a poll only those with a pad.
  const bool look = std::erase_if(looks_, [&](Clock at) { return at <= now; }) > 0;
  if (look && !loaded_) load();
  if (!get_state_ || (!look && (!any_connected() || now < next_poll_))) return steps;
  for (DWORD i = 0; i < slots_.size(); ++i)
    if (look || slots_[i].connected) read_slot(i, slots_[i], now, steps);
  next_poll_ = now + kPollInterval;
  return steps;
}

}  // namespace zol::win32
