#include "tests/windows/manifest.h"

#include <regex>
#include <stdexcept>

namespace zol::pe {
namespace {

[[noreturn]] void bad(const std::string& what) { throw std::runtime_error("manifest: " + what); }

std::string trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return "";
  return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

std::string local_name(std::string_view name) {
  const size_t colon = name.find(':');
  return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

class Reader {
 public:
  explicit Reader(std::string_view xml) : xml_(xml) {}

  XmlElement document() {
    skip_markup();
    XmlElement root = element("");
    skip_markup();
    if (at_ < xml_.size()) bad("text after the document element");
    return root;
  }

 private:
  // Declarations and comments between elements.
  void skip_markup() {
    for (;;) {
      at_ = std::min(xml_.find_first_not_of(" \t\r\n", at_), xml_.size());
      if (xml_.substr(at_, 4) == "<!--") {
        at_ = skip_past("-->");
      } else if (xml_.substr(at_, 2) == "<?") {
        at_ = skip_past("?>");
      } else {
        return;
      }
    }
  }
  size_t skip_past(std::string_view end) const {
    const size_t found = xml_.find(end, at_);
    if (found == std::string_view::npos) bad("unterminated markup");
    return found + end.size();
  }

  // The element that starts at at_, with `xmlns` in force around it.
  XmlElement element(const std::string& xmlns) {
    static const std::regex attribute(R"re(([\w:.-]+)\s*=\s*"([^"]*)")re");
    if (xml_.substr(at_, 1) != "<") bad("no element where one must be");
    const size_t end = xml_.find('>', at_);
    if (end == std::string_view::npos) bad("unterminated tag");
    const std::string tag(xml_.substr(at_ + 1, end - at_ - 1));
    at_ = end + 1;
    XmlElement e;
    const std::string qualified = tag.substr(0, tag.find_first_of(" \t\r\n/"));
    e.name = local_name(qualified);
    for (std::sregex_iterator i(tag.begin(), tag.end(), attribute), last; i != last; ++i)
      e.attributes[(*i)[1]] = (*i)[2];
    e.xmlns = e.attributes.contains("xmlns") ? e.attributes["xmlns"] : xmlns;
    if (tag.ends_with("/")) return e;
    std::string text;
    for (;;) {
      const size_t next = xml_.find('<', at_);
      if (next == std::string_view::npos) bad("<" + qualified + "> is never closed");
      text += xml_.substr(at_, next - at_);
      at_ = next;
      if (xml_.substr(at_, 2) == "</") {
        const size_t close = xml_.find('>', at_);
        if (close == std::string_view::npos || xml_.substr(at_ + 2, close - at_ - 2) != qualified)
          bad("<" + qualified + "> is closed by another name");
        at_ = close + 1;
        e.text = trimmed(text);
        return e;
      }
      if (xml_.substr(at_, 4) == "<!--") {
        at_ = skip_past("-->");
        continue;
      }
      e.children.push_back(element(e.xmlns));
    }
  }

  std::string_view xml_;
  size_t at_ = 0;
};

}  // namespace

std::vector<const XmlElement*> XmlElement::find(std::string_view path) const {
  const size_t slash = path.find('/');
  const std::string_view step = path.substr(0, slash);
  std::vector<const XmlElement*> found;
  for (const XmlElement& child : children) {
    if (child.name != step) continue;
    if (slash == std::string_view::npos) {
      found.push_back(&child);
    } else {
      for (const XmlElement* e : child.find(path.substr(slash + 1))) found.push_back(e);
    }
  }
  return found;
}

std::string XmlElement::attribute(const std::string& name) const {
  const auto found = attributes.find(name);
  return found == attributes.end() ? "" : found->second;
}

XmlElement read_manifest(std::string_view xml) { return Reader(xml).document(); }

}  // namespace zol::pe
