// Problems in the tree: the markers on the icons as nodes are built, their count in the status
// strip, F8 and Shift+F8, and View > Mark problems kept per user.

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>
#include <set>

#include "UiTestSupport.h"
#include "ui/Icons.h"
#include "ui/ImageTree.h"
#include "ui/LogWindow.h"
#include "ui/Main.h"
#include "ui/Problems.h"

using namespace kavtest;
using kavex::TImageTreeModel;
using kavex::TKavexApp;
using M = kavex::TProblemMarker;

namespace {

Bytes CleanEnd() { return ChunkBytes({.Name = "", .Version = "END", .Data = {}, .Checksum = 0}); }
Bytes Text(Bytes Subchunks = SubchunkBytes({.Id = 1, .Body = TextBody({"Hi"})}), std::string Name = "TEXT") {
  Append(Subchunks, ClosingRecord());
  return ChunkBytes({.Name = std::move(Name), .Data = Subchunks});
}
Bytes Flipped() {
  Bytes Chunk = Text();
  Chunk[3] ^= 1;  // the stored checksum: message 23, a Warning
  return Chunk;
}
// Its subchunk runs past the chunk: messages 37 and 38, two Errors, once it is expanded.
Bytes BrokenSubchunk() { return Text(SubchunkBytes({.Id = 1, .Body = TextBody({"Hi"}), .Length = 1000})); }
// Longer than the bytes left: message 22, an Error of the PPM area, at the open.
Bytes BrokenChunk() { return ChunkBytes({.Name = "TEXT", .Data = {}, .Length = 5000}); }
// Two tones of ID 1, the second running into its fill (message 27, an Error), once expanded.
Bytes Tones() {
  return Text(Concat({SubchunkBytes({.Id = 1, .Body = ToneBody("A", {1, 2})}),
                      SubchunkBytes({.Id = 1, .Body = ToneBody("B", {1, 2}, 4), .Pad = false})}),
              "TONE");
}
Bytes ImageOf(std::vector<Bytes> Chunks) {
  Ppm P;
  P.Chunks = std::move(Chunks);
  return DivudImage(Mcu{}, P);
}

using Place = std::vector<int>;  // child rows from the root: {1, 0} is the first chunk

// The viewer with its dialogs answered; settings stay with the test's IsolatedSettings.
struct Viewer {
  DialogAnswers Answers;
  ImageFolder Folder;
  TKavexApp App;
  kavex::TfMain& Main = App.Main();
  void Open(std::vector<Bytes> Chunks, const QString& Name = "a.fls") { Main.OpenFlash(Folder.Write(Name, ImageOf(std::move(Chunks)))); }
  QModelIndex At(const Place& Rows) const {
    QModelIndex Index = Main.tvMain->model()->index(0, 0);
    for (int Row : Rows) Index = Main.tvMain->model()->index(Row, 0, Index);
    return Index;
  }
  M MarkerAt(const Place& Rows) const { return static_cast<M>(At(Rows).data(TImageTreeModel::ProblemMarkerRole).toInt()); }
  // Every node with a marker.
  std::map<Place, M> Markers() const {
    std::map<Place, M> Out;
    std::vector<Place> Pending{{}};
    while (!Pending.empty()) {
      const Place P = Pending.back();
      Pending.pop_back();
      if (MarkerAt(P) != M::None) Out[P] = MarkerAt(P);
      for (int Row = 0; Row < Main.tvMain->model()->rowCount(At(P)); ++Row) {
        Pending.push_back(P);
        Pending.back().push_back(Row);
      }
    }
    return Out;
  }
  void Show() {
    Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Main));
  }
};

QImage Picture(const QVariant& Icon) { return Icon.value<QIcon>().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); }
// Pixels of the badge corner close to red, and close to amber.
std::pair<int, int> RedAndAmber(const QImage& Image) {
  int Red = 0, Amber = 0;
  for (int Y = 7; Y < 16; ++Y)
    for (int X = 8; X < 16; ++X) {
      const QColor C = Image.pixelColor(X, Y);
      Red += C.alpha() > 200 && C.red() > 170 && C.green() < 80 && C.blue() < 90;
      Amber += C.alpha() > 200 && C.red() > 200 && C.green() > 120 && C.green() < 200 && C.blue() < 60;
    }
  return {Red, Amber};
}

}  // namespace

class ProblemsTest : public QObject {
  Q_OBJECT

private slots:
  void MarkersFollowTheLogAsChunksAreExpanded() {
    IsolatedSettings S;
    Viewer V;
    V.Open({Text(), Flipped(), BrokenSubchunk(), CleanEnd()});
    QCOMPARE(V.Markers(), (std::map<Place, M>{{{}, M::WarningBelow}, {{1}, M::WarningBelow}, {{1, 1}, M::Warning}}));
    QCOMPARE(V.At({1, 1}).data(Qt::DecorationRole).value<QIcon>().cacheKey(), kavex::NodeIcon(3, M::Warning).cacheKey());
    QCOMPARE(Picture(V.At({1, 0}).data(Qt::DecorationRole)), Picture(kavex::NodeIcon(3)));
    // The user opens the third chunk: its subchunk cannot be built.
    QSignalSpy Changed(V.Main.tvMain->model(), &QAbstractItemModel::dataChanged);
    V.Main.tvMain->expand(V.At({1, 2}));
    QCOMPARE(V.Markers(), (std::map<Place, M>{{{}, M::ErrorBelow}, {{1}, M::ErrorBelow}, {{1, 1}, M::Warning}, {{1, 2}, M::Error}}));
    std::set<Place> Repainted;
    for (const QList<QVariant>& Signal : Changed) {
      if (!Signal.at(2).value<QList<int>>().contains(Qt::DecorationRole)) continue;
      Place P;
      for (QModelIndex I = Signal.at(0).toModelIndex(); I.parent().isValid(); I = I.parent()) P.insert(P.begin(), I.row());
      Repainted.insert(P);
    }
    QCOMPARE(Repainted, (std::set<Place>{{}, {1}, {1, 2}}));
  }

  void BadgesDifferInColourAndShapeAndArePaintedOnce() {
    struct Case { M Marker; bool Red; };
    const Case Cases[] = {{M::Error, true}, {M::Warning, false}, {M::ErrorBelow, true}, {M::WarningBelow, false}};
    std::vector<QImage> Seen{Picture(kavex::NodeIcon(3))};  // each unlike the plain icon and the others
    for (const Case& C : Cases) {
      const QImage Image = Picture(kavex::NodeIcon(3, C.Marker));
      for (const QImage& Other : Seen) QVERIFY(Image != Other);
      Seen.push_back(Image);
      const auto [Red, Amber] = RedAndAmber(Image);
      QVERIFY2((C.Red ? Red : Amber) >= 8 && (C.Red ? Amber : Red) == 0, qPrintable(QStringLiteral("%1 %2").arg(Red).arg(Amber)));
      QCOMPARE(kavex::NodeIcon(3, C.Marker).cacheKey(), kavex::NodeIcon(3, C.Marker).cacheKey());
      QVERIFY(kavex::NodeIcon(3, C.Marker).cacheKey() != kavex::NodeIcon(4, C.Marker).cacheKey());
    }
    // A node without an icon shows the marker alone.
    QCOMPARE(Picture(kavex::NodeIcon(-1, M::Error)).pixelColor(0, 0).alpha(), 0);
    QVERIFY(RedAndAmber(Picture(kavex::NodeIcon(-1, M::Error))).first > 0);
  }

  void CountsTheShownImagesWarningsAndErrors() {
    struct Case { const char* What; std::vector<Bytes> Chunks; Place Expand; QString Text; };
    const Case Cases[] = {
        {"none", {Text(), CleanEnd()}, {}, ""},
        {"one warning", {Flipped(), CleanEnd()}, {}, "1 warning"},
        {"two errors", {BrokenSubchunk(), CleanEnd()}, {1, 0}, "2 errors"},
        {"mixed, with a chunk that cannot be built", {Flipped(), BrokenSubchunk(), BrokenChunk()}, {1, 1}, "3 errors, 1 warning"},
    };
    IsolatedSettings S;
    Viewer V;
    for (const Case& C : Cases) {
      V.Open(C.Chunks);
      if (!C.Expand.empty()) V.Main.tvMain->expand(V.At(C.Expand));
      QVERIFY2(V.Main.stProblems->text() == C.Text, C.What);
      QVERIFY2(V.Main.stProblems->isHidden() == C.Text.isEmpty(), C.What);
      QVERIFY2(V.Main.aNextProblem->isEnabled() == !C.Text.isEmpty(), C.What);
    }
  }

  // Earlier files' records stay in the log but count for no image; a cleared log takes them.
  void OnlyTheShownImageCountsAndMarkingOffKeepsTheCount() {
    IsolatedSettings S;
    Viewer V;
    V.Open({Flipped(), CleanEnd()});
    V.Main.aMarkProblems->setChecked(false);
    QVERIFY(V.Markers().empty());
    QCOMPARE(Picture(V.At({1, 0}).data(Qt::DecorationRole)), Picture(kavex::NodeIcon(3)));
    QCOMPARE(V.Main.stProblems->text(), QStringLiteral("1 warning"));
    V.Main.aMarkProblems->setChecked(true);
    QCOMPARE(V.MarkerAt({1, 0}), M::Warning);
    V.Open({Text(), CleanEnd()}, "clean.fls");
    QVERIFY(V.Markers().empty() && V.Main.stProblems->isHidden());
    V.Open({Flipped(), CleanEnd()});
    V.App.Log().aClear->trigger();
    QVERIFY(V.Markers().empty() && V.Main.stProblems->isHidden() && !V.Main.aNextProblem->isEnabled());
    V.Main.OpenFlash(V.Folder.Path("missing.fls"));  // its open error is no image's
    QVERIFY(V.Main.stProblems->isHidden());
  }

  void NextAndPreviousProblemGoInTreeOrderRoundTheEnds() {
    IsolatedSettings S;
    Viewer V;
    kavex::TfLog& Log = V.App.Log();
    V.Open({Flipped(), Tones(), Text(), Flipped(), CleanEnd()});
    V.Show();
    struct Step { const char* What; Qt::KeyboardModifiers Mods; Place To; };
    const Step Round[] = {{"F8", {}, {1, 0}}, {"F8", {}, {1, 3}}, {"F8 round", {}, {1, 0}},
                          {"Shift+F8 round", Qt::ShiftModifier, {1, 3}}, {"Shift+F8", Qt::ShiftModifier, {1, 0}}};
    for (const Step& Press : Round) {
      QTest::keyClick(&V.Main, Qt::Key_F8, Press.Mods);
      QVERIFY2(V.Main.tvMain->currentIndex() == V.At(Press.To), Press.What);
    }
    // The tones' error comes with their chunk's first expansion; closed again, F8 opens it.
    V.Main.tvMain->expand(V.At({1, 1}));
    V.Main.tvMain->collapse(V.At({1, 1}));
    V.Main.tvMain->collapse(V.At({1}));
    V.Main.tvMain->setCurrentIndex(V.At({1, 0}));
    Log.show();
    V.Main.aNextProblem->trigger();
    QCOMPARE(V.Main.tvMain->currentIndex(), V.At({1, 1, 1}));  // not its namesake before it
    QVERIFY(V.Main.tvMain->isExpanded(V.At({1})) && V.Main.tvMain->isExpanded(V.At({1, 1})));
    const QModelIndexList Rows = Log.lvLog->selectionModel()->selectedRows();
    QCOMPARE(Rows.size(), 1);
    QCOMPARE(Log.Model()->RecordAt(Rows.front().row()).Ident, 27);
    // Errors not listed: nothing is selected in the log.
    Log.KindActions[3]->trigger();
    V.Main.aPrevProblem->trigger();
    V.Main.aNextProblem->trigger();
    QCOMPARE(V.Main.tvMain->currentIndex(), V.At({1, 1, 1}));
    QVERIFY(!Log.lvLog->selectionModel()->hasSelection());
    // Nothing marked: F8 does nothing.
    V.Open({Text(), CleanEnd()}, "b.fls");
    QTest::keyClick(&V.Main, Qt::Key_F8);
    QCOMPARE(V.Main.tvMain->currentIndex(), V.At({}));
  }

  void MarkProblemsIsInTheViewMenuAndKeptPerUser() {
    IsolatedSettings S;
    for (const bool Next : {false, true}) {
      Viewer V;
      // A group of their own after the described items and the zoom.
      const QList<QAction*> View = V.Main.mView->actions();
      const qsizetype First = View.indexOf(V.Main.aMarkProblems);
      QCOMPARE(View.mid(First - 2, 5), (QList<QAction*>{V.Main.aZoomOut, View.at(First - 1), V.Main.aMarkProblems,
                                                         V.Main.aNextProblem, V.Main.aPrevProblem}));
      QVERIFY(View.at(First - 1)->isSeparator() && View.at(First + 3)->isSeparator());
      QCOMPARE(V.Main.aNextProblem->shortcut(), QKeySequence(Qt::Key_F8));
      QCOMPARE(V.Main.aPrevProblem->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F8));
      QCOMPARE(V.Main.aMarkProblems->isChecked(), !Next);  // checked on a first start
      QCOMPARE(V.Main.tvMain->Nodes()->MarksShown(), !Next);
      V.Main.aMarkProblems->setChecked(Next);
    }
    QCOMPARE(S.Value(QStringLiteral("TreeOptions/MarkProblems")), QStringLiteral("1"));
  }

  void AClickOnTheCountShowsTheLogWindow() {
    struct Case { const char* What; Qt::MouseButton Button; QPoint LetGo; bool Shown; };
    const Case Cases[] = {{"a click", Qt::LeftButton, {2, 2}, true},
                          {"the right button", Qt::RightButton, {2, 2}, false},
                          {"let go outside", Qt::LeftButton, {-20, 2}, false}};
    IsolatedSettings S;
    for (const Case& C : Cases) {
      Viewer V;
      V.Open({Flipped(), CleanEnd()});
      V.Show();
      QTest::mousePress(V.Main.stProblems, C.Button, {}, QPoint(2, 2));
      QTest::mouseRelease(V.Main.stProblems, C.Button, {}, C.LetGo);
      QVERIFY2(V.App.Log().isVisible() == C.Shown, C.What);
    }
  }
};

QTEST_MAIN(ProblemsTest)
#include "problems_test.moc"
