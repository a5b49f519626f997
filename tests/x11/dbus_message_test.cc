// Text bound for a D-Bus message: libdbus aborts the process on a string
// that is not UTF-8, and a failure message may carry any bytes of a path.

#include "host/x11/dbus_message.h"

#include <gtest/gtest.h>

#include <string>

namespace zol::x11 {
namespace {

TEST(DBusMessageTest, TextIsMadeUtf8ByteByByte) {
  struct Case {
    const char* what;
    std::string in, out;
  };
  const Case cases[] = {
      {"ASCII", "Orvenna", "Orvenna"},
      {"German", "Schließt das Menü", "Schließt das Menü"},
      {"four bytes", "\xF0\x9F\x8E\xAE", "\xF0\x9F\x8E\xAE"},
      {"a Latin-1 folder", "/home/j\xFCrgen/Spiel", "/home/j\xEF\xBF\xBDrgen/Spiel"},
      {"a sequence cut at the end", "Men\xC3", "Men\xEF\xBF\xBD"},
      {"an overlong slash", "a\xC0\xAF" "b", "a\xEF\xBF\xBD\xEF\xBF\xBD" "b"},
      {"a surrogate", "\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"beyond Unicode", "\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"a NUL", std::string("a\0b", 3), "ab"},
  };
  for (const Case& c : cases) EXPECT_EQ(as_utf8(c.in), c.out) << c.what;
}

}  // namespace
}  // namespace zol::x11
