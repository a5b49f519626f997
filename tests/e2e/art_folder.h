#pragma once
// A picture folder outside the tree, as a studio would keep one: the
// pictures built in here, written out, to be spoiled by the test.

#include <functional>
#include <string>

#include "host/image.h"

namespace zol::e2e {

// Writes the set built into the tests (the 2x pictures too, when there are
// any) into `dir` as the build expects to find it.
void write_art_folder(const std::string& dir);

// Replaces `dir`/`file`'s picture (of width x height) by what `change`
// makes of it, written as a paint program exporting top-down rows with a V5
// header at 96 DPI would.
void rewrite_picture(const std::string& dir, const std::string& file, int width, int height,
                     const std::function<void(Image&)>& change);

// A studio's own set: ours with red and blue swapped in the 1x pictures and
// in the icon's palette, so that the lit buttons still fit their background
// and nothing built from it can show ours by mistake. The 1x pictures are
// written as a paint program writes them (V5 header, rows top-down).
void write_studio_folder(const std::string& dir);
void swap_red_and_blue(Image& image);

struct Finished {
  int status;
  std::string output;  // stdout and stderr
};
// Runs argv (argv[0] found on PATH) in the test's environment to its end.
Finished run_to_end(const std::vector<std::string>& argv, const std::string& log);

}  // namespace zol::e2e
