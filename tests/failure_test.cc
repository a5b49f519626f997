// How the entry reports a failure, and which program names the menu starts.

#include "host/failure.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/fake_platform.h"

namespace zol {
namespace {

TEST(FailureTest, OneLineOnStderrAndTheWholeTextInTheMessage) {
  FakePlatform platform;
  const std::string text = "\"ZolMain.exe\" konnte nicht gestartet werden:\nfehlt.";
  testing::internal::CaptureStderr();
  report_failure(&platform, text);
  report_failure(nullptr, "vor der Plattform");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zol: \"ZolMain.exe\" konnte nicht gestartet werden: fehlt.\n"
            "zol: vor der Plattform\n");
  EXPECT_EQ(platform.failures_, std::vector<std::string>{text});
}

TEST(FailureTest, OnlyABareFileNameIsStarted) {
  struct Case {
    std::string name;
    bool bare;
  };
  const Case cases[] = {
      {"ZolMain.exe", true}, {"ZolMain", true},     {".ZolMain.exe", true},
      {"", false},           {".", false},          {"..", false},
      {"sub/ZolMain.exe", false}, {"/ZolMain.exe", false}, {"sub\\ZolMain.exe", false},
      {"C:ZolMain.exe", false},
  };
  for (const Case& c : cases) {
    try {
      require_bare_file_name(c.name);
      EXPECT_TRUE(c.bare) << c.name;
    } catch (const PlatformError& e) {
      EXPECT_FALSE(c.bare) << c.name;
      EXPECT_EQ(std::string(e.what()), "\"" + c.name +
                                           "\" konnte nicht gestartet werden: Der Name ist kein "
                                           "bloßer Dateiname.");
    }
  }
}

}  // namespace
}  // namespace zol
