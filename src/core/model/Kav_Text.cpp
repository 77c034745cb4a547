#include "model/Kav_Text.h"

#include <algorithm>

#include "model/CodePage.h"

namespace kavex {

TTextSubchunk::TTextSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader)
    : TSubchunk(Parent, Available, Reader) {
  const std::int64_t L = GetLength();
  // Length 16 announces no body. A Length below 16 cannot even hold its own header; it is
  // taken as empty as well, rather than letting the entry scan start inside the header.
  if (L <= static_cast<std::int64_t>(SubchunkHeaderSize)) return;
  CharWidth_ = (GetFlags() & (FlagWide | FlagNarrowBody)) == FlagWide ? 2 : 1;
  const std::size_t BodySize = static_cast<std::size_t>(L) - SubchunkHeaderSize;

  if (GetFlags() & FlagPacked) {
    // The base checked Length against the chunk's rest, so the whole body is there.
    PackedData_ = Reader.TakeUpTo(BodySize);
    Reader.AlignUp4UpToEnd();
    return;
  }

  // The table does not store its entry count: n is the largest count for which n length bytes
  // plus the entries they describe still fit into Length. The scan reads one length byte too
  // many and gives it back. That last byte may lie just behind the subchunk, or behind the
  // chunk data, where it reads as 0 (a zero-filled read); as it is never kept, that changes
  // nothing.
  const TByteView Rest = Reader.Rest();
  std::int64_t Count = 0;
  std::int64_t Sum = 0;
  while (L >= CharWidth_ * Sum + Count + static_cast<std::int64_t>(SubchunkHeaderSize)) {
    Sum += ByteOrZero(Rest, static_cast<std::size_t>(Count));
    ++Count;
  }
  --Count;  // at least one byte was read, since L > 16

  // The accepted bytes lie inside Length, which the base checked against the bytes given.
  EntryLengths_ = Reader.TakeUpTo(static_cast<std::size_t>(Count));
  EntryCount_ = static_cast<std::int32_t>(EntryLengths_.size());
  if (Reader.PeekU8OrZero() == 0xFF) Reader.SkipUpTo(1);  // the table's terminator

  // When the skipped 0xFF was really the first text byte, the entries reach one byte past the
  // subchunk; the view stops at the end of the chunk data, so the last entry may come up short.
  // The starts count no further than Length, which a signed 32-bit number holds.
  EntryStarts_.resize(EntryLengths_.size() + 1);
  std::size_t Total = 0;
  for (std::size_t I = 0; I < EntryLengths_.size(); ++I) {
    EntryStarts_[I] = static_cast<std::uint32_t>(Total);
    Total += std::size_t{EntryLengths_[I]} * CharWidth_;
  }
  EntryStarts_.back() = static_cast<std::uint32_t>(Total);
  EntryData_ = Reader.TakeUpTo(Total);
  if (EntryData_.size() < Total)
    for (std::uint32_t& Start : EntryStarts_) Start = std::min(Start, static_cast<std::uint32_t>(EntryData_.size()));
  Reader.AlignUp4UpToEnd();
}

std::string TTextSubchunk::GetDescription() const {
  if (GetFlags() & FlagPacked) return "packed";
  return FormatText("%d entries", {std::int64_t{EntryCount_}});
}

std::u16string TTextSubchunk::GetText(std::int32_t Index) const {
  std::u16string Text;
  if (Index < 0 || Index >= EntryCount_) return Text;
  unsigned Width = CharWidth_;
  std::size_t First = 0;
  if ((GetFlags() & FlagWide) && Index == 0) {
    First = 1;  // the language name's first character is not shown
    if (GetFlags() & FlagNarrowBody) Width = 2;
  }
  const TByteView Bytes = EntryBytes(Index);
  const std::size_t Length = EntryLengths_[static_cast<std::size_t>(Index)];
  Text.reserve(Length);
  for (std::size_t K = First; K < Length; ++K) {
    if (Width == 2) {
      // A 2-byte name in a table of 1-byte entries was stored with one byte per character, so
      // only about half of the code units it asks for exist; decoding stops at the last one
      // stored whole.
      if (!HasBytes(Bytes, 2 * K, 2)) break;
      Text += static_cast<char16_t>(BE16OrZero(Bytes, 2 * K));
    } else {
      if (K >= Bytes.size()) break;
      // Both code pages map every byte into the Basic Multilingual Plane: one code unit.
      Text += static_cast<char16_t>(CodePageChar(Bytes[K]));
    }
  }
  return Text;
}

void TTextSubchunk::AppendTextUtf8(std::int32_t Index, std::string& Out) const {
  if (Index < 0 || Index >= EntryCount_) return;
  // The characters GetText decodes: from First up to the entry's length, as far as they are
  // stored whole.
  bool Wide = CharWidth_ == 2;
  std::size_t First = 0;
  if ((GetFlags() & FlagWide) && Index == 0) {
    First = 1;
    if (GetFlags() & FlagNarrowBody) Wide = true;
  }
  const TByteView Bytes = EntryBytes(Index);
  const std::size_t Length = EntryLengths_[static_cast<std::size_t>(Index)];
  const std::size_t End = std::min(Length, Wide ? Bytes.size() / 2 : Bytes.size());
  if (First >= End) return;
  const std::size_t Unit = Wide ? 2 : 1;
  const std::string_view Stored(reinterpret_cast<const char*>(Bytes.data()) + Unit * First, Unit * (End - First));
  if (Wide)
    AppendUtf16BEAsUtf8(Out, Stored);
  else
    AppendCodePageUtf8(Out, Stored);
}

}  // namespace kavex
