// Both sides of a compared node as rows: header values, whole text tables and operator lists
// with their changed, added and removed rows, and the glyph cells of fonts that differ.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Kav_Font.h"
#include "present/Kav_Compare.h"
#include "present/Kav_CompareSides.h"
#include "present/Kav_Walk.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

Bytes Sub(std::uint32_t Id, const Bytes& Body, std::uint32_t Flags = 0) { return SubchunkBytes({.Id = Id, .Flags = Flags, .Body = Body}); }
Bytes Chunk(const std::string& Name, const std::vector<Bytes>& Subs) {
  Bytes Data;
  for (const Bytes& S : Subs) Append(Data, S);
  Append(Data, ClosingRecord());
  return ChunkBytes({.Name = Name, .Data = Data});
}
Bytes Image(const std::vector<Bytes>& Chunks) {
  Ppm P{.Chunks = Chunks};
  P.Chunks.push_back(EndChunk());
  return PpmBytes(P);
}
Bytes Texts(const std::vector<std::string>& Entries, std::uint32_t Id = 1) { return Image({Chunk("TEXT", {Sub(Id, TextBody(Entries, true))})}); }
Operator Op(std::uint8_t Code, std::string Name) {
  return {.B1 = static_cast<std::uint8_t>(Code / 10 << 4), .B2 = static_cast<std::uint8_t>(Code % 10 << 4), .Name = std::move(Name)};
}
Bytes Operators(const std::vector<Operator>& Ops) { return Image({Chunk("PLMN", {Sub(1, OperatorEntries(Ops), CountryFlags(244))})}); }
Font Glyphs(std::uint16_t First, std::uint16_t Last, std::vector<std::string> Rows, std::string Name = "Small") {
  return Font{.Name1 = std::move(Name), .Name2 = "8", .Ranges = {{.First = First, .Last = Last, .Height = 3}},
              .Images = {{.Width = 3, .Bitmap = BandBitmap(Rows)}}};
}
Bytes Fonts(const Font& F) {
  return Image({ChunkBytes({.Name = "FONT", .Data = Concat({SubchunkBytes({.Id = 1, .Body = FontBody({F}), .Pad = false}), ClosingRecord()})})});
}
const std::vector<std::string> ABC = {"###", "#.#", "###", ".#.", "###", ".#.", "#..", "#..", "###"};
const std::vector<std::string> ABxC = {"###", "#.#", "###", ".#.", "#.#", ".#.", "#..", "#..", "###"};
const std::vector<std::string> ABxCD = {"###", "#.#", "###", ".#.", "#.#", ".#.", "#..", "#..", "###", "#.#", "#.#", "#.#"};

// Both trees, whole, with their comparison; the diffs point into the trees.
struct Compared {
  std::unique_ptr<TFls> A, B;
  TComparison C;
  Compared(const Bytes& ImageA, const Bytes& ImageB) {
    CapturedLog L;
    A = LoadImage(ImageA, "a.fls");
    ExpandAll(*A);
    B = LoadImage(ImageB, "b.fls");
    ExpandAll(*B);
    C = CompareImages(*A, *B);
  }
  const TNodeDiff& Of(const std::string& Class) const {
    for (const TNodeDiff& N : C.Nodes)
      if (N.Class == Class && N.Change == TChange::Changed) return N;
    ADD_FAILURE() << "no changed " << Class;
    static const TNodeDiff None;
    return None;
  }
};

// A row as "~ 1: Hello | Hallo [e|a]": the sign, label, both values and the changed characters.
std::string Show(const TSideRow& Row) {
  const auto Marked = [](const std::string& Text, const std::vector<TTextRun>& Runs) {
    std::string Out;
    for (const TTextRun& R : Runs)
      if (R.Changed) Out += Text.substr(R.Offset, R.Length);
    return Out;
  };
  std::string Line = std::string(ChangeSign(Row.Change)) + (Row.Change == TChange::Same ? "" : " ") + Row.Label +
                     (Row.Label.ends_with(':') ? " " : ": ") + Row.First +
                     " | " + Row.Second;
  if (Row.Change == TChange::Changed) Line += " [" + Marked(Row.First, Row.Marks1) + "|" + Marked(Row.Second, Row.Marks2) + "]";
  return Line;
}
Lines Show(const TSideTable& Table) {
  Lines Out;
  for (const TSideRow& Row : Table.Rows) Out.push_back(Show(Row));
  Out.push_back(SideCounts(Table));
  return Out;
}
// The rows whose label starts with one of Labels (headers hold lengths and checksums too).
Lines Only(const Lines& All, const Lines& Labels) {
  Lines Out;
  for (const std::string& Line : All)
    for (const std::string& L : Labels)
      if (Line.find(L) != std::string::npos) Out.push_back(Line);
  return Out;
}

}  // namespace

TEST(CompareSides, TextTablesListEveryEntryOfBothWithItsMark) {
  struct Case {
    const char* What;
    Bytes A, B;
    Lines Expected;
  };
  const std::vector<Case> Cases = {
      {"one entry reworded among same ones", Texts({"English", "Hello", "World"}), Texts({"English", "Hallo", "World"}),
       {"~ 1: Hello | Hallo [e|a]", "2: World | World", "1 changed, 0 added, 0 removed"}},
      {"entries added at the end", Texts({"English", "Hello"}), Texts({"English", "Hello", "New", "Newer"}),
       {"1: Hello | Hello", "+ 2:  | New", "+ 3:  | Newer", "0 changed, 2 added, 0 removed"}},
      {"an entry removed", Texts({"English", "Hello", "Gone"}), Texts({"English", "Hello"}),
       {"1: Hello | Hello", "\u2212 2: Gone | ", "0 changed, 0 added, 1 removed"}},
      {"an entry grown, a character more", Texts({"English", "Yes"}), Texts({"English", "Yess"}),
       {"~ 1: Yes | Yess [|s]", "1 changed, 0 added, 0 removed"}},
      {"the common table from entry 0", Texts({"OK", "SOS"}, 0x33), Texts({"KO", "SOS"}, 0x33),
       {"~ 0: OK | KO [O|O]", "1: SOS | SOS", "1 changed, 0 added, 0 removed"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    const Compared Pair(C.A, C.B);
    EXPECT_EQ(Show(TextSideRows(Pair.Of("TTextSubchunk"))), C.Expected);
  }
}

TEST(CompareSides, HeadersAndOperatorsPairByLabelAndMarkWhatDiffers) {
  {
    SCOPED_TRACE("a language renamed: the header's Language row changed, Charset the same");
    const Compared Pair(Texts({"English", "Hi"}), Texts({"Engl1sh", "Hi"}));
    EXPECT_EQ(Only(Show(HeaderSideRows(Pair.Of("TTextSubchunk"))), {"Language:", "Charset:", "Id:"}),
              (Lines{"Id: 0x00000001 | 0x00000001", "~ Language: English | Engl1sh [i|1]", "Charset: GSM alphabet | GSM alphabet"}));
    // A language table has no text rows that differ.
    EXPECT_EQ(Show(TextSideRows(Pair.Of("TTextSubchunk"))).back(), "0 changed, 0 added, 0 removed");
  }
  {
    SCOPED_TRACE("a chunk: its checksum changed with its contents");
    const Compared Pair(Texts({"English", "Hi"}), Texts({"English", "Ho"}));
    const Lines Header = Show(HeaderSideRows(Pair.Of("TChunk")));
    ASSERT_EQ(Header.size(), 5u);
    EXPECT_EQ(Header[0].substr(0, 12), "~ CheckSum: ");
    EXPECT_EQ(Header[1].substr(0, 8), "Length: ");
    EXPECT_EQ(Header.back(), "1 changed, 0 added, 0 removed");
  }
  struct Case {
    const char* What;
    std::vector<Operator> A, B;
    Lines Expected;
  };
  const std::vector<Case> Cases = {
      {"an operator renamed", {Op(12, "DNA"), Op(91, "Telia")}, {Op(12, "DNA"), Op(91, "Tele2")},
       {"12: DNA | DNA", "~ 91: Telia | Tele2 [ia|e2]", "1 changed, 0 added, 0 removed"}},
      {"one added before a kept one, one removed", {Op(12, "DNA"), Op(91, "Telia")}, {Op(5, "New"), Op(91, "Telia")},
       {"\u2212 12: DNA | ", "+ 5:  | New", "91: Telia | Telia", "0 changed, 1 added, 1 removed"}},
      {"a repeated code pairs in order", {Op(12, "A"), Op(12, "B")}, {Op(12, "A"), Op(12, "C"), Op(12, "D")},
       {"12: A | A", "~ 12: B | C [B|C]", "+ 12:  | D", "1 changed, 1 added, 0 removed"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    const Compared Pair(Operators(C.A), Operators(C.B));
    const TNodeDiff& Diff = Pair.Of("TPLMNSubchunk");
    EXPECT_EQ(Show(OperatorSideRows(Diff)), C.Expected);
    // The operators are no header rows.
    for (const std::string& Line : Show(HeaderSideRows(Diff))) EXPECT_EQ(Line.find("MCC"), std::string::npos) << Line;
    // Nor are they a text table.
    EXPECT_TRUE(TextSideRows(Diff).Rows.empty());
  }
}

TEST(CompareSides, GlyphCellsThatDifferOnEachSide) {
  struct Case {
    const char* What;
    Font A, B;
    std::vector<int> Cells1, Cells2;
    Lines Header;
  };
  const std::vector<Case> Cases = {
      {"one glyph's pixels", Glyphs('A', 'C', ABC), Glyphs('A', 'C', ABxC), {1}, {1}, {"Name: Small/8 | Small/8", "0 changed, 0 added, 0 removed"}},
      {"a glyph changed and a character added", Glyphs('A', 'C', ABC), Glyphs('A', 'D', ABxCD), {1}, {1, 3},
       {"Name: Small/8 | Small/8", "0 changed, 0 added, 0 removed"}},
      {"the first glyph removed", Glyphs('A', 'C', ABC), Glyphs('B', 'C', {".#.", "###", ".#.", "#..", "#..", "###"}), {0}, {},
       {"Name: Small/8 | Small/8", "0 changed, 0 added, 0 removed"}},
      {"only the name", Glyphs('A', 'C', ABC), Glyphs('A', 'C', ABC, "Big"), {}, {},
       {"~ Name: Small/8 | Big/8 [Small|Big]", "1 changed, 0 added, 0 removed"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    const Compared Pair(Fonts(C.A), Fonts(C.B));
    const TNodeDiff& Diff = Pair.Of("TFontEntry");
    ASSERT_TRUE(Diff.Node1 && Diff.Node2);
    EXPECT_EQ(DifferingGlyphCells(static_cast<const TFontEntry&>(*Diff.Node1), Diff), C.Cells1);
    EXPECT_EQ(DifferingGlyphCells(static_cast<const TFontEntry&>(*Diff.Node2), Diff), C.Cells2);
    EXPECT_EQ(Show(HeaderSideRows(Diff)), C.Header);
  }
  // A diff without nodes has no sides.
  EXPECT_TRUE(HeaderSideRows(TNodeDiff{}).Rows.empty());
  EXPECT_TRUE(TextSideRows(TNodeDiff{}).Rows.empty());
}
