// Loading Windows' own DLLs from System32, also on a Windows 7 that knows
// no search flags (without update KB2533623), and the process's own search
// tied to System32 where the system can be told so.

#include "host/win32/system_library.h"

#include "host/platform.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zol::win32 {
namespace {

struct Call {
  std::wstring name;
  DWORD flags;
};
std::vector<Call> calls;

HMODULE WINAPI current_windows(LPCWSTR name, HANDLE file, DWORD flags) {
  calls.push_back({name, flags});
  return LoadLibraryExW(name, file, flags);
}

HMODULE WINAPI windows_7_without_update(LPCWSTR name, HANDLE file, DWORD flags) {
  calls.push_back({name, flags});
  if (flags & LOAD_LIBRARY_SEARCH_SYSTEM32) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return LoadLibraryExW(name, file, flags);
}

std::wstring lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring system_dir() {
  wchar_t path[MAX_PATH];
  return lower(std::wstring(path, GetSystemDirectoryW(path, MAX_PATH)));
}

std::wstring file_of(HMODULE module) {
  wchar_t path[MAX_PATH];
  return lower(std::wstring(path, GetModuleFileNameW(module, path, MAX_PATH)));
}

TEST(SystemLibraryTest, LoadsFromSystem32WithOrWithoutTheSearchFlag) {
  struct Case {
    const char* what;
    LoadLibraryExFunction load;
    const wchar_t* name;
    std::vector<Call> calls;
    bool loaded;
  };
  const std::wstring shell32 = system_dir() + L"\\shell32.dll";
  const Case cases[] = {
      {"current", current_windows, L"shell32.dll", {{L"shell32.dll", LOAD_LIBRARY_SEARCH_SYSTEM32}}, true},
      {"7 without the update", windows_7_without_update, L"shell32.dll",
       {{L"shell32.dll", LOAD_LIBRARY_SEARCH_SYSTEM32}, {shell32, LOAD_WITH_ALTERED_SEARCH_PATH}},
       true},
      {"not there", current_windows, L"zol_no_such.dll",
       {{L"zol_no_such.dll", LOAD_LIBRARY_SEARCH_SYSTEM32}}, false},
      {"not there, 7 without the update", windows_7_without_update, L"zol_no_such.dll",
       {{L"zol_no_such.dll", LOAD_LIBRARY_SEARCH_SYSTEM32},
        {system_dir() + L"\\zol_no_such.dll", LOAD_WITH_ALTERED_SEARCH_PATH}},
       false},
  };
  for (const Case& c : cases) {
    calls.clear();
    HMODULE module = load_system_library(c.name, c.load);
    EXPECT_EQ(module != nullptr, c.loaded) << c.what;
    if (module) {
      EXPECT_EQ(file_of(module), lower(system_dir() + L"\\" + c.name)) << c.what;
      FreeLibrary(module);
    }
    ASSERT_EQ(calls.size(), c.calls.size()) << c.what;
    for (size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(lower(calls[i].name), lower(c.calls[i].name)) << c.what << ", call " << i;
      EXPECT_EQ(calls[i].flags, c.calls[i].flags) << c.what << ", call " << i;
    }
  }
}

std::vector<DWORD> set_flags;
BOOL WINAPI recording_set(DWORD flags) {
  set_flags.push_back(flags);
  return TRUE;
}
BOOL WINAPI refusing_set(DWORD flags) {
  set_flags.push_back(flags);
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

TEST(SystemLibraryTest, TheProcessSearchesSystem32OnlyWhereTheSystemCanBeTold) {
  struct Case {
    const char* what;
    SetDefaultDllDirectoriesFunction set;
    bool tied;
    std::vector<DWORD> flags;
  };
  const Case cases[] = {
      {"current", recording_set, true, {LOAD_LIBRARY_SEARCH_SYSTEM32}},
      {"refused", refusing_set, false, {LOAD_LIBRARY_SEARCH_SYSTEM32}},
      {"7 without the update", nullptr, false, {}},
  };
  for (const Case& c : cases) {
    set_flags.clear();
    EXPECT_EQ(search_system32_only(c.set), c.tied) << c.what;
    EXPECT_EQ(set_flags, c.flags) << c.what;
  }
}

// A DLL copied beside the test executable: found by its bare name until the
// process is settled, as Zol.exe settles at start. Any real DLL will do; the
// build's stand-in for XInput (xinput-script/) is one.
TEST(SystemLibraryTest, ADllBesideTheExecutableIsNotLoadedOnceTheProcessIsSettled) {
  namespace fs = std::filesystem;
  wchar_t self[MAX_PATH];
  const fs::path dir = fs::path(std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH)))
                           .parent_path();
  const fs::path planted = dir / L"zol_planted_test.dll";
  const fs::path dll = dir / L"xinput-script" / L"xinput1_4.dll";
  ASSERT_TRUE(CopyFileW(dll.c_str(), planted.c_str(), FALSE));
  struct Cleanup {
    fs::path file;
    ~Cleanup() {
      // Back to the search a process starts with, for the tests after this one.
      SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
      std::error_code ignored;
      fs::remove(file, ignored);
    }
  } cleanup{planted};

  HMODULE before = LoadLibraryW(L"zol_planted_test.dll");
  ASSERT_NE(before, nullptr) << "the default search finds a DLL beside the executable";
  FreeLibrary(before);

  ASSERT_NE(find_set_default_dll_directories(), nullptr);
  settle_process();
  HMODULE after = LoadLibraryW(L"zol_planted_test.dll");
  EXPECT_EQ(after, nullptr);
  if (after) FreeLibrary(after);
  HMODULE shell32 = LoadLibraryW(L"shell32.dll");
  EXPECT_NE(shell32, nullptr) << "System32's own still load by name";
  if (shell32) FreeLibrary(shell32);
}

}  // namespace
}  // namespace zol::win32
