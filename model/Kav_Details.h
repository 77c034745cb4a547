#pragma once
// Display strings of the detail panels, computed here so that the viewer and kavex-dump
// show the same text.

#include <string>
#include <vector>

#include "model/KavObj.h"

namespace kavex {

// The detail lines kavex-dump prints under a node ("CheckSum: ...", "Entry 3: ...");
// with Glyphs, font entries add their glyphs drawn as text. Empty for nodes without details.
std::vector<std::string> DumpDetailLines(const TKavClass& Node, bool Glyphs);

}  // namespace kavex
