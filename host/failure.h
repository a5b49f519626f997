#pragma once
// How the menu reports a failure, and the words it uses to say that a
// program could not be started: the same on every platform.

#include <string>

#include "host/platform.h"

namespace zol {

// The entry's report of the failure that ended the menu: one line
// "zol: <text>" on stderr, then the platform's message when there is a
// platform to show it.
void report_failure(Platform* platform, const std::string& text);

// Throws PlatformError "\"<program>\" konnte nicht gestartet werden: <reason>".
[[noreturn]] void fail_to_start(const std::string& program, const std::string& reason);

// The menu starts only what lies beside it: a program's name must be a bare
// file name, without a folder or a drive and not "." or "..". Throws the
// start failure when it is not.
void require_bare_file_name(const std::string& program);

// The reasons both platforms give in the same words.
inline constexpr char kIsDirectory[] = "Das ist ein Verzeichnis, keine Datei.";
inline constexpr char kNotAProgram[] = "Die Datei ist kein ausführbares Programm.";
std::string not_found_beside(const std::string& dir);

// Throws PlatformError: where the menu's own executable lies is unknown.
[[noreturn]] void fail_to_find_executable(const std::string& reason);

}  // namespace zol
