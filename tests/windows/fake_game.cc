// A stand-in for the game, built as "ZolMain.exe": appends how it was
// started to "game.record" beside itself, in one write, then ends.
//   command=<its command line>
//   directory=<its working directory>
//   show=<wShowWindow, or "none" without STARTF_USESHOWWINDOW>

#define UNICODE
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace {

std::string utf8(const std::wstring& text) {
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

int main() {
  std::wstring directory(GetCurrentDirectoryW(0, nullptr), L'\0');
  directory.resize(GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data()));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  const std::string record =
      "command=" + utf8(GetCommandLineW()) + "\ndirectory=" + utf8(directory) + "\nshow=" +
      (startup.dwFlags & STARTF_USESHOWWINDOW ? std::to_string(startup.wShowWindow) : "none") +
      "\n";

  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  path = path.substr(0, path.find_last_of(L'\\')) + L"\\game.record";
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
