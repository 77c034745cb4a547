#include "PanelImages.h"

namespace kavtest {

Bytes ChunkOf(const std::string& Name, const std::vector<Bytes>& Subchunks, std::string_view Version) {
  Bytes Data;
  for (const Bytes& S : Subchunks) Append(Data, S);
  Append(Data, ClosingRecord());
  return ChunkBytes({.Name = Name, .Version = std::string(Version), .Data = Data});
}

Bytes TextSubchunk(std::uint32_t Id, const std::vector<std::string>& Entries, std::string_view ShortName) {
  return SubchunkBytes({.Id = Id, .ShortName = std::string(ShortName), .Body = TextBody(Entries, true)});
}

Bytes WideTextSubchunk(std::uint32_t Id, const std::vector<std::u16string>& Entries, std::string_view ShortName) {
  return SubchunkBytes(
      {.Id = Id, .ShortName = std::string(ShortName), .Flags = 0x80000000u, .Body = WideTextBody(Entries, true)});
}

// Tone and font subchunks are not aligned: the next record follows right behind.
Bytes ToneSubchunk(std::uint32_t Id, std::string_view Name) {
  return SubchunkBytes({.Id = Id, .Body = ToneBody(Name, {0x11, 0x22, 0x33}), .Pad = false});
}

Bytes FontSubchunk(const std::vector<Font>& Fonts) {
  return SubchunkBytes({.Id = 1, .Body = FontBody(Fonts), .Pad = false});
}

Bytes PlmnSubchunk(std::uint32_t Id, int Mcc, const std::vector<Operator>& Operators) {
  return SubchunkBytes({.Id = Id, .Flags = CountryFlags(Mcc), .Body = OperatorEntries(Operators)});
}

Font ArtFont(std::uint16_t First, const std::vector<std::vector<std::string>>& Glyphs, std::string Name) {
  std::vector<std::string> Rows;
  for (const auto& Glyph : Glyphs) Rows.insert(Rows.end(), Glyph.begin(), Glyph.end());
  const auto Height = static_cast<std::uint32_t>(Glyphs.front().size());
  const auto Width = static_cast<std::uint8_t>(Glyphs.front().front().size());
  const auto Last = static_cast<std::uint16_t>(First + Glyphs.size() - 1);
  return Font{.Name1 = std::move(Name),
              .Ranges = {{.First = First, .Last = Last, .Height = Height}},
              .Images = {{.Width = Width, .Bitmap = BandBitmap(Rows)}}};
}

}  // namespace kavtest
