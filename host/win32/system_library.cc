#include "host/win32/system_library.h"

#include <string>

namespace zol::win32 {

HMODULE load_system_library(const wchar_t* name, LoadLibraryExFunction load) {
  if (HMODULE module = load(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
  if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
  std::wstring path(MAX_PATH, L'\0');
  UINT n = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (n >= path.size()) {
    path.resize(n);
    n = GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  }
  if (n == 0 || n >= path.size()) return nullptr;
  path.resize(n);
  // What it imports in turn is looked for beside it first, in System32 too.
  return load((path + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

SetDefaultDllDirectoriesFunction find_set_default_dll_directories() {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  FARPROC entry = kernel32 ? GetProcAddress(kernel32, "SetDefaultDllDirectories") : nullptr;
  return reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(entry));
}

bool search_system32_only(SetDefaultDllDirectoriesFunction set) {
  return set && set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace zol::win32
