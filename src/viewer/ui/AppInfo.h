#pragma once
// The program's identity, shown by the main window's caption, the About box and the welcome line.

namespace kavex {

inline constexpr const char* ProgramName = "Kavex";
inline constexpr int VersionMajor = 0;
inline constexpr int VersionMinor = 10;
inline constexpr const char* ReleaseTag = "TEST ONLY";

}  // namespace kavex
