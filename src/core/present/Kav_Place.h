#pragma once
// Where a node lies: the offset and size of its bytes in the loaded image, and the flash
// address of the first of them for a node of the MCU area, as kavex-dump lists them.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavex {

class TKavClass;
class TFls;

struct TNodePlace {
  std::size_t Offset = 0;     // of the node's first byte in the loaded image (a WinTesla file's blocks joined)
  std::size_t Size = 0;       // how many bytes it has: those NodeBytes gives and --extract writes
  std::int64_t Address = -1;  // the flash address of its first byte in the MCU area; -1 elsewhere
};

TNodePlace NodePlace(const TKavClass& Node);

// The place as a tree line shows it: "@OFFSET +SIZE", each in eight upper-case hex digits
// (an image is never larger than 2 GiB).
std::string NodePlaceText(const TKavClass& Node);

// The layout the root's file was read in: "WinTesla" or "Divud".
const char* LayoutName(const TFls& Root);

}  // namespace kavex
