#include "BenchImage.h"

#include <stdexcept>
#include <string>

using namespace kavtest;

namespace kavbench {
namespace {

// What the changed copy changes.
struct Changes {
  bool On = false;
};

// A text table of 1,500 entries; entry 0 names the language. Every fourth table is stored
// with two bytes per character.
Bytes TextTable(int Language, const Changes& C) {
  const bool Wide = Language % 4 == 3;
  std::vector<std::string> Narrow;
  std::vector<std::u16string> Units;
  const std::string Name = "Language " + std::to_string(Language);
  // Language tables skip the common table's ID.
  const auto Id = static_cast<std::uint32_t>(Language + 1 < 0x33 ? Language + 1 : Language + 2);
  for (int I = 0; I < 1500; ++I) {
    // About a dozen characters, as menu texts and prompts mostly are.
    std::string Text = I == 0 ? Name : "Text " + std::to_string(I) + (I % 7 == 0 ? " longer" : "");
    if (C.On && I % 100 == 50) Text = "Reworded text " + std::to_string(I);  // 15 of 1,500
    Narrow.push_back(Text);
    Units.emplace_back(Text.begin(), Text.end());
  }
  if (Wide) {
    Units[0].insert(Units[0].begin(), u'\u0001');  // the hidden first character of a wide name
    return SubchunkBytes({.Id = Id, .Flags = 0x80000000u, .Body = WideTextBody(Units, true)});
  }
  return SubchunkBytes({.Id = Id, .Body = TextBody(Narrow, true)});
}

// Five fonts of 400 glyphs 8 wide and 12 high, in four ranges over one bit image.
// The glyphs the changed copy changes: font chunk, font, glyph number.
constexpr int ChangedGlyphs[5][3] = {{0, 0, 10}, {0, 3, 150}, {1, 1, 200}, {2, 2, 300}, {2, 4, 399}};

Bytes FontChunk(int Index, const Changes& C) {
  std::vector<Font> Fonts;
  for (int F = 0; F < 5; ++F) {
    Font Ft{.Name1 = "Font" + std::to_string(Index) + "_" + std::to_string(F), .Name2 = "Sz12"};
    for (int R = 0; R < 4; ++R)
      Ft.Ranges.push_back({.First = static_cast<std::uint16_t>(0x20 + 100 * R + (R > 1 ? 0x300 : 0)),
                           .Last = static_cast<std::uint16_t>(0x20 + 100 * R + (R > 1 ? 0x300 : 0) + 99),
                           .FirstRow = static_cast<std::uint32_t>(R * 100 * 12),
                           .Height = 12});
    Bytes Bitmap(400 * 12 / 8 * 8);
    for (std::size_t B = 0; B < Bitmap.size(); ++B) Bitmap[B] = static_cast<std::uint8_t>(B * 37 + F);
    // One pixel of the glyph's first row, in the first column: bit row % 8 of its band's byte.
    for (const auto& G : ChangedGlyphs)
      if (C.On && G[0] == Index && G[1] == F) {
        const int Row = G[2] * 12;
        Bitmap[static_cast<std::size_t>(Row / 8 * 8)] ^= static_cast<std::uint8_t>(1u << (Row % 8));
      }
    Ft.Images.push_back({.Width = 8, .Bitmap = Bitmap});
    Fonts.push_back(Ft);
  }
  return ChunkBytes({.Name = "FONT", .Version = "F1",
                     .Data = Concat({SubchunkBytes({.Id = 1, .Body = FontBody(Fonts), .Pad = false}), ClosingRecord()})});
}

Bytes ToneSub(int Index) {
  Bytes Tune(120 + Index % 64);
  for (std::size_t B = 0; B < Tune.size(); ++B) Tune[B] = static_cast<std::uint8_t>((B + Index) & 0x7F);
  const std::string Name = "Tone " + std::to_string(Index);
  // Filled up to a multiple of 4, so that the next subchunk starts aligned.
  const std::size_t Size = 1 + Name.size() + Tune.size();
  return SubchunkBytes({.Id = static_cast<std::uint32_t>(Index + 1), .Body = ToneBody(Name, Tune, (4 - Size % 4) % 4), .Pad = false});
}

Bytes OperatorSub(int Index, const Changes& C) {
  std::vector<Operator> Ops;
  for (int K = 0; K < 5; ++K)
    Ops.push_back({.B1 = static_cast<std::uint8_t>(0x10 * K), .B2 = 0xF1, .Name = "Operator " + std::to_string(Index) + "/" + std::to_string(K)});
  if (C.On && Index % 25 == 12) Ops[2].Name = "Renamed " + std::to_string(Index);  // 10 of 250
  return SubchunkBytes({.Id = static_cast<std::uint32_t>(Index + 1), .Flags = CountryFlags(200 + Index % 700, 5), .Body = OperatorEntries(Ops)});
}

std::size_t Total(const std::vector<Bytes>& Chunks) {
  std::size_t N = 0;
  for (const Bytes& C : Chunks) N += C.size();
  return N;
}

Bytes MakeImage(int Scale, int Content, const Changes& C) {
  std::size_t Target = 4 * MiB * static_cast<std::size_t>(Scale);
  const Bytes Eeprom(16 * 1024 * static_cast<std::size_t>(Scale), 0xEE);
  const Mcu M{.Size = 2 * MiB * static_cast<std::size_t>(Scale)};

  std::vector<Bytes> Chunks;
  Bytes Texts;
  for (int L = 0; L < 40 * Scale * Content; ++L) Append(Texts, TextTable(L, C));
  std::vector<std::string> Common;
  for (int I = 0; I < 200; ++I) Common.push_back("Common " + std::to_string(I));
  Append(Texts, SubchunkBytes({.Id = 0x33, .Body = TextBody(Common, true)}));
  Append(Texts, ClosingRecord());
  Chunks.push_back(ChunkBytes({.Name = "TEXT", .Version = "T1", .Data = Texts}));
  for (int F = 0; F < 3 * Scale; ++F) Chunks.push_back(FontChunk(F, C));
  Bytes Tones;
  for (int T = 0; T < 300 * Scale * Content; ++T) Append(Tones, ToneSub(T));
  Append(Tones, ClosingRecord());
  Chunks.push_back(ChunkBytes({.Name = "TONE", .Version = "R1", .Data = Tones}));
  Bytes Operators;
  for (int P = 0; P < 250 * Scale * Content; ++P) Append(Operators, OperatorSub(P, C));
  Append(Operators, ClosingRecord());
  Chunks.push_back(ChunkBytes({.Name = "PLMN", .Version = "P1", .Data = Operators}));
  Bytes Lpcs;
  for (int K = 0; K < 32 * Scale; ++K) Append(Lpcs, SubchunkBytes({.Id = static_cast<std::uint32_t>(K + 1), .Body = Bytes(512, 0x22)}));
  Append(Lpcs, ClosingRecord());
  Chunks.push_back(ChunkBytes({.Name = "LPCS", .Version = "C1", .Data = Lpcs}));

  // Raw subchunks of 4 KiB fill the PPM area up to the target size.
  constexpr std::size_t PpmOverhead = 44 + 20 + 8;  // header, end chunk, checksum and trailer
  const std::size_t Used = M.Size + Eeprom.size() + PpmOverhead + Total(Chunks) + 20 + 16;
  // More content than the size holds: the image grows to the next whole MiB.
  if (Content > 1 && Used + 8192 + 32 > Target) Target = (Used + 8192 + 32 + MiB - 1) / MiB * MiB;
  Bytes Raw;
  std::uint32_t Id = 1;
  for (; Used + Raw.size() + 8192 <= Target; ++Id)
    Append(Raw, SubchunkBytes({.Id = Id, .ShortName = "raw", .Body = Bytes(4096 - 16, static_cast<std::uint8_t>(Id))}));
  if (Used + Raw.size() + 32 > Target) throw std::length_error("the benchmark image's parts exceed its size");
  const std::size_t Last = (Target - Used - Raw.size()) / 4 * 4;
  Append(Raw, SubchunkBytes({.Id = Id, .ShortName = "raw", .Body = Bytes(Last - 16, 0x5A)}));
  Bytes RawData = Raw;
  Append(RawData, ClosingRecord());
  Chunks.push_back(ChunkBytes({.Name = "GSMC", .Version = "G1", .Data = RawData}));
  Chunks.push_back(EndChunk());

  Ppm P;
  P.Chunks = Chunks;
  Bytes Image = DivudImage(M, P, Eeprom);
  // 100 bytes of the MCU area's code, far behind its header.
  if (C.On)
    for (std::size_t B = 0; B < 100; ++B) Image[0x10000 + 37 * B] ^= 0x5A;
  return Image;
}

}  // namespace

Bytes RealisticImage(int Scale, int Content) { return MakeImage(Scale, Content, {}); }

Bytes RealisticImageChanged(int Scale) { return MakeImage(Scale, 1, {.On = true}); }

Bytes RealisticWinTesla(int Scale) { return WinTesla(RealisticImage(Scale), 0x200000, 0x10000); }

}  // namespace kavbench
