// View > Show bytes on the sample image: the rows over a node's stored bytes, the header's
// tint, the detail values that select their bytes, Go to offset, copying, the cursor's values
// in the status strip, and the view's place in the settings.

#include <QAction>
#include <QClipboard>
#include <QDockWidget>
#include <QFile>
#include <QScrollBar>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QtTest>

#include "UiTestSupport.h"
#include "model/KavObj.h"
#include "present/Kav_Bytes.h"
#include "ui/Bytes.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"
#include "ui/NodeDetails.h"

using namespace kavtest;
using kavex::TBytesModel;
using kavex::TKavexApp;

namespace {

const QString Sample = QStringLiteral(KAVEX_SAMPLES_DIR "/kavex-sample.fls");

// Selects the node at the rows given (each below the one before, from the root).
const kavex::TKavClass* Select(kavex::TfMain& Main, const std::vector<int>& Rows) {
  QModelIndex At = Main.tvMain->Nodes()->RootIndex();
  for (const int Row : Rows) {
    Main.tvMain->ExpandNode(At);
    At = Main.tvMain->model()->index(Row, 0, At);
  }
  Main.tvMain->setCurrentIndex(At);
  return kavex::TImageTreeModel::ModelNode(At);
}

QString Hex(kavex::TByteView Bytes) { return QString::fromStdString(kavex::BytesHex(Bytes)); }

// The sample's Finnish operator list (country 244).
const std::vector<int> FinnishOperators = {1, 3, 0};

// The centre of a byte's hex cell, or of its character in the text column, in the table's
// viewport (scrolled to first).
QPoint PointOf(const kavex::TBytesView& View, std::size_t Byte, bool InText) {
  const TBytesModel& M = View.Model();
  const QModelIndex Cell = M.IndexOfByte(Byte);
  View.tvBytes->scrollTo(Cell);
  if (!InText) return View.tvBytes->visualRect(Cell).center();
  const QModelIndex Text = M.index(Cell.row(), TBytesModel::colText);
  const QString Row = Text.data().toString();
  const QFontMetrics Metrics(View.tvBytes->font());
  const int Char = static_cast<int>(Byte % kavex::BytesPerRow);
  const QRect Rect = View.tvBytes->visualRect(Text);
  return {Rect.left() + 3 + Metrics.horizontalAdvance(Row.left(Char)) + Metrics.horizontalAdvance(Row.at(Char)) / 2,
          Rect.center().y()};
}

// One step of the user's on the bytes table.
struct TStep {
  enum { Click, ShiftClick, TextClick, ShiftTextClick, Drag, Key } What;
  std::size_t Byte = 0;  // where a click or a drag ends
  Qt::Key KeyCode = Qt::Key_unknown;
  Qt::KeyboardModifiers Mods = Qt::NoModifier;
  std::size_t From = 0;  // where a drag starts
};

void Do(kavex::TBytesView& View, const TStep& Step) {
  QWidget* Area = View.tvBytes->viewport();
  switch (Step.What) {
    case TStep::Click:
    case TStep::ShiftClick:
    case TStep::TextClick:
    case TStep::ShiftTextClick: {
      const bool InText = Step.What == TStep::TextClick || Step.What == TStep::ShiftTextClick;
      const bool Shift = Step.What == TStep::ShiftClick || Step.What == TStep::ShiftTextClick;
      QTest::mouseClick(Area, Qt::LeftButton, Shift ? Qt::ShiftModifier : Qt::NoModifier, PointOf(View, Step.Byte, InText));
      break;
    }
    case TStep::Drag: {
      // With the button held from one byte's cell to another's.
      const QPoint From = PointOf(View, Step.From, false);
      QTest::mousePress(Area, Qt::LeftButton, {}, From);
      const QPoint To = PointOf(View, Step.Byte, false);
      for (const QPoint At : {(From + To) / 2, To}) {
        QMouseEvent Move(QEvent::MouseMove, At, Area->mapToGlobal(At), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Area, &Move);
      }
      QTest::mouseRelease(Area, Qt::LeftButton, {}, To);
      break;
    }
    case TStep::Key: QTest::keyClick(View.tvBytes, Step.KeyCode, Step.Mods); break;
  }
}

}  // namespace

class BytesViewTest : public QObject {
  Q_OBJECT

private slots:
  // Bytes as text: printable code-page characters as they are, control characters (C0, DEL,
  // the C1 codes Windows-1252 leaves unassigned) as dots; hex pairs; short last rows.
  void RowsAsHexAndText() {
    const std::uint8_t Row[] = {0x1F, 0x20, 0x41, 0x7E, 0x7F, 0x80, 0x81, 0x9F, 0xA0, 0xE4, 0xFF};
    QCOMPARE(QString::fromStdString(kavex::BytesText(Row)),
             QString::fromUtf8(". A~.\u20AC.\u0178\u00A0\u00E4\u00FF"));
    QCOMPARE(Hex(kavex::TByteView(Row).first(3)), QStringLiteral("1F 20 41"));
    std::vector<std::uint8_t> Bytes(33, 0x41);
    QCOMPARE(kavex::HexRow(Bytes, 1).size(), std::size_t{16 * 3 - 1});
    QCOMPARE(kavex::HexRow(Bytes, 2), std::string("41"));
    QCOMPARE(kavex::TextRow(Bytes, 3), std::string());
    std::size_t Offset = 0;
    const std::pair<const char*, long long> Offsets[] = {
        {"100", 100}, {"0x1F", 0x1F}, {"$ff", 0xFF}, {"20h", 0x20}, {" 7 ", 7}, {"-1", -1}, {"0x", -1}, {"zz", -1}, {"", -1}};
    for (const auto& [Text, Want] : Offsets) {
      const bool Ok = kavex::ParseOffset(QString::fromLatin1(Text), Offset);
      QCOMPARE(Ok, Want >= 0);
      if (Ok) QCOMPARE(static_cast<long long>(Offset), Want);
    }
  }

  // The MCU area (with flash addresses), a chunk and a subchunk (header tinted, no address):
  // row count, offsets, addresses, cells and tint limits, against the node's own bytes.
  void ModelShowsTheStoredBytes() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Sample);
    QVERIFY(Main.dkBytes->isHidden());  // hidden on a first start
    // After the described items: the last of View, the last of Edit.
    QCOMPARE(Main.mView->actions().back(), Main.aViewBytes);
    QCOMPARE(Main.mEdit->actions().back(), Main.aGoToOffset);
    QCOMPARE(Main.aViewBytes->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
    QCOMPARE(Main.aGoToOffset->shortcut(), QKeySequence(QStringLiteral("Ctrl+G")));
    Main.aViewBytes->trigger();
    QVERIFY(!Main.dkBytes->isHidden());
    struct TCase {
      std::vector<int> Rows;
      bool HasAddress;
      std::size_t Header;
    };
    const TCase Cases[] = {{{0}, true, 0}, {{1, 0}, false, 20}, {{1, 0, 0}, false, 16}, {{1, 1, 0, 0}, false, 44}};
    for (const TCase& C : Cases) {
      const kavex::TKavClass* Node = Select(Main, C.Rows);
      const TBytesModel& M = Main.pBytes->Model();
      QCOMPARE(M.Node(), Node);
      const kavex::TByteView Bytes = Node->ImageBytes();
      QCOMPARE(std::size_t(M.rowCount()), (Bytes.size() + 15) / 16);
      QCOMPARE(M.HeaderSize(), C.Header);
      QCOMPARE(Main.pBytes->tvBytes->isColumnHidden(TBytesModel::colAddress), !C.HasAddress);
      const int Last = M.rowCount() - 1;
      QCOMPARE(M.index(Last, TBytesModel::colOffset).data().toString().toULongLong(nullptr, 16),
               Node->ImageOffset() + 16ull * Last);
      if (C.HasAddress)
        QCOMPARE(M.index(1, TBytesModel::colAddress).data().toString().toULongLong(nullptr, 16),
                 0x200000ull + Node->ImageOffset() + 16);
      for (std::size_t B : {std::size_t{0}, std::size_t{19}, std::size_t{20}, Bytes.size() - 1}) {
        const QModelIndex Cell = M.IndexOfByte(B);
        QCOMPARE(Cell.data().toString(), Hex(Bytes.subspan(B, 1)));
        QCOMPARE(Cell.data(Qt::BackgroundRole).isValid(), B < C.Header);
      }
      QVERIFY(!M.IndexOfByte(Bytes.size()).isValid());
      QCOMPARE(M.ByteAt(M.index(Last, TBytesModel::colFirstByte + 15)) >= 0, Bytes.size() % 16 == 0);
    }
  }

  // A click on a header value selects its bytes; Ctrl+C copies them as hex, the context menu's
  // other item as text; the status strip shows the cursor's byte and values, its hint line
  // untouched.
  void DetailValuesSelectTheirBytes() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Main));
    Main.OpenFlash(Sample);
    Main.aViewBytes->trigger();
    const std::pair<std::vector<int>, std::vector<std::pair<const char*, kavex::TByteField>>> Cases[] = {
        {{1, 0}, {{"stChunkChkSum", {0, 4}}, {"stChunkLength", {4, 4}}, {"stChunkNameType", {8, 4}}, {"stChunkVersion", {12, 8}}}},
        {{1, 0, 0}, {{"stSubchunkID", {0, 4}}, {"stSubchunkLength", {4, 4}}, {"stSubchunkShortname", {8, 4}}, {"stSubchunkFlags", {12, 4}}}}};
    for (const auto& [Rows, Fields] : Cases) {
      const kavex::TByteView Bytes = Select(Main, Rows)->ImageBytes();
      for (const auto& [Name, Field] : Fields) {
        auto* Label = Main.pAllInfo->findChild<QLabel*>(QString::fromLatin1(Name));
        QVERIFY(Label && Label->isVisible());
        QTest::mouseClick(Label, Qt::LeftButton);
        QCOMPARE(Main.pBytes->SelectionHex(), Hex(Bytes.subspan(Field.First, Field.Count)));
        QCOMPARE(Main.pBytes->SelectionText(), QString::fromStdString(kavex::BytesText(Bytes.subspan(Field.First, Field.Count))));
      }
      Main.pBytes->tvBytes->setFocus();
      QApplication::clipboard()->clear();
      QTest::keyClick(Main.pBytes->tvBytes, Qt::Key_C, Qt::ControlModifier);
      QCOMPARE(QApplication::clipboard()->text(), Main.pBytes->SelectionHex());
      Main.pBytes->aCopyText->trigger();
      QCOMPARE(QApplication::clipboard()->text(), Main.pBytes->SelectionText());
    }
    // The cursor on the subchunk's first byte: its big-endian id.
    const kavex::TKavClass* Sub = Select(Main, {1, 0, 0});
    Main.pBytes->SelectBytes(0, 1);
    const kavex::TByteView B = Sub->ImageBytes();
    const QString Status = Main.stBytesCursor->text();
    QVERIFY2(Status.contains(QStringLiteral("Offset %1").arg(Sub->ImageOffset(), 8, 16, QLatin1Char('0')).toUpper().replace(QStringLiteral("OFFSET"), QStringLiteral("Offset"))), qPrintable(Status));
    QVERIFY2(Status.contains(QStringLiteral("BE32 ") + Hex(B.first(4)).remove(QLatin1Char(' '))), qPrintable(Status));
    QVERIFY(Main.stStatusHint->text().isEmpty());
    // The last byte: no 16- or 32-bit value runs past the end.
    Main.pBytes->SelectBytes(B.size() - 1, 1);
    QVERIFY(!Main.stBytesCursor->text().contains(QStringLiteral("BE16")));
    Main.pBytes->SelectBytes(B.size() - 2, 1);
    QVERIFY(Main.stBytesCursor->text().contains(QStringLiteral("BE16")) && !Main.stBytesCursor->text().contains(QStringLiteral("BE32")));
  }

  // The selection is the run of bytes from the anchor to the cursor, across rows, whichever
  // way it was made; Ctrl+C and the text copy take exactly those bytes in image order, the
  // same as the image file holds there.
  void SelectionIsTheRunOfBytesAcrossRows() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.resize(1000, 700);
    Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Main));
    Main.OpenFlash(Sample);
    Main.aViewBytes->trigger();
    const kavex::TKavClass* Node = Select(Main, FinnishOperators);
    kavex::TBytesView& View = *Main.pBytes;
    QCOMPARE(View.Model().Node(), Node);
    const std::size_t Base = Node->ImageOffset();
    const kavex::TByteView Bytes = Node->ImageBytes();
    QVERIFY(Base <= 0x20F65 && Base + Bytes.size() > 0x20F83);
    QFile File(Sample);
    QVERIFY(File.open(QIODevice::ReadOnly));
    const QByteArray Image = File.readAll();
    const std::size_t A = 0x20F65 - Base, B = 0x20F83 - Base;  // B: 30 bytes on, two rows down
    const std::size_t RowEnd = A - A % 16 + 15;

    using K = Qt::Key;
    const Qt::KeyboardModifiers Sh = Qt::ShiftModifier;
    struct TCase {
      const char* Name;
      std::vector<TStep> Steps;
      std::size_t First, Count, Cursor;
    };
    const TCase Cases[] = {
        {"Shift+click", {{TStep::Click, A}, {TStep::ShiftClick, B}}, A, 31, B},
        {"Shift+click backwards", {{TStep::Click, B}, {TStep::ShiftClick, A}}, A, 31, A},
        {"Shift+click on the text", {{TStep::TextClick, A}, {TStep::ShiftTextClick, B}}, A, 31, B},
        {"click then Shift+click on the text", {{TStep::Click, A}, {TStep::ShiftTextClick, A + 17}}, A, 18, A + 17},
        {"drag", {{TStep::Drag, B, {}, {}, A}}, A, 31, B},
        {"drag backwards", {{TStep::Drag, A + 1, {}, {}, B}}, A + 1, 30, A + 1},
        {"Shift+Down", {{TStep::Click, A}, {TStep::Key, 0, K::Key_Down, Sh}}, A, 17, A + 16},
        {"Shift+Down, Shift+Up", {{TStep::Click, A}, {TStep::Key, 0, K::Key_Down, Sh}, {TStep::Key, 0, K::Key_Up, Sh}}, A, 1, A},
        {"Shift+Up", {{TStep::Click, B}, {TStep::Key, 0, K::Key_Up, Sh}}, B - 16, 17, B - 16},
        {"Shift+Right at a row's end", {{TStep::Click, RowEnd}, {TStep::Key, 0, K::Key_Right, Sh}}, RowEnd, 2, RowEnd + 1},
        {"Shift+Left at a row's start", {{TStep::Click, RowEnd + 1}, {TStep::Key, 0, K::Key_Left, Sh}}, RowEnd, 2, RowEnd},
        {"Right at a row's end", {{TStep::Click, RowEnd}, {TStep::Key, 0, K::Key_Right}}, RowEnd + 1, 1, RowEnd + 1},
        {"Shift+End, Shift+Right", {{TStep::Click, A}, {TStep::Key, 0, K::Key_End, Sh}, {TStep::Key, 0, K::Key_Right, Sh}},
         A, RowEnd + 2 - A, RowEnd + 1},
        {"Shift+Home", {{TStep::Click, A}, {TStep::Key, 0, K::Key_Home, Sh}}, A - A % 16, A % 16 + 1, A - A % 16},
        {"Ctrl+Shift+Home", {{TStep::Click, A}, {TStep::Key, 0, K::Key_Home, Sh | Qt::ControlModifier}}, 0, A + 1, 0},
        {"Ctrl+Shift+End", {{TStep::Click, A}, {TStep::Key, 0, K::Key_End, Sh | Qt::ControlModifier}}, A, Bytes.size() - A, Bytes.size() - 1},
        {"Shift+click, then a plain move", {{TStep::Click, A}, {TStep::ShiftClick, B}, {TStep::Key, 0, K::Key_Left}}, B - 1, 1, B - 1},
        {"Shift+PgDn in a short node", {{TStep::Click, A}, {TStep::Key, 0, K::Key_PageDown, Sh}}, A, Bytes.size() - A, Bytes.size() - 1},
        {"Ctrl+A", {{TStep::Click, A}, {TStep::Key, 0, K::Key_A, Qt::ControlModifier}}, 0, Bytes.size(), Bytes.size() - 1},
        {"Down past the last row", {{TStep::Click, Bytes.size() - 3}, {TStep::Key, 0, K::Key_Down, Sh}}, Bytes.size() - 3, 3, Bytes.size() - 1},
    };
    for (const TCase& C : Cases) {
      for (const TStep& Step : C.Steps) Do(View, Step);
      const kavex::TByteView Want = Bytes.subspan(C.First, C.Count);
      QVERIFY2(View.SelectionHex() == Hex(Want), qPrintable(QStringLiteral("%1: %2").arg(QString::fromLatin1(C.Name), View.SelectionHex())));
      // The cursor stays on a byte's hex cell, never in the text column.
      QCOMPARE(View.Model().ByteAt(View.tvBytes->currentIndex()), static_cast<long long>(C.Cursor));
      QCOMPARE(QByteArray(reinterpret_cast<const char*>(Want.data()), static_cast<qsizetype>(Want.size())),
               Image.mid(static_cast<qsizetype>(Base + C.First), static_cast<qsizetype>(C.Count)));
      QApplication::clipboard()->clear();
      QTest::keyClick(View.tvBytes, Qt::Key_C, Qt::ControlModifier);
      QCOMPARE(QApplication::clipboard()->text(), Hex(Want));
      View.aCopyText->trigger();
      QCOMPARE(QApplication::clipboard()->text(), QString::fromStdString(kavex::BytesText(Want)));
    }
    // The sample's example itself: 31 bytes from 0x20F65, the one at 0x20F74 among them.
    Do(View, {TStep::Click, A});
    Do(View, {TStep::ShiftClick, B});
    QTest::keyClick(View.tvBytes, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text().split(QLatin1Char(' ')).size(), 31);
    QCOMPARE(QApplication::clipboard()->text().split(QLatin1Char(' ')).at(0x20F74 - 0x20F65),
             Hex(Bytes.subspan(0x20F74 - Base, 1)));
    // A right click inside the run keeps it for the context menu.
    const QString Run = View.SelectionHex();
    QTest::mouseClick(View.tvBytes->viewport(), Qt::RightButton, {}, PointOf(View, A + 3, false));
    QCOMPARE(View.SelectionHex(), Run);
  }

  // Another node shows from its first byte (its tinted header), nothing selected, wherever the
  // last one was scrolled to.
  void AnotherNodeStartsAtItsFirstByte() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.resize(1000, 700);
    Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Main));
    Main.OpenFlash(Sample);
    Main.aViewBytes->trigger();
    kavex::TBytesView& View = *Main.pBytes;
    QScrollBar* Bar = View.tvBytes->verticalScrollBar();
    const std::vector<int> Nodes[] = {{0}, {1}, {1, 0}, {0}};
    for (const std::vector<int>& Rows : Nodes) {
      Select(Main, Rows);
      QCoreApplication::processEvents();
      QCOMPARE(Bar->value(), 0);
      QCOMPARE(View.tvBytes->rowAt(0), 0);
      QVERIFY(View.SelectionHex().isEmpty());
      QVERIFY(Main.stBytesCursor->text().isEmpty());
      // Scrolled to the end, the last byte selected.
      View.SelectBytes(View.Model().Bytes().size() - 1, 1);
      Bar->setValue(Bar->maximum());
      QCoreApplication::processEvents();
      if (View.Model().rowCount() > 40) QVERIFY(Bar->value() > 0);
    }
  }

  // Ctrl+G: an offset inside the node (first and last byte) moves the cursor; one outside or
  // not a number is refused in a message; Cancel does nothing.
  void GoToOffsetStaysInsideTheNode() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Sample);
    Main.aViewBytes->trigger();
    const kavex::TKavClass* Chunk = Select(Main, {1, 1});
    const std::size_t First = Chunk->ImageOffset(), End = First + Chunk->ImageBytes().size();
    const std::pair<QString, long long> Cases[] = {{QString::number(First), 0},
                                                   {QStringLiteral("0x%1").arg(End - 1, 0, 16), static_cast<long long>(End - 1 - First)},
                                                   {QString::number(End), -1},
                                                   {QString::number(First - 1), -1},
                                                   {QStringLiteral("later"), -1}};
    // A number outside the node and text that is no number are told apart.
    const std::pair<QString, QString> Refusals[] = {
        {QStringLiteral(" zz "), QStringLiteral("zz is not an offset: give it in decimal or hex (0x1F0, $1F0, 1F0h)")},
        {QStringLiteral("0x"), QStringLiteral("0x is not an offset: give it in decimal or hex (0x1F0, $1F0, 1F0h)")},
        {QString::number(End), QStringLiteral("The selected node has no byte at offset %1.").arg(End)}};
    for (const auto& [Text, Message] : Refusals) {
      Answers.ClearMessages();
      Answers.AnswerText(Text);
      Main.aGoToOffset->trigger();
      QCOMPARE(Answers.Messages().size(), std::size_t{1});
      QCOMPARE(Answers.Messages().front().Text, Message);
    }
    for (const auto& [Text, Byte] : Cases) {
      Answers.ClearMessages();
      Main.pBytes->tvBytes->setCurrentIndex({});
      Answers.AnswerText(Text);
      Main.aGoToOffset->trigger();
      QCOMPARE(Main.pBytes->Model().ByteAt(Main.pBytes->tvBytes->currentIndex()), Byte);
      QCOMPARE(Answers.Messages().size(), std::size_t(Byte < 0 ? 1 : 0));
      // The cursor's byte is the selection.
      if (Byte >= 0) QCOMPARE(Main.pBytes->SelectionHex(), Hex(Chunk->ImageBytes().subspan(static_cast<std::size_t>(Byte), 1)));
    }
    Answers.AnswerText(std::nullopt);
    Main.aGoToOffset->trigger();
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    QCOMPARE(Answers.Unanswered(), 0);
  }

  // Visibility and height are kept per user; closing the image empties the view.
  void VisibilityAndHeightAreKept() {
    IsolatedSettings S;
    DialogAnswers Answers;
    {
      TKavexApp App;
      App.Main().show();
      QVERIFY(QTest::qWaitForWindowExposed(&App.Main()));
      QVERIFY(App.Main().dkBytes->isHidden());
      QTest::keyClick(&App.Main(), Qt::Key_B, Qt::ControlModifier);
      QVERIFY(!App.Main().dkBytes->isHidden());
      // Under the detail panels, not under the tree.
      const auto Box = [&App](const QWidget* W) { return QRect(W->mapTo(&App.Main(), QPoint(0, 0)), W->size()); };
      QTRY_VERIFY(Box(App.Main().dkBytes).top() >= Box(App.Main().pAllInfo).bottom());
      QVERIFY(Box(App.Main().dkBytes).left() > Box(App.Main().tvMain).right());
      QCOMPARE(Box(App.Main().dkBytes).left(), Box(App.Main().pAllInfo).left());
      App.Main().mwDetails->resizeDocks({App.Main().dkBytes}, {150}, Qt::Vertical);
      QCoreApplication::processEvents();
    }
    QCOMPARE(S.Value(QStringLiteral("Bytes/Visible")), QStringLiteral("1"));
    const int Height = S.Value(QStringLiteral("Bytes/Height")).toInt();
    QVERIFY(Height > 100);
    TKavexApp App;
    App.Main().show();
    QVERIFY(QTest::qWaitForWindowExposed(&App.Main()));
    QVERIFY(!App.Main().dkBytes->isHidden());
    QCOMPARE(App.Main().dkBytes->height(), Height);
    App.Main().OpenFlash(Sample);
    Select(App.Main(), {0});
    QVERIFY(App.Main().pBytes->Model().rowCount() > 0);
    App.Main().ResetView();
    QCOMPARE(App.Main().pBytes->Model().rowCount(), 0);
  }
};

QTEST_MAIN(BytesViewTest)
#include "bytes_view_test.moc"
