// Preloaded into the menu by a test: /dev/input becomes the folder named
// by ZOL_SCRIPTED_INPUT (its input/), where each event device is a FIFO the
// test writes the kernel's events into, described by a file of the same
// name in about/ ("id VVVV PPPP", "key CODE", "abs CODE MIN MAX"). The
// device ioctls are answered from that, and from the events read so far.
// As the kernel does: a device whose owner may not read it can't be opened
// (whoever runs the test), and a read after the device has gone fails
// with ENODEV. Events of type EV_MAX change the device's state without
// being delivered, as events lost in an overflow do; their real type is in
// their time's seconds.

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bitset>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

template <typename F>
F real(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

struct Device {
  input_id id{};
  std::bitset<KEY_CNT> keys, pressed;
  std::bitset<ABS_CNT> axes;
  input_absinfo abs[ABS_CNT] = {};
};
std::map<int, Device>& devices() {
  static std::map<int, Device> open;
  return open;
}

const char kDevInput[] = "/dev/input";

// The scripted folder's path for a path under /dev/input; empty otherwise.
std::string scripted(const char* path) {
  const char* root = std::getenv("ZOL_SCRIPTED_INPUT");
  const size_t n = sizeof kDevInput - 1;
  if (!root || !path || std::strncmp(path, kDevInput, n) != 0 || (path[n] && path[n] != '/'))
    return "";
  return std::string(root) + "/input" + (path + n);
}

void describe(int fd, const std::string& node) {
  const std::string name = node.substr(node.rfind('/') + 1);
  std::ifstream about(std::string(std::getenv("ZOL_SCRIPTED_INPUT")) + "/about/" + name);
  Device d;
  std::string line, word;
  while (std::getline(about, line)) {
    std::istringstream in(line);
    in >> word;
    if (word == "id") {
      in >> std::hex >> d.id.vendor >> d.id.product;
    } else if (word == "key") {
      int code = 0;
      in >> code;
      d.keys.set(code);
    } else if (word == "abs") {
      int code = 0;
      in >> code;
      in >> d.abs[code].minimum >> d.abs[code].maximum;
      d.abs[code].value = (d.abs[code].minimum + d.abs[code].maximum) / 2;
      d.axes.set(code);
    }
  }
  devices()[fd] = d;
}

int open_scripted(const char* path, int flags, mode_t mode,
                  int (*open_real)(const char*, int, ...)) {
  const std::string node = scripted(path);
  if (node.empty()) return open_real(path, flags, mode);
  struct stat st {};
  if (stat(node.c_str(), &st) == 0 && S_ISFIFO(st.st_mode) && !(st.st_mode & S_IRUSR)) {
    errno = EACCES;
    return -1;
  }
  const int fd = open_real(node.c_str(), flags, mode);
  devices().erase(fd);
  if (fd >= 0 && S_ISFIFO(st.st_mode)) describe(fd, node);
  return fd;
}

template <size_t N>
int copy_bits(const std::bitset<N>& bits, void* to, size_t size) {
  std::memset(to, 0, size);
  auto* words = static_cast<unsigned long*>(to);
  const size_t word_bits = sizeof(unsigned long) * CHAR_BIT;
  for (size_t i = 0; i < N && i / word_bits < size / sizeof(unsigned long); ++i)
    if (bits.test(i)) words[i / word_bits] |= 1UL << (i % word_bits);
  return static_cast<int>(size);
}

// The bit array requests carry the caller's buffer size.
unsigned long sizeless(unsigned long request) {
  return request & ~(static_cast<unsigned long>(_IOC_SIZEMASK) << _IOC_SIZESHIFT);
}

int answer(const Device& d, unsigned long request, void* arg) {
  const size_t size = _IOC_SIZE(request);
  if (sizeless(request) == sizeless(EVIOCGBIT(EV_KEY, 0))) return copy_bits(d.keys, arg, size);
  if (sizeless(request) == sizeless(EVIOCGBIT(EV_ABS, 0))) return copy_bits(d.axes, arg, size);
  if (sizeless(request) == sizeless(EVIOCGKEY(0))) return copy_bits(d.pressed, arg, size);
  if (request == EVIOCGID) {
    std::memcpy(arg, &d.id, sizeof d.id);
    return 0;
  }
  for (int code = 0; code < ABS_CNT; ++code) {
    if (request != EVIOCGABS(code)) continue;
    if (!d.axes.test(code)) break;
    std::memcpy(arg, &d.abs[code], sizeof(input_absinfo));
    return 0;
  }
  errno = EINVAL;
  return -1;
}

// Applies what was read to the device's state and keeps what is delivered.
ssize_t take(Device& d, input_event* events, ssize_t bytes) {
  size_t kept = 0;
  for (size_t i = 0; i < static_cast<size_t>(bytes) / sizeof(input_event); ++i) {
    input_event e = events[i];
    const bool silent = e.type == EV_MAX;
    if (silent) e.type = static_cast<uint16_t>(e.input_event_sec);
    if (e.type == EV_KEY && e.code < KEY_CNT) d.pressed[e.code] = e.value != 0;
    if (e.type == EV_ABS && e.code < ABS_CNT) d.abs[e.code].value = e.value;
    if (!silent) events[kept++] = e;
  }
  return static_cast<ssize_t>(kept * sizeof(input_event));
}

ssize_t read_scripted(int fd, void* buffer, size_t size) {
  static const auto read_real = real<ssize_t (*)(int, void*, size_t)>("read");
  const auto found = devices().find(fd);
  if (found == devices().end()) return read_real(fd, buffer, size);
  for (;;) {
    const ssize_t n = read_real(fd, buffer, size);
    if (n == 0) errno = ENODEV;
    if (n <= 0) return n == 0 ? -1 : n;
    const ssize_t kept = take(found->second, static_cast<input_event*>(buffer), n);
    if (kept > 0) return kept;
  }
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = va_arg(args, mode_t);
  va_end(args);
  static const auto open_real = real<int (*)(const char*, int, ...)>("open");
  return open_scripted(path, flags, mode, open_real);
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = va_arg(args, mode_t);
  va_end(args);
  static const auto open_real = real<int (*)(const char*, int, ...)>("open64");
  return open_scripted(path, flags, mode, open_real);
}

// What a fortified build calls when the flags are not known where it is compiled.
int __open_2(const char* path, int flags) {
  static const auto open_real = real<int (*)(const char*, int, ...)>("open");
  return open_scripted(path, flags, 0, open_real);
}

DIR* opendir(const char* path) {
  static const auto opendir_real = real<DIR* (*)(const char*)>("opendir");
  const std::string folder = scripted(path);
  return opendir_real(folder.empty() ? path : folder.c_str());
}

int inotify_add_watch(int fd, const char* path, uint32_t mask) {
  static const auto add_real = real<int (*)(int, const char*, uint32_t)>("inotify_add_watch");
  const std::string folder = scripted(path);
  return add_real(fd, folder.empty() ? path : folder.c_str(), mask);
}

int ioctl(int fd, unsigned long request, ...) {
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  const auto found = devices().find(fd);
  if (found != devices().end()) return answer(found->second, request, arg);
  static const auto ioctl_real = real<int (*)(int, unsigned long, ...)>("ioctl");
  return ioctl_real(fd, request, arg);
}

ssize_t read(int fd, void* buffer, size_t size) { return read_scripted(fd, buffer, size); }

ssize_t __read_chk(int fd, void* buffer, size_t size, size_t) {
  return read_scripted(fd, buffer, size);
}

int close(int fd) {
  devices().erase(fd);
  static const auto close_real = real<int (*)(int)>("close");
  return close_real(fd);
}

}  // extern "C"
