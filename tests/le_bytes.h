#pragma once
// Bounded little-endian reads from a file's bytes, for the tests' readers of
// executables. Anything past the end throws std::runtime_error.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

namespace zol {

class LeBytes {
 public:
  // `format` prefixes every error, e.g. "PE" or "ELF".
  LeBytes(std::span<const uint8_t> bytes, std::string format)
      : bytes_(bytes), format_(std::move(format)) {}

  [[noreturn]] void bad(const std::string& what) const {
    throw std::runtime_error(format_ + ": " + what);
  }
  size_t size() const { return bytes_.size(); }
  std::span<const uint8_t> at(size_t offset, size_t length) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset) bad("truncated");
    return bytes_.subspan(offset, length);
  }
  uint8_t u8(size_t offset) const { return at(offset, 1)[0]; }
  uint16_t u16(size_t offset) const {
    auto b = at(offset, 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
  }
  uint32_t u32(size_t offset) const {
    return u16(offset) | static_cast<uint32_t>(u16(offset + 2)) << 16;
  }
  uint64_t u64(size_t offset) const {
    return u32(offset) | static_cast<uint64_t>(u32(offset + 4)) << 32;
  }
  // The NUL-terminated text at `offset`, at most 4096 bytes long.
  std::string c_string(size_t offset) const {
    std::string text;
    for (size_t i = offset;; ++i) {
      const uint8_t c = u8(i);
      if (c == 0) return text;
      text += static_cast<char>(c);
      if (text.size() > 4096) bad("unterminated name");
    }
  }

 private:
  std::span<const uint8_t> bytes_;
  std::string format_;
};

}  // namespace zol
