// Programs started with CreateProcessW beside the menu, and addresses
// (the website) handed to ShellExecuteA.

#include "host/win32/platform.h"

#include "host/failure.h"

namespace zol::win32 {
namespace {

// The directory of the running executable, without a trailing separator.
std::wstring executable_dir() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) fail_to_find_executable(system_reason(GetLastError()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/"));
}

// One argument as CommandLineToArgvW and the C runtime read it back.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L'"';
}

std::string start_reason(DWORD code, const std::wstring& dir, const std::wstring& path) {
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
    return not_found_beside(narrow(dir));
  // Which error a directory gives differs between Windows and wine.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return kIsDirectory;
  switch (code) {
    case ERROR_ACCESS_DENIED:
      return "Der Zugriff auf die Datei wurde verweigert.";
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MARKED_INVALID:
    case ERROR_INVALID_EXE_SIGNATURE:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
      return kNotAProgram;
    default:
      return system_reason(code);
  }
}

int show_command(WindowState state) {
  return state == WindowState::MinimisedWithFocus ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
}

}  // namespace

void Win32Platform::start_program(const std::string& program,
                                  const std::vector<std::string>& args, WindowState state) {
  require_bare_file_name(program);
  const std::wstring dir = executable_dir();
  // The full path as the application name: no search, so nothing planted
  // in the working directory or on PATH can be started instead.
  const std::wstring path = dir + L"\\" + widen(program);
  std::wstring command = quoted(widen(program));
  for (const std::string& arg : args) command += L" " + quoted(widen(arg));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show_command(state));
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      dir.c_str(), &startup, &process))
    fail_to_start(program, start_reason(GetLastError(), dir, path));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

void Win32Platform::open_address(const std::string& verb, const std::string& address,
                                 WindowState state) {
  if (!shell_execute_) {
    HMODULE shell = win32::load_system_library(L"shell32.dll");
    if (!shell)
      throw PlatformError("\"shell32.dll\" konnte nicht geladen werden: " +
                          system_reason(GetLastError()));
    FARPROC entry = GetProcAddress(shell, "ShellExecuteA");
    if (!entry)
      throw PlatformError("\"ShellExecuteA\" fehlt in \"shell32.dll\": " +
                          system_reason(GetLastError()));
    shell_execute_ = reinterpret_cast<ShellExecuteAFunction>(reinterpret_cast<void (*)()>(entry));
  }
  shell_execute_(nullptr, verb.c_str(), address.c_str(), nullptr, nullptr, show_command(state));
}

}  // namespace zol::win32
