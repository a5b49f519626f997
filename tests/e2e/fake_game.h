#pragma once
// The stand-in for programs the menu starts (tests/e2e/fake_game_main.cc),
// put where the menu looks for them, and what it recorded.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zol::e2e {

// One start of the stand-in, as it recorded it.
struct Start {
  std::string program;  // argv[0]
  std::vector<std::string> args;
  std::string cwd;
  pid_t pid = -1;
  std::vector<std::string> fds;  // "<n> <target>"
  std::string ignored, blocked;  // signal masks in hex, as /proc shows them
};

// The stand-in's record file: every copy started in this test appends to it.
// Set in the environment for as long as it lives, so every program the test
// starts passes it on.
class FakeGameRecord {
 public:
  explicit FakeGameRecord(const std::filesystem::path& file);
  ~FakeGameRecord();
  FakeGameRecord(const FakeGameRecord&) = delete;
  FakeGameRecord& operator=(const FakeGameRecord&) = delete;

  // The stand-in itself.
  static std::filesystem::path program();
  // A copy of the stand-in at `file`, with or without the right to run it.
  static void install(const std::filesystem::path& file, bool runnable = true);

  // The starts so far.
  std::vector<Start> starts() const;
  // Waits (bounded) for the first start: the menu starts it detached.
  std::optional<Start> wait_for_start(double seconds = 10) const;
  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
};

}  // namespace zol::e2e
