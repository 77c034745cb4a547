// Both sides of a changed node while two images are compared: the header rows, the text table
// and the operator list side by side with their marks, the two font pictures with the cells of
// differing glyphs outlined, the bytes view with both sides tinted and scrolling together, and
// the way back to the node's own panels.

#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QTreeView>
#include <QtTest>

#include "PanelImages.h"
#include "UiTestSupport.h"
#include "model/Kav_Fls.h"
#include "present/Kav_Compare.h"
#include "present/Kav_FontSheet.h"
#include "present/Kav_Walk.h"
#include "ui/Bytes.h"
#include "ui/DetailPanels.h"
#include "ui/NodeDetails.h"

using namespace kavtest;
using kavex::TChange;
using kavex::TSideModel;

namespace {

using Glyph = std::vector<std::string>;
const Glyph Box = {"####", "#..#", "#..#", "#..#", "####"};
const Glyph Bar = {".##.", ".##.", ".##.", ".##.", ".##."};
const Glyph Dot = {"....", "....", ".#..", "....", "...."};

Bytes Raw(std::size_t Size, std::size_t Changed) {
  Bytes Body(Size, 0x11);
  if (Changed < Size) Body[Changed] = 0x22;
  return ChunkOf("LDB", {SubchunkBytes({.Id = 5, .Body = Body})});
}

// The first image, and the second: entry 1 reworded and two entries added, the second operator
// renamed, the font's second glyph redrawn, one raw byte changed and four bytes more.
Bytes First() {
  return GoodImage({ChunkOf("TEXT", {TextSubchunk(1, {"English", "Hello", "World"}, "en")}),
                    ChunkOf("PLMN", {PlmnSubchunk(7, 250, {{.B1 = 0x10, .B2 = 0xF2, .Name = "Three"}, {.B1 = 0x20, .B2 = 0xF3, .Name = "Telia"}})}),
                    ChunkOf("FONT", {FontSubchunk({ArtFont(0x41, {Box, Bar, Dot}, "Art")})}), Raw(4096, 4096)});
}
Bytes Second() {
  return GoodImage({ChunkOf("TEXT", {TextSubchunk(1, {"English", "Hallo", "World", "Extra", "More"}, "en")}),
                    ChunkOf("PLMN", {PlmnSubchunk(7, 250, {{.B1 = 0x10, .B2 = 0xF2, .Name = "Three"}, {.B1 = 0x20, .B2 = 0xF3, .Name = "Tele2"}})}),
                    ChunkOf("FONT", {FontSubchunk({ArtFont(0x41, {Box, Dot, Dot}, "Art")})}), Raw(4100, 2000)});
}

struct Compared {
  std::unique_ptr<kavex::TFls> A = Whole(First());
  std::unique_ptr<kavex::TFls> B = Whole(Second());
  kavex::TComparison C = kavex::CompareImages(*A, *B);

  static std::unique_ptr<kavex::TFls> Whole(const Bytes& Image) {
    auto Root = kavex::LoadImage(Image, "image.fls");
    kavex::ExpandAll(*Root);
    return Root;
  }
  const kavex::TNodeDiff* Of(const char* Class) const {
    for (const kavex::TNodeDiff& N : C.Nodes)
      if (N.Class == Class && N.Change == TChange::Changed) return &N;
    return nullptr;
  }
};

const QStringList OwnPanels = {"pChunk", "pSubchunk", "sbFontImg", "pTextSubchunk", "pPLMNSubchunk", "pArea"};

template <class T>
T* Find(QWidget& In, const char* Name) {
  T* W = In.findChild<T*>(QString::fromLatin1(Name));
  if (!W) qFatal("no %s", Name);
  return W;
}

// A row of a side list: "~|1|Hello|Hallo".
QString RowText(const QAbstractItemModel& M, int Row) {
  QStringList Cells;
  for (int C = 0; C < TSideModel::ColumnCount; ++C) Cells << M.index(Row, C).data().toString();
  return Cells.join(QLatin1Char('|'));
}

}  // namespace

class ComparePanelsTest : public QObject {
  Q_OBJECT

  Compared Pair;
  std::unique_ptr<kavex::TNodeDetails> Details;

  QStringList ShownOwnPanels() {
    QStringList Shown;
    for (const QString& Name : OwnPanels)
      if (!Details->findChild<QWidget*>(Name)->isHidden()) Shown << Name;
    return Shown;
  }

private slots:
  void init() {
    Details = std::make_unique<kavex::TNodeDetails>();
    Details->resize(640, 520);
    Details->show();
  }
  void cleanup() { Details.reset(); }

  // Each node kind's header rows: the values of both sides, the changed ones marked and tinted.
  void HeaderRowsMarkTheChangedValues_data() {
    QTest::addColumn<QString>("Class");
    QTest::addColumn<QString>("Label");
    QTest::addColumn<int>("Change");
    QTest::newRow("text table: its length grew") << "TTextSubchunk" << "Length:" << int(TChange::Changed);
    QTest::newRow("text table: the same Id") << "TTextSubchunk" << "Id:" << int(TChange::Same);
    QTest::newRow("text table: the same language") << "TTextSubchunk" << "Language:" << int(TChange::Same);
    QTest::newRow("chunk: its checksum") << "TChunk" << "CheckSum:" << int(TChange::Changed);
    QTest::newRow("chunk: the same version") << "TChunk" << "Version:" << int(TChange::Same);
    QTest::newRow("operator list: the same flags") << "TPLMNSubchunk" << "Flags:" << int(TChange::Same);
    QTest::newRow("font: the same name") << "TFontEntry" << "Name:" << int(TChange::Same);
  }
  void HeaderRowsMarkTheChangedValues() {
    QFETCH(QString, Class);
    QFETCH(QString, Label);
    QFETCH(int, Change);
    const kavex::TNodeDiff* Diff = Pair.Of(Class.toLatin1().constData());
    QVERIFY(Diff);
    QVERIFY(Details->ShowComparison(Diff));
    QVERIFY(Details->ComparisonShown());
    QCOMPARE(ShownOwnPanels(), QStringList());
    const QAbstractItemModel& M = *Find<QTreeView>(*Details, "tvCompareHeader")->model();
    int Row = 0;
    while (Row < M.rowCount() && M.index(Row, TSideModel::colLabel).data().toString() != Label) ++Row;
    QVERIFY2(Row < M.rowCount(), qPrintable(Label));
    QCOMPARE(M.index(Row, 0).data(TSideModel::ChangeRole).toInt(), Change);
    const bool Changed = Change == int(TChange::Changed);
    QCOMPARE(M.index(Row, TSideModel::colSign).data().toString(), Changed ? QStringLiteral("~") : QString());
    QCOMPARE(M.index(Row, TSideModel::colFirst).data(Qt::BackgroundRole).isValid(), Changed);
    QCOMPARE(M.index(Row, TSideModel::colFirst).data().toString() != M.index(Row, TSideModel::colSecond).data().toString(), Changed);
    QCOMPARE(M.headerData(TSideModel::colFirst, Qt::Horizontal).toString(), QStringLiteral("First"));
  }

  // The whole text table and the operator list in two columns, each row marked.
  void ListsShowBothSidesWithTheirMarks_data() {
    QTest::addColumn<QString>("Class");
    QTest::addColumn<QStringList>("Rows");
    QTest::addColumn<QString>("Counts");
    QTest::newRow("text table") << "TTextSubchunk" << QStringList{"~|1|Hello|Hallo", "|2|World|World", "+|3||Extra", "+|4||More"}
                                << "Text entries: 1 changed, 2 added, 0 removed";
    QTest::newRow("operator list") << "TPLMNSubchunk" << QStringList{"|1|Three|Three", "~|2|Telia|Tele2"}
                                   << "MCC entries: 1 changed, 0 added, 0 removed";
  }
  void ListsShowBothSidesWithTheirMarks() {
    QFETCH(QString, Class);
    QFETCH(QStringList, Rows);
    QFETCH(QString, Counts);
    QVERIFY(Details->ShowComparison(Pair.Of(Class.toLatin1().constData())));
    QTreeView* List = Find<QTreeView>(*Details, "tvCompareList");
    QVERIFY(List->isVisible());
    QVERIFY(!Find<QWidget>(*Details, "sbCompareFonts")->isVisible());
    const QAbstractItemModel& M = *List->model();
    QCOMPARE(M.rowCount(), Rows.size());
    for (int R = 0; R < Rows.size(); ++R) {
      QStringList Expected = Rows[R].split(QLatin1Char('|'));
      // The operators' codes come from their bytes; only the names are checked.
      if (Class == "TPLMNSubchunk") Expected[1] = M.index(R, TSideModel::colLabel).data().toString();
      QCOMPARE(RowText(M, R), Expected.join(QLatin1Char('|')));
      const QString Sign = Expected[0];
      const QVariant Tint = M.index(R, TSideModel::colSecond).data(Qt::BackgroundRole);
      QCOMPARE(Tint.isValid(), !Sign.isEmpty());
      if (Sign == "+") QCOMPARE(Tint.value<QColor>(), TSideModel::Tint(TChange::Added));
      if (Sign == "~") QCOMPARE(Tint.value<QColor>(), TSideModel::Tint(TChange::Changed));
    }
    QCOMPARE(Find<QLabel>(*Details, "stCompareCounts")->text(), Counts);
    // The display font reaches the text entries, never the operators.
    const QFont Display(QStringLiteral("DejaVu Serif"), 17);
    const QFont Before = List->font();
    Details->ApplyDisplayFont(Display);
    QCOMPARE(List->font().pointSize(), Class == "TTextSubchunk" ? 17 : Before.pointSize());
  }

  // Changed characters are given per side; removed rows stand on the first side only.
  void ChangedCharactersAndRemovedRowsAreMarked() {
    QVERIFY(Details->ShowComparison(Pair.Of("TTextSubchunk")));
    const QAbstractItemModel& M = *Find<QTreeView>(*Details, "tvCompareList")->model();
    QCOMPARE(M.index(0, TSideModel::colFirst).data(TSideModel::MarksRole).toList(), QVariantList{QPoint(1, 1)});
    QCOMPARE(M.index(0, TSideModel::colSecond).data(TSideModel::MarksRole).toList(), QVariantList{QPoint(1, 1)});
    QVERIFY(M.index(1, TSideModel::colFirst).data(TSideModel::MarksRole).toList().isEmpty());
    QVERIFY(M.index(2, TSideModel::colSecond).data(TSideModel::MarksRole).toList().isEmpty());
    // The same pair the other way round: the added entries are removed ones.
    kavex::TNodeDiff Reversed = *Pair.Of("TTextSubchunk");
    std::swap(Reversed.Node1, Reversed.Node2);
    for (kavex::TItemDiff& Item : Reversed.Items)
      if (Item.Change == TChange::Added) Item.Change = TChange::Removed;
    QVERIFY(Details->ShowComparison(&Reversed));
    QCOMPARE(RowText(M, 2), QStringLiteral("\u2212|3|Extra|"));
    QCOMPARE(M.index(2, TSideModel::colFirst).data(Qt::BackgroundRole).value<QColor>(), TSideModel::Tint(TChange::Removed));
    QCOMPARE(Find<QLabel>(*Details, "stCompareCounts")->text(), QStringLiteral("Text entries: 1 changed, 0 added, 2 removed"));
  }

  // Two pictures one above the other; the differing glyph's cell framed 2 pixels wide in both,
  // the other cells keep their grey frame.
  void FontPicturesOutlineTheDifferingCells() {
    QVERIFY(Details->ShowComparison(Pair.Of("TFontEntry")));
    QVERIFY(Find<QWidget>(*Details, "sbCompareFonts")->isVisible());
    QVERIFY(!Find<QWidget>(*Details, "tvCompareList")->isVisible());
    auto* Top = Find<kavex::TFontPicture>(*Details, "iFont1");
    auto* Bottom = Find<kavex::TFontPicture>(*Details, "iFont2");
    QVERIFY(Bottom->y() >= Top->y() + Top->height());
    for (int Side : {1, 2}) {
      const QImage& Picture = (Side == 1 ? Top : Bottom)->Picture();
      const kavex::TFontGrid& Grid = Details->ComparedFontGrid(Side);
      QVERIFY(Grid.Cells == 3 && Grid.Columns >= 3);
      const int W = Grid.CellWidth, H = Grid.CellHeight;
      struct Probe {
        int Cell, X, Y;
        bool Outlined;
      };
      const QRgb Outline = kavex::TNodeDetails::DifferingCellOutline;
      const Probe Probes[] = {
          {1, 0, 0, true},         {1, W / 2, 1, true},      {1, 1, H / 2, true},          {1, W - 1, H - 1, true}, {1, W - 2, H / 2, true}, {1, W / 2, H - 2, true},
          {1, 2, 2, false},        {1, W - 3, H - 3, false},  // inside the frame: the glyph's own pixels
          {0, 0, 0, false},        {0, W - 1, H - 1, false}, {2, 1, 1, false},
      };
      for (const Probe& P : Probes) {
        const QRgb Pixel = Picture.pixel(P.Cell * W + P.X, P.Y) | 0xFF000000u;
        QVERIFY2((Pixel == Outline) == P.Outlined, qPrintable(QStringLiteral("side %1 cell %2 at %3,%4").arg(Side).arg(P.Cell).arg(P.X).arg(P.Y)));
      }
      QCOMPARE(Picture.pixel(0, 0) & 0xFFFFFFu, kavex::FontSheetGrey);
    }
    // Zoomed as the viewer's own picture; the outline stays in the picture's pixels.
    Details->SetFontZoom(3);
    QCOMPARE(Top->Zoom(), 3);
    QCOMPARE(Bottom->size(), QSize(Details->ComparedFontGrid(2).Width(), Details->ComparedFontGrid(2).Height()) * 3);
    const kavex::TFontGrid& Zoomed = Details->ComparedFontGrid(1);
    QCOMPARE(Top->Picture().pixel(Zoomed.CellWidth, 0) | 0xFF000000u, kavex::TNodeDetails::DifferingCellOutline);
  }

  // Null, or a diff that is no change of a node in both, leaves the side-by-side panel, and the
  // node's own details show again; and back.
  void TheNodesOwnPanelsComeBack() {
    const kavex::TNodeDiff* Text = Pair.Of("TTextSubchunk");
    kavex::TNodeDiff Added = *Text;
    Added.Change = TChange::Added;
    Added.Node1 = nullptr;
    const struct {
      const char* What;
      const kavex::TNodeDiff* Diff;
    } Cases[] = {{"none", nullptr}, {"an added node", &Added}};
    for (const auto& C : Cases) {
      QVERIFY(Details->ShowComparison(Text));
      QVERIFY2(!Details->ShowComparison(C.Diff), C.What);
      QVERIFY2(!Details->ComparisonShown(), C.What);
      Details->ShowNodeInfo(Text->Node1);
      QCOMPARE(ShownOwnPanels(), (QStringList{"pSubchunk", "pTextSubchunk"}));
    }
    // The node's own panels shown, then both sides: only the side-by-side panel remains.
    Details->ShowNodeInfo(Pair.Of("TFontEntry")->Node1);
    QCOMPARE(ShownOwnPanels(), QStringList{"sbFontImg"});
    QVERIFY(Details->ShowComparison(Text));
    QCOMPARE(ShownOwnPanels(), QStringList());
    // A node shown through ShowNodeInfo takes the place of both sides.
    Details->ShowNodeInfo(Pair.A.get());
    QVERIFY(!Details->ComparisonShown());
    QCOMPARE(ShownOwnPanels(), QStringList{"pArea"});
  }

  // Both images' bytes of the node, the differing ones tinted on both sides, scrolling together.
  void BytesViewShowsBothSides() {
    const kavex::TNodeDiff* Diff = Pair.Of("TLDBSubchunk");
    QVERIFY(Diff);
    kavex::TBytesView View;
    View.resize(700, 300);
    View.show();
    View.SetNode(Diff->Node1);
    View.SetCounterpart(Diff);
    QVERIFY(View.tvBytes2->isVisible());
    QCOMPARE(View.CounterpartModel().Node(), Diff->Node2);
    const std::size_t Header = View.Model().HeaderSize();
    const auto Tint = [](const kavex::TBytesModel& M, std::size_t Byte) {
      return M.data(M.IndexOfByte(Byte), Qt::BackgroundRole).value<QColor>() == kavex::TBytesModel::DifferTint();
    };
    // The changed byte, the bytes beside it, and the four bytes only the second side has.
    const struct {
      std::size_t Byte;
      bool Tinted1, Tinted2;
    } Bytes[] = {{Header + 1999, false, false}, {Header + 2000, true, true}, {Header + 2001, false, false},
                 {Header + 4095, false, false}, {Header + 4096, false, true}, {Header + 4099, false, true}};
    for (const auto& B : Bytes) {
      QCOMPARE(Tint(View.Model(), B.Byte), B.Tinted1);
      QCOMPARE(Tint(View.CounterpartModel(), B.Byte), B.Tinted2);
    }
    // The text column's row of a differing byte too.
    const kavex::TBytesModel& M = View.Model();
    const QModelIndex TextCell = M.index(M.IndexOfByte(Header + 2000).row(), kavex::TBytesModel::colText);
    QCOMPARE(M.data(TextCell, Qt::BackgroundRole).value<QColor>(), kavex::TBytesModel::DifferTint());

    QScrollBar* Bar1 = View.tvBytes->verticalScrollBar();
    QScrollBar* Bar2 = View.tvBytes2->verticalScrollBar();
    QVERIFY(Bar1->maximum() > 10 && Bar2->maximum() > 10);
    for (const int Value : {0, 7, Bar1->maximum()}) {
      Bar1->setValue(Value);
      QCOMPARE(Bar2->value(), Value);
    }
    Bar2->setValue(3);
    QCOMPARE(Bar1->value(), 3);

    // SetNode forgets the counterpart; so does null; a diff of another node is not shown.
    View.SetNode(Diff->Node2);
    QVERIFY(!View.tvBytes2->isVisible());
    QVERIFY(!Tint(View.Model(), Header + 4096));
    View.SetCounterpart(Diff);
    QVERIFY(!View.tvBytes2->isVisible());
    View.SetNode(Diff->Node1);
    View.SetCounterpart(Diff);
    View.SetCounterpart(nullptr);
    QVERIFY(!View.tvBytes2->isVisible());
    QVERIFY(!Tint(View.Model(), Header + 2000));
    View.SetCounterpart(Diff);
    View.SetNode(Diff->Node1);  // the same node again
    QVERIFY(!View.tvBytes2->isVisible());
  }
};

QTEST_MAIN(ComparePanelsTest)
#include "compare_panels_test.moc"
