#include "host/linux/gamepads.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace zol::pads {
namespace {

constexpr size_t kLongBits = sizeof(unsigned long) * CHAR_BIT;

// The kernel's bit arrays are arrays of longs; their size in bytes.
constexpr size_t bytes_for(size_t bits) {
  return (bits + kLongBits - 1) / kLongBits * sizeof(unsigned long);
}

template <size_t N>
bool read_bits(int fd, unsigned long request, std::bitset<N>& bits) {
  unsigned long words[bytes_for(N) / sizeof(unsigned long)] = {};
  if (ioctl(fd, request, words) < 0) return false;
  for (size_t i = 0; i < N; ++i) bits[i] = (words[i / kLongBits] >> (i % kLongBits)) & 1;
  return true;
}

AxisRange range_of(int fd, int axis, const Capabilities& caps) {
  input_absinfo info{};
  if (!caps.axes.test(axis) || ioctl(fd, EVIOCGABS(axis), &info) < 0) return {};
  return {info.minimum, info.maximum};
}

// What the device holds now, for a resync after lost events.
bool controls_of(int fd, Controls& c) {
  std::bitset<KEY_CNT> keys;
  input_absinfo hat{}, stick{};
  if (!read_bits(fd, EVIOCGKEY(bytes_for(KEY_CNT)), keys)) return false;
  c.south = keys.test(BTN_SOUTH);
  c.east = keys.test(BTN_EAST);
  c.dpad_left = keys.test(BTN_DPAD_LEFT);
  c.dpad_right = keys.test(BTN_DPAD_RIGHT);
  if (ioctl(fd, EVIOCGABS(ABS_HAT0X), &hat) == 0) c.hat = hat.value;
  if (ioctl(fd, EVIOCGABS(ABS_X), &stick) == 0) c.stick = stick.value;
  return true;
}

bool is_event_device(const char* name) {
  if (std::strncmp(name, "event", 5) != 0 || !name[5]) return false;
  for (const char* p = name + 5; *p; ++p)
    if (*p < '0' || *p > '9') return false;
  return true;
}

}  // namespace

Gamepads::Gamepads(std::string folder, SteamFilter filter)
    : folder_(std::move(folder)), filter_(std::move(filter)) {
  // Watched before the scan, so that no pad falls between the two.
  watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch_ >= 0 &&
      inotify_add_watch(watch_, folder_.c_str(), IN_CREATE | IN_ATTRIB | IN_MOVED_TO) < 0) {
    close(watch_);
    watch_ = -1;
  }
  scan();
}

Gamepads::~Gamepads() {
  for (Pad& pad : pads_) close(pad.fd);
  if (watch_ >= 0) close(watch_);
}

void Gamepads::scan() {
  DIR* dir = opendir(folder_.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir))
    if (is_event_device(entry->d_name)) names.emplace_back(entry->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) try_open(name);
}

void Gamepads::try_open(const std::string& name) {
  if (std::any_of(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.name == name; }))
    return;
  const int fd = open((folder_ + "/" + name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;  // not ours to read, maybe yet: its permissions may follow
  Capabilities caps;
  input_id id{};
  const bool pad = read_bits(fd, EVIOCGBIT(EV_KEY, bytes_for(KEY_CNT)), caps.keys) &&
                   read_bits(fd, EVIOCGBIT(EV_ABS, bytes_for(ABS_CNT)), caps.axes) &&
                   is_gamepad(caps) && ioctl(fd, EVIOCGID, &id) == 0 &&
                   filter_.keeps({id.vendor, id.product});
  if (!pad) {
    close(fd);
    return;
  }
  PadState state(range_of(fd, ABS_HAT0X, caps), range_of(fd, ABS_X, caps));
  // The kernel reports changes only: what is held already is asked for.
  Controls held = state.at_rest();
  if (controls_of(fd, held)) state.start_from(held);
  pads_.push_back({name, fd, state});
}

void Gamepads::take_changes() {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t n = read(watch_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      if (e->mask & IN_Q_OVERFLOW) {
        scan();
      } else if (e->mask & IN_IGNORED) {  // the folder is gone
        close(watch_);
        watch_ = -1;
        return;
      } else if (e->len && is_event_device(e->name)) {
        try_open(e->name);
      }
    }
  }
}

// False when the pad is gone.
bool Gamepads::read_pad(Pad& pad, Clock::time_point now, std::vector<Navigation>& steps) {
  input_event events[64];
  for (;;) {
    const ssize_t n = read(pad.fd, events, sizeof events);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return true;
    if (n <= 0) return false;  // ENODEV: pulled out
    for (size_t i = 0; i < static_cast<size_t>(n) / sizeof(input_event); ++i) {
      if (!pad.state.feed(events[i], now, steps)) continue;
      Controls held = pad.state.at_rest();
      if (controls_of(pad.fd, held)) pad.state.resync(held, now, steps);
    }
  }
}

int Gamepads::timeout_ms(Clock::time_point now) const {
  std::optional<Clock::time_point> due;
  for (const Pad& pad : pads_)
    if (auto at = pad.state.next_repeat(); at && (!due || *at < *due)) due = at;
  if (!due) return -1;
  if (*due <= now) return 0;
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - now);
  return static_cast<int>(wait.count());
}

void Gamepads::add_descriptors(std::vector<pollfd>& fds) const {
  fds.push_back({watch_, POLLIN, 0});
  for (const Pad& pad : pads_) fds.push_back({pad.fd, POLLIN, 0});
}

std::vector<Navigation> Gamepads::take(const pollfd* fds, Clock::time_point now) {
  std::vector<Navigation> steps;
  std::vector<Pad> kept;
  for (size_t i = 0; i < pads_.size(); ++i) {
    Pad& pad = pads_[i];
    const short revents = fds[i + 1].revents;
    const bool hung_up = revents & (POLLHUP | POLLERR | POLLNVAL);
    if (!revents || (read_pad(pad, now, steps) && !hung_up))
      kept.push_back(std::move(pad));
    else
      close(pad.fd);
  }
  pads_ = std::move(kept);
  if (fds[0].revents) take_changes();
  for (Pad& pad : pads_) pad.state.repeat(now, steps);
  return steps;
}

void Gamepads::cancel_repeats() {
  for (Pad& pad : pads_) pad.state.cancel_repeat();
}

}  // namespace zol::pads
