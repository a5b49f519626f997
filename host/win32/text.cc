// Text between the menu's UTF-8 and the system's UTF-16, and the system's
// own words for its errors.

#include "host/win32/platform.h"

#include <cwctype>

namespace zol::win32 {

std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), n);
  return out;
}

std::string narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::string system_reason(DWORD code) {
  std::wstring text;
  for (DWORD language : {DWORD{MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)}, DWORD{0}}) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer),
                                   0, nullptr);
    if (buffer) {
      text.assign(buffer, n);
      LocalFree(buffer);
    }
    if (!text.empty()) break;
  }
  while (!text.empty() && (std::iswspace(text.back()) || text.back() == L'.')) text.pop_back();
  return (text.empty() ? std::string("Windows-Fehler") : narrow(text)) + " (Fehler " +
         std::to_string(code) + ").";
}

}  // namespace zol::win32
