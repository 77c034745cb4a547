// Both sides of a node while two images are compared: the detail area and the bytes view.

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "model/Kav_Font.h"
#include "model/Kav_Kinds.h"
#include "present/Kav_Compare.h"
#include "present/Kav_CompareSides.h"
#include "ui/Bytes.h"
#include "ui/NodeDetails.h"
#include "ui/TextCellDelegate.h"

namespace kavex {
namespace {

QString Text(const std::string& Utf8) { return QString::fromStdString(Utf8); }

// The changed runs of a text, in UTF-16 units of its QString.
QVariantList Utf16Marks(const std::string& Utf8, const std::vector<TTextRun>& Runs) {
  QVariantList Marks;
  for (const TTextRun& Run : Runs) {
    if (!Run.Changed || Run.Offset > Utf8.size()) continue;
    const std::size_t Length = std::min(Run.Length, Utf8.size() - Run.Offset);
    const auto Start = QString::fromUtf8(Utf8.data(), static_cast<qsizetype>(Run.Offset)).size();
    const auto Size = QString::fromUtf8(Utf8.data() + Run.Offset, static_cast<qsizetype>(Length)).size();
    Marks.push_back(QPoint(static_cast<int>(Start), static_cast<int>(Size)));
  }
  return Marks;
}

// Paints a value cell with its changed characters in bold, underlined, on a stronger tint.
class TSideDelegate : public TTextCellDelegate {
public:
  using TTextCellDelegate::TTextCellDelegate;

  void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
    const QVariantList Marks = Index.data(TSideModel::MarksRole).toList();
    if (Marks.isEmpty()) {
      QStyledItemDelegate::paint(Painter, Option, Index);
      return;
    }
    QStyleOptionViewItem Cell;
    const QString Text = DrawCellWithoutText(Painter, Option, Index, Cell);
    const QPalette::ColorGroup Group = Cell.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const bool Selected = Cell.state & QStyle::State_Selected;
    QFont Marked = Cell.font;
    Marked.setBold(true);
    Marked.setUnderline(true);
    const QRect Area = Cell.rect;
    Painter->save();
    Painter->setClipRect(Area);
    int X = Area.left() + 3;
    const auto Part = [&](int From, int To, bool Changed) {
      From = std::clamp(From, 0, static_cast<int>(Text.size()));
      To = std::clamp(To, From, static_cast<int>(Text.size()));
      if (From == To) return;
      const QString Piece = Text.mid(From, To - From);
      const QFont& Font = Changed ? Marked : Cell.font;
      const int Width = QFontMetrics(Font).horizontalAdvance(Piece);
      if (Changed) Painter->fillRect(QRect(X, Area.top() + 1, Width, Area.height() - 2), QColor(255, 190, 110));
      Painter->setFont(Font);
      Painter->setPen(Cell.palette.color(Group, Selected && !Changed ? QPalette::HighlightedText : QPalette::Text));
      Painter->drawText(QRect(X, Area.top(), Width + 1, Area.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Piece);
      X += Width;
    };
    int At = 0;
    for (const QVariant& Mark : Marks) {
      const QPoint Run = Mark.toPoint();
      Part(At, Run.x(), false);
      Part(Run.x(), Run.x() + Run.y(), true);
      At = std::max(At, Run.x() + Run.y());
    }
    Part(At, static_cast<int>(Text.size()), false);
    Painter->restore();
  }
};

// Outlines cell Cell of Grid in Picture with a frame 2 pixels wide inside the cell.
void OutlineCell(QImage& Picture, const TFontGrid& Grid, int Cell, QColor Colour) {
  if (Grid.Columns <= 0 || Cell < 0 || Cell >= Grid.Cells) return;
  const int X = Cell % Grid.Columns * Grid.CellWidth, Y = Cell / Grid.Columns * Grid.CellHeight;
  const int W = Grid.CellWidth, H = Grid.CellHeight;
  QPainter Painter(&Picture);
  Painter.fillRect(QRect(X, Y, W, 2), Colour);
  Painter.fillRect(QRect(X, Y + H - 2, W, 2), Colour);
  Painter.fillRect(QRect(X, Y, 2, H), Colour);
  Painter.fillRect(QRect(X + W - 2, Y, 2, H), Colour);
}

}  // namespace

// ---- the side model ------------------------------------------------------------------------

void TSideModel::SetTable(TSideTable Table, const QString& Label) {
  beginResetModel();
  Table_ = std::move(Table);
  Label_ = Label;
  endResetModel();
}

QColor TSideModel::Tint(TChange Change) {
  switch (Change) {
    case TChange::Changed: return QColor(255, 236, 170);
    case TChange::Added: return QColor(205, 240, 205);
    case TChange::Removed: return QColor(255, 210, 210);
    case TChange::Same: break;
  }
  return {};
}

int TSideModel::rowCount(const QModelIndex& Parent) const { return Parent.isValid() ? 0 : static_cast<int>(Table_.Rows.size()); }

int TSideModel::columnCount(const QModelIndex& Parent) const { return Parent.isValid() ? 0 : ColumnCount; }

QVariant TSideModel::data(const QModelIndex& Index, int Role) const {
  if (!Index.isValid() || static_cast<std::size_t>(Index.row()) >= Table_.Rows.size()) return {};
  const TSideRow& Row = Table_.Rows[static_cast<std::size_t>(Index.row())];
  switch (Role) {
    case Qt::DisplayRole:
      switch (Index.column()) {
        case colSign: return QString::fromUtf8(ChangeSign(Row.Change));
        case colLabel: return Text(Row.Label);
        case colFirst: return Text(Row.First);
        case colSecond: return Text(Row.Second);
      }
      return {};
    case Qt::BackgroundRole:
      if (Row.Change != TChange::Same) return Tint(Row.Change);
      return {};
    case Qt::ToolTipRole:
      if (Index.column() == colSign && Row.Change != TChange::Same) return QString::fromLatin1(ChangeName(Row.Change));
      return {};
    case ChangeRole: return static_cast<int>(Row.Change);
    case MarksRole:
      if (Index.column() == colFirst) return Utf16Marks(Row.First, Row.Marks1);
      if (Index.column() == colSecond) return Utf16Marks(Row.Second, Row.Marks2);
      return {};
  }
  return {};
}

QVariant TSideModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole) return {};
  switch (Section) {
    case colLabel: return Label_;
    case colFirst: return QStringLiteral("First");
    case colSecond: return QStringLiteral("Second");
  }
  return QString();
}

QTreeView* MakeSideList(TSideModel* Model, QWidget* Parent) {
  auto* List = new QTreeView(Parent);
  List->setModel(Model);
  List->setItemDelegate(new TSideDelegate(List));
  List->setRootIsDecorated(false);
  List->setItemsExpandable(false);
  List->setUniformRowHeights(true);  // tables of thousands of rows stay quick
  List->setSelectionBehavior(QAbstractItemView::SelectRows);
  List->setSelectionMode(QAbstractItemView::SingleSelection);
  List->setEditTriggers(QAbstractItemView::NoEditTriggers);
  List->setAllColumnsShowFocus(true);
  List->header()->setSectionsMovable(false);
  List->header()->setStretchLastSection(false);
  List->header()->setSectionResizeMode(TSideModel::colSign, QHeaderView::Fixed);
  List->header()->resizeSection(TSideModel::colSign, 22);
  List->header()->resizeSection(TSideModel::colLabel, 80);
  List->header()->setSectionResizeMode(TSideModel::colFirst, QHeaderView::Stretch);
  List->header()->setSectionResizeMode(TSideModel::colSecond, QHeaderView::Stretch);
  return List;
}

// ---- the detail area -----------------------------------------------------------------------

void TNodeDetails::BuildComparePanel() {
  pCompare = new QWidget(this);
  auto* Layout = new QVBoxLayout(pCompare);
  Layout->setContentsMargins(0, 0, 0, 0);
  HeaderSides = new TSideModel(this);
  tvCompareHeader = MakeSideList(HeaderSides, pCompare);
  tvCompareHeader->header()->resizeSection(TSideModel::colLabel, 90);
  tvCompareHeader->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  Layout->addWidget(tvCompareHeader);
  stCompareCounts = new QLabel(pCompare);
  Layout->addWidget(stCompareCounts);
  ListSides = new TSideModel(this);
  tvCompareList = MakeSideList(ListSides, pCompare);
  tvCompareList->header()->resizeSection(TSideModel::colLabel, 50);
  Layout->addWidget(tvCompareList, 1);

  sbCompareFonts = new TFontScrollBox(pCompare);
  CompareFontSheet_ = new QWidget;
  auto* Sheet = new QVBoxLayout(CompareFontSheet_);
  Sheet->setContentsMargins(0, 0, 0, 0);
  Sheet->setSpacing(2);
  Sheet->addWidget(new QLabel(QStringLiteral("First image")));
  iFont1 = new TFontPicture;
  Sheet->addWidget(iFont1);
  Sheet->addWidget(new QLabel(QStringLiteral("Second image")));
  iFont2 = new TFontPicture;
  Sheet->addWidget(iFont2);
  Sheet->addStretch(1);
  sbCompareFonts->setWidget(CompareFontSheet_);
  sbCompareFonts->OnResize = [this] {
    if (!sbCompareFonts->isHidden() && sbCompareFonts->size() != ComparedFontsDrawnFor_) DrawComparedFonts();
  };
  Layout->addWidget(sbCompareFonts, 1);

  const std::pair<QObject*, const char*> Names[] = {
      {pCompare, "pCompare"},         {tvCompareHeader, "tvCompareHeader"}, {stCompareCounts, "stCompareCounts"},
      {tvCompareList, "tvCompareList"}, {sbCompareFonts, "sbCompareFonts"},   {iFont1, "iFont1"}, {iFont2, "iFont2"}};
  for (const auto& [Object, Name] : Names) Object->setObjectName(QString::fromLatin1(Name));
  Place(pCompare, 0, 0);
  pCompare->hide();
}

bool TNodeDetails::ComparisonShown() const { return !pCompare->isHidden(); }

bool TNodeDetails::ShowComparison(const TNodeDiff* Diff) {
  if (!Diff || Diff->Change != TChange::Changed || !Diff->Node1 || !Diff->Node2) {
    pCompare->hide();
    CompareFont1_ = CompareFont2_ = nullptr;
    return false;
  }
  // None of the node's own panels while both sides stand in their place.
  pArea->hide();
  for (QWidget** Slot : {&CurrentInfoPanel_, &CurrentListPanel_}) {
    if (*Slot) (*Slot)->hide();
    *Slot = nullptr;
  }

  const TSideTable Header = HeaderSideRows(*Diff);
  // The header list as high as its rows, up to a third of the area.
  const int RowHeight = std::max(tvCompareHeader->fontMetrics().height() + 4, 16);
  const int Rows = static_cast<int>(Header.Rows.size());
  HeaderSides->SetTable(Header, QStringLiteral("Field"));
  tvCompareHeader->setFixedHeight(std::min(tvCompareHeader->header()->sizeHint().height() + Rows * RowHeight + 6,
                                           std::max(height() / 3, 80)));

  const TNodePanel Panel = NodePanelOf(Diff->Node1);
  const bool Texts = Panel == TNodePanel::TextList, Operators = Panel == TNodePanel::OperatorList;
  CompareTexts_ = Texts;
  if (Texts || Operators) {
    TSideTable List = Texts ? TextSideRows(*Diff) : OperatorSideRows(*Diff);
    stCompareCounts->setText(QStringLiteral("%1: %2").arg(Texts ? QStringLiteral("Text entries") : QStringLiteral("MCC entries"),
                                                          Text(SideCounts(List))));
    tvCompareList->setFont(Texts ? lvText->font() : lvPLMN->font());
    ListSides->SetTable(std::move(List), Texts ? QStringLiteral("Index") : QStringLiteral("MCC"));
  } else {
    ListSides->SetTable({}, {});
  }
  stCompareCounts->setVisible(Texts || Operators);
  tvCompareList->setVisible(Texts || Operators);

  const bool Fonts = Panel == TNodePanel::FontImage && NodePanelOf(Diff->Node2) == TNodePanel::FontImage;
  CompareFont1_ = Fonts ? static_cast<const TFontEntry*>(Diff->Node1) : nullptr;
  CompareFont2_ = Fonts ? static_cast<const TFontEntry*>(Diff->Node2) : nullptr;
  CompareCells1_ = Fonts ? DifferingGlyphCells(*CompareFont1_, *Diff) : std::vector<int>{};
  CompareCells2_ = Fonts ? DifferingGlyphCells(*CompareFont2_, *Diff) : std::vector<int>{};
  sbCompareFonts->setVisible(Fonts);
  pCompare->show();
  DrawComparedFonts();
  return true;
}

void TNodeDetails::DrawComparedFonts() {
  ComparedFontsDrawnFor_ = sbCompareFonts->size();
  const QSize Client = sbCompareFonts->ClientSize();
  const auto Draw = [&](const TFontEntry* Font, const std::vector<int>& Cells, TFontGrid& Grid, TFontPicture* Picture) {
    if (!Font) {
      Grid = {};
      Picture->SetPicture({}, {0, 0});
      return;
    }
    // Each picture laid out and zoomed as the viewer's own picture, for half the box's height.
    const int Z = FontZoom_;
    Grid = LayoutFontGrid(*Font, Client.width() / Z, Client.height() / 2 / Z, (sbCompareFonts->ScrollBarWidth() + Z - 1) / Z);
    QImage Image = DrawFontGrid(*Font, Grid);
    if (!Image.isNull())
      for (const int Cell : Cells) OutlineCell(Image, Grid, Cell, QColor::fromRgb(DifferingCellOutline));
    Picture->SetPicture(std::move(Image), {Grid.Width(), Grid.Height()}, Z);
  };
  Draw(CompareFont1_, CompareCells1_, CompareGrid1_, iFont1);
  Draw(CompareFont2_, CompareCells2_, CompareGrid2_, iFont2);
  CompareFontSheet_->adjustSize();
}

// ---- the bytes view ------------------------------------------------------------------------

void TBytesView::SetCounterpart(const TNodeDiff* Diff) {
  const bool Shown = Diff && Diff->Node1 && Diff->Node2 && Diff->Node1 == Model_->Node();
  Counterpart_->SetNode(Shown ? Diff->Node2 : nullptr);
  Model_->SetOtherSide(Shown ? Counterpart_->Bytes() : TByteView{}, Shown);
  Counterpart_->SetOtherSide(Shown ? Model_->Bytes() : TByteView{}, Shown);
  tvBytes2->setColumnHidden(TBytesModel::colAddress, Counterpart_->FlashBase() < 0);
  tvBytes2->setVisible(Shown);
  tvBytes->viewport()->update();
  if (Shown) tvBytes2->verticalScrollBar()->setValue(tvBytes->verticalScrollBar()->value());
}

}  // namespace kavex
