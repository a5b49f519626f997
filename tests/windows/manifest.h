#pragma once
// A small reader of an application manifest as the tests check it: the
// element tree with each element's namespace resolved. It takes the plain
// XML a manifest is (no DTD, entities or CDATA); a tag that is not
// closed, or closed by another name, throws std::runtime_error.

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zol::pe {

struct XmlElement {
  std::string name;       // without its prefix
  std::string xmlns;      // the default namespace in force on it
  std::map<std::string, std::string> attributes;  // as written, prefixes kept
  std::string text;       // its own text, trimmed
  std::vector<XmlElement> children;

  // The descendants at `path` ("a/b/c", each step a child's name).
  std::vector<const XmlElement*> find(std::string_view path) const;
  std::string attribute(const std::string& name) const;  // "" when absent
};

// The document element.
XmlElement read_manifest(std::string_view xml);

}  // namespace zol::pe
