#pragma once
// A small reader of what the tests check in a 64-bit little-endian ELF
// executable: what the loader is asked for (libraries, symbol versions,
// imported symbols) and how it must map the program. It checks every offset
// before use; malformed input throws std::runtime_error.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace zol::elf {

struct Executable {
  uint16_t type = 0;                 // 3: position-independent (or a library)
  bool relro = false;                // a PT_GNU_RELRO segment
  bool executable_stack = true;      // PT_GNU_STACK missing or executable
  uint64_t flags = 0, flags_1 = 0;   // DT_FLAGS, DT_FLAGS_1
  std::vector<std::string> needed;   // DT_NEEDED, in order
  // Library -> the symbol versions needed from it, e.g. "GLIBC_2.34".
  std::map<std::string, std::vector<std::string>> versions;
  std::vector<std::string> imports;  // undefined dynamic symbols, unversioned names
};

Executable read_executable(std::span<const uint8_t> file);

}  // namespace zol::elf
