#include <gtest/gtest.h>

#include "ContentFixture.h"
#include "TestSupport.h"
#include "present/Kav_Details.h"
#include "model/Kav_Font.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

// Font subchunks are not aligned: the terminator follows right behind.
Bytes FontSub(const Bytes& Body, std::optional<std::int32_t> Length = std::nullopt) {
  return SubchunkBytes({.Id = 1, .Body = Body, .Length = Length, .Pad = false});
}

// A FONT chunk of one font subchunk (and its terminator), with all font entries built.
struct FontChunk {
  ParsedChunk P;
  TFontSubchunk& Sub() const { return dynamic_cast<TFontSubchunk&>(*P.Chunk->Child(0)); }
  const TFontEntry& Entry(std::size_t I) const { return dynamic_cast<const TFontEntry&>(*Sub().Child(I)); }
};
FontChunk Build(const Bytes& Data) {
  FontChunk C{ParseChunk("FONT", Data)};
  if (C.P.Count() > 0 && C.P.Chunk->Child(0)->MayHaveChildren())
    while (C.Sub().ParseNextChild()) {
    }
  return C;
}
FontChunk Build(const std::vector<Font>& Fonts) { return Build(Concat({FontSub(FontBody(Fonts)), ClosingRecord()})); }

Lines Draw(const TFontEntry& F, std::uint16_t Char, int Width, int Height, int Left = 0, int Top = 0) {
  TTextCanvas Canvas(Width, Height);
  F.DrawGlyph(Char, Canvas, Left, Top);
  return Canvas.Rows();
}

Lines Filler(std::size_t N) { return Lines(N, "####"); }

}  // namespace

TEST(FontSubchunk, LengthSixteenHoldsNoFonts) {
  CapturedLog L;
  const FontChunk C = Build(Concat({FontSub({}), ClosingRecord()}));
  ASSERT_EQ(C.P.Count(), 2u);
  EXPECT_EQ(C.Sub().GetDescription(), "0 fonts");
  EXPECT_FALSE(C.Sub().MayHaveChildren());
  EXPECT_EQ(C.Sub().ParseNextChild(), nullptr);
  EXPECT_TRUE(L.Lines().empty());
}

TEST(FontSubchunk, LengthIsCorrectedToLeaveExactlyTheTerminator) {
  const Bytes Body = FontBody({Font{.Name1 = "A", .Ranges = {{}}, .Images = {{.Width = 1, .Bitmap = {0}}}}});
  CapturedLog L;
  // 8 stray bytes between the subchunk and its terminator.
  const FontChunk C = Build(Concat({FontSub(Body), Bytes(8, 0xAB), ClosingRecord()}));
  ASSERT_EQ(C.P.Count(), 2u);
  EXPECT_STREQ(C.P.Chunk->Child(1)->ClassName(), "TClosingSubchunk");
  EXPECT_EQ(C.Sub().FontDataSize(), static_cast<std::int32_t>(Body.size() - 4 + 8));
  EXPECT_EQ(C.Sub().FontData().back(), 0xAB);
  EXPECT_EQ(C.Sub().GetDescription(), "1 fonts");
  EXPECT_EQ(L.Lines().front(),
            "! (  47) Font subchunk + terminator length != lenght of chunk, ignored (consequences of PPMEdit?); "
            "Path: /FONT/0x00000001/");
}

TEST(FontSubchunk, BodyTooShortForTheFontCountHoldsNoFonts) {
  // Length 18 fits the chunk exactly; Length 0 is corrected to 18. Either way the terminator
  // is found right behind.
  for (std::int32_t Length : {18, 0}) {
    CapturedLog L;
    const FontChunk C = Build(Concat({FontSub(Bytes{0, 5}, Length), ClosingRecord()}));
    ASSERT_EQ(C.P.Count(), 2u) << Length;
    EXPECT_EQ(C.Sub().GetFontCount(), 0);
    EXPECT_EQ(C.Sub().FontDataSize(), 0);
    EXPECT_STREQ(C.P.Chunk->Child(1)->ClassName(), "TClosingSubchunk");
    EXPECT_EQ(L.Idents(), Length == 0 ? std::vector<int>{47} : std::vector<int>{});
  }
}

TEST(FontSubchunk, OnlyHeadersInsideTheFontDataBecomeFonts) {
  // Three fonts announced, one 44-byte header and 20 more bytes stored.
  Bytes Body = FontBody({Font{.Name1 = "One"}});
  PutBE32(Body, 0, 3);
  Body.resize(4 + 44 + 20, 0);
  CapturedLog L;
  const FontChunk C = Build(Concat({FontSub(Body), ClosingRecord()}));
  EXPECT_EQ(C.Sub().GetDescription(), "3 fonts");
  EXPECT_EQ(C.Sub().ChildCount(), 1u);
  EXPECT_EQ(C.Sub().FontsBuilt(), 1);
  EXPECT_EQ(C.Sub().ParseNextChild(), nullptr);  // asked again: no second report
  EXPECT_EQ(L.Lines().back(), "! (  24) Unexpected end of chunk; Path: /FONT/0x00000001/");
  EXPECT_EQ(L.Idents(), (std::vector<int>{50, 24}));

  Bytes Negative = FontBody({Font{}});
  PutBE32(Negative, 0, 0xFFFFFFFF);
  const FontChunk N = Build(Concat({FontSub(Negative), ClosingRecord()}));
  EXPECT_EQ(N.Sub().GetDescription(), "-1 fonts");
  EXPECT_FALSE(N.Sub().MayHaveChildren());
  EXPECT_EQ(N.Sub().ChildCount(), 0u);
}

TEST(FontEntry, CharactersComeFromTheRangesInOrder) {
  const FontChunk C = Build({Font{.Name1 = "Std", .Name2 = "8",
                                  .Ranges = {{.First = 0x20, .Last = 0x7E}, {.First = 0x50, .Last = 0x40}, {.First = 0xA0, .Last = 0xFF}},
                                  .Images = {{.Width = 6}}}});
  const TFontEntry& F = C.Entry(0);
  EXPECT_EQ(F.GetCharCount(), 95 + 96);
  EXPECT_EQ(F.GetCharCode(0), 0x20);
  EXPECT_EQ(F.GetCharCode(94), 0x7E);
  EXPECT_EQ(F.GetCharCode(95), 0xA0);
  EXPECT_EQ(F.GetCharCode(190), 0xFF);
  EXPECT_EQ(F.GetCharCode(191), 0);
  EXPECT_EQ(F.GetCharCode(-1), 0);
  EXPECT_EQ(F.GetCharCode(3), 0x23);  // going back after walking forward
  EXPECT_EQ(F.GetCaption(), "Std/8 (6x8, 191 chars)");
}

TEST(FontEntry, ReportsItsTablesAndTakesTheWidestImageOfTheSpan) {
  // Ranges use images 2 and 0; image 1, unused, is the widest and still counts.
  Font Ft{.Name1 = "ABCDEFGHIJK", .Name2 = "xyz",
          .Ranges = {{.First = 'a', .Last = 'b', .ImageIndex = 2, .Height = 7}, {.First = 'A', .Last = 'A', .Height = 12}},
          .Images = {{.Width = 3}, {.Width = 9}, {.Width = 5}, {.Width = 200}},
          .SecondTableCount = 2, .Flags = 0x12345678};
  CapturedLog L;
  const FontChunk C = Build({Ft});
  const TFontEntry& F = C.Entry(0);
  EXPECT_EQ(F.GetMaxWidth(), 9);
  EXPECT_EQ(F.GetMaxHeight(), 12);
  // Name1 has no zero byte in its 11 bytes, so it runs on into Name2.
  EXPECT_EQ(F.GetName(), "ABCDEFGHIJKxyz/xyz");
  const std::string Path = " Path: /FONT/0x00000001/ABCDEFGHIJKxyz/xyz/";
  EXPECT_EQ(L.Lines(), (Lines{"~ (  50) Font bits ptr: 0x0000003C, \"ABCDEFGHIJKxyz/xyz\", 3 char(s), table properties1: "
                              "2 entries, bit image entries from 0 to 2;" + Path,
                              "? (  51) Table properites 2 count != 0, 2 entries;" + Path,
                              "! (  52) Font entry flags != 0x07800000 (0x12345678);" + Path}));
}

TEST(FontEntry, WithoutRangesThereAreNoCharactersAndNoWidth) {
  CapturedLog L;
  const FontChunk C = Build({Font{.Name1 = "Empty", .Images = {{.Width = 7}}}});
  EXPECT_EQ(C.Entry(0).GetMaxWidth(), 0);
  EXPECT_EQ(C.Entry(0).GetDescription(), "0x0, 0 chars");
  EXPECT_EQ(L.Lines(), Lines{"~ (  50) Font bits ptr: 0x0000002C, \"Empty/\", 0 char(s), table properties1: 0 entries, "
                             "bit image entries from 0 to 0; Path: /FONT/0x00000001/Empty//"});
}

TEST(FontEntry, OverlappingRangesListAtMostTheCodeSpace) {
  const FontChunk C = Build({Font{.Ranges = {{.First = 0, .Last = 0xFFFF}, {.First = 0, .Last = 0xFFFF}}, .Images = {{}}}});
  EXPECT_EQ(C.Entry(0).GetCharCount(), 0x10000);
  EXPECT_EQ(C.Entry(0).GetCharCode(0xFFFF), 0xFFFF);
}

TEST(FontEntry, TablesOutsideTheFontDataAreLeftOut) {
  Font Ft{.Ranges = {{.First = 'A', .Last = 'B'}, {.First = 'C', .Last = 'C'}, {.First = 'D', .Last = 'D'}},
          .Images = {{.Width = 4, .Bitmap = Bytes(4, 0xFF)}}};
  // The range table moved so that only its first two records lie inside the data.
  {
    Bytes Body = FontBody({Ft});
    PutBE32(Body, 4 + 8, static_cast<std::uint32_t>(Body.size() - 4 - 16 - 4));
    PutBE32(Body, Body.size() - 20, 0x00410042);  // 'A'..'B'
    PutBE32(Body, Body.size() - 12, 0x00430043);  // 'C'
    const FontChunk C = Build(Concat({FontSub(Body), ClosingRecord()}));
    EXPECT_EQ(C.Entry(0).StoredRangeCount(), 2u);
    EXPECT_EQ(C.Entry(0).GetCharCount(), 3);
  }
  // Range table and bit-image table far outside: no characters, no width, nothing drawn.
  {
    Bytes Body = FontBody({Ft});
    PutBE32(Body, 4 + 8, 0xFFFFFFF0);
    CapturedLog L;
    const FontChunk C = Build(Concat({FontSub(Body), ClosingRecord()}));
    EXPECT_EQ(C.Entry(0).GetCharCount(), 0);
    EXPECT_EQ(L.Lines().front(), "~ (  50) Font bits ptr: 0x00000044, \"Font/\", 0 char(s), table properties1: 3 entries, "
                                 "bit image entries from 0 to 0; Path: /FONT/0x00000001/Font//");
  }
  {
    Bytes Body = FontBody({Ft});
    PutBE32(Body, 4 + 0, 0x7FFFFFFF);
    const FontChunk C = Build(Concat({FontSub(Body), ClosingRecord()}));
    EXPECT_EQ(C.Entry(0).GetCharCount(), 4);
    EXPECT_EQ(C.Entry(0).GetMaxWidth(), 0);
    EXPECT_EQ(Draw(C.Entry(0), 'A', 2, 2), (Lines{"--", "--"}));
  }
}

TEST(Glyph, RowsRunAcrossBandBoundaries) {
  // 'A' starts at row 5 (band 0, bit 5) and ends at row 11 (band 1, bit 3); 'B' follows at
  // row 12. The filler rows belong to other glyphs and must not show.
  Lines Art = Filler(5);
  const Lines A = {"#..#", ".##.", "#...", "...#", "####", "....", "#.#."};
  const Lines B = {"....", "#...", ".#..", "..#.", "...#", "#..#", "####"};
  Art.insert(Art.end(), A.begin(), A.end());
  Art.insert(Art.end(), B.begin(), B.end());
  const Lines More = Filler(5);
  Art.insert(Art.end(), More.begin(), More.end());
  const FontChunk C = Build({Font{.Ranges = {{.First = 'A', .Last = 'B', .FirstRow = 5, .Height = 7}},
                                  .Images = {{.Width = 4, .Bitmap = BandBitmap(Art)}}}});
  const TFontEntry& F = C.Entry(0);
  EXPECT_EQ(Draw(F, 'A', 4, 7), A);
  EXPECT_EQ(Draw(F, 'B', 4, 7), B);
  // Placed at (1, 1) on a larger canvas: the glyph's box only, nothing around it.
  EXPECT_EQ(Draw(F, 'A', 6, 9, 1, 1),
            (Lines{"------", "-#..#-", "-.##.-", "-#...-", "-...#-", "-####-", "-....-", "-#.#.-", "------"}));
  // Pixels off the canvas are dropped.
  EXPECT_EQ(Draw(F, 'A', 3, 3, 1, -5), (Lines{"-..", "-#.", "---"}));
}

TEST(Glyph, NothingIsDrawnWithoutARangeHeightOrWidth) {
  const FontChunk C = Build({Font{.Ranges = {{.First = 'a', .Last = 'a', .Height = 0},
                                             {.First = 'b', .Last = 'b', .ImageIndex = 1},
                                             {.First = 'c', .Last = 'c', .ImageIndex = 9}},
                                  .Images = {{.Width = 2, .Bitmap = {0xFF, 0xFF}}, {.Width = 0}}}});
  const Lines Blank(3, "---");
  for (char Ch : {'a', 'b', 'c', 'z'}) EXPECT_EQ(Draw(C.Entry(0), static_cast<std::uint16_t>(Ch), 3, 3), Blank) << Ch;
}

TEST(Glyph, BitmapBytesOutsideTheFontDataStayUndrawn) {
  // A 2-column glyph of 10 rows whose image holds only the first band.
  const FontChunk C = Build({Font{.Ranges = {{.First = 'x', .Last = 'x', .Height = 10}},
                                  .Images = {{.Width = 2, .Bitmap = {0x81, 0x7E}}}}});
  EXPECT_EQ(Draw(C.Entry(0), 'x', 2, 10), (Lines{"#.", ".#", ".#", ".#", ".#", ".#", ".#", "#.", "--", "--"}));
}

TEST(Glyph, EachFontReadsItsOwnTables) {
  const FontChunk C = Build({Font{.Name1 = "Left", .Ranges = {{.First = '1', .Last = '1', .Height = 2}},
                                  .Images = {{.Width = 2, .Bitmap = BandBitmap({"#.", "#."})}}},
                             Font{.Name1 = "Right", .Ranges = {{.First = '1', .Last = '1', .Height = 2}},
                                  .Images = {{.Width = 2, .Bitmap = BandBitmap({".#", ".#"})}}}});
  ASSERT_EQ(C.Sub().ChildCount(), 2u);
  EXPECT_EQ(C.Entry(0).GetName(), "Left/");
  EXPECT_EQ(Draw(C.Entry(0), '1', 2, 2), (Lines{"#.", "#."}));
  EXPECT_EQ(Draw(C.Entry(1), '1', 2, 2), (Lines{".#", ".#"}));
}
