#include "host/words.h"

#include <algorithm>
#include <cstdint>

namespace zol {
namespace {

std::vector<std::string> entry_names() {
  std::vector<std::string> names = {"language", "window.description"};
  for (std::string_view button : kWordButtons) {
    names.push_back(std::string(button) + ".name");
    names.push_back(std::string(button) + ".description");
  }
  return names;
}

// Where each entry lies in Words, and so the one list of entries there are.
std::string* slot(Words& words, std::string_view key) {
  if (key == "language") return &words.language;
  if (key == "window.description") return &words.window_description;
  for (size_t i = 0; i < std::size(kWordButtons); ++i) {
    const std::string_view button = kWordButtons[i];
    if (!key.starts_with(button) || key.size() <= button.size() || key[button.size()] != '.')
      continue;
    const std::string_view part = key.substr(button.size() + 1);
    if (part == "name") return &words.buttons[i].name;
    if (part == "description") return &words.buttons[i].description;
  }
  return nullptr;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Well-formed UTF-8, with no control character: one line of text.
bool plain_utf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      if ((b < 0x20 && b != '\t') || b == 0x7F) return false;
      ++i;
      continue;
    }
    const size_t more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (more == 0 || i + more >= s.size()) return false;
    uint32_t code = b & (0x3F >> more);
    for (size_t k = 1; k <= more; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      code = code << 6 | (c & 0x3F);
    }
    constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (code < kLeast[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ||
        code < 0xA0)  // overlong, beyond Unicode, a surrogate, a C1 control
      return false;
    i += more + 1;
  }
  return true;
}

bool alnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A language tag as screen readers take one: a language of 2 or 3
// letters, then subtags of 1 to 8 letters or digits (de, de-AT, sr-Latn).
bool language_tag(std::string_view tag) {
  size_t part = 0;
  while (true) {
    const size_t end = std::min(tag.find('-'), tag.size());
    const std::string_view sub = tag.substr(0, end);
    if (part == 0) {
      if (sub.size() < 2 || sub.size() > 3) return false;
      for (char c : sub)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    } else {
      if (sub.empty() || sub.size() > 8) return false;
      for (char c : sub)
        if (!alnum(c)) return false;
    }
    if (end == tag.size()) return true;
    tag.remove_prefix(end + 1);
    ++part;
  }
}

}  // namespace

Words parse_words(std::string_view text, const std::string& shown) {
  Words words;
  words.buttons.resize(std::size(kWordButtons));
  std::vector<std::pair<std::string, size_t>> seen;  // entry, line
  const auto at = [&](size_t line) { return shown + ":" + std::to_string(line) + ": "; };
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // as Notepad saves it
  size_t number = 0;
  while (!text.empty()) {
    ++number;
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!plain_utf8(line)) throw WordsError(at(number) + "not UTF-8 text");
    line = trimmed(line);
    if (line.empty() || line.front() == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
      throw WordsError(at(number) + "not `entry = text`");
    const std::string key(trimmed(line.substr(0, equals)));
    const std::string_view value = trimmed(line.substr(equals + 1));
    std::string* into = slot(words, key);
    if (!into) throw WordsError(at(number) + "no entry is named \"" + key + "\"");
    for (const auto& [earlier, on] : seen)
      if (earlier == key)
        throw WordsError(at(number) + key + " is given twice (first on line " +
                         std::to_string(on) + ")");
    seen.emplace_back(key, number);
    if (value.empty()) throw WordsError(at(number) + key + " is empty");
    if (key == "language" && !language_tag(value))
      throw WordsError(at(number) + "\"" + std::string(value) +
                       "\" is not a language tag such as de or de-AT");
    *into = value;
  }
  for (const std::string& key : entry_names())
    if (slot(words, key)->empty()) throw WordsError(shown + ": " + key + " is missing");
  return words;
}

}  // namespace zol
