#include "model/Kav_EEPROM.h"

namespace kavex {

TEEPROM::TEEPROM(TKavClass* Parent, std::int32_t Available, TCursor& Cursor) : TKavContainer(Parent, Available, Cursor) {
  SetSize(static_cast<std::int32_t>(std::min<std::size_t>(Cursor.Left(), static_cast<std::size_t>(std::max(Available, 0)))));
  SetData(Cursor.Here());
  Cursor.Advance(Size());
}

}  // namespace kavex
