#pragma once
// One chunk of the PPM area: 20-byte header, a view of its data, checksum verdict, and its
// subchunks as lazily built children.

#include <array>

#include "model/KavObj.h"

namespace kavex {

class TSubchunk;

constexpr std::size_t ChunkHeaderSize = 20;

class TChunk : public TKavContainer {
public:
  TChunk(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  const char* ClassName() const override { return "TChunk"; }
  TNodeKind Kind() const override { return TNodeKind::Chunk; }
  std::string GetName() const override;
  std::string GetDescription() const override;
  bool MayHaveChildren() const override { return Size() > 0; }
  TKavClass* ParseNextChild() override;

  const std::array<std::uint8_t, ChunkHeaderSize>& GetHeader() const { return Header_; }
  std::uint32_t GetStoredChecksum() const { return FieldBE32<0>(Header_); }
  std::int32_t GetLength() const { return static_cast<std::int32_t>(FieldBE32<4>(Header_)); }
  std::uint32_t GetCalculatedChecksum() const { return CalculatedChecksum_; }
  // The four name bytes as one number, first byte most significant.
  std::uint32_t GetNameCode() const { return FieldBE32<8>(Header_); }
  std::string NameText() const;     // name/type up to its first zero byte (UTF-8)
  std::string VersionText() const;  // version up to its first zero byte (UTF-8)
  bool Closed() const { return Closed_; }

private:
  std::array<std::uint8_t, ChunkHeaderSize> Header_{};
  std::uint32_t CalculatedChecksum_ = 0;
  bool Closed_ = false;
};

// The subchunk class built for every subchunk of a chunk, chosen by the chunk's name bytes.
using TSubchunkFactory = std::unique_ptr<TSubchunk> (*)(TKavClass* Parent, std::int32_t Available, TReader& Reader);
struct TSubchunkKind {
  std::array<std::uint8_t, 4> Name;
  TSubchunkFactory Create;
};
// The table in search order; the first row whose 4 name bytes match wins.
std::span<const TSubchunkKind> SubchunkKinds();

// Text from a fixed-width field up to its first zero byte, through the code page (UTF-8).
std::string FieldText(TByteView Field);

}  // namespace kavex
