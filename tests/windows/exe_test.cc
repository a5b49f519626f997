// Zol.exe as it lies on disk: what Explorer's properties, the taskbar and
// the loader read from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>

#include "art/art.h"
#include "tests/windows/pe_file.h"

namespace zol::pe {
namespace {

constexpr uint32_t kIcon = 3, kIconGroup = 14, kVersion = 16;
constexpr uint32_t kGerman = 0x0407;

const Executable& zol_exe() {
  static const Executable exe = [] {
    std::ifstream in(ZOL_BINARY, std::ios::binary);
    if (!in) throw std::runtime_error("can't read " + std::string(ZOL_BINARY));
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    return read_executable(bytes);
  }();
  return exe;
}

uint16_t u16(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
uint32_t u32(std::span<const uint8_t> b, size_t at) {
  return u16(b, at) | static_cast<uint32_t>(u16(b, at + 2)) << 16;
}

TEST(ZolExeTest, IsA64BitGuiProgramThatNeedsNoDllBeyondWindowsOwn) {
  const Executable& exe = zol_exe();
  EXPECT_EQ(exe.machine, 0x8664);
  EXPECT_EQ(exe.subsystem, 2) << "not a GUI program";
  // shell32 is bound by name at the first website click, never at load.
  const std::set<std::string> system{"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"};
  ASSERT_FALSE(exe.imports.empty());
  for (std::string dll : exe.imports) {
    std::transform(dll.begin(), dll.end(), dll.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_TRUE(system.contains(dll)) << "imports " << dll;
  }
}

// The loader places it anywhere in the 64-bit space and runs no data; and
// no build time is written in, so every build of a commit is the same file.
TEST(ZolExeTest, KeepsAslrAndDepAndCarriesNoTimeStamp) {
  constexpr uint16_t kHighEntropyVa = 0x20, kDynamicBase = 0x40, kNxCompat = 0x100;
  const Executable& exe = zol_exe();
  EXPECT_TRUE(exe.dll_characteristics & kDynamicBase) << "no ASLR";
  EXPECT_TRUE(exe.dll_characteristics & kHighEntropyVa) << "no high-entropy ASLR";
  EXPECT_TRUE(exe.dll_characteristics & kNxCompat) << "no DEP";
  EXPECT_EQ(exe.time_stamp, 0u);
  EXPECT_EQ(exe.resource_time_stamp, 0u);
}

TEST(ZolExeTest, CarriesItsVersionBlockInGerman) {
  const Resource* resource = zol_exe().find(kVersion, 1, kGerman);
  ASSERT_NE(resource, nullptr) << "no German version block 1";
  const VersionInfo v = read_version(resource->data);
  EXPECT_EQ(v.file_version_ms, 0x00010000u);  // 1.0
  EXPECT_EQ(v.file_version_ls, 0u);           // .0.0
  EXPECT_EQ(v.product_version_ms, 0x00010000u);
  EXPECT_EQ(v.product_version_ls, 0u);
  EXPECT_EQ(v.file_os, 0x4u);    // 32-bit Windows
  EXPECT_EQ(v.file_type, 0x1u);  // an application
  using Strings = std::map<std::string, std::string>;
  EXPECT_EQ(v.strings, (std::map<std::string, Strings>{{"040704B0",
                                                        {{"CompanyName", "Orvenna Spiele"},
                                                         {"ProductName", "Zol"},
                                                         {"FileVersion", "1.00"},
                                                         {"ProductVersion", "1.00"},
                                                         {"InternalName", "Zol"},
                                                         {"OriginalFilename", "Zol.exe"}}}}));
  EXPECT_EQ(v.translations, (std::vector<uint16_t>{0x0407, 0x04B0}));
}

// The group lists the four images of art/zol.ico, each stored as it lies
// in that file.
TEST(ZolExeTest, CarriesTheIconGroupOfTheArtwork) {
  const Resource* group = zol_exe().find(kIconGroup, 1, kGerman);
  ASSERT_NE(group, nullptr) << "no German icon group 1";
  const std::span<const uint8_t> g = group->data;
  ASSERT_GE(g.size(), 6u);
  EXPECT_EQ(u16(g, 2), 1) << "not an icon group";
  const size_t count = u16(g, 4);
  ASSERT_EQ(g.size(), 6 + 14 * count);

  const std::span<const uint8_t> ico = art::icon.bytes;
  ASSERT_EQ(u16(ico, 4), count);
  std::vector<int> sizes;
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = 6 + 14 * i;
    sizes.push_back(g[entry] == 0 ? 256 : g[entry]);
    EXPECT_EQ(u16(g, entry + 6), 8) << "bits per pixel of image " << i;
    const Resource* image = zol_exe().find(kIcon, u16(g, entry + 12), kGerman);
    ASSERT_NE(image, nullptr) << "the group names a missing image " << i;
    EXPECT_EQ(u32(g, entry + 8), image->data.size());
    const size_t at = u32(ico, 6 + 16 * i + 12), size = u32(ico, 6 + 16 * i + 8);
    ASSERT_LE(at + size, ico.size());
    EXPECT_TRUE(std::equal(image->data.begin(), image->data.end(), ico.begin() + at,
                           ico.begin() + at + size))
        << "image " << i << " differs from art/zol.ico";
  }
  EXPECT_EQ(sizes, (std::vector<int>{48, 32, 24, 16}));
}

}  // namespace
}  // namespace zol::pe
