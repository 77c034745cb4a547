#pragma once
// A ringing tone: its name and its tune bytes, which are kept but not interpreted.

#include "model/Kav_Subchunk.h"

namespace kavex {

class TToneSubchunk : public TSubchunk {
public:
  TToneSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  const char* ClassName() const override { return "TToneSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::ToneSubchunk; }
  // The tone's name up to its first zero byte.
  std::string GetDescription() const override;

  std::uint8_t NameLength() const { return NameLength_; }
  TByteView NameBytes() const { return NameBytes_; }
  TByteView TuneData() const { return TuneData_; }
  // Bytes from behind the name to the last byte before the fill; below 0 when the fill or the
  // name reach over each other (the tune is then empty).
  std::int32_t TuneSize() const { return TuneSize_; }
  // 0xFF bytes found behind the tune.
  std::int32_t FillSize() const { return Fill_; }

private:
  std::uint8_t NameLength_ = 0;
  TByteView NameBytes_;
  TByteView TuneData_;
  std::int32_t TuneSize_ = 0;
  std::int32_t Fill_ = 0;
};

}  // namespace kavex
