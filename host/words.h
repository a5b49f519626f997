#pragma once
// What the pictures say, for those who can't see them: the art's words
// file, read by the build's checker and by the menu alike, so that a file
// the build takes is one the menu reads.
//
// The file is UTF-8, one `entry = text` a line; blank lines and lines
// starting with # are skipped. Its entries, each exactly once and none
// other: `language` (a tag such as de), `window.description`, and for each
// button of the row, left to right, `<button>.name` (the words on its
// picture) and `<button>.description` (what it does).

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zol {

// The buttons as the file names them, left to right on the window.
inline constexpr std::string_view kWordButtons[] = {"vollbildmodus", "fenstermodus", "website",
                                                    "raus_hier"};

struct ButtonWords {
  std::string name, description;
};

struct Words {
  std::string language;
  std::string window_description;
  std::vector<ButtonWords> buttons;  // in kWordButtons' order
};

class WordsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a words file; `shown` names it in messages ("art/words.txt"), which
// give the line of a fault where it has one. Throws WordsError.
Words parse_words(std::string_view text, const std::string& shown);

}  // namespace zol
