// The walls between the host's rooms: the core and the menu include no
// platform's headers, and no platform includes another's. X11 stands on
// POSIX (it starts programs through host/posix/) and on Linux (its pads
// come from host/linux/), never the other way.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zol {
namespace {

namespace fs = std::filesystem;

using Headers = std::vector<std::string>;
const Headers kX11 = {"<X11/", "\"host/x11/"};
const Headers kWin32 = {"<windows", "<winuser", "\"host/win32/"};
const Headers kLinux = {"<linux/", "\"host/linux/"};
const Headers kPosix = {"<unistd.h>", "<spawn.h>", "<sys/",    "<fcntl.h>",
                        "<signal.h>", "<dlfcn.h>", "\"host/posix/"};

Headers operator+(Headers a, const Headers& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The includes of every source file right in `folder`.
std::vector<std::string> includes_in(const fs::path& folder, int& files) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".h" && ext != ".cc")) continue;
    ++files;
    std::ifstream in(entry.path());
    for (std::string line; std::getline(in, line);)
      if (line.starts_with("#include"))
        found.push_back(entry.path().filename().string() + ": " + line);
  }
  return found;
}

TEST(RoomsTest, NoRoomIncludesWhatLiesBehindItsWalls) {
  struct Room {
    const char* folder;
    Headers forbidden;
  };
  const Room rooms[] = {
      {"host", kX11 + kWin32 + kLinux + kPosix},
      {"menu", kX11 + kWin32 + kLinux + kPosix},
      {"host/posix", kX11 + kWin32 + kLinux},
      {"host/linux", kX11 + kWin32},
      {"host/x11", kWin32},
      {"host/win32", kX11 + kLinux + kPosix},
  };
  for (const Room& room : rooms) {
    int files = 0;
    for (const std::string& include : includes_in(fs::path(ZOL_SOURCE_DIR) / room.folder, files))
      for (const std::string& header : room.forbidden)
        EXPECT_EQ(include.find(header), std::string::npos) << room.folder << "/" << include;
    EXPECT_GT(files, 0) << room.folder;
  }
}

}  // namespace
}  // namespace zol
