#pragma once
// A text table: the texts of one language (or the table common to all languages, ID 0x33),
// split into entries, with one or two bytes per character.

#include "model/Kav_Subchunk.h"

namespace kavex {

class TTextSubchunk : public TSubchunk {
public:
  static constexpr std::uint32_t FlagWide = 0x80000000u;    // 2-byte characters, language name's first one hidden
  static constexpr std::uint32_t FlagPacked = 0x20000000u;  // body kept as one block
  static constexpr std::uint32_t FlagNarrowBody = 0x04000000u;  // with FlagWide: 1-byte entries, 2-byte name
  static constexpr std::uint32_t CommonTableID = 0x33;

  TTextSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  const char* ClassName() const override { return "TTextSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::TextSubchunk; }
  // "packed", or "%d entries".
  std::string GetDescription() const override;

  std::int32_t GetEntryCount() const { return EntryCount_; }
  // 1 (one byte per character), 2 (UTF-16), 0 for a subchunk without body.
  std::uint8_t GetCharWidth() const { return CharWidth_; }
  // The display text of entry Index; empty when there is no such entry.
  std::u16string GetText(std::int32_t Index) const;
  // The same text in UTF-8, appended to Out (the same as Utf16ToUtf8 of GetText, made
  // without the detour through UTF-16: tables hold thousands of entries).
  void AppendTextUtf8(std::int32_t Index, std::string& Out) const;

  TByteView EntryLengths() const { return EntryLengths_; }
  // The stored bytes of entry Index as far as the chunk data holds them (an entry may come up
  // short at its end); empty when there is no such entry. Equal bytes, lengths and flags make
  // equal texts.
  TByteView EntryBytes(std::int32_t Index) const {
    if (Index < 0 || Index >= EntryCount_) return {};
    const auto I = static_cast<std::size_t>(Index);
    return EntryData_.subspan(EntryStarts_[I], EntryStarts_[I + 1] - EntryStarts_[I]);
  }
  TByteView PackedData() const { return PackedData_; }
  std::int32_t PackedSize() const { return static_cast<std::int32_t>(PackedData_.size()); }

private:

  std::uint8_t CharWidth_ = 0;
  std::int32_t EntryCount_ = 0;
  TByteView EntryLengths_;
  // The entries one after another as stored; entry i is [EntryStarts_[i], EntryStarts_[i + 1]).
  TByteView EntryData_;
  std::vector<std::uint32_t> EntryStarts_;
  TByteView PackedData_;
};

}  // namespace kavex
