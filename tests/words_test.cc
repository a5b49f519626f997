// The words file as the build's checker and the menu read it: a good file
// in the forms editors save it, and each fault named with its line.

#include "host/words.h"

#include <gtest/gtest.h>

#include <string>

#include "art/art.h"
#include "menu/menu.h"

namespace zol {
namespace {

const std::string kGood =
    "# a comment\n"
    "language = de-AT\n"
    "window.description = Das Menü\n"
    "\n"
    "vollbildmodus.name = Vollbildmodus\n"
    "vollbildmodus.description = Startet im Vollbild\n"
    "fenstermodus.name = Fenstermodus\n"
    "fenstermodus.description = Startet im Fenster\n"
    "website.name = Website\n"
    "website.description = Öffnet die Website = ja\n"
    "raus_hier.name = Raus hier!\n"
    "raus_hier.description = Schließt das Menü\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

TEST(WordsTest, ReadsEachEntryTrimmedWhereverTheFileComesFrom) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"as written", kGood},
      {"Windows line ends and a byte order mark", "\xEF\xBB\xBF" + replaced(kGood, "\n", "\r\n")},
      {"tabs and spaces around", replaced(kGood, "website.name = Website", "\twebsite.name\t=  Website \t")},
      {"no line end at the end", kGood.substr(0, kGood.size() - 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Words words = parse_words(c.text, "words.txt");
    EXPECT_EQ(words.language, "de-AT");
    EXPECT_EQ(words.window_description, "Das Menü");
    ASSERT_EQ(words.buttons.size(), 4u);
    EXPECT_EQ(words.buttons[2].name, "Website");
    EXPECT_EQ(words.buttons[2].description, "Öffnet die Website = ja");
    EXPECT_EQ(words.buttons[3].name, "Raus hier!");
  }
}

TEST(WordsTest, RefusesAFaultyFileNamingTheFileAndLine) {
  struct Case {
    const char* what;
    std::string text, message;
  };
  const Case cases[] = {
      {"an entry missing", replaced(kGood, "website.description = Öffnet die Website = ja\n", ""),
       "studio/words.txt: website.description is missing"},
      {"an empty entry", replaced(kGood, "= Fenstermodus", "=  "),
       "studio/words.txt:7: fenstermodus.name is empty"},
      {"an extra entry", kGood + "website.tooltip = Mehr\n",
       "studio/words.txt:13: no entry is named \"website.tooltip\""},
      {"a button of no picture", kGood + "optionen.name = Optionen\n",
       "studio/words.txt:13: no entry is named \"optionen.name\""},
      {"an entry twice", kGood + "language = en\n",
       "studio/words.txt:13: language is given twice (first on line 2)"},
      {"no equals sign", replaced(kGood, "website.name = Website", "website.name Website"),
       "studio/words.txt:9: not `entry = text`"},
      {"not UTF-8", replaced(kGood, "Menü\n", "Men\xFC\n"), "studio/words.txt:3: not UTF-8 text"},
      {"a cut sequence", replaced(kGood, "Menü\n", "Men\xC3\n"), "studio/words.txt:3: not UTF-8 text"},
      {"an overlong sequence", replaced(kGood, "Menü\n", "Men\xC0\xAF\n"),
       "studio/words.txt:3: not UTF-8 text"},
      {"a surrogate", replaced(kGood, "Menü\n", "Men\xED\xA0\x80\n"),
       "studio/words.txt:3: not UTF-8 text"},
      {"a control character", replaced(kGood, "Das Menü", "Das\x1b[31m Menü"),
       "studio/words.txt:3: not UTF-8 text"},
      {"a language that is no tag", replaced(kGood, "de-AT", "Deutsch"),
       "studio/words.txt:2: \"Deutsch\" is not a language tag such as de or de-AT"},
      {"a language tag with a space", replaced(kGood, "de-AT", "de AT"),
       "studio/words.txt:2: \"de AT\" is not a language tag such as de or de-AT"},
      {"an empty file", "", "studio/words.txt: language is missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      parse_words(c.text, "studio/words.txt");
      ADD_FAILURE() << "taken";
    } catch (const WordsError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

std::string upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// A player hears what the picture says: the built-in names are the menu's
// labels, in whatever case.
TEST(WordsTest, BuiltInNamesAreTheLabelsOnThePictures) {
  const Words words = parse_words(
      {reinterpret_cast<const char*>(art::words.bytes.data()), art::words.bytes.size()}, "words.txt");
  ASSERT_EQ(words.buttons.size(), menu::entries().size());
  for (size_t i = 0; i < words.buttons.size(); ++i)
    EXPECT_EQ(upper(words.buttons[i].name), menu::entries()[i].label);
  EXPECT_EQ(words.language, "de");
}

}  // namespace
}  // namespace zol
