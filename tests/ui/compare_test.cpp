// Comparing the open image with a second one: the tree's marks and the second image's own nodes
// in place, Only differences, F7 and Shift+F7, the report, and every way a comparison ends.

#include <QAbstractItemModelTester>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QTableView>
#include <QtTest>
#include <map>
#include <sstream>

#include "UiTestSupport.h"
#include "present/Kav_CompareReport.h"
#include "ui/Compare.h"
#include "ui/Icons.h"
#include "ui/Bytes.h"
#include "ui/ImageTree.h"
#include "ui/NodeDetails.h"
#include "ui/Main.h"

using namespace kavtest;
using kavex::TImageTreeModel;
using kavex::TKavexApp;
using C = kavex::TCompareMark;

namespace {

Bytes Sub(std::uint32_t Id, const Bytes& Body) { return SubchunkBytes({.Id = Id, .Body = Body}); }
Bytes ChunkOf(const std::string& Name, const std::vector<Bytes>& Subs) {
  Bytes Data;
  for (const Bytes& S : Subs) Append(Data, S);
  Append(Data, ClosingRecord());
  return ChunkBytes({.Name = Name, .Data = Data});
}
Bytes Texts(std::vector<std::uint32_t> Ids, const std::string& Word = "t") {
  std::vector<Bytes> Subs;
  for (std::uint32_t Id : Ids) Subs.push_back(Sub(Id, TextBody({"L", Word + std::to_string(Id)}, true)));
  return ChunkOf("TEXT", Subs);
}
const Bytes Raw = ChunkOf("LDB", {Sub(1, {1, 2, 3, 4})});
const Bytes Raw2 = ChunkOf("LDB", {Sub(1, {1, 2, 3, 5})});
Bytes ImageOf(std::vector<Bytes> Chunks) {
  Ppm P;
  P.Chunks = std::move(Chunks);
  P.Chunks.push_back(ChunkBytes({.Name = "", .Version = "END", .Data = {}, .Checksum = 0}));  // a clean end
  return DivudImage(Mcu{}, P);
}

using Place = std::vector<int>;  // child rows from the root: {1, 0} is the first chunk
struct Row {
  C Mark;
  bool StandIn;
  bool operator==(const Row&) const = default;
};

struct Viewer {
  DialogAnswers Answers;
  ImageFolder Folder;
  TKavexApp App;
  kavex::TfMain& Main = App.Main();
  QAbstractItemModel& Tree = *Main.tvMain->model();
  QString First, Second;
  void Open(std::vector<Bytes> A, std::vector<Bytes> B) {
    First = Folder.Write("a.fls", ImageOf(std::move(A)));
    Second = Folder.Write("b.fls", ImageOf(std::move(B)));
    Main.OpenFlash(First);
  }
  void Compare() { Main.CompareWith(Second); }
  QModelIndex At(const Place& Rows) const {
    QModelIndex Index = Tree.index(0, 0);
    for (int R : Rows) Index = Tree.index(R, 0, Index);
    return Index;
  }
  Place PlaceOf(QModelIndex Index) const {
    Place P;
    for (; Index.parent().isValid(); Index = Index.parent()) P.insert(P.begin(), Index.row());
    return P;
  }
  // Every row's place in tree order, with what it shows.
  std::vector<std::pair<Place, Row>> Rows() const {
    std::vector<std::pair<Place, Row>> Out;
    std::function<void(const QModelIndex&, const Place&)> Walk = [&](const QModelIndex& Index, const Place& P) {
      Out.push_back({P, {TImageTreeModel::CompareMark(Index), Index.data(TImageTreeModel::StandInRole).toBool()}});
      for (int R = 0; R < Tree.rowCount(Index); ++R) {
        Place Q = P;
        Q.push_back(R);
        Walk(Tree.index(R, 0, Index), Q);
      }
    };
    if (Tree.rowCount() > 0) Walk(Tree.index(0, 0), {});
    return Out;
  }
  std::map<Place, Row> Marked() const {
    std::map<Place, Row> Out;
    for (const auto& [P, R] : Rows())
      if (R.Mark != C::None || R.StandIn) Out[P] = R;
    return Out;
  }
  QString Status() const { return Main.stStatusHint->text(); }
  QString Caption() const { return Main.windowTitle(); }
};

}  // namespace

class CompareTest : public QObject {
  Q_OBJECT

private slots:
  void TheTreeShowsTheSecondImagesNodesInPlaceAndMarksEveryDifference() {
    struct Case {
      const char* What;
      std::vector<Bytes> A, B;
      std::map<Place, Row> Marked;
      QString Summary;
      QString StandInCaption;  // of the first stand-in, if any
    };
    const Case Cases[] = {
        {"the same image: nothing marked", {Raw}, {Raw}, {}, "0 changed, 0 added, 0 removed", {}},
        {"bytes changed: the subchunk and its chunk marked, the way up faint", {Raw}, {Raw2},
         {{{}, {C::Below, false}}, {{1}, {C::Below, false}}, {{1, 0}, {C::Changed, false}}, {{1, 0, 0}, {C::Changed, false}}},
         "2 changed, 0 added, 0 removed", {}},
        {"a subchunk added between two: a stand-in at its place", {Texts({1, 3})}, {Texts({1, 2, 3})},
         {{{}, {C::Below, false}}, {{0}, {C::Changed, false}}, {{1}, {C::Below, false}}, {{1, 0}, {C::Changed, false}}, {{1, 0, 1}, {C::Added, true}}},
         "3 changed, 1 added, 0 removed", "0x00000002"},
        {"a chunk removed and one added after it", {Raw, Texts({1})}, {Raw, ChunkOf("TONE", {})},
         {{{}, {C::Below, false}}, {{0}, {C::Changed, false}}, {{1}, {C::Below, false}}, {{1, 1}, {C::Removed, false}}, {{1, 2}, {C::Added, true}}},
         "1 changed, 1 added, 1 removed", "TONE"},
    };
    for (const Case& K : Cases) {
      IsolatedSettings S;
      Viewer V;
      V.Open(K.A, K.B);
      QAbstractItemModelTester Tester(&V.Tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
      const QString Plain = V.Caption();
      QVERIFY(!V.Main.aStopComparing->isEnabled());
      V.Compare();
      QVERIFY2(V.Main.Comparing(), K.What);
      QCOMPARE(V.Marked(), K.Marked);
      QCOMPARE(V.Status(), QStringLiteral("Compared with b.fls: ") + K.Summary);
      QCOMPARE(V.Caption(), QString(Plain).replace(V.First, V.First + QStringLiteral(" ~ b.fls")));
      QVERIFY(V.Main.aStopComparing->isEnabled() && V.Main.aOnlyDifferences->isEnabled());
      for (const auto& [P, R] : K.Marked) {
        if (!R.StandIn) continue;
        const QModelIndex Index = V.At(P);
        QVERIFY2(Index.data(Qt::DisplayRole).toString().contains(K.StandInCaption), qPrintable(Index.data().toString()));
        QVERIFY(!TImageTreeModel::HasChildren(Index) && V.Tree.rowCount(Index) == 0);
        QVERIFY(Index.data(Qt::ForegroundRole).isValid());
        // A real node of the second image: its own details, while the first image is unchanged.
        const kavex::TKavClass* Top = TImageTreeModel::ModelNode(Index);
        while (Top->Parent()) Top = Top->Parent();
        QVERIFY(Top != V.Main.ShownModel());
        V.Main.tvMain->setCurrentIndex(Index);
      }
      // Each mark's badge differs from the plain icon and from the other marks.
      for (const auto& [P, R] : K.Marked) {
        const int Image = TImageTreeModel::ImageIndex(V.At(P));
        const auto Problem = static_cast<kavex::TProblemMarker>(V.At(P).data(TImageTreeModel::ProblemMarkerRole).toInt());
        QCOMPARE(V.At(P).data(Qt::DecorationRole).value<QIcon>().cacheKey(), kavex::NodeIcon(Image, Problem, R.Mark).cacheKey());
      }
    }
  }

  void BadgesDifferInShapeNotOnlyInColour() {
    std::vector<QImage> Seen{kavex::NodeIcon(3).pixmap(16, 16).toImage()};
    for (C Mark : {C::Changed, C::Added, C::Removed, C::Below}) {
      const QImage Image = kavex::NodeIcon(3, kavex::TProblemMarker::None, Mark).pixmap(16, 16).toImage();
      // The same badges in grey: the shapes alone still tell them apart.
      const QImage Grey = Image.convertToFormat(QImage::Format_Grayscale8);
      for (const QImage& Other : Seen) QVERIFY(Grey != Other.convertToFormat(QImage::Format_Grayscale8));
      Seen.push_back(Image);
    }
    QCOMPARE(kavex::NodeIcon(3, kavex::TProblemMarker::None, C::None).pixmap(16, 16).toImage(), Seen.front());
    QCOMPARE(kavex::NodeIcon(3, kavex::TProblemMarker::None, C::Added).cacheKey(),
             kavex::NodeIcon(3, kavex::TProblemMarker::None, C::Added).cacheKey());  // painted once
  }

  void OnlyDifferencesHidesTheRestWhileComparing() {
    IsolatedSettings S;
    Viewer V;
    V.Open({Texts({1, 2}), Raw}, {Texts({1, 2}), Raw2});
    QVERIFY(!V.Main.aOnlyDifferences->isEnabled());
    V.Compare();
    V.Main.aOnlyDifferences->setChecked(true);
    std::vector<Place> Hidden;
    for (const auto& [P, R] : V.Rows())
      if (!P.empty() && V.Main.tvMain->isRowHidden(P.back(), V.At(P).parent())) Hidden.push_back(P);
    // The MCU area, the TEXT chunk (not its subchunks, hidden with it), the end chunk.
    // and the LDB chunk's closing record.
    const std::vector<Place> Expected = {{0}, {1, 0}, {1, 0, 0}, {1, 0, 1}, {1, 0, 2}, {1, 1, 1}, {1, 2}};
    QCOMPARE(Hidden, Expected);
    V.Main.aOnlyDifferences->setChecked(false);
    for (const auto& [P, R] : V.Rows()) QVERIFY(P.empty() || !V.Main.tvMain->isRowHidden(P.back(), V.At(P).parent()));
    // Checked when the comparison ends: every row back, the option kept for the next one.
    V.Main.aOnlyDifferences->setChecked(true);
    V.Main.StopComparing();
    for (const auto& [P, R] : V.Rows()) QVERIFY(P.empty() || !V.Main.tvMain->isRowHidden(P.back(), V.At(P).parent()));
    QVERIFY(V.Main.aOnlyDifferences->isChecked() && !V.Main.aOnlyDifferences->isEnabled());
    V.Compare();
    QVERIFY(V.Main.tvMain->isRowHidden(0, V.At({})));
  }

  void F7AndShiftF7StepThroughOwnDifferencesInTreeOrderRoundTheEnds() {
    IsolatedSettings S;
    Viewer V;
    // Changed: the MCU area (it holds the PPM area's length), the TEXT chunk; added 1.0.2;
    // changed the LDB chunk and its subchunk.
    V.Open({Texts({1, 2}), Raw}, {Texts({1, 2, 3}, "t"), Raw2});
    V.Compare();
    V.Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&V.Main));
    V.Main.tvMain->setFocus();
    const std::vector<Place> Order = {{0}, {1, 0}, {1, 0, 2}, {1, 1}, {1, 1, 0}};  // the MCU area: the PPM area's length
    QCOMPARE(V.Marked().size(), Order.size() + 2);  // with the root and the PPM area, faint
    V.Main.tvMain->setCurrentIndex(V.At({}));
    for (std::size_t I = 0; I < Order.size() * 2; ++I) {
      QTest::keyClick(V.Main.tvMain, Qt::Key_F7);
      QCOMPARE(V.PlaceOf(V.Main.tvMain->currentIndex()), Order[I % Order.size()]);
      QVERIFY(V.Main.tvMain->isExpanded(V.Main.tvMain->currentIndex().parent()));
    }
    // Backwards from the first: round to the last, then down the list.
    V.Main.tvMain->setCurrentIndex(V.At(Order.front()));
    for (std::size_t I = 0; I < Order.size() + 1; ++I) {
      QTest::keyClick(V.Main.tvMain, Qt::Key_F7, Qt::ShiftModifier);
      QCOMPARE(V.PlaceOf(V.Main.tvMain->currentIndex()), Order[(Order.size() * 2 - 1 - I) % Order.size()]);
    }
    // From a node between two differences (the TEXT chunk's first subchunk, unmarked).
    V.Main.tvMain->setCurrentIndex(V.At({1, 0, 0}));
    V.Main.aNextDifference->trigger();
    QCOMPARE(V.PlaceOf(V.Main.tvMain->currentIndex()), (Place{1, 0, 2}));
    V.Main.tvMain->setCurrentIndex(V.At({1, 0, 0}));
    V.Main.aPrevDifference->trigger();
    QCOMPARE(V.PlaceOf(V.Main.tvMain->currentIndex()), (Place{1, 0}));
    // Hidden rows do not matter: every difference stays shown.
    V.Main.aOnlyDifferences->setChecked(true);
    V.Main.tvMain->setCurrentIndex(V.At({1, 1, 0}));
    V.Main.aNextDifference->trigger();
    QCOMPARE(V.PlaceOf(V.Main.tvMain->currentIndex()), (Place{0}));
  }

  // Selecting a node while comparing: a changed one shows both sides in the detail area and
  // the bytes view, any other its own details and bytes alone; after the comparison, every
  // node its own again.
  void SelectingAChangedNodeShowsBothSides() {
    IsolatedSettings S;
    Viewer V;
    V.Open({Texts({1, 2}), Raw}, {Texts({1, 2}, "u"), Raw2});
    V.Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&V.Main));
    V.Main.aViewBytes->trigger();
    V.Compare();
    struct Case {
      Place At;
      bool BothSides;
    };
    const Case Cases[] = {
        {{1, 0, 0}, true},   // a text table whose entry changed
        {{1, 0, 2}, false},  // its closing record, the same in both
        {{1, 1, 0}, true},   // a raw record whose bytes changed
        {{1}, false},        // the PPM area: its differences lie below it
        {{1, 0, 1}, true},
    };
    for (const Case& C : Cases) {
      V.Main.tvMain->setCurrentIndex(V.At(C.At));
      QCOMPARE(V.Main.pAllInfo->ComparisonShown(), C.BothSides);
      QCOMPARE(V.Main.pBytes->tvBytes2->isVisible(), C.BothSides);
      QCOMPARE(V.Main.pBytes->Model().Node(), TImageTreeModel::ModelNode(V.At(C.At)));
    }
    V.Main.StopComparing();
    V.Main.tvMain->setCurrentIndex(V.At({1, 0, 1}));
    QVERIFY(!V.Main.pAllInfo->ComparisonShown());
    QVERIFY(!V.Main.pBytes->tvBytes2->isVisible());
  }

  void TheReportIsKavexDiffsHtmlPage() {
    IsolatedSettings S;
    Viewer V;
    V.Open({Texts({1, 3})}, {Texts({1, 2, 3})});
    V.Compare();
    const QString Target = V.Folder.Path("report.html");
    V.Answers.AnswerFile(Target);
    V.Main.aExportComparison->trigger();
    QFile File(Target);
    QVERIFY(File.open(QIODevice::ReadOnly));
    std::ostringstream Page;
    kavex::WriteCompareHtml(V.Main.Comparison()->Comparison, {V.First.toStdString(), V.Second.toStdString()}, Page);
    QCOMPARE(File.readAll().toStdString(), Page.str());
    QCOMPARE(V.Answers.Messages().size(), std::size_t{1});
    QCOMPARE(V.Answers.Messages().back().Icon, kavex::TMsgBoxIcon::Information);
    // Cancelled: nothing written, nothing said.
    V.Answers.ClearMessages();
    V.Answers.CancelFile();
    V.Main.aExportComparison->trigger();
    QVERIFY(V.Answers.Messages().empty());
    // Onto a folder (replacing it, the user says): not written, and the system's reason told.
    V.Answers.AnswerFile(V.Folder.Path(""));
    V.Answers.AnswerQuestion(true);
    V.Main.aExportComparison->trigger();
    QCOMPARE(V.Answers.Messages().size(), std::size_t{1});
    QCOMPARE(V.Answers.Messages().back().Icon, kavex::TMsgBoxIcon::Error);
    QVERIFY(V.Answers.Messages().back().Text.contains("was not written"));
  }

  void ASecondImageThatCannotBeShownComparesNothing() {
    struct Case {
      const char* What;
      std::optional<Bytes> Content;  // none: no such file
    };
    const Case Cases[] = {{"no such file", std::nullopt}, {"no area in it", Bytes(64, 0x00)}};
    for (const Case& K : Cases) {
      IsolatedSettings S;
      Viewer V;
      V.Open({Raw}, {Raw2});
      const QString Name = K.Content ? V.Folder.Write("bad.fls", *K.Content) : V.Folder.Path("missing.fls");
      const auto Before = V.Rows();
      const QString Caption = V.Caption();
      V.Main.CompareWith(Name);
      QVERIFY2(!V.Main.Comparing(), K.What);
      QCOMPARE(V.Answers.Messages().size(), std::size_t{1});
      QVERIFY(V.Answers.Messages().front().Text.startsWith(QStringLiteral("Could not compare with ")));
      QCOMPARE(V.Rows(), Before);
      QCOMPARE(V.Caption(), Caption);
      QVERIFY(V.Status().isEmpty());
      QVERIFY(LogLines(V.App).filter(QStringLiteral("Loading file")).size() >= 2);  // the open's and this one's
    }
  }

  void TheSecondImagesMessagesMarkNothingOfTheFirst() {
    IsolatedSettings S;
    Viewer V;
    Bytes Flipped = Raw2;
    Flipped[3] ^= 1;  // the stored checksum: a warning at the same path as the first's chunk
    V.Open({Raw}, {Flipped});
    const qsizetype Lines = LogLines(V.App).size();
    QVERIFY(!V.Main.tvMain->Nodes()->Marks().HasMarkedNodes());
    V.Compare();
    QVERIFY(V.Main.Comparing());
    QVERIFY(LogLines(V.App).size() > Lines + 1);  // "Loading file" and the warning
    QVERIFY(!V.Main.tvMain->Nodes()->Marks().HasMarkedNodes());
    // The first image's own records still mark it: the link to the log is back.
    V.Main.StopComparing();
    V.Main.OpenFlash(V.Second);
    QVERIFY(V.Main.tvMain->Nodes()->Marks().HasMarkedNodes());
  }

  void EndingAComparisonLeavesNothingOfTheSecondImage() {
    enum Way { Stop, Escape, OpenAnother, Close, CompareAgain };
    const std::pair<Way, const char*> Ways[] = {
        {Stop, "File > Stop comparing"}, {Escape, "Esc in the tree"}, {OpenAnother, "another file opened"},
        {Close, "the window closed"}, {CompareAgain, "a second comparison replaces the first"}};
    for (const auto& [How, What] : Ways) {
      IsolatedSettings S;
      Viewer V;
      V.Open({Texts({1, 3}), Raw}, {Texts({1, 2, 3, 4}), Raw2});
      // (An open's first rows arrive while the view takes in the root's: the checker is for the
      // comparison's own changes.)
      std::optional<QAbstractItemModelTester> Tester;
      if (How != OpenAnother) Tester.emplace(&V.Tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
      V.Main.tvMain->Nodes()->FetchAll();  // the tree whole, as the comparison makes it
      const auto Before = V.Rows();
      const QString Caption = V.Caption();
      V.Main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&V.Main));
      V.Compare();
      QVERIFY(V.Rows().size() == Before.size() + 2);
      V.Main.tvMain->setCurrentIndex(V.At({1, 0, 1}));  // on a stand-in
      QVERIFY(V.At({1, 0, 1}).data(TImageTreeModel::StandInRole).toBool());
      switch (How) {
        case Stop: V.Main.aStopComparing->trigger(); break;
        case Escape:
          V.Main.tvMain->setFocus();
          QTest::keyClick(V.Main.tvMain, Qt::Key_Escape);
          break;
        case OpenAnother: V.Main.OpenFlash(V.First); break;
        case Close: V.Main.close(); break;
        case CompareAgain: V.Main.CompareWith(V.First); break;
      }
      QVERIFY2(How == CompareAgain ? V.Main.Comparing() : !V.Main.Comparing(), What);
      if (How == CompareAgain) {
        // The image with itself: nothing marked, nothing of b.fls.
        QCOMPARE(V.Status(), QStringLiteral("Compared with a.fls: 0 changed, 0 added, 0 removed"));
        QVERIFY(V.Marked().empty());
        continue;
      }
      if (How == OpenAnother) V.Main.tvMain->Nodes()->FetchAll();
      QCOMPARE(V.Rows(), Before);
      QCOMPARE(V.Caption(), Caption);
      QVERIFY(V.Status().isEmpty());
      QVERIFY(!V.Main.aStopComparing->isEnabled() && !V.Main.aNextDifference->isEnabled());
      QVERIFY(!V.Main.tvMain->currentIndex().data(TImageTreeModel::StandInRole).toBool());
      const auto Plain = [](const QVariant& Icon) { return Icon.value<QIcon>().pixmap(16, 16).toImage(); };
      for (const Place& P : {Place{}, Place{1}, Place{1, 0}})
        QCOMPARE(Plain(V.At(P).data(Qt::DecorationRole)),
                 Plain(kavex::NodeIcon(TImageTreeModel::ImageIndex(V.At(P)),
                                       static_cast<kavex::TProblemMarker>(V.At(P).data(TImageTreeModel::ProblemMarkerRole).toInt()))));
    }
  }

  void AFileDroppedWithCtrlHeldIsCompared() {
    IsolatedSettings S;
    Viewer V;
    V.Open({Raw}, {Raw2});
    QMimeData Data;
    Data.setUrls({QUrl::fromLocalFile(V.Second)});
    for (const Qt::KeyboardModifiers Keys : {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers(Qt::NoModifier)}) {
      QDragEnterEvent Enter(QPoint(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Keys);
      QCoreApplication::sendEvent(&V.Main, &Enter);
      QDropEvent Drop(QPointF(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Keys);
      QCoreApplication::sendEvent(&V.Main, &Drop);
      // With Ctrl: compared, a.fls still shown. Without: b.fls opened, the comparison over.
      QCOMPARE(V.Main.Comparing(), Keys == Qt::ControlModifier);
      QCOMPARE(V.Caption().startsWith(Keys == Qt::ControlModifier ? V.First : V.Second), true);
    }
  }
};

QTEST_MAIN(CompareTest)
#include "compare_test.moc"
