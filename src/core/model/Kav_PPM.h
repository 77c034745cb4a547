#pragma once
// The PPM area: header, version, checksum copy, and the chunk sequence as children.

#include <array>

#include "model/KavObj.h"

namespace kavex {

class TMCU;

constexpr std::size_t PpmHeaderSize = 44;

class TPPM : public TKavContainer {
public:
  // Builds the area from Reader, or returns nullptr (after message 16) when the signature is
  // missing.
  static std::unique_ptr<TPPM> Create(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  TPPM(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  const char* ClassName() const override { return "TPPM"; }
  TNodeKind Kind() const override { return TNodeKind::PPM; }
  std::string GetName() const override { return "PPM"; }
  std::string GetDescription() const override;
  bool MayHaveChildren() const override { return true; }
  TKavClass* ParseNextChild() override;
  // The chunk walk never consumes the checksum and the 4 bytes behind it.
  std::int32_t Left() const override;

  // The version field up to its first zero byte, line feeds kept (UTF-8).
  std::string VersionText() const;
  const std::array<std::uint8_t, PpmHeaderSize>& Header() const { return Header_; }
  std::uint16_t StoredChecksum() const { return StoredChecksum_; }
  TMCU* MCU() const { return MCU_; }

private:
  std::array<std::uint8_t, PpmHeaderSize> Header_{};
  std::uint16_t StoredChecksum_ = 0;
  TMCU* MCU_ = nullptr;
  bool Done_ = false;
};

}  // namespace kavex
