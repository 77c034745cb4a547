#include <gtest/gtest.h>

#include "ContentFixture.h"
#include "TestSupport.h"
#include "cli/PngWriter.h"
#include "present/Kav_FontSheet.h"

using namespace kavex;
using namespace kavtest;

namespace {

// A FONT chunk of one font subchunk holding Fonts, every font entry built.
struct SheetFonts {
  ParsedChunk P;
  const TFontEntry& Entry(std::size_t I) const { return dynamic_cast<const TFontEntry&>(*P.Chunk->Child(0)->Child(I)); }
};
SheetFonts Build(const std::vector<Font>& Fonts) {
  SheetFonts S{ParseChunk("FONT", Concat({SubchunkBytes({.Id = 1, .Body = FontBody(Fonts), .Pad = false}), ClosingRecord()}))};
  BuildAll(*S.P.Chunk->Child(0));
  return S;
}

// Three glyphs '0'..'2' of 3x4 pixels, then a one-pixel glyph for code 0 in a second range.
Font Digits(bool CoversZero) {
  Font F{.Name1 = "Digits",
         .Ranges = {{.First = '0', .Last = '2', .FirstRow = 0, .Height = 4}},
         .Images = {{.Width = 3, .Bitmap = BandBitmap({"###", "#.#", "#.#", "###", ".#.", "##.", ".#.", "###",  //
                                                       "##.", "..#", ".#.", "###"})}}};
  if (CoversZero) {
    F.Ranges.push_back({.First = 0, .Last = 0, .FirstRow = 0, .ImageIndex = 1, .Height = 1});
    F.Images.push_back({.Width = 1, .Bitmap = {1}});
  }
  return F;
}

std::vector<std::string> Picture(const TRgbImage& Image) {
  std::vector<std::string> Rows;
  for (int Y = 0; Y < Image.Height(); ++Y) {
    std::string Row;
    for (int X = 0; X < Image.Width(); ++X) {
      const std::uint32_t C = Image.Pixel(X, Y);
      Row += C == FontSheetGrey ? ' ' : C == GlyphInk ? '#' : C == GlyphPaper ? '.' : '?';
    }
    Rows.push_back(Row);
  }
  return Rows;
}

}  // namespace

TEST(FontSheetLayout, ColumnsFollowTheWidthAndRowsRoundUp) {
  // Cells of 5 x 6 (glyphs 3 x 4 plus the frame).
  const TFontSheetLayout L = LayoutFontSheet(7, 3, 4, 14);
  EXPECT_EQ(L.CellWidth, 5);
  EXPECT_EQ(L.CellHeight, 6);
  EXPECT_EQ(L.Columns, 2);
  EXPECT_EQ(L.Rows, 4);
  EXPECT_EQ(L.Cells, 7);
  EXPECT_EQ(L.Width(), 10);
  EXPECT_EQ(L.Height(), 24);
  // Narrower than one cell: still one column, wider than the space.
  EXPECT_EQ(LayoutFontSheet(7, 3, 4, 2).Columns, 1);
  EXPECT_EQ(LayoutFontSheet(0, 3, 4, 100).Rows, 0);
}

TEST(FontSheetLayout, ABoxTooLowForTheSheetIsLaidOutBesideItsScrollBar) {
  const SheetFonts S = Build({Digits(false)});
  // 3 cells of width 5: 16 - 1 = 15 holds all three in one row of height 6.
  TFontSheetLayout L = LayoutFontSheet(S.Entry(0), 16, 6, 4);
  EXPECT_EQ(L.Columns, 3);
  // A box 5 high cannot show that row: the bar takes 4 pixels, leaving 11, two columns.
  L = LayoutFontSheet(S.Entry(0), 16, 5, 4);
  EXPECT_EQ(L.Columns, 2);
  EXPECT_EQ(L.Rows, 2);
  EXPECT_EQ(LayoutFontSheetColumns(S.Entry(0), 16).Columns, 16);
  EXPECT_EQ(LayoutFontSheetColumns(S.Entry(0), 0).Columns, 1);
}

TEST(FontSheetLayout, AbsurdFontsAreCutToThePixelBudget) {
  // 65536 glyphs of 255 x 31: 16 columns of 257 x 33 cells.
  const TFontSheetLayout L = LayoutFontSheet(0x10000, 255, 31, 16 * 257);
  EXPECT_LE(std::int64_t{L.Width()} * L.Height(), FontSheetPixelBudget);
  EXPECT_EQ(L.Rows, static_cast<int>(FontSheetPixelBudget / (16 * 257 * 33)));
  EXPECT_EQ(L.Cells, L.Rows * 16);
}

TEST(FontSheetDrawing, GlyphsSitOnePixelInsideGreyCellsAndSpareCellsShowCodeZero) {
  // The font covers code 0: cells past its last character show that glyph.
  const SheetFonts S = Build({Digits(true)});
  const TFontEntry& F = S.Entry(0);
  ASSERT_EQ(F.GetCharCount(), 4);
  const TFontSheetLayout L = LayoutFontSheet(F.GetCharCount(), F.GetMaxWidth(), F.GetMaxHeight(), 15);
  TRgbImage Image(L.Width(), L.Height());
  Image.FillRect(0, 0, L.Width(), L.Height(), 0x123456);
  DrawFontSheet(F, L, Image);
  const std::vector<std::string> Expected = {
      "               ",  //
      " ###  .#.  ##. ",  //
      " #.#  ##.  ..# ",  //
      " #.#  .#.  .#. ",  //
      " ###  ###  ### ",  //
      "               ",  //
      "               ",  //
      " #    #    #   ",  //
      "               ",  //
      "               ",  //
      "               ",  //
      "               ",  //
  };
  EXPECT_EQ(Picture(Image), Expected);
}
