#include "tests/linux/elf_file.h"

#include "tests/le_bytes.h"

namespace zol::elf {
namespace {

constexpr uint32_t kPtGnuStack = 0x6474e551, kPtGnuRelro = 0x6474e552, kPfX = 1;
constexpr uint32_t kShtDynamic = 6, kShtDynsym = 11, kShtVerneed = 0x6ffffffe;
constexpr uint64_t kDtNeeded = 1, kDtFlags = 30, kDtFlags1 = 0x6ffffffb;

struct Section {
  uint32_t type, link;
  uint64_t offset, size;
};

class Image {
 public:
  explicit Image(std::span<const uint8_t> file) : file_(file, "ELF") {}

  void read_headers(Executable& out) {
    if (file_.u32(0) != 0x464c457f) file_.bad("no ELF magic");
    if (file_.u8(4) != 2 || file_.u8(5) != 1) file_.bad("not 64-bit little-endian");
    out.type = file_.u16(16);
    const uint64_t phoff = file_.u64(32), shoff = file_.u64(40);
    const uint16_t phsize = file_.u16(54), phnum = file_.u16(56);
    const uint16_t shsize = file_.u16(58), shnum = file_.u16(60);
    if (phsize < 56 || shsize < 64) file_.bad("header entries too small");
    for (uint16_t i = 0; i < phnum; ++i) {
      const uint64_t p = phoff + uint64_t{phsize} * i;
      const uint32_t type = file_.u32(p), flags = file_.u32(p + 4);
      if (type == kPtGnuRelro) out.relro = true;
      if (type == kPtGnuStack) out.executable_stack = flags & kPfX;
    }
    for (uint16_t i = 0; i < shnum; ++i) {
      const uint64_t s = shoff + uint64_t{shsize} * i;
      sections_.push_back({file_.u32(s + 4), file_.u32(s + 40), file_.u64(s + 24), file_.u64(s + 32)});
    }
  }

  void read_dynamic(Executable& out) const {
    for (const Section& s : of_type(kShtDynamic))
      for (uint64_t at = s.offset; at + 16 <= s.offset + s.size; at += 16) {
        const uint64_t tag = file_.u64(at), value = file_.u64(at + 8);
        if (tag == kDtNeeded) out.needed.push_back(text(s.link, value));
        if (tag == kDtFlags) out.flags = value;
        if (tag == kDtFlags1) out.flags_1 = value;
      }
  }

  // Elf64_Verneed records, each with its chain of Elf64_Vernaux.
  void read_versions(Executable& out) const {
    for (const Section& s : of_type(kShtVerneed)) {
      uint64_t need = s.offset;
      for (int n = 0; n < 1000; ++n) {
        const uint16_t count = file_.u16(need + 2);
        auto& names = out.versions[text(s.link, file_.u32(need + 4))];
        uint64_t aux = need + file_.u32(need + 8);
        for (uint16_t i = 0; i < count; ++i) {
          names.push_back(text(s.link, file_.u32(aux + 8)));
          aux += file_.u32(aux + 12);
        }
        const uint32_t next = file_.u32(need + 12);
        if (next == 0) break;
        need += next;
      }
    }
  }

  void read_imports(Executable& out) const {
    for (const Section& s : of_type(kShtDynsym))
      for (uint64_t at = s.offset + 24; at + 24 <= s.offset + s.size; at += 24)
        if (file_.u16(at + 6) == 0) out.imports.push_back(text(s.link, file_.u32(at)));
  }

 private:
  std::vector<Section> of_type(uint32_t type) const {
    std::vector<Section> found;
    for (const Section& s : sections_)
      if (s.type == type) found.push_back(s);
    return found;
  }

  // A name in the string table that section `table` is.
  std::string text(uint32_t table, uint64_t offset) const {
    if (table >= sections_.size()) file_.bad("no string table " + std::to_string(table));
    const Section& strings = sections_[table];
    if (offset >= strings.size) file_.bad("name outside its string table");
    return file_.c_string(strings.offset + offset);
  }

  LeBytes file_;
  std::vector<Section> sections_;
};

}  // namespace

Executable read_executable(std::span<const uint8_t> file) {
  Executable out;
  Image image(file);
  image.read_headers(out);
  image.read_dynamic(out);
  image.read_versions(out);
  image.read_imports(out);
  return out;
}

}  // namespace zol::elf
