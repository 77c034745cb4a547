#include "ui/Bytes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHeaderView>
#include <QItemSelection>
#include <QPalette>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "model/KavObj.h"
#include "model/Kav_Bytes.h"

namespace kavex {

void TBytesModel::SetNode(const TKavClass* Node) {
  beginResetModel();
  Node_ = Node;
  Bytes_ = Node ? Node->ImageBytes() : TByteView{};
  Offset_ = Node ? Node->ImageOffset() : 0;
  FlashBase_ = Node ? FlashAddressBase(*Node) : -1;
  Header_ = Node ? NodeHeaderSize(*Node) : 0;
  endResetModel();
}

long long TBytesModel::ByteAt(const QModelIndex& Index) const {
  if (!Index.isValid() || Index.column() < colFirstByte || Index.column() >= colText) return -1;
  const std::size_t Byte = static_cast<std::size_t>(Index.row()) * BytesPerRow + (Index.column() - colFirstByte);
  return Byte < Bytes_.size() ? static_cast<long long>(Byte) : -1;
}

QModelIndex TBytesModel::IndexOfByte(std::size_t Byte) const {
  if (Byte >= Bytes_.size()) return {};
  return index(static_cast<int>(Byte / BytesPerRow), colFirstByte + static_cast<int>(Byte % BytesPerRow));
}

int TBytesModel::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>((Bytes_.size() + BytesPerRow - 1) / BytesPerRow);
}

int TBytesModel::columnCount(const QModelIndex& Parent) const { return Parent.isValid() ? 0 : ColumnCount; }

QVariant TBytesModel::data(const QModelIndex& Index, int Role) const {
  if (!Index.isValid()) return {};
  const std::size_t Row = static_cast<std::size_t>(Index.row());
  const int Column = Index.column();
  if (Role == Qt::DisplayRole) {
    const std::size_t First = Offset_ + Row * BytesPerRow;
    if (Column == colOffset) return QStringLiteral("%1").arg(First, 8, 16, QLatin1Char('0')).toUpper();
    if (Column == colAddress)
      return FlashBase_ < 0 ? QString()
                            : QStringLiteral("%1").arg(static_cast<qulonglong>(FlashBase_) + First, 8, 16, QLatin1Char('0')).toUpper();
    if (Column == colText) return QString::fromStdString(TextRow(Bytes_, Row));
    const long long Byte = ByteAt(Index);
    if (Byte < 0) return {};
    return QStringLiteral("%1").arg(Bytes_[static_cast<std::size_t>(Byte)], 2, 16, QLatin1Char('0')).toUpper();
  }
  if (Role == Qt::BackgroundRole) {
    // The header's bytes on a tint of their own.
    const long long Byte = ByteAt(Index);
    if (Byte >= 0 && static_cast<std::size_t>(Byte) < Header_) return QColor(255, 244, 200);
    if (Column == colText && Row * BytesPerRow < Header_) return QColor(255, 244, 200);
  }
  if (Role == Qt::TextAlignmentRole)
    return QVariant(Column == colText ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
  return {};
}

QVariant TBytesModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole) return {};
  if (Section == colOffset) return QStringLiteral("Offset");
  if (Section == colAddress) return QStringLiteral("Address");
  if (Section == colText) return QStringLiteral("Text");
  return QStringLiteral("%1").arg(Section - colFirstByte, 0, 16).toUpper();
}

TBytesView::TBytesView(QWidget* Parent) : QWidget(Parent), Model_(new TBytesModel(this)) {
  tvBytes = new QTableView(this);
  tvBytes->setObjectName(QStringLiteral("tvBytes"));
  tvBytes->setModel(Model_);
  tvBytes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  tvBytes->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvBytes->setShowGrid(false);
  tvBytes->setWordWrap(false);
  tvBytes->verticalHeader()->hide();
  // Fixed row and column sizes: nothing is measured over the rows, however many there are.
  tvBytes->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  tvBytes->verticalHeader()->setDefaultSectionSize(QFontMetrics(tvBytes->font()).height() + 2);
  tvBytes->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  const int Digit = QFontMetrics(tvBytes->font()).horizontalAdvance(QLatin1Char('0'));
  tvBytes->setColumnWidth(TBytesModel::colOffset, Digit * 10);
  tvBytes->setColumnWidth(TBytesModel::colAddress, Digit * 10);
  for (int C = TBytesModel::colFirstByte; C < TBytesModel::colText; ++C) tvBytes->setColumnWidth(C, Digit * 3);
  tvBytes->setColumnWidth(TBytesModel::colText, Digit * 18);
  tvBytes->horizontalHeader()->setStretchLastSection(true);

  aCopyHex = new QAction(QStringLiteral("Copy as &hex"), this);
  aCopyHex->setShortcut(QKeySequence::Copy);
  aCopyHex->setShortcutContext(Qt::WidgetWithChildrenShortcut);  // the log window keeps its own Ctrl+C
  connect(aCopyHex, &QAction::triggered, this, [this] { QApplication::clipboard()->setText(SelectionHex()); });
  aCopyText = new QAction(QStringLiteral("Copy as &text"), this);
  connect(aCopyText, &QAction::triggered, this, [this] { QApplication::clipboard()->setText(SelectionText()); });
  addAction(aCopyHex);
  tvBytes->addAction(aCopyHex);
  tvBytes->addAction(aCopyText);
  tvBytes->setContextMenuPolicy(Qt::ActionsContextMenu);

  connect(tvBytes->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { emit CursorChanged(CursorText()); });
  connect(Model_, &QAbstractItemModel::modelReset, this, [this] { emit CursorChanged(CursorText()); });

  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->addWidget(tvBytes);
}

void TBytesView::SetNode(const TKavClass* Node) {
  if (Node == Model_->Node()) return;
  Model_->SetNode(Node);
  tvBytes->setColumnHidden(TBytesModel::colAddress, Model_->FlashBase() < 0);
}

void TBytesView::SelectBytes(std::size_t First, std::size_t Count) {
  const std::size_t Size = Model_->Bytes().size();
  if (First >= Size || Count == 0) return;
  const std::size_t Last = First + std::min(Count, Size - First) - 1;
  const int FirstRow = static_cast<int>(First / BytesPerRow);
  const int LastRow = static_cast<int>(Last / BytesPerRow);
  const int FirstCol = TBytesModel::colFirstByte + static_cast<int>(First % BytesPerRow);
  const int LastCol = TBytesModel::colFirstByte + static_cast<int>(Last % BytesPerRow);
  constexpr int RowEnd = TBytesModel::colText - 1;
  // At most three ranges: the first row's tail, the whole rows, the last row's head.
  QItemSelection Selection;
  const auto Add = [&](int R0, int C0, int R1, int C1) {
    if (R0 <= R1 && C0 <= C1) Selection.select(Model_->index(R0, C0), Model_->index(R1, C1));
  };
  if (FirstRow == LastRow) {
    Add(FirstRow, FirstCol, FirstRow, LastCol);
  } else {
    Add(FirstRow, FirstCol, FirstRow, RowEnd);
    Add(FirstRow + 1, TBytesModel::colFirstByte, LastRow - 1, RowEnd);
    Add(LastRow, TBytesModel::colFirstByte, LastRow, LastCol);
  }
  tvBytes->selectionModel()->setCurrentIndex(Model_->IndexOfByte(First), QItemSelectionModel::NoUpdate);
  tvBytes->selectionModel()->select(Selection, QItemSelectionModel::ClearAndSelect);
  tvBytes->scrollTo(Model_->IndexOfByte(First));
  emit CursorChanged(CursorText());
}

bool TBytesView::GoToOffset(std::size_t Offset) {
  if (Offset < Model_->BaseOffset() || Offset - Model_->BaseOffset() >= Model_->Bytes().size()) return false;
  const QModelIndex At = Model_->IndexOfByte(Offset - Model_->BaseOffset());
  tvBytes->setCurrentIndex(At);
  tvBytes->scrollTo(At, QAbstractItemView::PositionAtCenter);
  tvBytes->setFocus();
  return true;
}

std::vector<std::size_t> TBytesView::SelectedBytes() const {
  std::vector<std::size_t> Bytes;
  for (const QItemSelectionRange& Range : tvBytes->selectionModel()->selection())
    for (int R = Range.top(); R <= Range.bottom(); ++R)
      for (int C = Range.left(); C <= Range.right(); ++C)
        if (const long long B = Model_->ByteAt(Model_->index(R, C)); B >= 0) Bytes.push_back(static_cast<std::size_t>(B));
  std::sort(Bytes.begin(), Bytes.end());
  Bytes.erase(std::unique(Bytes.begin(), Bytes.end()), Bytes.end());
  return Bytes;
}

namespace {

std::vector<std::uint8_t> Pick(TByteView From, const std::vector<std::size_t>& Which) {
  std::vector<std::uint8_t> Out;
  Out.reserve(Which.size());
  for (const std::size_t I : Which) Out.push_back(From[I]);
  return Out;
}

}  // namespace

QString TBytesView::SelectionHex() const {
  return QString::fromStdString(BytesHex(Pick(Model_->Bytes(), SelectedBytes())));
}

QString TBytesView::SelectionText() const {
  return QString::fromStdString(BytesText(Pick(Model_->Bytes(), SelectedBytes())));
}

QString TBytesView::CursorText() const {
  // On the offset, address or text of a row: its first byte.
  QModelIndex Current = tvBytes->currentIndex();
  if (Current.isValid() && Model_->ByteAt(Current) < 0) Current = Model_->index(Current.row(), TBytesModel::colFirstByte);
  const long long Byte = Model_->ByteAt(Current);
  if (Byte < 0) return {};
  const TByteView Bytes = Model_->Bytes();
  const std::size_t At = static_cast<std::size_t>(Byte);
  const auto Hex = [](unsigned long long V, int Digits) {
    return QStringLiteral("%1").arg(V, Digits, 16, QLatin1Char('0')).toUpper();
  };
  QString Text = QStringLiteral("Offset %1").arg(Hex(Model_->BaseOffset() + At, 8));
  if (Model_->FlashBase() >= 0)
    Text += QStringLiteral(" (address %1)").arg(Hex(static_cast<unsigned long long>(Model_->FlashBase()) + Model_->BaseOffset() + At, 8));
  Text += QStringLiteral("  byte %1").arg(Hex(Bytes[At], 2));
  if (At + 2 <= Bytes.size()) Text += QStringLiteral("  BE16 %1").arg(Hex(BE16OrZero(Bytes, At), 4));
  if (At + 4 <= Bytes.size()) Text += QStringLiteral("  BE32 %1").arg(Hex(BE32OrZero(Bytes, At), 8));
  return Text;
}

bool ParseOffset(const QString& Text, std::size_t& Offset) {
  QString T = Text.trimmed();
  int Base = 10;
  if (T.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    T = T.mid(2);
    Base = 16;
  } else if (T.startsWith(QLatin1Char('$'))) {
    T = T.mid(1);
    Base = 16;
  } else if (T.endsWith(QLatin1Char('h'), Qt::CaseInsensitive)) {
    T.chop(1);
    Base = 16;
  }
  if (T.isEmpty() || T.startsWith(QLatin1Char('-')) || T.startsWith(QLatin1Char('+'))) return false;
  bool Ok = false;
  const qulonglong Value = T.toULongLong(&Ok, Base);
  if (!Ok) return false;
  Offset = static_cast<std::size_t>(Value);
  return true;
}

}  // namespace kavex
