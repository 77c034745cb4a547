#include "model/Kav_PLMN.h"

#include <algorithm>

#include "model/Kav_Chunk.h"

namespace kavex {

std::int32_t OperatorCode(std::uint8_t B1, std::uint8_t B2) {
  // A high nibble 0xF in the second byte marks the three-digit form.
  if ((B2 >> 4) == 0xF) return ((B1 & 0x0F) * 100 + (B1 >> 4) * 10 + (B2 & 0x0F)) / 10;
  return (B1 >> 4) * 10 + (B2 >> 4);
}

TPLMNSubchunk::TPLMNSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Cursor)
    : TSubchunk(Parent, Available, Cursor) {
  const std::int64_t L = GetLength();
  // Entries are read from the subchunk's own bytes only. Its end lies inside the chunk data
  // (the base checked Length against it); a Length below 16 leaves no entries.
  const std::size_t BodySize = L > static_cast<std::int64_t>(SubchunkHeaderSize)
                                   ? std::min(static_cast<std::size_t>(L) - SubchunkHeaderSize, Cursor.Left())
                                   : 0;
  const std::size_t Start = Cursor.Pos();
  const std::size_t End = Start + BodySize;
  Body_ = Cursor.PeekUpTo(BodySize);
  while (Cursor.Pos() < End) {
    // Fewer than an entry's four fixed bytes left: that is fill, not an entry.
    if (End - Cursor.Pos() < 4) break;
    const TByteView Entry = Body_.subspan(Cursor.Pos() - Start);
    const std::uint8_t RecordLength = Entry[0];
    // A name running past the subchunk is cut at its end.
    const TByteView Name = Entry.subspan(4, std::min<std::size_t>(Entry[3], Entry.size() - 4));
    const auto NameSize = static_cast<std::size_t>(std::find(Name.begin(), Name.end(), 0) - Name.begin());
    Operators_.push_back({static_cast<std::uint32_t>(Cursor.Pos() + 4 - Start), static_cast<std::uint8_t>(NameSize),
                          OperatorCode(Entry[1], Entry[2])});
    // A record length of 0 would read this entry for ever: the list ends with it.
    if (RecordLength == 0) break;
    Cursor.SkipUpTo(std::min<std::size_t>(RecordLength, Entry.size()));
    Cursor.AlignUp4UpToEnd();
  }
  // Wherever the list ended, the next subchunk starts behind this one's length.
  if (Cursor.Pos() < End) Cursor.SkipUpTo(End - Cursor.Pos());
  Cursor.AlignUp4UpToEnd();
}

std::int32_t TPLMNSubchunk::GetCountryCode() const {
  const auto& H = GetHeader();
  return (H[12] & 0x0F) * 100 + (H[12] >> 4) * 10 + (H[13] & 0x0F);
}

std::string TPLMNSubchunk::GetDescription() const {
  if (GetID() == 0) return {};
  // Three digits with leading zeros: the formatter's "%03d" would pad with blanks.
  return FormatText("%.3d", {std::int64_t{GetCountryCode()}});
}

std::int32_t TPLMNSubchunk::GetOperatorCode(std::int32_t Index) const {
  if (Index < 0 || Index >= GetOperatorCount()) return 0;
  return Operators_[static_cast<std::size_t>(Index)].Code;
}

std::string TPLMNSubchunk::GetOperatorName(std::int32_t Index) const {
  if (Index < 0 || Index >= GetOperatorCount()) return {};
  const TOperator& Op = Operators_[static_cast<std::size_t>(Index)];
  return FieldText(Body_.subspan(Op.NamePos, Op.NameSize));
}

}  // namespace kavex
