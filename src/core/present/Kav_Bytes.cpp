#include "present/Kav_Bytes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

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

std::string OffsetText(std::uint64_t Offset) {
  char Text[24];
  std::snprintf(Text, sizeof Text, "%08llX", static_cast<unsigned long long>(Offset));
  return Text;
}

namespace {
std::string_view Trimmed(std::string_view Text) {
  const auto Blank = [](char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\r' || C == '\f' || C == '\v'; };
  while (!Text.empty() && Blank(Text.front())) Text.remove_prefix(1);
  while (!Text.empty() && Blank(Text.back())) Text.remove_suffix(1);
  return Text;
}
}  // namespace

std::optional<std::size_t> ParseImageOffset(std::string_view Text) {
  std::string_view T = Trimmed(Text);
  unsigned Base = 10;
  const auto Lower = [](char C) { return static_cast<char>(C >= 'A' && C <= 'Z' ? C - 'A' + 'a' : C); };
  if (T.size() >= 2 && T[0] == '0' && Lower(T[1]) == 'x') {
    T.remove_prefix(2);
    Base = 16;
  } else if (!T.empty() && T.front() == '$') {
    T.remove_prefix(1);
    Base = 16;
  } else if (!T.empty() && Lower(T.back()) == 'h') {
    T.remove_suffix(1);
    Base = 16;
  }
  if (T.empty()) return std::nullopt;
  std::uint64_t Value = 0;
  for (const char C : T) {
    const char L = Lower(C);
    unsigned Digit = 0;
    if (L >= '0' && L <= '9') Digit = static_cast<unsigned>(L - '0');
    else if (Base == 16 && L >= 'a' && L <= 'f') Digit = static_cast<unsigned>(L - 'a' + 10);
    else return std::nullopt;
    if (Value > (UINT64_MAX - Digit) / Base) return std::nullopt;  // too large for any offset
    Value = Value * Base + Digit;
  }
  if (Value > SIZE_MAX) return std::nullopt;
  return static_cast<std::size_t>(Value);
}

std::string NotAnOffsetText(std::string_view Text) {
  return std::string(Trimmed(Text)) + " is not an offset: give it in decimal or hex (0x1F0, $1F0, 1F0h)";
}

std::string HexRow(TByteView Bytes, std::size_t Row) { return BytesHex(RowBytes(Bytes, Row)); }
std::string TextRow(TByteView Bytes, std::size_t Row) { return BytesText(RowBytes(Bytes, Row)); }

}  // namespace kavex
