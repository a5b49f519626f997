// Checks the picture set and its words file the build takes in and writes, for each picture, the
// C++ source that builds it into the program: its bytes come in through the
// assembler (.incbin), which costs the compiler nothing even for megabytes.
// Stops the build, naming the file and the fault, at anything it can't take.
//
// Usage: zol_art_check ART_DIR SHOWN_DIR OUT_DIR elf|coff with-2x|without-2x
//   SHOWN_DIR is ART_DIR as messages show it (art, or a studio's full path).

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "host/words.h"
#include "tools/art_check/checks.h"

namespace fs = std::filesystem;
using zol::art_check::ArtError;
using zol::art_check::Named;
using zol::art_check::PictureSpec;

namespace {

struct Args {
  fs::path dir;
  std::string shown, section;
  fs::path out;
  bool twice;
};

// One picture file: where it lies, how messages show it, its bytes.
struct File {
  fs::path path;
  std::string shown;
  std::vector<uint8_t> bytes;
};

File read(const Args& args, const std::string& relative) {
  File file{args.dir / relative, args.shown + "/" + relative, {}};
  std::ifstream in(file.path, std::ios::binary);
  if (!in) throw ArtError(file.shown + ": missing; run `make art` or put the picture there (see art/README.md)");
  file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return file;
}

// The words file: read as a picture is, checked as the menu reads it.
File read_words(const Args& args) {
  File file{args.dir / "words.txt", args.shown + "/words.txt", {}};
  std::ifstream in(file.path, std::ios::binary);
  if (!in)
    throw ArtError(file.shown + ": missing; every picture folder needs its words (see art/README.md)");
  file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  zol::parse_words({reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()}, file.shown);
  return file;
}

// `text` within double quotes, with what a C string or the assembler would
// take for an escape escaped.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return out + "\"";
}

// The source that defines zol::art::<symbol> as `file`'s bytes.
void write_source(const Args& args, const File& file, const std::string& symbol,
                  const std::string& asset) {
  const std::string label = "zol_art_" + symbol, size = std::to_string(file.bytes.size());
  const std::string assembly = args.section + "\n.balign 16\n" + label + ":\n.incbin " +
                               quoted(fs::absolute(file.path).string()) + ", 0, " + size +
                               "\n.text\n";
  const fs::path out = args.out / (symbol + ".cpp");
  std::ofstream source(out);
  source << "// Generated from " << file.shown << " when it was checked; do not edit.\n"
         << "#include \"art/art.h\"\n"
         << "extern \"C\" const uint8_t " << label << "[] __asm__(\"" << label << "\");\n"
         << "// The first code of the file, and back in .text after it, as the\n"
         << "// compiler expects.\n"
         << "__asm__(" << quoted(assembly) << ");\n"
         << "namespace zol::art {\n"
         << "extern const Asset " << symbol << "{" << quoted(asset) << ", {" << label << ", "
         << size << "}};\n"
         << "}\n";
  if (!source.flush()) throw ArtError(out.string() + ": can't be written");
}

// The empty 2x set of a build without one.
void write_no_2x(const Args& args) {
  std::ofstream out(args.out / "no_2x.cpp");
  out << "// Generated: this build has no 2x pictures.\n#include \"art/art.h\"\nnamespace zol::art {\n";
  for (const PictureSpec& spec : {zol::art_check::kBackground, zol::art_check::kLitButtons[0],
                                  zol::art_check::kLitButtons[1], zol::art_check::kLitButtons[2],
                                  zol::art_check::kLitButtons[3]})
    out << "extern const Asset " << spec.name << "_2x{\"2x/" << spec.name << ".bmp\", {}};\n";
  out << "}\n";
}

// Every problem of the set, each on its own lines; empty when it is fine.
class Problems {
 public:
  template <typename Check>
  void check(Check check) {
    try {
      check();
    } catch (const std::exception& e) {  // ArtError, ImageError and WordsError alike
      list_.push_back(e.what());
    }
  }
  bool any() const { return !list_.empty(); }
  void report() const {
    for (const auto& problem : list_) std::fprintf(stderr, "%s\n", problem.c_str());
  }

 private:
  std::vector<std::string> list_;
};

// One scale of the set: 1 for the folder itself, 2 for its 2x/.
struct Set {
  std::optional<File> background_file;
  std::optional<Named> background;
  std::vector<std::optional<File>> lit_files;
  std::vector<std::optional<Named>> lit;
};

Set load(const Args& args, int scale, Problems& problems) {
  const std::string prefix = scale == 1 ? "" : "2x/";
  Set set;
  const auto one = [&](const PictureSpec& spec, std::optional<File>& file, std::optional<Named>& named) {
    problems.check([&] {
      file = read(args, prefix + std::string(spec.name) + ".bmp");
      named = zol::art_check::decode(file->bytes, file->shown, spec, scale);
    });
  };
  one(zol::art_check::kBackground, set.background_file, set.background);
  for (const PictureSpec& spec : zol::art_check::kLitButtons)
    one(spec, set.lit_files.emplace_back(), set.lit.emplace_back());
  return set;
}

bool complete(const Set& set) {
  for (const auto& lit : set.lit)
    if (!lit) return false;
  return set.background.has_value();
}

void check_set(const Set& set, int scale, Problems& problems) {
  for (size_t i = 0; i < set.lit.size(); ++i)
    problems.check([&] {
      zol::art_check::check_lit(*set.lit[i], *set.background, zol::art_check::kLitButtons[i], scale);
    });
}

void check_twice(const Set& once, const Set& twice, const Args& args, Problems& problems) {
  using namespace zol::art_check;
  const std::string folder = args.shown + "/2x/";
  const auto pair = [&](const Named& two, const Named& one, double bound) {
    problems.check([&] { check_belongs(two, one, bound, folder); });
    problems.check([&] { check_drawn_at_size(two, one, folder); });
  };
  pair(*twice.background, *once.background, kSceneBound);
  for (size_t i = 0; i < twice.lit.size(); ++i) pair(*twice.lit[i], *once.lit[i], kButtonBound);
}

int run(const Args& args) {
  Problems problems;
  const Set once = load(args, 1, problems);
  std::optional<File> icon;
  problems.check([&] {
    icon = read(args, "zol.ico");
    zol::decode_ico(icon->bytes, icon->shown);
  });
  std::optional<File> words;
  problems.check([&] { words = read_words(args); });
  const Set twice = args.twice ? load(args, 2, problems) : Set{};
  // Old 2x pictures beside new 1x ones first: that explains any more.
  if (args.twice && complete(once) && complete(twice)) check_twice(once, twice, args, problems);
  if (complete(once)) check_set(once, 1, problems);
  if (args.twice && complete(twice)) check_set(twice, 2, problems);
  if (problems.any()) {
    problems.report();
    return 1;
  }

  fs::create_directories(args.out);
  write_source(args, *icon, "icon", "zol.ico");
  write_source(args, *words, "words", "words.txt");
  for (const Set* set : {&once, &twice}) {
    if (!set->background_file) continue;
    const std::string suffix = set == &once ? "" : "_2x", prefix = set == &once ? "" : "2x/";
    write_source(args, *set->background_file, "background" + suffix, prefix + "background.bmp");
    for (size_t i = 0; i < set->lit_files.size(); ++i) {
      const std::string name(zol::art_check::kLitButtons[i].name);
      write_source(args, *set->lit_files[i], name + suffix, prefix + name + ".bmp");
    }
  }
  if (!args.twice) write_no_2x(args);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> a(argv + 1, argv + argc);
  if (a.size() != 5 || (a[3] != "elf" && a[3] != "coff") ||
      (a[4] != "with-2x" && a[4] != "without-2x")) {
    std::fprintf(stderr, "usage: zol_art_check ART_DIR SHOWN_DIR OUT_DIR elf|coff with-2x|without-2x\n");
    return 2;
  }
  const Args args{a[0], a[1], a[3] == "elf" ? ".section .rodata,\"a\"" : ".section .rdata,\"dr\"",
                  a[2], a[4] == "with-2x"};
  try {
    return run(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
