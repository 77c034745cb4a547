#include "present/Kav_Bytes.h"

#include <algorithm>
#include <array>

#include "model/CodePage.h"
#include "model/Kav_Kinds.h"
#include "model/KavObj.h"
#include "model/Kav_Chunk.h"
#include "model/Kav_Font.h"
#include "model/Kav_MCU.h"
#include "model/Kav_Subchunk.h"

namespace kavex {

std::size_t NodeHeaderSize(const TKavClass& Node) {
  std::size_t Header = 0;
  if (Node.Kind() == TNodeKind::Chunk) Header = ChunkHeaderSize;
  else if (Node.Kind() == TNodeKind::FontEntry) Header = FontHeaderSize;
  else if (IsSubchunkKind(Node.Kind())) Header = SubchunkHeaderSize;
  return std::min(Header, Node.ImageBytes().size());
}

TByteField HeaderField(THeaderField Field) {
  static constexpr std::array<TByteField, 8> Fields{{{0, 4}, {4, 4}, {8, 4}, {12, 8}, {0, 4}, {4, 4}, {8, 4}, {12, 4}}};
  return Fields[static_cast<std::size_t>(Field)];
}

std::int64_t FlashAddressBase(const TKavClass& Node) {
  for (const TKavClass* At = &Node; At; At = At->Parent())
    if (At->Kind() == TNodeKind::MCU) return static_cast<const TMCU*>(At)->BaseAddr();
  return -1;
}

namespace {

TByteView RowBytes(TByteView Bytes, std::size_t Row) {
  if (Row >= (Bytes.size() + BytesPerRow - 1) / BytesPerRow) return {};
  const std::size_t First = Row * BytesPerRow;
  return Bytes.subspan(First, std::min(BytesPerRow, Bytes.size() - First));
}

}  // namespace

std::string BytesHex(TByteView Bytes) {
  static constexpr char Digits[] = "0123456789ABCDEF";
  std::string Out;
  Out.reserve(Bytes.size() * 3);
  for (const std::uint8_t B : Bytes) {
    if (!Out.empty()) Out += ' ';
    Out += Digits[B >> 4];
    Out += Digits[B & 15];
  }
  return Out;
}

std::string BytesText(TByteView Bytes) {
  std::string Out;
  Out.reserve(Bytes.size());
  for (const std::uint8_t B : Bytes) {
    const char32_t Code = CodePageChar(B);
    if (Code < 0x20 || (Code >= 0x7F && Code < 0xA0)) Out += '.';
    else AppendUtf8(Out, Code);
  }
  return Out;
}

std::string HexRow(TByteView Bytes, std::size_t Row) { return BytesHex(RowBytes(Bytes, Row)); }
std::string TextRow(TByteView Bytes, std::size_t Row) { return BytesText(RowBytes(Bytes, Row)); }

}  // namespace kavex
