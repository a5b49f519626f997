#include "tests/e2e/art_folder.h"

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "art/art.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/test_pictures.h"

extern char** environ;

namespace zol::e2e {

namespace fs = std::filesystem;

void write_art_folder(const std::string& dir) {
  const art::Asset* assets[] = {&art::background,        &art::icon,  &art::words,
                                &art::lit_vollbildmodus, &art::lit_fenstermodus,
                                &art::lit_website,       &art::lit_raus_hier,
                                &art::background_2x,     &art::lit_vollbildmodus_2x,
                                &art::lit_fenstermodus_2x, &art::lit_website_2x,
                                &art::lit_raus_hier_2x};
  for (const art::Asset* asset : assets) {
    if (asset->bytes.empty()) continue;  // a build without 2x pictures
    const fs::path file = fs::path(dir) / asset->file;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(asset->bytes.data()),
               static_cast<std::streamsize>(asset->bytes.size()));
  }
}

void rewrite_picture(const std::string& dir, const std::string& file, int width, int height,
                     const std::function<void(Image&)>& change) {
  const std::string path = dir + "/" + file;
  const std::string bytes = read_file(path);
  Image image = decode_bmp({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, file,
                           width, height);
  change(image);
  test::write_bmp(image, path, {124, 3780, true});
}

void swap_red_and_blue(Image& image) {
  for (uint32_t& p : image.pixels) p = (p & 0x00FF00) | (p >> 16 & 0xFF) | (p & 0xFF) << 16;
}

namespace {

// The icon's images are palette DIBs: swapping in the palette swaps them.
void swap_red_and_blue_in_icon(const std::string& path) {
  std::string ico = read_file(path);
  auto u16 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(ico.at(at)) |
                                 static_cast<uint8_t>(ico.at(at + 1)) << 8);
  };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  for (uint32_t i = 0; i < u16(4); ++i) {
    const size_t dib = u32(6 + 16 * i + 12);
    const uint32_t used = u32(dib + 32), colours = used ? used : 1u << u16(dib + 14);
    for (uint32_t c = 0; c < colours; ++c) {
      const size_t entry = dib + u32(dib) + 4 * c;
      std::swap(ico.at(entry), ico.at(entry + 2));
    }
  }
  std::ofstream(path, std::ios::binary) << ico;
}

}  // namespace

void write_studio_folder(const std::string& dir) {
  write_art_folder(dir);
  rewrite_picture(dir, "background.bmp", 640, 480, swap_red_and_blue);
  for (const MenuButton& button : menu_buttons())
    rewrite_picture(dir, std::string(button.lit->file), 119, 26, swap_red_and_blue);
  swap_red_and_blue_in_icon(dir + "/" + std::string(art::icon.file));
}

Finished run_to_end(const std::vector<std::string>& argv, const std::string& log) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  const pid_t pid = spawn_logged(argv, env, "", log);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
          read_file(log + ".out") + read_file(log + ".err")};
}

}  // namespace zol::e2e
