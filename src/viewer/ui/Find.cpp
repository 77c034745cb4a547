#include "ui/Find.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>

#include "model/Kav_Chunk.h"
#include "ui/ImageTree.h"

namespace kavex {

void BuildFindSources(TImageTree& Tree, TFindScope Scope) {
  // A chunk's own subchunks are what the search reads.
  Tree.Nodes()->FetchWhere([Scope](const TKavClass& Node) {
    return Node.Kind() == TNodeKind::Chunk && ChunkHoldsFindSources(static_cast<const TChunk&>(Node), Scope);
  });
}

std::vector<TFindHit> FindHits(const TKavClass& Root, const QString& Word, TFindScope Scope) {
  std::vector<TFindHit> Hits;
  if (Word.isEmpty()) return Hits;
  const TKavClass* LabelOf = nullptr;
  QString Label;
  ForEachFindEntry(Root, Scope, [&](const TFindEntry& Entry) {
    const qsizetype At = QStringView(Entry.Text).indexOf(Word, 0, Qt::CaseInsensitive);
    if (At < 0) return;
    if (LabelOf != Entry.Node) {  // one label a table, not one a hit
      LabelOf = Entry.Node;
      Label = QString::fromStdString(FindTableLabel(*Entry.Node));
    }
    TFindHit Hit;
    Hit.Source = Entry.Source;
    Hit.Node = Entry.Node;
    Hit.Entry = Entry.Entry;
    Hit.ListRow = Entry.ListRow;
    Hit.Table = Label;
    // The entry's name (an operator's "MCC 12: ") goes before the text, the match after it.
    Hit.Text = QString::fromStdU16String(Entry.Prefix + Entry.Text);
    Hit.MatchStart = static_cast<int>(Entry.Prefix.size() + static_cast<std::size_t>(At));
    Hit.MatchLength = static_cast<int>(Word.size());
    Hits.push_back(std::move(Hit));
  });
  return Hits;
}

// ---------------------------------------------------------------------------------------
void TFindHitsModel::SetHits(std::vector<TFindHit> Hits) {
  beginResetModel();
  Hits_ = std::move(Hits);
  endResetModel();
}

int TFindHitsModel::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(Hits_.size());
}

int TFindHitsModel::columnCount(const QModelIndex& Parent) const { return Parent.isValid() ? 0 : ColumnCount; }

QVariant TFindHitsModel::data(const QModelIndex& Index, int Role) const {
  if (!Index.isValid() || Index.row() >= rowCount()) return {};
  const TFindHit& Hit = Hits_[static_cast<std::size_t>(Index.row())];
  switch (Role) {
    case Qt::DisplayRole:
      switch (Index.column()) {
        case colTable: return Hit.Table;
        // An operator's text names its entry ("MCC 12: DNA"); a tone has none.
        case colEntry: return Hit.Source == TFindSource::Text ? QString::number(Hit.Entry) : QString();
        case colText: return Hit.Text;
      }
      break;
    case Qt::TextAlignmentRole:
      if (Index.column() == colEntry) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      break;
    case MatchRole:
      if (Index.column() == colText) return QPoint(Hit.MatchStart, Hit.MatchLength);
      break;
  }
  return {};
}

QVariant TFindHitsModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole) return {};
  static const char* const Titles[] = {"Table", "Entry", "Text"};
  return Section >= 0 && Section < ColumnCount ? QString::fromLatin1(Titles[Section]) : QVariant();
}

void TFindMarkDelegate::paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const {
  const QVariant Match = Index.data(TFindHitsModel::MatchRole);
  if (!Match.isValid()) {
    QStyledItemDelegate::paint(Painter, Option, Index);
    return;
  }
  // The cell without its text, then the text in three parts with the match marked.
  QStyleOptionViewItem Cell;
  const QString Text = DrawCellWithoutText(Painter, Option, Index, Cell);
  const QWidget* View = Option.widget;
  QStyle* Style = StyleOf(Option);

  const QPoint Range = Match.toPoint();
  const int Start = std::clamp(Range.x(), 0, static_cast<int>(Text.size()));
  const int Length = std::clamp(Range.y(), 0, static_cast<int>(Text.size()) - Start);
  const QRect Area = Style->subElementRect(QStyle::SE_ItemViewItemText, &Cell, View).adjusted(2, 0, -2, 0);
  const QFontMetrics Metrics(Cell.font);
  const bool Selected = Cell.state & QStyle::State_Selected;
  const QColor Ink = Cell.palette.color(Selected ? QPalette::HighlightedText : QPalette::Text);
  Painter->save();
  Painter->setClipRect(Area);
  Painter->setFont(Cell.font);
  int X = Area.left();
  const auto Part = [&](const QString& Piece, bool Marked) {
    const int Width = Metrics.horizontalAdvance(Piece);
    if (Marked) {
      Painter->fillRect(QRect(X, Area.top() + 1, Width, Area.height() - 2), QColor(255, 220, 0));
      Painter->setPen(Qt::black);
    } else {
      Painter->setPen(Ink);
    }
    Painter->drawText(QRect(X, Area.top(), Width + 1, Area.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Piece);
    X += Width;
  };
  Part(Text.left(Start), false);
  Part(Text.mid(Start, Length), true);
  Part(Text.mid(Start + Length), false);
  Painter->restore();
}

// ---------------------------------------------------------------------------------------
TFindPanel::TFindPanel(QWidget* Parent) : QWidget(Parent), Hits_(new TFindHitsModel(this)) {
  eFind = new QLineEdit(this);
  eFind->setObjectName(QStringLiteral("eFind"));
  eFind->setPlaceholderText(QStringLiteral("Word to find in the text tables"));
  eFind->setClearButtonEnabled(true);
  bFind = new QPushButton(QStringLiteral("Find"), this);
  bFind->setObjectName(QStringLiteral("bFind"));
  cbOperators = new QCheckBox(QStringLiteral("Operator names"), this);
  cbOperators->setObjectName(QStringLiteral("cbOperators"));
  cbTones = new QCheckBox(QStringLiteral("Tone names"), this);
  cbTones->setObjectName(QStringLiteral("cbTones"));
  stFindCount = new QLabel(this);
  stFindCount->setObjectName(QStringLiteral("stFindCount"));

  lvFind = new QTreeView(this);
  lvFind->setObjectName(QStringLiteral("lvFind"));
  lvFind->setModel(Hits_);
  lvFind->setItemDelegateForColumn(TFindHitsModel::colText, new TFindMarkDelegate(lvFind));
  lvFind->setRootIsDecorated(false);
  lvFind->setItemsExpandable(false);
  lvFind->setUniformRowHeights(true);
  lvFind->setAllColumnsShowFocus(true);
  lvFind->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvFind->setSelectionMode(QAbstractItemView::SingleSelection);
  lvFind->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvFind->header()->setStretchLastSection(true);
  lvFind->header()->resizeSection(TFindHitsModel::colTable, 160);
  lvFind->header()->resizeSection(TFindHitsModel::colEntry, 50);

  auto* Layout = new QGridLayout(this);
  Layout->setContentsMargins(4, 4, 4, 4);
  Layout->addWidget(eFind, 0, 0);
  Layout->addWidget(bFind, 0, 1);
  Layout->addWidget(cbOperators, 0, 2);
  Layout->addWidget(cbTones, 0, 3);
  Layout->addWidget(stFindCount, 0, 4);
  Layout->addWidget(lvFind, 1, 0, 1, 5);
  Layout->setColumnStretch(0, 1);

  connect(eFind, &QLineEdit::returnPressed, this, &TFindPanel::FindRequested);
  connect(bFind, &QPushButton::clicked, this, &TFindPanel::FindRequested);
  // A click or the keys choose a hit; so does Enter on the list. A hit made current here
  // (F3, a new search) is chosen by the caller already.
  const auto Choose = [this](const QModelIndex& Index) {
    if (Index.isValid() && !SettingCurrent_) emit HitChosen(Index.row());
  };
  connect(lvFind, &QAbstractItemView::activated, this, Choose);
  connect(lvFind, &QAbstractItemView::clicked, this, Choose);
  connect(lvFind->selectionModel(), &QItemSelectionModel::currentChanged, this, Choose);
}

TFindScope TFindPanel::Scope() const { return {cbOperators->isChecked(), cbTones->isChecked()}; }

void TFindPanel::SetHits(std::vector<TFindHit> Hits) {
  const std::size_t Count = Hits.size();
  Hits_->SetHits(std::move(Hits));
  stFindCount->setText(QString::fromStdString(FindHitCountText(Count)));
}

void TFindPanel::Clear() {
  Hits_->SetHits({});
  stFindCount->clear();
}

int TFindPanel::CurrentHit() const {
  const QModelIndex Current = lvFind->currentIndex();
  return Current.isValid() ? Current.row() : -1;
}

void TFindPanel::SetCurrentHit(int Row) {
  const QModelIndex Index = Hits_->index(Row, 0);
  if (!Index.isValid()) return;
  SettingCurrent_ = true;  // the caller chooses the hit itself: no HitChosen
  lvFind->setCurrentIndex(Index);
  SettingCurrent_ = false;
  lvFind->scrollTo(Index);
}

}  // namespace kavex
