#pragma once
// Private to the Win32 platform. Every DLL it loads at run time is one of
// Windows' own, taken from System32 only: never one lying beside the menu or
// in the working directory.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace zol::win32 {

using LoadLibraryExFunction = HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD);

// Loads `name` (a bare file name such as L"shell32.dll") from System32.
// Windows 7 without update KB2533623 rejects the search flag for System32,
// so then it loads by the full path under GetSystemDirectoryW. nullptr,
// with GetLastError() set, when it can't. `load` is LoadLibraryExW but for
// tests, which play that older Windows.
HMODULE load_system_library(const wchar_t* name, LoadLibraryExFunction load = LoadLibraryExW);

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Kernel32's SetDefaultDllDirectories; nullptr where it has none (Windows 7
// without that update).
SetDefaultDllDirectoriesFunction find_set_default_dll_directories();

// From now on a DLL loaded by name comes from System32 only, also the ones
// the system's own DLLs (user32, shell32) load on demand for the process.
// False where the system can't be told so: then only what the menu loads
// itself, through load_system_library, is tied to System32. `set` is the
// system's but for tests.
bool search_system32_only(
    SetDefaultDllDirectoriesFunction set = find_set_default_dll_directories());

}  // namespace zol::win32
