#pragma once
// The building blocks of the detail area: header panels with their label rows, the two-column
// report lists, the glyph grid of a font entry with the box that shows it, and the area that
// places the panels.

#include <QAbstractTableModel>
#include <QFrame>
#include <QImage>
#include <QScrollArea>
#include <array>
#include <functional>
#include <vector>

#include "present/Kav_CompareSides.h"
#include "present/Kav_FontSheet.h"

class QGridLayout;
class QLabel;
class QTreeView;

namespace kavex {

class TFontEntry;

// The top of header row Row (from 0) inside a header panel.
constexpr int HeaderRowTop(int Row) { return 32 + 16 * Row; }

// A header panel: a centred bold title across the panel, a rule under it, then rows of a bold
// label right-aligned in an 80-pixel column from x 8, with the value from x 88.
class THeaderPanel : public QFrame {
public:
  THeaderPanel(const QString& Title, QWidget* Parent);

  // A plain-text value label in the row at Top; it runs to the panel's right edge.
  QLabel* AddRow(const QString& Label, int Top);
  // Value placed in the row at Top, Width wide.
  void AddRow(const QString& Label, int Top, QWidget* Value, int Width);
  // A control that fills the panel from Top down.
  void SetFill(QWidget* Fill, int Top);
  QLabel* TitleLabel() const { return Title_; }

protected:
  void resizeEvent(QResizeEvent* Event) override;

private:
  struct TRow {
    QWidget* Value;
    int Top;
    int Width;  // -1: to the right edge
  };
  void PlaceValue(const TRow& Row);

  QLabel* Title_;
  QFrame* Rule_;
  std::vector<TRow> Rows_;
  QWidget* Fill_ = nullptr;
  int FillTop_ = 0;
};

// A header panel whose rows change with the node shown: bold labels right-aligned in a column
// as wide as the longest (at least the other panels' 80 pixels), each value plain text that can
// be selected and copied. Rows are made as needed and kept for the next node.
class TFieldsPanel : public THeaderPanel {
public:
  using TField = std::array<QString, 2>;  // label, value
  explicit TFieldsPanel(QWidget* Parent);

  void SetFields(const QString& Title, const std::vector<TField>& Fields);
  // The rows shown now, as their labels and values read.
  std::vector<TField> Fields() const;
  // The value control of row Row; nullptr past the rows shown.
  QLabel* ValueLabel(int Row) const;

private:
  QGridLayout* Grid_;
  std::vector<std::array<QLabel*, 2>> Rows_;
  int Shown_ = 0;
};

// The rows of a report list, two columns of text. A refill replaces all rows in one reset, so
// the list is redrawn once however many rows there are.
class TTwoColumnModel : public QAbstractTableModel {
public:
  using TRow = std::array<QString, 2>;
  TTwoColumnModel(const QString& First, const QString& Second, QObject* Parent = nullptr);

  void SetRows(std::vector<TRow> Rows);
  QString Text(int Row, int Column) const;

  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

private:
  TRow Headers_;
  std::vector<TRow> Rows_;
};

// The rows of a side-by-side table while two images are compared: the sign ("~", "+", "−"),
// the row's label, its first and its second value. Changed, added and removed rows have tints
// of their own; ChangeRole gives a row's TChange, MarksRole a value cell's changed characters
// as a list of QPoint(start, length) in UTF-16 units of its text.
class TSideModel : public QAbstractTableModel {
public:
  enum TColumn { colSign, colLabel, colFirst, colSecond, ColumnCount };
  static constexpr int ChangeRole = Qt::UserRole + 1;
  static constexpr int MarksRole = Qt::UserRole + 2;
  using QAbstractTableModel::QAbstractTableModel;

  // The rows, the label column headed Label ("Field", "Index", "MCC").
  void SetTable(TSideTable Table, const QString& Label);
  const TSideTable& Table() const { return Table_; }
  static QColor Tint(TChange Change);

  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

private:
  QString Label_;
  TSideTable Table_;
};

// A report-style list over a side model, the changed characters of its values marked.
QTreeView* MakeSideList(TSideModel* Model, QWidget* Parent);

// A report-style list over Model: column headers, whole-row selection, no editing; the first
// column FirstWidth wide, the second takes the rest.
QTreeView* MakeReportList(TTwoColumnModel* Model, int FirstWidth, QWidget* Parent);

// How the glyphs of a font are laid out: the core's font sheet, which kavex-dump's glyph
// sheets share, so that both draw the same picture.
using TFontGrid = TFontSheetLayout;
constexpr long long FontPictureBudget = FontSheetPixelBudget;
inline TFontGrid LayoutFontGrid(int CharCount, int MaxWidth, int MaxHeight, int Available) {
  return LayoutFontSheet(CharCount, MaxWidth, MaxHeight, Available);
}
inline TFontGrid LayoutFontGrid(const TFontEntry& Font, int ClientWidth, int ClientHeight, int ScrollBarWidth) {
  return LayoutFontSheet(Font, ClientWidth, ClientHeight, ScrollBarWidth);
}
// The picture of the grid: grey, with the glyph of the k-th character code in cell k. Cells
// after the last code get the glyph of code 0. Null for a grid without rows.
QImage DrawFontGrid(const TFontEntry& Font, const TFontGrid& Grid);

// The picture iFont: shows its image at its top-left, each pixel Zoom by Zoom pixels (1: the
// image unscaled); its size is the grid's times Zoom.
class TFontPicture : public QWidget {
public:
  explicit TFontPicture(QWidget* Parent = nullptr) : QWidget(Parent) {}
  void SetPicture(QImage Picture, QSize Size, int Zoom = 1);
  const QImage& Picture() const { return Picture_; }
  int Zoom() const { return Zoom_; }
  // The tool tip for a point of the picture; none when it gives an empty text.
  std::function<QString(QPoint At)> ToolTipAt;

protected:
  bool event(QEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

private:
  QImage Picture_;
  int Zoom_ = 1;
};

// The scroll box sbFontImg; tells its owner whenever it changes size.
class TFontScrollBox : public QScrollArea {
public:
  explicit TFontScrollBox(QWidget* Parent = nullptr);
  std::function<void()> OnResize;
  // The client area's size without scroll bars.
  QSize ClientSize() const;
  int ScrollBarWidth() const;

protected:
  void resizeEvent(QResizeEvent* Event) override;
};

// The detail area pAllInfo: every panel has a fixed place, whether it is shown or not, so a
// panel has its final size before it is shown.
class TDetailArea : public QWidget {
public:
  explicit TDetailArea(QWidget* Parent = nullptr) : QWidget(Parent) {}
  // Panel sits at Top, Height high; a Height of 0 fills the area down to its bottom.
  void Place(QWidget* Panel, int Top, int Height);

protected:
  void resizeEvent(QResizeEvent* Event) override;

private:
  struct TPlace {
    QWidget* Panel;
    int Top;
    int Height;
  };
  void Arrange(const TPlace& P);
  std::vector<TPlace> Places_;
};

}  // namespace kavex
