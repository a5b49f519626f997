#pragma once
// The failure message's text, laid out for whatever font draws it: no X
// here, so that tests can measure with a rule of their own.

#include <functional>
#include <string>
#include <vector>

namespace zol::x11 {

// The width of a line of text, in device pixels.
using TextWidth = std::function<int(const std::string&)>;

// Greedy wrap at spaces; a word wider than a line (a path, say) is broken
// between characters, never inside one. Line breaks in the text are kept.
std::vector<std::string> wrap(const std::string& text, const TextWidth& width, int wrap_width);

// UTF-8 to Latin-1, for the core "fixed" font; what it can't show becomes '?'.
std::string to_latin1(const std::string& utf8);

}  // namespace zol::x11
