#include "ui/Bytes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "model/KavObj.h"
#include "present/Kav_Bytes.h"

#include "ui/TextCellDelegate.h"

namespace kavex {

void TBytesModel::SetNode(const TKavClass* Node) {
  beginResetModel();
  Node_ = Node;
  Bytes_ = Node ? Node->ImageBytes() : TByteView{};
  Offset_ = Node ? Node->ImageOffset() : 0;
  FlashBase_ = Node ? FlashAddressBase(*Node) : -1;
  Header_ = Node ? NodeHeaderSize(*Node) : 0;
  Other_ = {};
  Compared_ = false;
  endResetModel();
}

void TBytesModel::SetOtherSide(TByteView Other, bool Compared) {
  Other_ = Other;
  Compared_ = Compared;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1), {Qt::BackgroundRole});
}

bool TBytesModel::Differs(std::size_t Byte) const {
  return Compared_ && Byte < Bytes_.size() && (Byte >= Other_.size() || Other_[Byte] != Bytes_[Byte]);
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
    if (Column == colOffset) return QString::fromStdString(OffsetText(First));
    if (Column == colAddress)
      return FlashBase_ < 0 ? QString() : QString::fromStdString(OffsetText(static_cast<std::uint64_t>(FlashBase_) + First));
    if (Column == colText) return QString::fromStdString(TextRow(Bytes_, Row));
    const long long Byte = ByteAt(Index);
    if (Byte < 0) return {};
    return QStringLiteral("%1").arg(Bytes_[static_cast<std::size_t>(Byte)], 2, 16, QLatin1Char('0')).toUpper();
  }
  if (Role == Qt::BackgroundRole) {
    // The header's bytes on a tint of their own.
    const long long Byte = ByteAt(Index);
    // While compared, a byte that differs from the other side's on a tint above all.
    if (Byte >= 0 && Differs(static_cast<std::size_t>(Byte))) return DifferTint();
    if (Compared_ && Column == colText)
      for (std::size_t B = Row * BytesPerRow; B < std::min(Bytes_.size(), (Row + 1) * BytesPerRow); ++B)
        if (Differs(B)) return DifferTint();
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

namespace {

// Where the text column's characters start in its cell, for painting and for the mouse alike.
constexpr int TextMargin = 3;

// Paints the run from the view's anchor to its cursor: the selected state of the hex cells,
// and in the text column the same bytes' characters on the highlight (the cursor's framed).
class TBytesDelegate : public TTextCellDelegate {
public:
  TBytesDelegate(const TBytesView& View, QObject* Parent) : TTextCellDelegate(Parent), View_(View) {}

  void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
    if (Index.column() != TBytesModel::colText) {
      QStyledItemDelegate::paint(Painter, Option, Index);
      return;
    }
    QStyleOptionViewItem Cell;
    const QString Text = DrawCellWithoutText(Painter, Option, Index, Cell);
    const QWidget* Widget = Option.widget;

    const TByteField Run = View_.Selection();
    const std::size_t RowFirst = static_cast<std::size_t>(Index.row()) * BytesPerRow;
    const auto Clip = [&](std::size_t Byte) {
      return static_cast<int>(std::clamp(Byte, RowFirst, RowFirst + static_cast<std::size_t>(Text.size())) - RowFirst);
    };
    const int From = Run.Count ? Clip(Run.First) : 0;
    const int To = Run.Count ? Clip(Run.First + Run.Count) : 0;
    const QPalette::ColorGroup Group = Cell.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const QFontMetrics Metrics(Cell.font);
    const QRect Area = Cell.rect;
    Painter->save();
    Painter->setClipRect(Area);
    Painter->setFont(Cell.font);
    int X = Area.left() + TextMargin;
    const auto Part = [&](const QString& Piece, bool Selected) {
      const int Width = Metrics.horizontalAdvance(Piece);
      if (Selected) Painter->fillRect(QRect(X, Area.top(), Width, Area.height()), Cell.palette.color(Group, QPalette::Highlight));
      Painter->setPen(Cell.palette.color(Group, Selected ? QPalette::HighlightedText : QPalette::Text));
      Painter->drawText(QRect(X, Area.top(), Width + 1, Area.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Piece);
      X += Width;
    };
    Part(Text.left(From), false);
    Part(Text.mid(From, To - From), true);
    Part(Text.mid(To), false);
    // The cursor's character framed, as the focus frames its hex cell.
    const long long Cursor = View_.CursorByte();
    if (Cursor >= 0 && static_cast<std::size_t>(Cursor) / BytesPerRow == static_cast<std::size_t>(Index.row()) &&
        Widget && Widget->hasFocus()) {
      const int At = static_cast<int>(static_cast<std::size_t>(Cursor) - RowFirst);
      if (At < Text.size()) {
        const int Left = Area.left() + TextMargin + Metrics.horizontalAdvance(Text.left(At));
        Painter->setPen(Cell.palette.color(Group, QPalette::Text));
        Painter->drawRect(QRect(Left, Area.top(), Metrics.horizontalAdvance(Text.at(At)), Area.height() - 1));
      }
    }
    Painter->restore();
  }

protected:
  void initStyleOption(QStyleOptionViewItem* Option, const QModelIndex& Index) const override {
    QStyledItemDelegate::initStyleOption(Option, Index);
    // The run decides what is selected, not the table's own selection (it has none).
    const long long Byte = static_cast<const TBytesModel*>(Index.model())->ByteAt(Index);
    const TByteField Run = View_.Selection();
    const bool Selected = Byte >= 0 && static_cast<std::size_t>(Byte) >= Run.First &&
                          static_cast<std::size_t>(Byte) - Run.First < Run.Count;
    Option->state.setFlag(QStyle::State_Selected, Selected);
  }

private:
  const TBytesView& View_;
};

// The look of a bytes table: fixed font, rows and columns, no grid, no editing.
void SetUpBytesTable(QTableView* Table) {
  Table->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The view keeps the run itself; the table only paints it and keeps the cursor's cell.
  Table->setSelectionMode(QAbstractItemView::NoSelection);
  Table->setTabKeyNavigation(false);
  Table->setShowGrid(false);
  Table->setWordWrap(false);
  Table->verticalHeader()->hide();
  // Fixed row and column sizes: nothing is measured over the rows, however many there are.
  Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  Table->verticalHeader()->setDefaultSectionSize(QFontMetrics(Table->font()).height() + 2);
  Table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  const int Digit = QFontMetrics(Table->font()).horizontalAdvance(QLatin1Char('0'));
  Table->setColumnWidth(TBytesModel::colOffset, Digit * 10);
  Table->setColumnWidth(TBytesModel::colAddress, Digit * 10);
  for (int C = TBytesModel::colFirstByte; C < TBytesModel::colText; ++C) Table->setColumnWidth(C, Digit * 3);
  Table->setColumnWidth(TBytesModel::colText, Digit * 18);
  Table->horizontalHeader()->setStretchLastSection(true);
}

}  // namespace

TBytesView::TBytesView(QWidget* Parent) : QWidget(Parent), Model_(new TBytesModel(this)), Counterpart_(new TBytesModel(this)) {
  tvBytes = new QTableView(this);
  tvBytes->setObjectName(QStringLiteral("tvBytes"));
  tvBytes->setModel(Model_);
  tvBytes->setItemDelegate(new TBytesDelegate(*this, tvBytes));
  SetUpBytesTable(tvBytes);
  tvBytes->installEventFilter(this);
  tvBytes->viewport()->installEventFilter(this);

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

  // A current cell set from outside (the table's own focus handling, a caller) is the cursor,
  // the run that one byte.
  connect(tvBytes->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& Current) {
    if (!Moving_) {
      long long Byte = Model_->ByteAt(Current);
      if (Current.isValid() && Byte < 0) Byte = Model_->ByteAt(Model_->index(Current.row(), TBytesModel::colFirstByte));
      Anchor_ = Cursor_ = Byte;
      tvBytes->viewport()->update();
    }
    emit CursorChanged(CursorText());
  });
  connect(Model_, &QAbstractItemModel::modelReset, this, [this] { emit CursorChanged(CursorText()); });

  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->addWidget(tvBytes);

  tvBytes2 = new QTableView(this);
  tvBytes2->setObjectName(QStringLiteral("tvBytes2"));
  tvBytes2->setModel(Counterpart_);
  SetUpBytesTable(tvBytes2);
  tvBytes2->setSelectionMode(QAbstractItemView::NoSelection);
  tvBytes2->setFocusPolicy(Qt::NoFocus);
  Layout->addWidget(tvBytes2);
  tvBytes2->hide();
  // Both sides scroll together.
  connect(tvBytes->verticalScrollBar(), &QScrollBar::valueChanged, tvBytes2->verticalScrollBar(), &QScrollBar::setValue);
  connect(tvBytes2->verticalScrollBar(), &QScrollBar::valueChanged, tvBytes->verticalScrollBar(), &QScrollBar::setValue);
  connect(tvBytes->horizontalScrollBar(), &QScrollBar::valueChanged, tvBytes2->horizontalScrollBar(), &QScrollBar::setValue);
}

void TBytesView::SetNode(const TKavClass* Node) {
  SetCounterpart(nullptr);
  if (Node == Model_->Node()) return;
  Anchor_ = Cursor_ = -1;
  Model_->SetNode(Node);
  tvBytes->setColumnHidden(TBytesModel::colAddress, Model_->FlashBase() < 0);
  // From the first byte, not where the last node was scrolled to.
  tvBytes->scrollToTop();
  tvBytes->horizontalScrollBar()->setValue(tvBytes->horizontalScrollBar()->minimum());
}

void TBytesView::MoveCursor(long long Byte, bool Extend) {
  const std::size_t Size = Model_->Bytes().size();
  if (Size == 0) return;
  Byte = std::clamp<long long>(Byte, 0, static_cast<long long>(Size) - 1);
  if (!Extend || Anchor_ < 0) Anchor_ = Byte;
  const bool Same = Byte == Cursor_;
  Cursor_ = Byte;
  Moving_ = true;
  tvBytes->selectionModel()->setCurrentIndex(Model_->IndexOfByte(static_cast<std::size_t>(Byte)), QItemSelectionModel::NoUpdate);
  Moving_ = false;
  tvBytes->viewport()->update();
  if (Same) emit CursorChanged(CursorText());
}

void TBytesView::SelectBytes(std::size_t First, std::size_t Count) {
  const std::size_t Size = Model_->Bytes().size();
  if (First >= Size || Count == 0) return;
  const std::size_t Last = First + std::min(Count, Size - First) - 1;
  MoveCursor(static_cast<long long>(Last), false);
  MoveCursor(static_cast<long long>(First), true);
  tvBytes->scrollTo(Model_->IndexOfByte(First));
}

bool TBytesView::GoToOffset(std::size_t Offset) {
  if (Offset < Model_->BaseOffset() || Offset - Model_->BaseOffset() >= Model_->Bytes().size()) return false;
  MoveCursor(static_cast<long long>(Offset - Model_->BaseOffset()), false);
  tvBytes->scrollTo(Model_->IndexOfByte(static_cast<std::size_t>(Cursor_)), QAbstractItemView::PositionAtCenter);
  tvBytes->setFocus();
  return true;
}

TByteField TBytesView::Selection() const {
  if (Cursor_ < 0 || Anchor_ < 0) return {};
  const auto [Low, High] = std::minmax(Anchor_, Cursor_);
  return {static_cast<std::size_t>(Low), static_cast<std::size_t>(High - Low) + 1};
}

TByteView TBytesView::SelectedBytes() const {
  const TByteField Run = Selection();
  const TByteView Bytes = Model_->Bytes();
  if (Run.Count == 0 || Run.First >= Bytes.size()) return {};
  return Bytes.subspan(Run.First, std::min(Run.Count, Bytes.size() - Run.First));
}

long long TBytesView::ByteAtPoint(QPoint At) const {
  const std::size_t Size = Model_->Bytes().size();
  if (Size == 0) return -1;
  const int Rows = Model_->rowCount();
  // Above or below the rows: the row next to the edge passed, so that a drag scrolls on.
  int Row = tvBytes->rowAt(At.y());
  if (Row < 0) {
    const QRect Area = tvBytes->viewport()->rect();
    if (At.y() < Area.top()) Row = std::max(tvBytes->rowAt(Area.top()), 0) - 1;
    else if (const int Bottom = tvBytes->rowAt(Area.bottom()); Bottom >= 0 && At.y() > Area.bottom()) Row = Bottom + 1;
    else Row = Rows - 1;
    Row = std::clamp(Row, 0, Rows - 1);
  }
  int Column = tvBytes->columnAt(At.x());
  if (Column < 0) Column = At.x() < 0 ? TBytesModel::colOffset : TBytesModel::colText;
  const std::size_t RowFirst = static_cast<std::size_t>(Row) * BytesPerRow;
  std::size_t Byte = RowFirst;  // the offset and address: the row's first byte
  if (Column >= TBytesModel::colFirstByte && Column < TBytesModel::colText) {
    Byte += static_cast<std::size_t>(Column - TBytesModel::colFirstByte);
  } else if (Column == TBytesModel::colText) {
    // The character under the mouse, as the delegate lays the row out.
    const QString Text = Model_->index(Row, TBytesModel::colText).data().toString();
    const QFontMetrics Metrics(tvBytes->font());
    int X = tvBytes->columnViewportPosition(TBytesModel::colText) + TextMargin;
    int Char = 0;
    while (Char + 1 < Text.size() && At.x() >= X + Metrics.horizontalAdvance(Text.at(Char))) X += Metrics.horizontalAdvance(Text.at(Char++));
    Byte += static_cast<std::size_t>(Char);
  }
  return static_cast<long long>(std::min(Byte, Size - 1));
}

bool TBytesView::MoveKey(const QKeyEvent& Key) {
  const long long Size = static_cast<long long>(Model_->Bytes().size());
  if (Size == 0) return false;
  if (Key.matches(QKeySequence::SelectAll)) {
    MoveCursor(0, false);
    MoveCursor(Size - 1, true);
    return true;
  }
  const Qt::KeyboardModifiers Mods = Key.modifiers() & ~Qt::KeypadModifier;
  if (Mods & ~(Qt::ShiftModifier | Qt::ControlModifier)) return false;
  const bool Ctrl = Mods & Qt::ControlModifier;  // to an end with Home/End; the same move otherwise
  const long long Row = static_cast<long long>(BytesPerRow);
  const long long At = Cursor_ < 0 ? 0 : Cursor_;
  const long long RowStart = At - At % Row;
  const int PageRows = std::max(1, tvBytes->viewport()->height() / std::max(1, tvBytes->verticalHeader()->defaultSectionSize()));
  long long To = At;
  switch (Key.key()) {
    case Qt::Key_Left: To = At - 1; break;
    case Qt::Key_Right: To = At + 1; break;
    case Qt::Key_Up: To = At - Row; break;
    case Qt::Key_Down: To = At + Row; break;
    case Qt::Key_PageUp: To = At - PageRows * Row; break;
    case Qt::Key_PageDown: To = At + PageRows * Row; break;
    case Qt::Key_Home: To = Ctrl ? 0 : RowStart; break;
    case Qt::Key_End: To = Ctrl ? Size - 1 : RowStart + Row - 1; break;
    default: return false;
  }
  if (Cursor_ < 0 && Key.key() != Qt::Key_End) To = 0;  // the first key finds the cursor on the first byte
  MoveCursor(To, Mods & Qt::ShiftModifier);
  tvBytes->scrollTo(Model_->IndexOfByte(static_cast<std::size_t>(Cursor_)));
  return true;
}

bool TBytesView::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == tvBytes && Event->type() == QEvent::KeyPress) {
    const auto& Key = static_cast<const QKeyEvent&>(*Event);
    if (MoveKey(Key)) return true;
    if (Key.matches(QKeySequence::Copy)) {  // the run, never the table's copy of one cell
      aCopyHex->trigger();
      return true;
    }
    // Typed characters would jump the table's current cell to a matching one.
    return !Key.text().isEmpty() && Key.text().at(0).isPrint() && !(Key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  }
  if (Watched != tvBytes->viewport()) return QWidget::eventFilter(Watched, Event);
  switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto& Mouse = static_cast<const QMouseEvent&>(*Event);
      const long long Byte = ByteAtPoint(Mouse.position().toPoint());
      tvBytes->setFocus(Qt::MouseFocusReason);
      if (Mouse.button() == Qt::LeftButton) {
        if (Byte >= 0) MoveCursor(Byte, Mouse.modifiers() & Qt::ShiftModifier);
        Dragging_ = Byte >= 0;
        return true;
      }
      // The other buttons keep a run they fall in (the context menu copies it), else move.
      const TByteField Run = Selection();
      if (Byte >= 0 && (static_cast<std::size_t>(Byte) < Run.First || static_cast<std::size_t>(Byte) - Run.First >= Run.Count))
        MoveCursor(Byte, false);
      Event->ignore();  // left unaccepted: the context menu still follows
      return true;
    }
    case QEvent::MouseMove: {
      const auto& Mouse = static_cast<const QMouseEvent&>(*Event);
      if (!Dragging_ || !(Mouse.buttons() & Qt::LeftButton)) return false;
      const long long Byte = ByteAtPoint(Mouse.position().toPoint());
      if (Byte >= 0 && Byte != Cursor_) {
        MoveCursor(Byte, true);
        // Only up or down: the column the mouse is in stays where it is.
        QScrollBar* Across = tvBytes->horizontalScrollBar();
        const int Keep = Across->value();
        tvBytes->scrollTo(Model_->IndexOfByte(static_cast<std::size_t>(Byte)));
        Across->setValue(Keep);
      }
      return true;
    }
    case QEvent::MouseButtonRelease:
      if (static_cast<const QMouseEvent&>(*Event).button() != Qt::LeftButton) return false;
      Dragging_ = false;
      return true;
    default: return false;
  }
}

QString TBytesView::SelectionHex() const { return QString::fromStdString(BytesHex(SelectedBytes())); }

QString TBytesView::SelectionText() const { return QString::fromStdString(BytesText(SelectedBytes())); }

QString TBytesView::CursorText() const {
  if (Cursor_ < 0 || static_cast<std::size_t>(Cursor_) >= Model_->Bytes().size()) return {};
  const TByteView Bytes = Model_->Bytes();
  const std::size_t At = static_cast<std::size_t>(Cursor_);
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
  const std::optional<std::size_t> Parsed = ParseImageOffset(Text.toStdString());
  if (Parsed) Offset = *Parsed;
  return Parsed.has_value();
}

}  // namespace kavex
