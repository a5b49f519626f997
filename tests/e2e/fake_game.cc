#include "tests/e2e/fake_game.h"

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace zol::e2e {

namespace fs = std::filesystem;

FakeGameRecord::FakeGameRecord(const fs::path& file) : file_(file) {
  fs::remove(file_);
  setenv("ZOL_TEST_RECORD", file_.c_str(), 1);
}

FakeGameRecord::~FakeGameRecord() { unsetenv("ZOL_TEST_RECORD"); }

fs::path FakeGameRecord::program() { return ZOL_FAKE_GAME; }

void FakeGameRecord::install(const fs::path& file, bool runnable) {
  fs::copy_file(program(), file, fs::copy_options::overwrite_existing);
  fs::permissions(file, runnable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

std::vector<Start> FakeGameRecord::starts() const {
  std::vector<Start> starts;
  std::ifstream in(file_);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("program=")) starts.emplace_back().program = line.substr(8);
    if (starts.empty()) continue;
    Start& s = starts.back();
    if (line.starts_with("arg=")) s.args.push_back(line.substr(4));
    if (line.starts_with("cwd=")) s.cwd = line.substr(4);
    if (line.starts_with("pid=")) s.pid = std::stoi(line.substr(4));
    if (line.starts_with("fd=")) s.fds.push_back(line.substr(3));
    if (line.starts_with("ignored=")) s.ignored = line.substr(8);
    if (line.starts_with("blocked=")) s.blocked = line.substr(8);
  }
  return starts;
}

// Each start is one write: once the file has a start it has all of it.
std::optional<Start> FakeGameRecord::wait_for_start(double seconds) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    const auto all = starts();
    if (!all.empty()) return all.front();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return std::nullopt;
}

}  // namespace zol::e2e
