#include "model/Kav_EEPROM.h"

namespace kavex {

TEEPROM::TEEPROM(TKavClass* Parent, std::int32_t Available, TReader& Cursor) : TKavContainer(Parent, Available, Cursor) {
  SetSize(static_cast<std::int32_t>(std::min(Cursor.Left(), SizeOrZero(Available))));
  const std::size_t Offset = Cursor.ImageOffset();
  SetData(Cursor.TakeUpTo(SizeOrZero(Size())), Offset);
}

}  // namespace kavex
