#pragma once
// A small reader of what the tests check in a Windows executable: its
// machine, subsystem, time stamps and loader flags, the DLLs it imports, its resources and the version
// block among them. It checks every offset before use; malformed input
// throws std::runtime_error.

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace zol::pe {

struct Resource {
  uint32_t type = 0, id = 0, language = 0;  // entries named by a string are skipped
  std::vector<uint8_t> data;
};

struct Executable {
  uint16_t machine = 0, subsystem = 0;
  uint16_t dll_characteristics = 0;  // the optional header's loader flags
  uint32_t time_stamp = 0, resource_time_stamp = 0;
  std::vector<std::string> imports;  // DLL names as written in the file
  std::vector<Resource> resources;

  // The resource of that type, id and language, or nullptr.
  const Resource* find(uint32_t type, uint32_t id, uint32_t language) const;
};

Executable read_executable(std::span<const uint8_t> file);

// The parts of a VS_VERSIONINFO resource that matter to a user.
struct VersionInfo {
  uint32_t file_version_ms = 0, file_version_ls = 0;
  uint32_t product_version_ms = 0, product_version_ls = 0;
  uint32_t file_os = 0, file_type = 0;
  // StringFileInfo: block name ("040704B0") -> key -> value, in UTF-8.
  std::map<std::string, std::map<std::string, std::string>> strings;
  std::vector<uint16_t> translations;  // VarFileInfo's Translation words
};

VersionInfo read_version(std::span<const uint8_t> resource);

}  // namespace zol::pe
