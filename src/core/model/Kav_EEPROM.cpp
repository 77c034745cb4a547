#include "model/Kav_EEPROM.h"

namespace kavex {

TEEPROM::TEEPROM(TKavClass* Parent, std::int32_t Available, TReader& Reader) : TKavContainer(Parent, Available, Reader) {
  SetSize(Available);
  const std::size_t Offset = Reader.ImageOffset();
  SetData(Reader.TakeUpTo(SizeOrZero(Available)), Offset);
}

}  // namespace kavex
