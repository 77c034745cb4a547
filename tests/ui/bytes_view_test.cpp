// View > Show bytes on the sample image: the rows over a node's stored bytes, the header's
// tint, the detail values that select their bytes, Go to offset, copying, the cursor's values
// in the status strip, and the view's place in the settings.

#include <QAction>
#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QtTest>

#include "UiTestSupport.h"
#include "model/KavObj.h"
#include "model/Kav_Bytes.h"
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
    for (const auto& [Text, Byte] : Cases) {
      Answers.ClearMessages();
      Main.pBytes->tvBytes->setCurrentIndex({});
      Answers.AnswerText(Text);
      Main.aGoToOffset->trigger();
      QCOMPARE(Main.pBytes->Model().ByteAt(Main.pBytes->tvBytes->currentIndex()), Byte);
      QCOMPARE(Answers.Messages().size(), std::size_t(Byte < 0 ? 1 : 0));
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
