#pragma once
// An operator list: the network operators of one country, each with its code and provider.

#include "model/Kav_Subchunk.h"

namespace kavex {

class TPLMNSubchunk : public TSubchunk {
public:
  TPLMNSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  const char* ClassName() const override { return "TPLMNSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::PLMNSubchunk; }
  // The country code in three digits, empty for ID 0.
  std::string GetDescription() const override;

  // Digits 1 and 2 in the low and high nibble of flags byte 12, digit 3 in the low nibble of
  // byte 13, as in a PLMN identity.
  std::int32_t GetCountryCode() const;
  std::int32_t GetOperatorCount() const { return static_cast<std::int32_t>(Operators_.size()); }
  std::int32_t GetOperatorCode(std::int32_t Index) const;   // 0 past the end
  std::string GetOperatorName(std::int32_t Index) const;    // empty past the end
  // The bytes the entries and their names are read from: from the body's start to the end of
  // the furthest name, which may lie behind the subchunk's own bytes.
  TByteView BodyBytes() const { return Body_; }

private:
  struct TOperator {
    std::uint32_t NamePos;  // in Body_
    std::uint8_t NameSize;  // up to the name's first zero byte
    std::int32_t Code;
  };
  // Entries may overlap (a record length shorter than the name), so names point into the
  // chunk data from the body's start to the end of the furthest name (which may lie past the
  // subchunk) instead of being copied each.
  TByteView Body_;
  std::vector<TOperator> Operators_;
};

// The code of an operator entry from its two code bytes.
std::int32_t OperatorCode(std::uint8_t B1, std::uint8_t B2);

}  // namespace kavex
