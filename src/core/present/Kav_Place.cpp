#include "present/Kav_Place.h"

#include "log/LogArgs.h"
#include "model/Kav_Fls.h"
#include "present/Kav_Bytes.h"

namespace kavex {

TNodePlace NodePlace(const TKavClass& Node) {
  TNodePlace Place;
  Place.Offset = Node.ImageOffset();
  Place.Size = Node.ImageBytes().size();
  // The image's byte 0 stands at the MCU area's base address, as in the bytes view.
  if (const std::int64_t Base = FlashAddressBase(Node); Base >= 0) Place.Address = Base + static_cast<std::int64_t>(Place.Offset);
  return Place;
}

std::string NodePlaceText(const TKavClass& Node) {
  const TNodePlace Place = NodePlace(Node);
  return FormatText("@%.8x +%.8x", {static_cast<std::int64_t>(Place.Offset), static_cast<std::int64_t>(Place.Size)});
}

const char* LayoutName(const TFls& Root) { return Root.IsWinTesla() ? "WinTesla" : "Divud"; }

}  // namespace kavex
