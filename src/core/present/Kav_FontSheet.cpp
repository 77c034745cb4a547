#include "present/Kav_FontSheet.h"

#include <algorithm>
#include <cstdio>

#include "model/CodePage.h"

namespace kavex {

TFontSheetLayout LayoutFontSheet(int CharCount, int MaxWidth, int MaxHeight, int Available) {
  TFontSheetLayout L;
  L.CellWidth = std::max(MaxWidth, 0) + 2;
  L.CellHeight = std::max(MaxHeight, 0) + 2;
  L.Columns = std::max(Available / L.CellWidth, 1);
  const std::int64_t Chars = std::max(CharCount, 0);
  const std::int64_t RowPixels = std::int64_t{L.Width()} * L.CellHeight;
  const std::int64_t Rows = std::min((Chars + L.Columns - 1) / L.Columns, FontSheetPixelBudget / RowPixels);
  L.Rows = static_cast<int>(Rows);
  L.Cells = static_cast<int>(std::min(Chars, Rows * L.Columns));
  return L;
}

TFontSheetLayout LayoutFontSheet(const TFontEntry& Font, int ClientWidth, int ClientHeight, int ScrollBarWidth) {
  const auto Layout = [&Font](int Available) {
    return LayoutFontSheet(Font.GetCharCount(), Font.GetMaxWidth(), Font.GetMaxHeight(), Available);
  };
  TFontSheetLayout L = Layout(ClientWidth - 1);
  if (ClientHeight < L.Height()) L = Layout(ClientWidth - ScrollBarWidth - 1);
  return L;
}

TFontSheetLayout LayoutFontSheetColumns(const TFontEntry& Font, int Columns) {
  const int CellWidth = std::max(Font.GetMaxWidth(), 0) + 2;
  return LayoutFontSheet(Font.GetCharCount(), Font.GetMaxWidth(), Font.GetMaxHeight(), std::max(Columns, 1) * CellWidth);
}

void DrawFontSheet(const TFontEntry& Font, const TFontSheetLayout& Layout, TGlyphSurface& Surface) {
  Surface.FillRect(0, 0, Layout.Width(), Layout.Height(), FontSheetGrey);
  // Every cell of the grid: past the last character the font answers code 0, so the spare
  // cells stay grey unless the font covers code 0.
  const int AllCells = Layout.Rows * Layout.Columns;
  for (int K = 0; K < AllCells; ++K) {
    const int Row = K / Layout.Columns;
    const int Column = K % Layout.Columns;
    Font.DrawGlyph(Font.GetCharCode(K), Surface, Column * Layout.CellWidth + 1, Row * Layout.CellHeight + 1);
  }
}

std::string GlyphCellText(const TFontEntry& Font, const TFontSheetLayout& Layout, int X, int Y) {
  if (Layout.CellWidth <= 0 || Layout.CellHeight <= 0 || X < 0 || Y < 0 || X >= Layout.Width() || Y >= Layout.Height()) return {};
  const long long Cell = static_cast<long long>(Y / Layout.CellHeight) * Layout.Columns + X / Layout.CellWidth;
  if (Cell >= Layout.Cells || Cell >= Font.GetCharCount()) return {};
  const char16_t Code = Font.GetCharCode(static_cast<std::int32_t>(Cell));
  char Text[16];
  std::snprintf(Text, sizeof Text, "U+%04X", static_cast<unsigned>(Code));
  std::string Out = Text;
  // A lone surrogate or a control character (C0, DEL, C1) has no picture of its own.
  const bool Surrogate = Code >= 0xD800 && Code <= 0xDFFF;
  const bool Control = Code < 0x20 || (Code >= 0x7F && Code <= 0x9F);
  if (Surrogate || Control) return Out;
  Out += ' ';
  AppendUtf8(Out, Code);
  return Out;
}

}  // namespace kavex
