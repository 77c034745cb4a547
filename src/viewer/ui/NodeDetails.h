#pragma once
// The detail area pAllInfo: the five panels in two slots and, beside them, the panel of the file
// and its areas; which of them a node shows, and the font picture. It owns its panels, labels
// and lists; each carries its name as object name.

#include <QFont>
#include <QSize>

#include <functional>

#include "present/Kav_Bytes.h"
#include "ui/DetailPanels.h"

class QLabel;
class QLineEdit;
class QTreeView;

namespace kavex {

class TKavClass;
class TFontEntry;
struct TNodeDiff;

class TNodeDetails : public TDetailArea {
public:
  explicit TNodeDetails(QWidget* Parent = nullptr);

  // Shows the details of a model node, or hides them all for none. Panels are filled before
  // they are shown; a panel that stays is refilled in place.
  void ShowNodeInfo(const TKavClass* Node);
  // Lays out and draws the glyph grid of CurrentFontEntry for the scroll box's present size.
  void DrawFontImage();
  // Moves the font picture by minus Delta pixels (+120, one notch away, scrolls up by 120).
  void sbFontImgMouseWheel(int Delta);
  bool FontPictureShown() const;
  // The font picture's zoom, 1 (the picture as laid out for the box) to 8; a value outside is
  // taken to the nearer end. The picture is drawn again at once.
  void SetFontZoom(int Zoom);
  int FontZoom() const { return FontZoom_; }
  static constexpr int FontZoomMin = 1;
  static constexpr int FontZoomMax = 8;
  // Whether Global, a screen point, lies on the shown font picture's box.
  bool OverFontPicture(const QPoint& Global) const;
  // The tool tip for a point of iFont: "U+XXXX" and the character whose glyph the cell under
  // it shows; empty outside the glyph cells.
  QString FontCellToolTip(const QPoint& At) const;
  // The model the font entry belongs to is going: its picture is not drawn again.
  void ForgetFontEntry() {
    CurrentFontEntry_ = nullptr;
    CompareFont1_ = CompareFont2_ = nullptr;
  }
  // The Unicode display font, for the text list and the language field (never the MCC list).
  void ApplyDisplayFont(const QFont& Font);

  // While two images are compared: shows both sides of a node found in both that differs
  // (Diff->Node1 in the first image, Diff->Node2 in the second), in place of the node's own
  // panels, and returns true; for none, or a node it shows no sides of, returns false and the
  // caller shows the node's own details. CompareDetails.cpp.
  bool ShowComparison(const TNodeDiff* Diff);
  bool ComparisonShown() const;
  // The grid of the first (Side 1) or second font picture shown side by side.
  const TFontGrid& ComparedFontGrid(int Side) const { return Side == 1 ? CompareGrid1_ : CompareGrid2_; }
  // The 2-pixel frame drawn inside the cells of differing glyphs in both pictures.
  static constexpr unsigned DifferingCellOutline = 0xFFE00000u;

  // Selects and shows row Row of the list now shown (texts or operators); nothing without one.
  void SelectListRow(int Row);

  // Called with a header field's bytes (from the node's first) when its value is clicked.
  std::function<void(TByteField Field)> FieldClicked;

  QWidget* CurrentInfoPanel() const { return CurrentInfoPanel_; }
  // Whether the file or area panel pArea is shown: it stands beside the two slots, which show
  // nothing for these nodes.
  bool AreaPanelShown() const;
  QWidget* CurrentListPanel() const { return CurrentListPanel_; }
  const TFontEntry* CurrentFontEntry() const { return CurrentFontEntry_; }

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void sbFontImgResize();
  void BuildComparePanel();
  void DrawComparedFonts();

  // Info slot: one of these at a time.
  THeaderPanel* pChunk;
  THeaderPanel* pSubchunk;
  TFontScrollBox* sbFontImg;
  TFontPicture* iFont;
  // The file and its areas.
  TFieldsPanel* pArea;
  // List slot: shown only together with pSubchunk.
  THeaderPanel* pTextSubchunk;
  THeaderPanel* pPLMNSubchunk;
  QLabel* stChunkChkSum;
  QLabel* stChunkLength;
  QLabel* stChunkNameType;
  QLabel* stChunkVersion;
  QLabel* stSubchunkID;
  QLabel* stSubchunkLength;
  QLabel* stSubchunkShortname;
  QLabel* stSubchunkFlags;
  QLineEdit* eTextSubchunkLanguage;
  QLabel* stTextSubchunkCharset;
  QTreeView* lvText;
  QTreeView* lvPLMN;
  TTwoColumnModel* TextRows;
  TTwoColumnModel* PlmnRows;

  QWidget* CurrentInfoPanel_ = nullptr;
  QWidget* CurrentListPanel_ = nullptr;
  const TFontEntry* CurrentFontEntry_ = nullptr;  // a node of the shown model
  QSize FontImageDrawnFor_;  // the scroll box size the picture was laid out for
  TFontGrid FontGrid_;       // the grid of the picture shown
  int FontZoom_ = FontZoomMin;

  // Both sides of a compared node: its header values, its text table or operator list, its
  // two font pictures one above the other.
  QWidget* pCompare = nullptr;
  QTreeView* tvCompareHeader = nullptr;
  QLabel* stCompareCounts = nullptr;
  QTreeView* tvCompareList = nullptr;
  TSideModel* HeaderSides = nullptr;
  TSideModel* ListSides = nullptr;
  TFontScrollBox* sbCompareFonts = nullptr;
  TFontPicture* iFont1 = nullptr;
  TFontPicture* iFont2 = nullptr;
  QWidget* CompareFontSheet_ = nullptr;
  const TFontEntry* CompareFont1_ = nullptr;  // nodes of the compared models
  const TFontEntry* CompareFont2_ = nullptr;
  std::vector<int> CompareCells1_;
  std::vector<int> CompareCells2_;
  TFontGrid CompareGrid1_;
  TFontGrid CompareGrid2_;
  QSize ComparedFontsDrawnFor_;
  bool CompareTexts_ = false;  // the side-by-side list shows text entries
};

}  // namespace kavex
