#pragma once
// File names cross into the program as UTF-8 (command line, JSON, the viewer) and go to the
// system in its own form: bytes as they are on POSIX, UTF-16 on Windows, where a narrow
// std::filesystem::path would go through the ANSI code page and name another file. These are
// the two edges; everything between keeps UTF-8 strings.

#include <filesystem>
#include <string>

namespace kavex {

// A UTF-8 name as the system's path: POSIX keeps its bytes, Windows takes its UTF-16.
std::filesystem::path PathFromUtf8(const std::string& Name);
// The other way, for output: POSIX gives its bytes back, Windows its UTF-16 as UTF-8 (a lone
// surrogate as U+FFFD).
std::string PathToUtf8(const std::filesystem::path& Path);

}  // namespace kavex
