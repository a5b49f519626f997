// The Win32 platform's program start against real files beside this test
// executable (under wine, or on Windows).

#include <gtest/gtest.h>

#define UNICODE
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "host/platform.h"

namespace zol {
namespace {

namespace fs = std::filesystem;

fs::path own_dir() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(std::wstring(path, n)).parent_path();
}

std::string utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string start_failure(const std::string& program) {
  try {
    make_platform()->start_program(program, {}, WindowState::MinimisedWithFocus);
  } catch (const PlatformError& e) {
    return e.what();
  }
  return "(started)";
}

// Files made beside this executable, removed again at the end.
class Win32StartTest : public ::testing::Test {
 protected:
  fs::path make(const std::string& name) {
    made_.push_back(own_dir() / name);
    return made_.back();
  }
  // A game just started may hold its file a moment longer: Windows deletes
  // no running program, and a file left over would fail the next run.
  ~Win32StartTest() override {
    for (int i = 0; i < 100 && !made_.empty(); ++i) {
      std::erase_if(made_, [](const fs::path& p) {
        std::error_code ignored;
        fs::remove_all(p, ignored);
        return !fs::exists(p, ignored);
      });
      if (!made_.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  std::vector<fs::path> made_;
};

TEST_F(Win32StartTest, AProgramThatCanNotStartIsReportedWithItsReason) {
  struct Case {
    std::string program;
    std::function<void(const fs::path&)> make;
    std::string reason;
  };
  const Case cases[] = {
      {"ZolTestMissing.exe", nullptr,
       "Die Datei wurde neben dem Menü nicht gefunden (" + utf8(own_dir()) + ")."},
      {"ZolTestFolder.exe", [](const fs::path& p) { fs::create_directory(p); },
       "Das ist ein Verzeichnis, keine Datei."},
      {"ZolTestText.exe", [](const fs::path& p) { std::ofstream(p) << "kein Programm\n"; },
       "Die Datei ist kein ausführbares Programm."},
      {"..\\ZolMain.exe", nullptr, "Der Name ist kein bloßer Dateiname."},
      {"sub/ZolMain.exe", nullptr, "Der Name ist kein bloßer Dateiname."},
      {"C:ZolMain.exe", nullptr, "Der Name ist kein bloßer Dateiname."},
  };
  for (const Case& c : cases) {
    if (c.make) c.make(make(c.program));
    EXPECT_EQ(start_failure(c.program),
              "\"" + c.program + "\" konnte nicht gestartet werden: " + c.reason);
  }
}

// The stand-in game records its command line, which must read back as the
// arguments given, whatever they hold.
TEST_F(Win32StartTest, StartsTheProgramBesideWithItsArgumentsQuoted) {
  fs::copy_file(ZOL_FAKE_GAME, make("ZolTestGame.exe"));
  const fs::path record = make("game.record");
  make_platform()->start_program("ZolTestGame.exe", {"W", "zwei Wörter", "say \"hi\"", "end\\"},
                                  WindowState::MinimisedWithFocus);

  std::string text;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (text.empty() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::stringstream in;
    in << std::ifstream(record, std::ios::binary).rdbuf();
    text = in.str();
  }
  EXPECT_EQ(text, "command=ZolTestGame.exe W \"zwei Wörter\" \"say \\\"hi\\\"\" end\\\n"
                  "directory=" + utf8(own_dir()) + "\nshow=2\n");
}

}  // namespace
}  // namespace zol
