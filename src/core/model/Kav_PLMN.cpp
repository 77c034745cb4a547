#include "model/Kav_PLMN.h"

#include <algorithm>

#include "model/Kav_Chunk.h"

namespace kavex {

std::int32_t OperatorCode(std::uint8_t B1, std::uint8_t B2) {
  // A high nibble 0xF in the second byte marks the three-digit form.
  if ((B2 >> 4) == 0xF) return ((B1 & 0x0F) * 100 + (B1 >> 4) * 10 + (B2 & 0x0F)) / 10;
  return (B1 >> 4) * 10 + (B2 >> 4);
}

TPLMNSubchunk::TPLMNSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader)
    : TSubchunk(Parent, Available, Reader) {
  const std::int64_t L = GetLength();
  const TByteView Data = Reader.Bytes();  // the chunk's data
  const std::size_t Start = Reader.Pos();
  // Entries are read while the cursor stands before the subchunk's end. Each is read from the
  // chunk data, so the last one and its name may reach past that end; only the end of the
  // chunk data cuts them (a byte beyond it reads as 0). A Length below 16 leaves no entries.
  const std::size_t End = Start - SubchunkHeaderSize + SizeOrZero(L);
  std::size_t NamesEnd = Start;
  while (Reader.Pos() < End && Reader.Left() > 0) {
    const std::size_t Pos = Reader.Pos();
    const std::uint8_t RecordLength = Data[Pos];
    const std::size_t NameStart = std::min(Pos + 4, Data.size());
    const TByteView Name =
        Data.subspan(NameStart, std::min<std::size_t>(ByteOrZero(Data, Pos + 3), Data.size() - NameStart));
    const auto NameSize = static_cast<std::size_t>(std::find(Name.begin(), Name.end(), 0) - Name.begin());
    Operators_.push_back({static_cast<std::uint32_t>(NameStart - Start), static_cast<std::uint8_t>(NameSize),
                          OperatorCode(ByteOrZero(Data, Pos + 1), ByteOrZero(Data, Pos + 2))});
    NamesEnd = std::max(NamesEnd, NameStart + NameSize);
    // A record length of 0 would read this entry for ever: the list ends with it, and the next
    // subchunk starts behind this one's length.
    if (RecordLength == 0) {
      Reader.SkipUpTo(End - Pos);
      break;
    }
    Reader.SkipUpTo(RecordLength);
    Reader.AlignUp4UpToEnd();
  }
  // The cursor ends behind the last entry, aligned, where the chunk's walk goes on.
  Reader.AlignUp4UpToEnd();
  Body_ = Data.subspan(Start, NamesEnd - Start);
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
