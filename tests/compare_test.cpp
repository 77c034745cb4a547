#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Kav_Font.h"
#include "present/Kav_Compare.h"
#include "present/Kav_Details.h"
#include "present/Kav_Walk.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

// Each difference on one line: "changed TTextSubchunk 1.1.1|1.1.1 Entry 1: Yes -> Ja"; a node
// alone "added TChunk -|1.1". Checksums and lengths follow from the builder: only named.
Lines Describe(const TComparison& C) {
  Lines Out;
  for (const TNodeDiff& N : C.Nodes) {
    const std::string Node = std::string(ChangeName(N.Change)) + ' ' + N.Class + ' ' + (N.Position1.empty() ? "-" : N.Position1) +
                             '|' + (N.Position2.empty() ? "-" : N.Position2);
    if (N.Change != TChange::Changed) Out.push_back(Node);
    for (const TItemDiff& I : N.Items) {
      if (I.Change == TChange::Same) continue;
      std::string Line = ChangeName(I.Change) + Node.substr(Node.find(' ')) + ' ' + I.Item;
      if (I.Item == "CheckSum" || I.Item == "Length") {
      } else if (I.Kind == TItemKind::Bytes) {
        Line += ": " + std::to_string(I.Count) + " in " + std::to_string(I.RangeCount);
      } else {
        Line += ": " + (I.Change == TChange::Added ? I.New : I.Old);
        if (I.Change == TChange::Changed) Line += " -> " + I.New;
      }
      Out.push_back(Line);
    }
  }
  return Out;
}

TComparison Compare(const Bytes& A, const Bytes& B, std::size_t Context = 0) {
  CapturedLog L;
  const auto RootA = Whole(A), RootB = Whole(B);
  return CompareImages(*RootA, *RootB, {Context});
}

Bytes Sub(std::uint32_t Id, const Bytes& Body, std::uint32_t Flags = 0) { return SubchunkBytes({.Id = Id, .Flags = Flags, .Body = Body}); }
Bytes ChunkOf(const std::string& Name, const std::vector<Bytes>& Subs, bool Closed = true) {
  Bytes Data;
  for (const Bytes& S : Subs) Append(Data, S);
  if (Closed) Append(Data, ClosingRecord());
  return ChunkBytes({.Name = Name, .Data = Data});
}
Bytes Table(std::uint32_t Id, const std::vector<std::string>& Entries) { return Sub(Id, TextBody(Entries, true)); }
// A PPM area alone (an MCU area would change with the PPM area's length), or a whole image.
Bytes Image(const std::vector<Bytes>& Chunks, std::string Version = Ppm{}.Version) {
  Ppm P{.Version = std::move(Version), .Chunks = Chunks};
  P.Chunks.push_back(EndChunk());
  return PpmBytes(P);
}
Bytes Full(const std::vector<Bytes>& Chunks, const Bytes& Eeprom = Bytes(8, 0xEE)) {
  Ppm P{.Chunks = Chunks};
  P.Chunks.push_back(EndChunk());
  return DivudImage(Mcu{}, P, Eeprom);
}

// A font of the characters First..Last, 3 pixels wide and Height high, from pixel rows.
Font Glyphs(std::uint16_t First, std::uint16_t Last, std::vector<std::string> Rows, std::uint32_t Height = 3,
            std::string Name = "Small", std::uint32_t FirstRow = 0) {
  return Font{.Name1 = std::move(Name), .Name2 = "8",
              .Ranges = {{.First = First, .Last = Last, .FirstRow = FirstRow, .Height = Height}},
              .Images = {{.Width = 3, .Bitmap = BandBitmap(Rows)}}};
}
const std::vector<std::string> ABC = {"###", "#.#", "###", ".#.", "###", ".#.", "#..", "#..", "###"};
Bytes Fonts(const std::vector<Font>& F) {
  return ChunkBytes({.Name = "FONT", .Data = Concat({SubchunkBytes({.Id = 1, .Body = FontBody(F), .Pad = false}), ClosingRecord()})});
}
Bytes Tones(const std::string& Name, const Bytes& Tune) {
  return ChunkOf("TONE", {SubchunkBytes({.Id = 1, .Body = ToneBody(Name, Tune, 3), .Pad = false})});
}
Bytes Operators(const std::vector<Operator>& Ops) { return ChunkOf("PLMN", {Sub(1, OperatorEntries(Ops), CountryFlags(244))}); }
Operator Op(std::uint8_t Code, std::string Name) { return {.B1 = static_cast<std::uint8_t>(Code / 10 << 4), .B2 = static_cast<std::uint8_t>(Code % 10 << 4), .Name = std::move(Name)}; }

const Bytes Texts = ChunkOf("TEXT", {Table(1, {"English", "Yes", "No"}), Table(2, {"Deutsch", "Ja", "Nein"})});
const Bytes Raw = ChunkOf("LDB", {Sub(1, {1, 2, 3, 4, 5, 6, 7, 8})});

struct Case {
  const char* What;
  Bytes A, B;
  Lines Expected;
};

void Check(const std::vector<Case>& Cases) {
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    const TComparison Result = Compare(C.A, C.B);
    EXPECT_EQ(Describe(Result), C.Expected);
    EXPECT_EQ(Result.Same(), C.Expected.empty());
    EXPECT_EQ(Result.Changed + Result.Added + Result.Removed, C.Expected.size());
  }
}

}  // namespace

TEST(Compare, MatchesNodesByWhatTheyAreNotByWhereTheyStand) {
  Check({
      {"an image and a copy of it", Image({Texts, Raw}), Image({Texts, Raw}), {}},
      {"a chunk put in front is one added chunk", Image({Texts, Raw}), Image({Tones("Ring", {1}), Texts, Raw}), {"added TChunk -|1.1"}},
      {"a chunk gone is one removed chunk, not its subchunks", Image({Texts, Raw}), Image({Raw}), {"removed TChunk 1.1|-"}},
      {"chunks of one name pair in their order", Image({Raw, ChunkOf("LDB", {Sub(1, {9})})}), Image({Raw, ChunkOf("LDB", {Sub(1, {8})})}),
       {"changed TChunk 1.2|1.2 CheckSum", "changed TLDBSubchunk 1.2.1|1.2.1 Bytes: 1 in 1"}},
      {"subchunks pair by Id wherever they stand", Image({Texts}),
       Image({ChunkOf("TEXT", {Table(2, {"Deutsch", "Ja", "Nein"}), Table(1, {"English", "Yes", "No"})})}), {}},
      {"a repeated Id pairs in order of occurrence", Image({ChunkOf("TEXT", {Table(1, {"L", "a"}), Table(1, {"L", "b"})})}),
       Image({ChunkOf("TEXT", {Table(1, {"L", "a"}), Table(1, {"L", "c"})})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TTextSubchunk 1.1.2|1.1.2 Entry 1: b -> c"}},
      {"a subchunk of a new Id", Image({Texts}), Image({ChunkOf("TEXT", {Table(1, {"English", "Yes", "No"}), Table(2, {"Deutsch", "Ja", "Nein"}), Table(5, {"X"})})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TChunk 1.1|1.1 Length", "added TTextSubchunk -|1.1.3"}},
      {"closing records pair in order", Image({Raw}), Image({ChunkOf("LDB", {Sub(1, {1, 2, 3, 4, 5, 6, 7, 8})}, false)}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TChunk 1.1|1.1 Length", "removed TClosingSubchunk 1.1.2|-"}},
      {"font entries pair in order", Image({Fonts({Glyphs('A', 'C', ABC)})}), Image({Fonts({Glyphs('A', 'C', ABC), Glyphs('A', 'C', ABC, 3, "Big")})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TChunk 1.1|1.1 Length", "changed TFontSubchunk 1.1.1|1.1.1 Length",
        "added TFontEntry -|1.1.1.2"}},
      {"areas pair by class", Full({Raw}), Full({Raw}, {}), {"removed TEEPROM 3|-"}},
      {"a PPM area alone and a whole image", Image({Raw}), Full({Raw}), {"added TMCU -|1", "added TEEPROM -|3"}},
  });
}

TEST(Compare, ReportsWhatDiffersOfEachKind) {
  const Bytes Packed = ChunkOf("TEXT", {Sub(4, {1, 2, 3, 4, 5}, 0x20000000)});
  Bytes Mcu1 = Full({Raw});
  Mcu1[0x1000] ^= 1;
  Check({
      {"an entry reworded", Image({Texts}), Image({ChunkOf("TEXT", {Table(1, {"English", "Jo!", "No"}), Table(2, {"Deutsch", "Ja", "Nein"})})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TTextSubchunk 1.1.1|1.1.1 Entry 1: Yes -> Jo!"}},
      {"a table grown by three entries", Image({ChunkOf("TEXT", {Table(1, {"L", "a"})})}), Image({ChunkOf("TEXT", {Table(1, {"L", "a", "b", "c", "d"})})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TChunk 1.1|1.1 Length", "changed TTextSubchunk 1.1.1|1.1.1 Length",
        "added TTextSubchunk 1.1.1|1.1.1 Entry 2: b", "added TTextSubchunk 1.1.1|1.1.1 Entry 3: c",
        "added TTextSubchunk 1.1.1|1.1.1 Entry 4: d"}},
      {"a table shrunk by one entry", Image({ChunkOf("TEXT", {Table(1, {"L", "a", "b"})})}), Image({ChunkOf("TEXT", {Table(1, {"L", "a"})})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TTextSubchunk 1.1.1|1.1.1 Length", "removed TTextSubchunk 1.1.1|1.1.1 Entry 2: b"}},
      {"the common table's entry 0", Image({ChunkOf("TEXT", {Table(0x33, {"OK", "SOS"})})}), Image({ChunkOf("TEXT", {Table(0x33, {"KO", "SOS"})})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TTextSubchunk 1.1.1|1.1.1 Entry 0: OK -> KO"}},
      {"a language's name", Image({Texts}), Image({ChunkOf("TEXT", {Table(1, {"Engl1sh", "Yes", "No"}), Table(2, {"Deutsch", "Ja", "Nein"})})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TTextSubchunk 1.1.1|1.1.1 Language: English -> Engl1sh"}},
      {"an operator renamed", Image({Operators({Op(12, "DNA"), Op(91, "Telia")})}), Image({Operators({Op(12, "DNA"), Op(91, "Tele2")})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TPLMNSubchunk 1.1.1|1.1.1 MCC 91: Telia -> Tele2"}},
      {"two operators of one code pair in order", Image({Operators({Op(12, "A"), Op(12, "B")})}), Image({Operators({Op(12, "A"), Op(12, "C")})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TPLMNSubchunk 1.1.1|1.1.1 MCC 12: B -> C"}},
      {"a glyph's pixels", Image({Fonts({Glyphs('A', 'C', ABC)})}),
       Image({Fonts({Glyphs('A', 'C', {"###", "#.#", "###", ".#.", "#.#", ".#.", "#..", "#..", "###"})})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TFontEntry 1.1.1.1|1.1.1.1 Glyph U+0042: 3x3 -> 3x3"}},
      {"a glyph's size", Image({Fonts({Glyphs('A', 'C', ABC)})}), Image({Fonts({Glyphs('A', 'C', ABC, 2)})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TFontEntry 1.1.1.1|1.1.1.1 Glyph U+0041: 3x3 -> 3x2",
        "changed TFontEntry 1.1.1.1|1.1.1.1 Glyph U+0042: 3x3 -> 3x2", "changed TFontEntry 1.1.1.1|1.1.1.1 Glyph U+0043: 3x3 -> 3x2"}},
      {"a character more in a font", Image({Fonts({Glyphs('A', 'B', ABC)})}), Image({Fonts({Glyphs('A', 'C', ABC)})}),
       {"changed TChunk 1.1|1.1 CheckSum", "added TFontEntry 1.1.1.1|1.1.1.1 Glyph U+0043: 3x3"}},
      {"a font renamed", Image({Fonts({Glyphs('A', 'C', ABC)})}), Image({Fonts({Glyphs('A', 'C', ABC, 3, "Smoll")})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TFontEntry 1.1.1.1|1.1.1.1 Name: Small/8 -> Smoll/8"}},
      {"a tune", Image({Tones("Ring", {1, 2, 3})}), Image({Tones("Ring", {1, 2, 0x7F})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TToneSubchunk 1.1.1|1.1.1 Tune: 01 02 03 -> 01 02 7F"}},
      {"a tone renamed", Image({Tones("Ring", {1, 2, 3})}), Image({Tones("Rang", {1, 2, 3})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TToneSubchunk 1.1.1|1.1.1 Name: Ring -> Rang"}},
      {"raw bytes", Image({Raw}), Image({ChunkOf("LDB", {Sub(1, {1, 2, 9, 4, 5, 6, 0, 0})})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TLDBSubchunk 1.1.1|1.1.1 Bytes: 3 in 2"}},
      {"a packed table's bytes", Image({Packed}), Image({ChunkOf("TEXT", {Sub(4, {1, 2, 3, 4, 6}, 0x20000000)})}),
       {"changed TChunk 1.1|1.1 CheckSum", "changed TTextSubchunk 1.1.1|1.1.1 Bytes: 1 in 1"}},
      {"MCU bytes", Full({Raw}), Mcu1, {"changed TMCU 1|1 Bytes: 1 in 1"}},
      {"EEPROM bytes", Full({Raw}), Full({Raw}, Bytes(9, 0xEE)), {"changed TEEPROM 3|3 Bytes: 1 in 1"}},
      {"the layout alone", Full({Texts}), WinTesla(Full({Texts})), {"changed TFls 0|0 Layout: Divud -> WinTesla"}},
      {"the PPM version", Image({Raw}), Image({Raw}, "V 5.01\n01-01-99\nNSE-1"),
       {"changed TPPM 1|1 Version: V 5.00, 01-01-99, NSE-1 -> V 5.01, 01-01-99, NSE-1"}},
  });
}

TEST(Compare, NamesReachingBeyondTheirSubchunkAreCompared) {
  // An operator's record (8 bytes) and a tone (4 body bytes) end with their subchunk's bytes,
  // but their names (8 and 6 bytes) run on into the next subchunk's Id, which alone differs:
  // the subchunks' own bytes are equal.
  const auto With = [](const std::string& Name, const Bytes& Body, const char* NextId) {
    Bytes Next(NextId, NextId + 4);
    Append(Next, Bytes{0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0});
    return Image({ChunkBytes({.Name = Name, .Data = Concat({SubchunkBytes({.Id = 1, .Body = Body, .Pad = false}), Next, ClosingRecord()})})});
  };
  const Bytes Operator = {8, 0x10, 0x20, 8, 'A', 'B', 'C', 'D'};
  const Bytes Tone = {6, 'R', 'i', 'n'};
  const Lines Plmn = Describe(Compare(With("PLMN", Operator, "WXYZ"), With("PLMN", Operator, "WXYQ")));
  ASSERT_GE(Plmn.size(), 2u);
  EXPECT_EQ(Plmn[1], "changed TPLMNSubchunk 1.1.1|1.1.1 MCC 12: ABCDWXYZ -> ABCDWXYQ");
  const Lines Tones = Describe(Compare(With("TONE", Tone, "g!??"), With("TONE", Tone, "g???")));
  ASSERT_GE(Tones.size(), 2u);
  EXPECT_EQ(Tones[1], "changed TToneSubchunk 1.1.1|1.1.1 Name: Ring!? -> Ring??");
}

TEST(Compare, BytesCountEveryRunAndListTheFirstHundred) {
  struct BytesCase {
    const char* What;
    Bytes A, B;
    std::uint64_t Count;
    std::size_t Runs, Listed;
    std::size_t FirstAt;           // the first run's place in the node
    std::size_t Length1, Length2;  // of the last run listed
  };
  const auto Alternating = [](std::size_t Runs) {
    Bytes B(2 * Runs, 0);
    for (std::size_t I = 0; I < Runs; ++I) B[2 * I] = 1;
    return B;
  };
  // Bodies of other sizes also differ in the header's length, its last byte the node's 7th.
  const BytesCase Cases[] = {
      {"99 runs", Bytes(198, 0), Alternating(99), 99, 99, 99, 16, 1, 1},
      {"100 runs", Bytes(200, 0), Alternating(100), 100, 100, 100, 16, 1, 1},
      {"101 runs", Bytes(202, 0), Alternating(101), 101, 101, 100, 16, 1, 1},
      {"four bytes more behind an equal start", Bytes(8, 7), Bytes(12, 7), 5, 2, 2, 7, 0, 4},
      {"four bytes more behind a differing last byte", Bytes(8, 7), Concat({Bytes(7, 7), Bytes(5, 8)}), 6, 2, 2, 7, 1, 5},
      {"four bytes fewer", Bytes(8, 7), Bytes(4, 7), 5, 2, 2, 7, 4, 0},
  };
  for (const BytesCase& C : Cases) {
    SCOPED_TRACE(C.What);
    CapturedLog L;
    const auto RootA = Whole(Image({ChunkOf("LDB", {Sub(1, C.A)})}));
    const auto RootB = Whole(Image({ChunkOf("LDB", {Sub(1, C.B)})}));
    const TComparison R = CompareImages(*RootA, *RootB);
    ASSERT_EQ(R.Nodes.size(), 2u);
    const TItemDiff& Item = R.Nodes[1].Items.back();
    EXPECT_EQ(Item.Count, C.Count);
    EXPECT_EQ(Item.RangeCount, C.Runs);
    ASSERT_EQ(Item.Ranges.size(), C.Listed);
    EXPECT_EQ(Item.Ranges.front().Offset1, R.Nodes[1].Node1->ImageOffset() + C.FirstAt);
    EXPECT_EQ(Item.Ranges.front().Offset2, R.Nodes[1].Node2->ImageOffset() + C.FirstAt);
    EXPECT_EQ(Item.Ranges.back().Length1, C.Length1);
    EXPECT_EQ(Item.Ranges.back().Length2, C.Length2);
  }
}

TEST(Compare, ContextKeepsUnchangedLinesAroundEachChange) {
  std::vector<std::string> Entries = {"Lang", "e1", "e2", "e3", "e4", "e5", "e6", "e7", "e8", "e9", "e10", "e11"};
  const Bytes A = Image({ChunkOf("TEXT", {Table(1, Entries)})});
  Entries[6] = "E6";
  Entries[9] = "E9";
  const Bytes B = Image({ChunkOf("TEXT", {Table(1, Entries)})});
  struct ContextCase {
    std::size_t Context;
    Lines Shown;  // "~" changed, "=" context
  };
  const ContextCase Cases[] = {
      {0, {"~Entry 6", "~Entry 9"}},
      {1, {"=Entry 5", "~Entry 6", "=Entry 7", "=Entry 8", "~Entry 9", "=Entry 10"}},
      {2, {"=Entry 4", "=Entry 5", "~Entry 6", "=Entry 7", "=Entry 8", "~Entry 9", "=Entry 10", "=Entry 11"}},
      {6, {"=Charset", "=Entry 1", "=Entry 2", "=Entry 3", "=Entry 4", "=Entry 5", "~Entry 6", "=Entry 7", "=Entry 8", "~Entry 9",
           "=Entry 10", "=Entry 11"}},
  };
  for (const ContextCase& C : Cases) {
    SCOPED_TRACE(C.Context);
    const TComparison R = Compare(A, B, C.Context);
    ASSERT_EQ(R.Nodes.size(), 2u);
    Lines Shown;
    for (const TItemDiff& I : R.Nodes[1].Items) Shown.push_back((I.Change == TChange::Same ? "=" : "~") + I.Item);
    EXPECT_EQ(Shown, C.Shown);
    EXPECT_EQ(R.Changed, 3u);  // the two entries and the chunk's checksum, whatever the context
  }
}

TEST(Compare, AnImageIsTheSameAsItselfInEitherLayout) {
  const Bytes Whole = Full({Texts, Fonts({Glyphs('A', 'C', ABC)}), Tones("Ring", {1, 2, 3}), Operators({Op(12, "A"), Op(12, "B")}), Raw,
                             ChunkOf("TEXT", {Sub(4, {1, 2, 3, 4, 5}, 0x20000000)}), ChunkOf("ABCD", {Sub(1, {4, 4})})});
  for (const Bytes& I : {Whole, WinTesla(Whole), Image({Texts})}) {
    const TComparison R = Compare(I, I, 3);
    EXPECT_TRUE(R.Same());
    EXPECT_TRUE(R.Nodes.empty());
  }
}

// SameGlyph reads the bits without drawing; it must agree with the pictures DrawGlyph draws.
TEST(Compare, SameGlyphAgreesWithTheDrawnGlyphs) {
  // Six characters of 3 rows in two bands of 8 rows: F's last two rows lie behind the font data.
  std::vector<std::string> Tall = ABC;
  Tall.insert(Tall.end(), {"#.#", "...", ".##", ".#.", "##.", "..."});
  std::vector<std::string> Filled = Tall;  // and with a third band, there
  Filled.insert(Filled.end(), {"...", "...", "..."});
  std::vector<std::string> Lower = {"...", "..."};  // the same glyphs 2 rows lower in their bands
  Lower.insert(Lower.end(), ABC.begin(), ABC.end());
  const std::vector<Font> Variants = {
      Glyphs('A', 'C', ABC),
      Glyphs('A', 'C', {"###", "#.#", "###", ".#.", "###", ".#.", "#..", "##.", "###"}),  // one pixel of C
      Glyphs('A', 'C', Lower, 3, "Small", 2),
      Glyphs('A', 'C', ABC, 3, "Small", 1),  // the same bands, each glyph a row lower
      Glyphs('A', 'C', ABC, 2),  // lower boxes
      Glyphs('A', 'F', Tall),
      Glyphs('A', 'F', Filled),
      Font{.Name1 = "W", .Ranges = {{.First = 'A', .Last = 'C', .Height = 3}}, .Images = {{.Width = 2, .Bitmap = BandBitmap({"##", "#.", "##"})}}},
  };
  CapturedLog L;
  std::vector<std::unique_ptr<TFls>> Roots;
  for (const Font& F : Variants) Roots.push_back(Whole(Image({Fonts({F})})));
  const auto FontOf = [](const TFls& Root) -> const TFontEntry& { return dynamic_cast<const TFontEntry&>(*Root.Child(0)->Child(0)->Child(0)->Child(0)); };
  const auto Picture = [](const TFontEntry& F, std::uint16_t Code) {
    const TFontEntry::TGlyphBox Box = F.GlyphBox(Code);
    TTextCanvas Canvas(Box.Width, Box.Height);
    F.DrawGlyph(Code, Canvas, 0, 0);
    return std::make_pair(std::make_pair(Box.Width, Box.Height), Canvas.Rows());
  };
  int Differing = 0;
  for (const auto& A : Roots)
    for (const auto& B : Roots)
      for (const std::uint16_t Code : {'A', 'B', 'C', 'D', 'E', 'F', 'G'}) {
        SCOPED_TRACE(std::string(1, static_cast<char>(Code)));
        const bool Same = FontOf(*A).SameGlyph(Code, FontOf(*B));
        EXPECT_EQ(Same, Picture(FontOf(*A), Code) == Picture(FontOf(*B), Code));
        Differing += !Same;
      }
  EXPECT_GT(Differing, 40);  // the variants do differ, in many ways
}

TEST(CompareMarks, KeepTheCharactersBothTextsShare) {
  using Runs = std::vector<std::tuple<std::size_t, std::size_t, bool>>;
  const auto Of = [](const std::vector<TTextRun>& R) {
    Runs Out;
    for (const TTextRun& X : R) Out.emplace_back(X.Offset, X.Length, X.Changed);
    return Out;
  };
  struct MarkCase {
    std::string Old, New;
    Runs MarkedOld, MarkedNew;
  };
  const std::string Long(300, 'a');
  const MarkCase Cases[] = {
      {"abc", "abc", {{0, 3, false}}, {{0, 3, false}}},
      {"", "xy", {}, {{0, 2, true}}},
      {"Men\u00FC", "Menu", {{0, 3, false}, {3, 2, true}}, {{0, 3, false}, {3, 1, true}}},
      {"abXcd", "abcd", {{0, 2, false}, {2, 1, true}, {3, 2, false}}, {{0, 4, false}}},
      {"axbxc", "abc", {{0, 1, false}, {1, 1, true}, {2, 1, false}, {3, 1, true}, {4, 1, false}}, {{0, 3, false}}},
      {Long + "X" + Long, Long + "Y" + Long, {{0, 300, false}, {300, 1, true}, {301, 300, false}}, {{0, 300, false}, {300, 1, true}, {301, 300, false}}},
      // Middles of 302 characters each are more pairs than the search takes: marked whole.
      {"X" + Long + "X", "Y" + Long + "Y", {{0, 302, true}}, {{0, 302, true}}},
  };
  for (const MarkCase& C : Cases) {
    SCOPED_TRACE(C.Old.substr(0, 8) + " / " + C.New.substr(0, 8));
    const TMarkedTexts M = MarkChangedText(C.Old, C.New);
    EXPECT_EQ(Of(M.Old), C.MarkedOld);
    EXPECT_EQ(Of(M.New), C.MarkedNew);
  }
}
