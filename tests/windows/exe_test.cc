// Zol.exe as it lies on disk: what Explorer's properties, the taskbar and
// the loader read from it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string_view>

#include "art/art.h"
#include "tests/e2e/art_folder.h"
#include "tests/e2e/x_session.h"
#include "tests/windows/manifest.h"
#include "tests/windows/pe_file.h"

namespace zol::pe {
namespace {

constexpr uint32_t kIcon = 3, kIconGroup = 14, kVersion = 16, kManifest = 24;
constexpr uint32_t kGerman = 0x0407, kNeutral = 0;

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

// The group lists the four images of `ico`, each stored as it lies in it.
void expect_icon_group(const Executable& exe, std::span<const uint8_t> ico) {
  const Resource* group = exe.find(kIconGroup, 1, kGerman);
  ASSERT_NE(group, nullptr) << "no German icon group 1";
  const std::span<const uint8_t> g = group->data;
  ASSERT_GE(g.size(), 6u);
  EXPECT_EQ(u16(g, 2), 1) << "not an icon group";
  const size_t count = u16(g, 4);
  ASSERT_EQ(g.size(), 6 + 14 * count);

  ASSERT_EQ(u16(ico, 4), count);
  std::vector<int> sizes;
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = 6 + 14 * i;
    sizes.push_back(g[entry] == 0 ? 256 : g[entry]);
    EXPECT_EQ(u16(g, entry + 6), 8) << "bits per pixel of image " << i;
    const Resource* image = exe.find(kIcon, u16(g, entry + 12), kGerman);
    ASSERT_NE(image, nullptr) << "the group names a missing image " << i;
    EXPECT_EQ(u32(g, entry + 8), image->data.size());
    const size_t at = u32(ico, 6 + 16 * i + 12), size = u32(ico, 6 + 16 * i + 8);
    ASSERT_LE(at + size, ico.size());
    EXPECT_TRUE(std::equal(image->data.begin(), image->data.end(), ico.begin() + at,
                           ico.begin() + at + size))
        << "image " << i << " differs from the artwork's zol.ico";
  }
  EXPECT_EQ(sizes, (std::vector<int>{48, 32, 24, 16}));
}

TEST(ZolExeTest, CarriesTheIconGroupOfTheArtwork) { expect_icon_group(zol_exe(), art::icon.bytes); }

// A studio's folder named by ZOL_ART_DIR gives Zol.exe its icon too, as it
// gives the Linux menu its own. Built here once, and again only where the
// pictures changed.
TEST(ZolExeTest, BuiltFromAStudioFolderCarriesThatFoldersIcon) {
  e2e::TempDir tmp;
  const std::string studio = tmp.path() + "/studio art";
  e2e::write_studio_folder(studio);
  std::filesystem::remove_all(studio + "/2x");  // new 1x pictures beside old 2x ones stop a build
  const std::string build = ZOL_STUDIO_WINDOWS_BUILD;
  e2e::Finished done = e2e::run_to_end(
      {"cmake", "-S", ZOL_SOURCE_DIR, "-B", build,
       "-DCMAKE_TOOLCHAIN_FILE=" + std::string(ZOL_SOURCE_DIR) + "/tools/mingw-w64.cmake",
       "-DZOL_TESTS=OFF", "-DCMAKE_BUILD_TYPE=Release", "-DZOL_ART_DIR=" + studio},
      tmp.path() + "/configure");
  ASSERT_EQ(done.status, 0) << done.output;
  done = e2e::run_to_end({"cmake", "--build", build, "--target", "zol", "-j", "2"},
                         tmp.path() + "/build");
  ASSERT_EQ(done.status, 0) << done.output;

  std::ifstream in(build + "/Zol.exe", std::ios::binary);
  const std::vector<uint8_t> exe{std::istreambuf_iterator<char>(in), {}};
  std::ifstream studio_ico(studio + "/zol.ico", std::ios::binary);
  const std::vector<uint8_t> ico{std::istreambuf_iterator<char>(studio_ico), {}};
  ASSERT_FALSE(std::equal(ico.begin(), ico.end(), art::icon.bytes.begin(), art::icon.bytes.end()))
      << "the studio's icon is ours";
  expect_icon_group(read_executable(exe), ico);
}

const Resource* manifest() {
  for (const Resource& r : zol_exe().resources)
    if (r.type == kManifest) return &r;
  return nullptr;
}

TEST(ZolExeTest, CarriesOneManifestWhereTheLoaderLooks) {
  size_t manifests = 0;
  for (const Resource& r : zol_exe().resources) manifests += r.type == kManifest;
  ASSERT_EQ(manifests, 1u) << "one manifest, none the toolchain adds";
  EXPECT_EQ(manifest()->id, 1u) << "CreateProcess reads number 1";
  EXPECT_EQ(manifest()->language, kNeutral);
  const std::string_view text(reinterpret_cast<const char*>(manifest()->data.data()),
                              manifest()->data.size());
  EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"")) << text.substr(0, 40);
}

// Each setting where the system reads it: under its parents, in its namespace.
TEST(ZolExeTest, TheManifestAsksForPerMonitorDpiAThemedMessageBoxAndNoElevation) {
  ASSERT_NE(manifest(), nullptr);
  const XmlElement assembly = read_manifest(
      {reinterpret_cast<const char*>(manifest()->data.data()), manifest()->data.size()});
  EXPECT_EQ(assembly.name, "assembly");
  EXPECT_EQ(assembly.xmlns, "urn:schemas-microsoft-com:asm.v1");
  EXPECT_EQ(assembly.attribute("manifestVersion"), "1.0");

  struct Setting {
    const char* path;       // below <assembly>
    const char* xmlns;
    const char* attribute;  // nullptr: the element's text
    const char* value;
  };
  static constexpr char kV3[] = "urn:schemas-microsoft-com:asm.v3";
  constexpr Setting kSettings[] = {
      {"application/windowsSettings/dpiAware",
       "http://schemas.microsoft.com/SMI/2005/WindowsSettings", nullptr, "true/pm"},
      {"application/windowsSettings/dpiAwareness",
       "http://schemas.microsoft.com/SMI/2016/WindowsSettings", nullptr,
       "PerMonitorV2, PerMonitor"},
      {"trustInfo/security/requestedPrivileges/requestedExecutionLevel", kV3, "level",
       "asInvoker"},
      {"trustInfo/security/requestedPrivileges/requestedExecutionLevel", kV3, "uiAccess", "false"},
      {"application/windowsSettings", kV3, nullptr, ""},
  };
  for (const Setting& s : kSettings) {
    const std::vector<const XmlElement*> found = assembly.find(s.path);
    ASSERT_EQ(found.size(), 1u) << s.path;
    EXPECT_EQ(found[0]->xmlns, s.xmlns) << s.path;
    EXPECT_EQ(s.attribute ? found[0]->attribute(s.attribute) : found[0]->text, s.value) << s.path;
  }

  // Common Controls 6, by Microsoft's key, of any architecture and language.
  const auto controls = assembly.find("dependency/dependentAssembly/assemblyIdentity");
  ASSERT_EQ(controls.size(), 1u);
  EXPECT_EQ(controls[0]->attributes,
            (std::map<std::string, std::string>{{"type", "win32"},
                                                {"name", "Microsoft.Windows.Common-Controls"},
                                                {"version", "6.0.0.0"},
                                                {"processorArchitecture", "*"},
                                                {"publicKeyToken", "6595b64144ccf1df"},
                                                {"language", "*"}}));

  std::set<std::string> systems;
  for (const XmlElement* os : assembly.find("compatibility/application/supportedOS")) {
    EXPECT_EQ(os->xmlns, "urn:schemas-microsoft-com:compatibility.v1");
    systems.insert(os->attribute("Id"));
  }
  EXPECT_EQ(systems, (std::set<std::string>{
                         "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
                     }));
}

}  // namespace
}  // namespace zol::pe
