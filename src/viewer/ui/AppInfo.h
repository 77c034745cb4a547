#pragma once
// The program's identity, shown by the main window's caption, the About box and the welcome line.
// Name and version come from the build (project() in CMakeLists.txt).

#include "KavexVersion.h"

namespace kavex {

inline constexpr const char* ReleaseTag = "TEST ONLY";

}  // namespace kavex
