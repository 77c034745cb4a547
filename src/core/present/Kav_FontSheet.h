#pragma once
// The picture of a font: its glyphs in a grid of cells, each cell the largest glyph plus a
// one-pixel grey frame, filled row by row. The viewer's font picture and kavex-dump's glyph
// sheets are both drawn here, so they cannot drift apart.

#include <cstdint>
#include <string>

#include "model/Kav_Font.h"

namespace kavex {

constexpr std::uint32_t FontSheetGrey = 0x808080;  // background and cell frames

struct TFontSheetLayout {
  int CellWidth = 0;
  int CellHeight = 0;
  int Columns = 0;
  int Rows = 0;
  int Cells = 0;  // cells that get a glyph: the font's character count, or fewer when capped
  int Width() const { return Columns * CellWidth; }
  int Height() const { return Rows * CellHeight; }
};

// A sheet never holds more pixels than this (64 MiB at 32 bits): a damaged font may claim
// 65,536 characters of the largest cell size, and would otherwise ask for gigabytes. Rows
// beyond it are left out (Cells then counts fewer than the font's characters).
constexpr std::int64_t FontSheetPixelBudget = std::int64_t{1} << 24;

// The grid for Available pixels of width. A width narrower than one cell still gets one
// column; the sheet is then wider than it.
TFontSheetLayout LayoutFontSheet(int CharCount, int MaxWidth, int MaxHeight, int Available);
// The grid for a scrolling box whose client area is ClientWidth by ClientHeight without scroll
// bars: laid out for the full width less one pixel, and again beside a vertical scroll bar of
// ScrollBarWidth when the sheet turns out taller than the box.
TFontSheetLayout LayoutFontSheet(const TFontEntry& Font, int ClientWidth, int ClientHeight, int ScrollBarWidth);
// The grid of Columns columns (at least one).
TFontSheetLayout LayoutFontSheetColumns(const TFontEntry& Font, int Columns);

// Fills the sheet's Width() by Height() pixels grey and draws the glyph of the k-th character
// code into cell k, its top-left pixel one inside the cell. Cells after the last code get the
// glyph of code 0, which leaves them grey unless the font covers 0.
void DrawFontSheet(const TFontEntry& Font, const TFontSheetLayout& Layout, TGlyphSurface& Surface);

// What the picture tells of the character under sheet pixel (X, Y): its code and the character
// itself ("U+00E4 \u00E4"), the code alone for a lone surrogate or a control character, and ""
// outside the cells that hold a glyph.
std::string GlyphCellText(const TFontEntry& Font, const TFontSheetLayout& Layout, int X, int Y);

}  // namespace kavex
