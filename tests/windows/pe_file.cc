#include "tests/windows/pe_file.h"

#include <stdexcept>

#include "tests/le_bytes.h"

namespace zol::pe {
namespace {

constexpr uint32_t kSubdirectory = 0x80000000;

[[noreturn]] void bad(const std::string& what) { throw std::runtime_error("PE: " + what); }

struct Section {
  uint32_t address, raw_size, raw_offset;
};

class Image {
 public:
  explicit Image(std::span<const uint8_t> file) : file_(file, "PE") {}

  void read_headers(Executable& out) {
    if (file_.u16(0) != 0x5A4D) bad("no MZ header");
    const uint32_t pe = file_.u32(0x3C);
    if (file_.u32(pe) != 0x00004550) bad("no PE signature");
    out.machine = file_.u16(pe + 4);
    const uint16_t sections = file_.u16(pe + 6);
    out.time_stamp = file_.u32(pe + 8);
    const uint16_t optional_size = file_.u16(pe + 20);
    const size_t optional = pe + 24;
    const uint16_t magic = file_.u16(optional);
    if (magic != 0x10B && magic != 0x20B) bad("unknown optional header");
    out.subsystem = file_.u16(optional + 68);
    out.dll_characteristics = file_.u16(optional + 70);
    const size_t directories = optional + (magic == 0x20B ? 112 : 96);
    const uint32_t count = file_.u32(directories - 4);
    for (uint32_t i = 0; i < count && i < 16; ++i)
      directory_.push_back({file_.u32(directories + 8 * i), file_.u32(directories + 8 * i + 4)});
    const size_t table = optional + optional_size;
    for (uint16_t i = 0; i < sections; ++i) {
      const size_t s = table + 40u * i;
      sections_.push_back({file_.u32(s + 12), file_.u32(s + 16), file_.u32(s + 20)});
    }
  }

  // Where the bytes at `rva` lie in the file.
  size_t offset(uint32_t rva) const {
    for (const Section& s : sections_)
      if (rva >= s.address && rva - s.address < s.raw_size) return s.raw_offset + (rva - s.address);
    bad("address " + std::to_string(rva) + " lies in no section");
  }

  std::string c_string(uint32_t rva) const { return file_.c_string(offset(rva)); }

  void read_imports(Executable& out) const {
    if (directory_.size() < 2 || directory_[1].rva == 0) return;
    for (uint32_t at = directory_[1].rva;; at += 20) {
      const size_t d = offset(at);
      const uint32_t name = file_.u32(d + 12);
      if (name == 0 && file_.u32(d + 16) == 0) return;
      out.imports.push_back(c_string(name));
      if (out.imports.size() > 1000) bad("endless import table");
    }
  }

  void read_resources(Executable& out) const {
    if (directory_.size() < 3 || directory_[2].rva == 0) return;
    const size_t root = offset(directory_[2].rva);
    out.resource_time_stamp = file_.u32(root + 4);
    uint32_t path[3] = {};
    walk(out, root, 0, 0, path);
  }

 private:
  struct Directory {
    uint32_t rva, size;
  };

  void walk(Executable& out, size_t root, uint32_t at, int level, uint32_t* path) const {
    const size_t dir = root + at;
    const size_t named = file_.u16(dir + 12), ids = file_.u16(dir + 14);
    for (size_t i = 0; i < named + ids; ++i) {
      const size_t entry = dir + 16 + 8 * i;
      const uint32_t name = file_.u32(entry), target = file_.u32(entry + 4);
      if (i < named) continue;
      path[level] = name;
      const bool subdirectory = target & kSubdirectory;
      if (subdirectory != (level < 2)) bad("resource tree of the wrong depth");
      if (subdirectory) {
        walk(out, root, target & ~kSubdirectory, level + 1, path);
      } else {
        const size_t leaf = root + target;
        const uint32_t rva = file_.u32(leaf), size = file_.u32(leaf + 4);
        auto data = file_.at(offset(rva), size);
        out.resources.push_back({path[0], path[1], path[2], {data.begin(), data.end()}});
      }
    }
  }

  LeBytes file_;
  std::vector<Directory> directory_;
  std::vector<Section> sections_;
};

size_t align4(size_t v) { return (v + 3) & ~size_t{3}; }

std::string utf8(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {  // the keys and values here lie in the BMP
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// One node of the version tree: length, value length, type, key, value,
// children, each part aligned to 4 bytes.
struct Node {
  std::string key;
  std::span<const uint8_t> value;
  std::u16string text;  // the value of a text node
  std::vector<Node> children;
};

Node read_node(const LeBytes& bytes, size_t start, size_t end, int depth) {
  if (depth > 4) bad("version tree too deep");
  const size_t length = bytes.u16(start), value_length = bytes.u16(start + 2);
  const bool is_text = bytes.u16(start + 4) == 1;
  if (length < 6 || length > end - start) bad("version node of a wrong length");
  const size_t node_end = start + length;
  Node node;
  std::u16string key;
  size_t at = start + 6;
  for (;; at += 2) {
    if (at + 2 > node_end) bad("unterminated version key");
    const char16_t c = bytes.u16(at);
    if (c == 0) break;
    key += c;
  }
  node.key = utf8(key);
  at = align4(at + 2);
  const size_t value_bytes = is_text ? value_length * 2 : value_length;
  if (value_bytes > 0) {
    if (at > node_end || value_bytes > node_end - at) bad("version value overruns its node");
    node.value = bytes.at(at, value_bytes);
    if (is_text)
      for (size_t i = 0; i + 1 < value_length; ++i) node.text += bytes.u16(at + 2 * i);
    at = align4(at + value_bytes);
  }
  while (at < node_end) {
    node.children.push_back(read_node(bytes, at, node_end, depth + 1));
    at = align4(at + bytes.u16(at));
  }
  return node;
}

}  // namespace

const Resource* Executable::find(uint32_t type, uint32_t id, uint32_t language) const {
  for (const Resource& r : resources)
    if (r.type == type && r.id == id && r.language == language) return &r;
  return nullptr;
}

Executable read_executable(std::span<const uint8_t> file) {
  Executable out;
  Image image(file);
  image.read_headers(out);
  image.read_imports(out);
  image.read_resources(out);
  return out;
}

VersionInfo read_version(std::span<const uint8_t> resource) {
  const LeBytes bytes(resource, "PE");
  const Node root = read_node(bytes, 0, resource.size(), 0);
  if (root.key != "VS_VERSION_INFO") bad("not a version resource");
  if (root.value.size() != 52) bad("no fixed file information");
  const LeBytes fixed(root.value, "PE");
  if (fixed.u32(0) != 0xFEEF04BD) bad("wrong fixed file information signature");
  VersionInfo info;
  info.file_version_ms = fixed.u32(8);
  info.file_version_ls = fixed.u32(12);
  info.product_version_ms = fixed.u32(16);
  info.product_version_ls = fixed.u32(20);
  info.file_os = fixed.u32(32);
  info.file_type = fixed.u32(36);
  for (const Node& part : root.children) {
    if (part.key == "StringFileInfo") {
      for (const Node& block : part.children)
        for (const Node& string : block.children)
          info.strings[block.key][string.key] = utf8(string.text);
    } else if (part.key == "VarFileInfo") {
      for (const Node& var : part.children)
        if (var.key == "Translation")
          for (size_t i = 0; i + 1 < var.value.size(); i += 2)
            info.translations.push_back(static_cast<uint16_t>(var.value[i] | var.value[i + 1] << 8));
    }
  }
  return info;
}

}  // namespace zol::pe
