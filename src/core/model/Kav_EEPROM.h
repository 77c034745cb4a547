#pragma once
// Whatever follows the PPM area, kept as it is.

#include "model/KavObj.h"

namespace kavex {

class TEEPROM : public TKavContainer {
public:
  TEEPROM(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  const char* ClassName() const override { return "TEEPROM"; }
  TNodeKind Kind() const override { return TNodeKind::EEPROM; }
  std::string GetName() const override { return "EEPROM"; }
};

}  // namespace kavex
