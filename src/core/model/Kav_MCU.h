#pragma once
// The MCU area: processor code with its header, version string, VNext record and checksum.

#include "model/KavObj.h"

namespace kavex {

class TMCU : public TKavContainer {
public:
  TMCU(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  const char* ClassName() const override { return "TMCU"; }
  TNodeKind Kind() const override { return TNodeKind::MCU; }
  std::string GetName() const override { return "MCU"; }
  std::string GetDescription() const override { return JoinLines(Version_); }

  std::uint16_t GetStoredChecksum() const { return BE16OrZero(Data(), 0x22); }  // 0 before the area is built
  std::uint16_t GetCalcChecksum() const;
  const std::string& GetVersion() const { return Version_; }  // as stored, line feeds kept (UTF-8)
  std::int32_t GetPPMLength() const { return PPMLength_; }

  std::int32_t BaseAddr() const { return BaseAddr_; }
  std::int32_t ChecksumLength() const { return ChecksumLength_; }
  std::int32_t InfoBase() const { return InfoBase_; }
  std::int32_t VNext() const { return VNext_; }
  std::int32_t PPMLocation() const { return PPMLocation_; }

private:
  std::int32_t BaseAddr_ = 0;
  std::int32_t ChecksumLength_ = 0;
  std::string Version_;
  std::int32_t InfoBase_ = 0;
  std::int32_t VNext_ = 0;
  std::int32_t PPMLocation_ = 0;
  std::int32_t PPMLength_ = 0;
};

}  // namespace kavex
