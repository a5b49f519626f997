// How the failure message's text is broken into lines, measured here with a
// fixed-pitch rule instead of a font.

#include "host/x11/text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zol::x11 {
namespace {

// 10 pixels a character, however many bytes it takes in UTF-8.
int fixed_pitch(const std::string& s) {
  int chars = 0;
  for (char c : s) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return chars * 10;
}

TEST(TextLayoutTest, WrapsAtSpacesAndBreaksWhatIsTooWide) {
  struct Case {
    const char* what;
    std::string text;
    int width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"fits", "kein Spiel", 100, {"kein Spiel"}},
      {"exactly full", "abcde fghi", 100, {"abcde fghi"}},
      {"one over", "abcde fghij", 100, {"abcde", "fghij"}},
      {"greedy", "aa bb cc dd ee", 80, {"aa bb cc", "dd ee"}},
      {"spaces run together", "aa   bb", 100, {"aa bb"}},
      {"line breaks kept", "aa\n\nbb", 100, {"aa", "", "bb"}},
      {"empty", "", 100, {""}},
      {"a path wider than a line", "in /opt/orvenna/spiel", 50, {"in", "/opt/", "orven", "na/sp", "iel"}},
      {"never inside a character", "ääääää", 30, {"äää", "äää"}},
      {"narrower than one character", "äb", 5, {"ä", "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(wrap(c.text, fixed_pitch, c.width), c.lines) << c.what;
}

TEST(TextLayoutTest, Latin1KeepsWhatTheCoreFontShows) {
  EXPECT_EQ(to_latin1("Menü"), "Men\xFC");
  EXPECT_EQ(to_latin1("ß?"), "\xDF?");
  EXPECT_EQ(to_latin1("5 €"), "5 ?");       // three bytes, not in Latin-1
  EXPECT_EQ(to_latin1("\xF0\x9F\x8E\xAE!"), "?!");  // four bytes
  EXPECT_EQ(to_latin1("\xC3"), "?");        // cut short
}

}  // namespace
}  // namespace zol::x11
