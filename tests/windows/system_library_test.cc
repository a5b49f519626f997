// Loading Windows' own DLLs from System32, also on a Windows 7 that knows
// no search flags (without update KB2533623).

#include "host/win32/system_library.h"

#include <gtest/gtest.h>

#include <cwctype>
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

}  // namespace
}  // namespace zol::win32
