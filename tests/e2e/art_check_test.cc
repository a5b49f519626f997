// The build's picture and words checker, run as the build runs it, on a studio's
// folder with one fault each: it names the file and the fault and writes
// nothing, or it takes the set and writes the sources that build it in.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>

#include "art/art.h"
#include "tests/e2e/art_folder.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

void flip(Image& image) {
  for (int y = 0; y < image.height; ++y) {
    auto row = image.pixels.begin() + static_cast<ptrdiff_t>(y) * image.width;
    std::reverse(row, row + image.width);
  }
}

void moved_right_by_2(Image& image) {
  for (int y = 0; y < image.height; ++y)
    for (int x = image.width - 1; x >= 2; --x)
      image.pixels[static_cast<size_t>(y) * image.width + x] =
          image.pixels[static_cast<size_t>(y) * image.width + x - 2];
}

Image doubled(const Image& once) {
  Image twice{2 * once.width, 2 * once.height, {}};
  twice.pixels.resize(static_cast<size_t>(twice.width) * twice.height);
  for (int y = 0; y < twice.height; ++y)
    for (int x = 0; x < twice.width; ++x)
      twice.pixels[static_cast<size_t>(y) * twice.width + x] = once.at(x / 2, y / 2);
  return twice;
}

// `dir`/words.txt with its first `from` replaced by `to`.
void rewrite_words(const std::string& dir, const std::string& from, const std::string& to) {
  std::string text = read_file(dir + "/words.txt");
  text.replace(text.find(from), from.size(), to);
  std::ofstream(dir + "/words.txt", std::ios::binary) << text;
}

struct Fault {
  const char* name;
  bool needs_2x;
  std::function<void(const std::string& dir)> spoil;
  const char* message;  // "{}" stands for the folder; empty: the set is taken
};

const Fault kFaults[] = {
    {"PaintProgramLayout", false,
     [](const std::string& dir) {
       rewrite_picture(dir, "background.bmp", 640, 480, [](Image&) {});
       rewrite_picture(dir, "lit_website.bmp", 119, 26, [](Image&) {});
     },
     ""},
    {"TwiceOfAnotherPicture", true,
     [](const std::string& dir) { rewrite_picture(dir, "2x/background.bmp", 1280, 960, flip); },
     "{}/2x/background.bmp does not match {}/background.bmp: replace both, or delete {}/2x/ to "
     "have the 1\u00d7 pictures scaled"},
    // The bounds lie between the set as drawn and the nearest misses.
    {"TwiceMovedBy2Pixels", true,
     [](const std::string& dir) {
       rewrite_picture(dir, "2x/background.bmp", 1280, 960, moved_right_by_2);
     },
     "{}/2x/background.bmp does not match {}/background.bmp"},
    {"TwiceOfAnotherButton", true,
     [](const std::string& dir) {
       rewrite_picture(dir, "2x/lit_website.bmp", 238, 52, [](Image& image) {
         image = decode_bmp(art::lit_fenstermodus_2x.bytes, "", 238, 52);
       });
     },
     "{}/2x/lit_website.bmp does not match {}/lit_website.bmp"},
    {"TwicePixelDoubled", true,
     [](const std::string& dir) {
       rewrite_picture(dir, "2x/background.bmp", 1280, 960,
                       [](Image& image) { image = doubled(background()); });
     },
     "{}/2x/background.bmp is {}/background.bmp with its pixels doubled"},
    {"LitCornerOfAnotherColour", false,
     [](const std::string& dir) {
       rewrite_picture(dir, "lit_website.bmp", 119, 26, [](Image& image) { image.pixels[0] ^= 1; });
     },
     "{}/lit_website.bmp: its corner (0, 0) differs from {}/background.bmp there"},
    {"LitButtonNotLit", false,
     [](const std::string& dir) {
       rewrite_picture(dir, "lit_raus_hier.bmp", 119, 26, [](Image& image) {
         const Image under = background();
         for (int y = 0; y < 26; ++y)
           for (int x = 0; x < 119; ++x) image.pixels[y * 119 + x] = under.at(464 + x, 408 + y);
       });
     },
     "{}/lit_raus_hier.bmp: its face looks much like {}/background.bmp there"},
    {"WrongDepth", true,
     [](const std::string& dir) {
       std::string bytes = read_file(dir + "/2x/lit_website.bmp");
       bytes[28] = 32;
       std::ofstream(dir + "/2x/lit_website.bmp", std::ios::binary) << bytes;
     },
     "{}/2x/lit_website.bmp: depth is 32 bits, must be 24"},
    {"WordsMissing", false, [](const std::string& dir) { fs::remove(dir + "/words.txt"); },
     "{}/words.txt: missing; every picture folder needs its words"},
    {"WordsEntryEmpty", false,
     [](const std::string& dir) { rewrite_words(dir, "website.name = Website", "website.name ="); },
     "{}/words.txt:9: website.name is empty"},
    {"WordsEntryMissing", false,
     [](const std::string& dir) {
       rewrite_words(dir, "raus_hier.description", "# raus_hier.description");
     },
     "{}/words.txt: raus_hier.description is missing"},
    {"WordsExtraEntry", false,
     [](const std::string& dir) { rewrite_words(dir, "language =", "website.tooltip = Mehr\nlanguage ="); },
     "{}/words.txt:3: no entry is named \"website.tooltip\""},
    {"IconCut", false,
     [](const std::string& dir) { fs::resize_file(dir + "/zol.ico", 100); },
     "{}/zol.ico: truncated"},
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

std::string with_folder(std::string text, const std::string& dir) {
  for (size_t at; (at = text.find("{}")) != std::string::npos;) text.replace(at, 2, dir);
  return text;
}

class ArtCheckTest : public ::testing::TestWithParam<Fault> {};

TEST_P(ArtCheckTest, NamesTheFileAndTheFaultOrTakesTheSet) {
  const Fault& fault = GetParam();
  if (fault.needs_2x && !art::has_2x()) GTEST_SKIP() << "this build has no 2x pictures";
  TempDir tmp;
  const std::string dir = tmp.path() + "/studio art", out = tmp.path() + "/generated";
  write_art_folder(dir);
  fault.spoil(dir);

  const Finished run = run_to_end({ZOL_ART_CHECK, dir, dir, out, "elf",
                              art::has_2x() ? "with-2x" : "without-2x"},
                             tmp.path() + "/check");
  if (*fault.message == '\0') {
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(read_file(out + "/background.cpp").find(dir + "/background.bmp"), std::string::npos);
  } else {
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find(with_folder(fault.message, dir)), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(out)) << "sources written for a set with a fault";
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, ArtCheckTest, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zol::e2e
