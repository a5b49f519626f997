#include "tests/e2e/scripted_pads.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace zol::e2e {

namespace fs = std::filesystem;

ScriptedDevice ScriptedDevice::xbox_pad(uint16_t vendor, uint16_t product) {
  return {vendor, product,
          {BTN_SOUTH, BTN_EAST, BTN_NORTH, BTN_WEST, BTN_TL, BTN_TR, BTN_SELECT, BTN_START, BTN_MODE,
           BTN_THUMBL, BTN_THUMBR},
          {{ABS_X, -32768, 32767},
           {ABS_Y, -32768, 32767},
           {ABS_RX, -32768, 32767},
           {ABS_RY, -32768, 32767},
           {ABS_HAT0X, -1, 1},
           {ABS_HAT0Y, -1, 1}}};
}

ScriptedDevice ScriptedDevice::nintendo_pad() {
  return {0x057e, 0x2009,
          {BTN_SOUTH, BTN_EAST, BTN_NORTH, BTN_WEST, BTN_DPAD_UP, BTN_DPAD_DOWN, BTN_DPAD_LEFT,
           BTN_DPAD_RIGHT},
          {{ABS_X, -32767, 32767}, {ABS_Y, -32767, 32767}}};
}

ScriptedDevice ScriptedDevice::keyboard() {
  return {0x0001, 0x0001, {KEY_ESC, KEY_ENTER, KEY_SPACE, KEY_LEFT, KEY_RIGHT, KEY_A}, {}};
}

ScriptedInput::ScriptedInput(const std::string& dir) : dir_(dir) {
  fs::create_directories(dir_ + "/input");
  fs::create_directories(dir_ + "/about");
}

ScriptedInput::~ScriptedInput() {
  for (const auto& [name, fd] : writers_) close(fd);
}

std::vector<std::string> ScriptedInput::environment() const {
  const char* options = std::getenv("ASAN_OPTIONS");
  return {"LD_PRELOAD=" ZOL_SCRIPTED_INPUT_LIBRARY, "ZOL_SCRIPTED_INPUT=" + dir_,
          std::string("ASAN_OPTIONS=") + (options ? options : "") + ":verify_asan_link_order=0"};
}

void ScriptedInput::plug(const std::string& name, const ScriptedDevice& device, bool readable) {
  {
    std::ofstream about(dir_ + "/about/" + name);
    about << std::hex << "id " << device.vendor << " " << device.product << "\n" << std::dec;
    for (int key : device.keys) about << "key " << key << "\n";
    for (const auto& axis : device.axes)
      about << "abs " << axis.code << " " << axis.min << " " << axis.max << "\n";
  }
  if (mkfifo(node(name).c_str(), readable ? 0600 : 0) != 0)
    throw std::runtime_error("can't make the scripted device " + node(name));
  if (readable) allow(name);
}

void ScriptedInput::allow(const std::string& name) {
  chmod(node(name).c_str(), 0600);
  // Read and write, so that it opens without a reader and never blocks.
  const int fd = open(node(name).c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("can't open the scripted device " + node(name));
  writers_[name] = fd;
}

void ScriptedInput::pull(const std::string& name) {
  unlink(node(name).c_str());
  if (auto it = writers_.find(name); it != writers_.end()) {
    close(it->second);
    writers_.erase(it);
  }
}

void ScriptedInput::send(const std::string& name, const std::vector<input_event>& events) {
  const auto bytes = events.size() * sizeof(input_event);
  if (write(writers_.at(name), events.data(), bytes) != static_cast<ssize_t>(bytes))
    throw std::runtime_error("can't write to the scripted device " + name);
}

bool ScriptedInput::held_by(pid_t pid, const std::string& name) const {
  const fs::path fds = "/proc/" + std::to_string(pid) + "/fd";
  std::error_code error;
  for (const auto& fd : fs::directory_iterator(fds, error))
    if (fs::read_symlink(fd.path(), error) == fs::path(node(name))) return true;
  return false;
}

input_event pad_event(int type, int code, int value) {
  input_event e{};
  e.type = static_cast<uint16_t>(type);
  e.code = static_cast<uint16_t>(code);
  e.value = value;
  return e;
}

input_event lost(int type, int code, int value) {
  input_event e = pad_event(EV_MAX, code, value);
  e.input_event_sec = type;
  return e;
}

}  // namespace zol::e2e
