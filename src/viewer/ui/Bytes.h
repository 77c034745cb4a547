#pragma once
// View > Show bytes: the stored bytes of the selected node, 16 a row, as a table over the
// node's view of the image (nothing is copied or formatted beyond the rows on screen).

#include <QAbstractTableModel>
#include <QColor>
#include <QWidget>

#include "present/Kav_Bytes.h"
#include "model/Reader.h"

class QAction;
class QKeyEvent;
class QTableView;

namespace kavex {

class TKavClass;
struct TNodeDiff;

class TBytesModel : public QAbstractTableModel {
  Q_OBJECT
public:
  // Offset and flash address, the 16 bytes, the bytes as text.
  enum TColumn { colOffset, colAddress, colFirstByte, colText = colFirstByte + 16, ColumnCount };

  using QAbstractTableModel::QAbstractTableModel;
  // Node's stored bytes; nothing for none. The node must outlive its showing.
  void SetNode(const TKavClass* Node);
  const TKavClass* Node() const { return Node_; }
  TByteView Bytes() const { return Bytes_; }
  std::size_t BaseOffset() const { return Offset_; }  // the image offset of the first byte
  std::int64_t FlashBase() const { return FlashBase_; }  // -1: the node has no flash address
  std::size_t HeaderSize() const { return Header_; }
  // The byte of a cell (from the node's first), or -1 for a cell without one.
  long long ByteAt(const QModelIndex& Index) const;
  QModelIndex IndexOfByte(std::size_t Byte) const;
  // While two images are compared: the other side's bytes of the node; a byte that differs
  // from its place there (or that the other side lacks) is tinted. SetNode forgets them.
  void SetOtherSide(TByteView Other, bool Compared);
  bool Differs(std::size_t Byte) const;
  static QColor DifferTint() { return QColor(255, 180, 180); }

  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

private:
  const TKavClass* Node_ = nullptr;
  TByteView Bytes_;
  std::size_t Offset_ = 0;
  std::int64_t FlashBase_ = -1;
  std::size_t Header_ = 0;
  TByteView Other_;
  bool Compared_ = false;
};

// The selection is the run of bytes from an anchor byte to the cursor byte, across rows, as
// the hex and the text column both show it. Arrows, Home/End, PgUp/PgDn and Ctrl+Home/End move
// the cursor a byte, a row, a row's end, a page or to an end; with Shift they extend the run.
// A click puts the cursor on the byte under the mouse (in either column), a drag or a
// Shift+click extends the run to it.
class TBytesView : public QWidget {
  Q_OBJECT
public:
  explicit TBytesView(QWidget* Parent = nullptr);

  // Shows the node from its first byte, nothing selected.
  void SetNode(const TKavClass* Node);
  // While two images are compared: the node's counterpart in the second image (null: none),
  // shown beside the node's bytes with the differing bytes tinted. Set after SetNode; SetNode
  // forgets it. CompareDetails.cpp.
  void SetCounterpart(const TNodeDiff* Diff);
  const TBytesModel& Model() const { return *Model_; }
  // Selects Count bytes from byte First of the node (clipped to its bytes), the cursor on the
  // first, and shows them.
  void SelectBytes(std::size_t First, std::size_t Count);
  // Puts the cursor on the byte at image offset Offset and selects it; false when the node
  // has none there.
  bool GoToOffset(std::size_t Offset);
  // The selected run, in bytes from the node's first; a count of 0 for none.
  TByteField Selection() const;
  long long CursorByte() const { return Cursor_; }  // -1: no cursor
  // The byte under a point of the table's viewport, clamped to the nearest byte of the node;
  // -1 for a node without bytes.
  long long ByteAtPoint(QPoint At) const;
  // The selected bytes in order: as hex pairs, or as text as the rows show it.
  QString SelectionHex() const;
  QString SelectionText() const;
  // The offset, the byte and the big-endian 16- and 32-bit values at the cursor; empty
  // without one.
  QString CursorText() const;

  QTableView* tvBytes = nullptr;
  // The counterpart's bytes under the node's, shown only while one is set.
  QTableView* tvBytes2 = nullptr;
  const TBytesModel& CounterpartModel() const { return *Counterpart_; }
  QAction* aCopyHex = nullptr;
  QAction* aCopyText = nullptr;

signals:
  void CursorChanged(const QString& Text);

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  // Moves the cursor to Byte (clamped to the node's bytes); the anchor follows unless Extend.
  void MoveCursor(long long Byte, bool Extend);
  bool MoveKey(const QKeyEvent& Key);
  TByteView SelectedBytes() const;

  TBytesModel* Model_;
  TBytesModel* Counterpart_;
  long long Anchor_ = -1;
  long long Cursor_ = -1;
  bool Moving_ = false;    // the cursor is being set here, not by the table
  bool Dragging_ = false;  // the left button went down on the table
};

// An offset typed by the user: decimal, or hex with "0x" or "$" before it or "h" after it.
// False for anything else.
bool ParseOffset(const QString& Text, std::size_t& Offset);

}  // namespace kavex
