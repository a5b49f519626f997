#include "host/x11/text_layout.h"

#include <algorithm>

namespace zol::x11 {
namespace {

bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string to_latin1(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (len == 2 && i + 1 < utf8.size())
      c = static_cast<unsigned char>(((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F));
    else if (len > 1 || c >= 0x80)
      c = '?';
    out += static_cast<char>(c);
    for (i += 1; i < utf8.size() && continuation(utf8[i]); ++i) {
    }
  }
  return out;
}

std::vector<std::string> wrap(const std::string& text, const TextWidth& width, int wrap_width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = std::min(text.find('\n', start), text.size());
    std::string line;
    size_t pos = start;
    while (pos < end) {
      size_t stop = std::min(text.find(' ', pos), end);
      std::string word = text.substr(pos, stop - pos);
      pos = stop + 1;
      if (word.empty()) continue;
      std::string joined = line.empty() ? word : line + " " + word;
      if (width(joined) <= wrap_width) {
        line = joined;
        continue;
      }
      if (!line.empty()) lines.push_back(line);
      while (width(word) > wrap_width) {
        size_t cut = 1;
        for (size_t next = cut; next <= word.size(); ++next) {
          if (next < word.size() && continuation(word[next])) continue;
          if (width(word.substr(0, next)) > wrap_width) break;
          cut = next;
        }
        while (cut < word.size() && continuation(word[cut])) ++cut;
        if (cut == word.size()) break;  // one character wider than a line stands alone
        lines.push_back(word.substr(0, cut));
        word.erase(0, cut);
      }
      line = word;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace zol::x11
