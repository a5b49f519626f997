#include "host/failure.h"

#include <algorithm>
#include <cstdio>

namespace zol {

void report_failure(Platform* platform, const std::string& text) {
  std::string line = text;
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "zol: %s\n", line.c_str());
  std::fflush(stderr);
  if (platform) platform->show_failure(text);
}

void fail_to_start(const std::string& program, const std::string& reason) {
  throw PlatformError("\"" + program + "\" konnte nicht gestartet werden: " + reason);
}

void require_bare_file_name(const std::string& program) {
  if (program.empty() || program == "." || program == ".." ||
      program.find_first_of("/\\:") != std::string::npos)
    fail_to_start(program, "Der Name ist kein bloßer Dateiname.");
}

std::string not_found_beside(const std::string& dir) {
  return "Die Datei wurde neben dem Menü nicht gefunden (" + dir + ").";
}

void fail_to_find_executable(const std::string& reason) {
  throw PlatformError("Der Ort des Menüs ist nicht bestimmbar: " + reason);
}

}  // namespace zol
