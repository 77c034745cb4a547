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
  // Whether the area is long enough to hold its checksum copy (else StoredChecksum is 0).
  bool HasStoredChecksum() const { return HasChecksum_; }
  TMCU* MCU() const { return MCU_; }
  // The whole area in the image, its header included (Data and ImageOffset start behind it).
  std::size_t AreaOffset() const { return AreaOffset_; }
  std::size_t AreaSize() const { return AreaSize_; }

private:
  std::array<std::uint8_t, PpmHeaderSize> Header_{};
  std::uint16_t StoredChecksum_ = 0;
  bool HasChecksum_ = false;
  TMCU* MCU_ = nullptr;
  std::size_t AreaOffset_ = 0;
  std::size_t AreaSize_ = 0;
  bool Done_ = false;
};

}  // namespace kavex
