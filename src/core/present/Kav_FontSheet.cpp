#include "present/Kav_FontSheet.h"

#include <algorithm>

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

}  // namespace kavex
