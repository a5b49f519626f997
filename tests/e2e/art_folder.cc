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
  const art::Asset* assets[] = {&art::background,        &art::icon,
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
