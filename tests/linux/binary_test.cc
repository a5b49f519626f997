// The Linux binary as a player's system loads it: which libraries and symbol
// versions it asks for, and how it is hardened.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "tests/linux/elf_file.h"

namespace zol::elf {
namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("can't read " + path);
  return {std::istreambuf_iterator<char>(in), {}};
}

const Executable& zol() {
  static const Executable exe = [] {
    const std::string bytes = read_file(ZOL_BINARY);
    return read_executable({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  }();
  return exe;
}

using Version = std::vector<int>;

Version parse_version(const std::string& text) {
  Version v;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('.', at);
    if (end == std::string::npos) end = text.size();
    v.push_back(std::stoi(text.substr(at, end - at)));
    at = end + 1;
  }
  return v;
}

std::string show(const Version& v) {
  std::string text;
  for (int part : v) {
    if (!text.empty()) text += '.';
    text += std::to_string(part);
  }
  return text;
}

// The newest version of the family ("GLIBC_") any library is asked for.
Version newest(const std::string& family) {
  Version top;
  for (const auto& [library, names] : zol().versions)
    for (const std::string& name : names)
      if (name.starts_with(family)) top = std::max(top, parse_version(name.substr(family.size())));
  return top;
}

TEST(LinuxBinaryTest, NeedsOnlyX11XrandrAndTheRuntimes) {
  // Xft is loaded when the failure dialog needs it, never at start.
  const std::set<std::string> allowed{"libX11.so.6", "libXrandr.so.2", "libstdc++.so.6",
                                      "libgcc_s.so.1", "libm.so.6", "libc.so.6"};
  ASSERT_FALSE(zol().needed.empty());
  for (const std::string& library : zol().needed)
    EXPECT_TRUE(allowed.contains(library)) << "needs " << library;
}

// A player on Ubuntu 22.04 has glibc 2.35 and GCC 12's libstdc++; the
// documents state what the binary needs, as measured here.
TEST(LinuxBinaryTest, NeedsNoRuntimeNewerThanUbuntu2204sAndWhatTheDocumentsState) {
  struct Floor {
    std::string family, limit, document, statement;
  };
  const Floor floors[] = {
      {"GLIBC_", "2.35", "README.md", "needs glibc ([0-9.]+) or newer"},
      {"GLIBC_", "2.35", "docs/README.players", "needs glibc ([0-9.]+) or newer"},
      {"GLIBC_", "2.35", "docs/README.players", "braucht glibc ([0-9.]+) oder neuer"},
      {"GLIBCXX_", "3.4.30", "README.md", "GLIBCXX_([0-9.]+) or newer"},
      {"CXXABI_", "1.3.13", "README.md", "CXXABI_([0-9.]+) or newer"},
  };
  for (const Floor& f : floors) {
    SCOPED_TRACE(f.document + ": " + f.statement);
    const Version needed = newest(f.family);
    ASSERT_FALSE(needed.empty()) << "needs no " << f.family << " version at all";
    EXPECT_LE(needed, parse_version(f.limit)) << "needs " << f.family << show(needed);
    // Words may be wrapped onto the next line.
    const std::regex statement(std::regex_replace(f.statement, std::regex(" "), "\\s+"));
    const std::string text = read_file(std::string(ZOL_SOURCE_DIR) + "/" + f.document);
    std::smatch stated;
    ASSERT_TRUE(std::regex_search(text, stated, statement)) << "states no floor";
    EXPECT_EQ(show(needed), stated[1].str()) << "the binary needs " << f.family << show(needed);
  }
}

TEST(LinuxBinaryTest, IsHardened) {
  constexpr uint16_t kShared = 3;
  constexpr uint64_t kBindNow = 0x8, kNow = 0x1, kPie = 0x08000000;
  const Executable& exe = zol();
  EXPECT_TRUE(exe.type == kShared && exe.flags_1 & kPie) << "not PIE";
  EXPECT_TRUE(exe.relro) << "no RELRO";
  EXPECT_TRUE(exe.flags & kBindNow || exe.flags_1 & kNow) << "partial RELRO only: bound lazily";
  EXPECT_FALSE(exe.executable_stack);
  const auto imports = [&](auto pred) { return std::ranges::any_of(exe.imports, pred); };
  EXPECT_TRUE(imports([](const std::string& s) { return s == "__stack_chk_fail"; }))
      << "no stack protector";
  EXPECT_TRUE(imports([](const std::string& s) { return s.starts_with("__") && s.ends_with("_chk") &&
                                                        s != "__stack_chk_fail"; }))
      << "no fortified call";
}

}  // namespace
}  // namespace zol::elf
