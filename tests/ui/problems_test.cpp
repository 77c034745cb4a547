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
QModelIndex At(const kavex::TfMain& Main, const Place& Rows) {
  QModelIndex Index = Main.tvMain->model()->index(0, 0);
  for (int Row : Rows) Index = Main.tvMain->model()->index(Row, 0, Index);
  return Index;
}
M MarkerAt(const kavex::TfMain& Main, const Place& Rows) {
  return static_cast<M>(At(Main, Rows).data(TImageTreeModel::ProblemMarkerRole).toInt());
}
// Every node with a marker, depth first.
std::map<Place, M> Markers(const kavex::TfMain& Main) {
  std::map<Place, M> Out;
  std::vector<Place> Pending{{}};
  while (!Pending.empty()) {
    const Place P = Pending.back();
    Pending.pop_back();
    if (MarkerAt(Main, P) != M::None) Out[P] = MarkerAt(Main, P);
    for (int Row = 0; Row < Main.tvMain->model()->rowCount(At(Main, P)); ++Row) {
      Place Child = P;
      Child.push_back(Row);
      Pending.push_back(Child);
    }
  }
  return Out;
}
QImage Picture(const QIcon& Icon) { return Icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); }
// Pixels of the badge corner close to red, and close to amber.
std::pair<int, int> RedAndAmber(const QImage& Image) {
  int Red = 0, Amber = 0;
  for (int Y = 7; Y < 16; ++Y)
    for (int X = 8; X < 16; ++X) {
      const QColor C = Image.pixelColor(X, Y);
      if (C.alpha() < 200) continue;
      Red += C.red() > 170 && C.green() < 80 && C.blue() < 90;
      Amber += C.red() > 200 && C.green() > 120 && C.green() < 200 && C.blue() < 60;
    }
  return {Red, Amber};
}

}  // namespace

class ProblemsTest : public QObject {
  Q_OBJECT

private slots:
  void MarkersFollowTheLogAsChunksAreExpanded() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Folder.Write("a.fls", ImageOf({Text(), Flipped(), BrokenSubchunk(), CleanEnd()})));
    QCOMPARE(Markers(Main), (std::map<Place, M>{{{}, M::WarningBelow}, {{1}, M::WarningBelow}, {{1, 1}, M::Warning}}));
    QCOMPARE(At(Main, {1, 1}).data(Qt::DecorationRole).value<QIcon>().cacheKey(), kavex::NodeIcon(3, M::Warning).cacheKey());
    QCOMPARE(Picture(At(Main, {1, 0}).data(Qt::DecorationRole).value<QIcon>()), Picture(kavex::NodeIcon(3)));

    // The user opens the third chunk: its subchunk cannot be built.
    QSignalSpy Changed(Main.tvMain->model(), &QAbstractItemModel::dataChanged);
    Main.tvMain->expand(At(Main, {1, 2}));
    QCOMPARE(Markers(Main),
             (std::map<Place, M>{{{}, M::ErrorBelow}, {{1}, M::ErrorBelow}, {{1, 1}, M::Warning}, {{1, 2}, M::Error}}));
    std::set<Place> Repainted;
    for (const QList<QVariant>& Signal : Changed)
      if (Signal.at(2).value<QList<int>>().contains(Qt::DecorationRole)) {
        Place P;
        for (QModelIndex I = Signal.at(0).toModelIndex(); I.parent().isValid(); I = I.parent()) P.insert(P.begin(), I.row());
        Repainted.insert(P);
      }
    QCOMPARE(Repainted, (std::set<Place>{{}, {1}, {1, 2}}));
  }

  void BadgesDifferInColourAndShapeAndArePaintedOnce() {
    const QImage Plain = Picture(kavex::NodeIcon(3));
    struct Case { M Marker; bool Red; };
    const Case Cases[] = {{M::Error, true}, {M::Warning, false}, {M::ErrorBelow, true}, {M::WarningBelow, false}};
    std::vector<QImage> Seen;  // each unlike the plain icon and the others
    for (const Case& C : Cases) {
      const QImage Image = Picture(kavex::NodeIcon(3, C.Marker));
      QVERIFY(Image != Plain);
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
        {"three warnings", {Flipped(), Flipped(), Flipped(), CleanEnd()}, {}, "3 warnings"},
        {"one error", {Text(), BrokenChunk()}, {}, "1 error"},
        {"two errors", {BrokenSubchunk(), CleanEnd()}, {1, 0}, "2 errors"},
        {"mixed", {Flipped(), BrokenSubchunk(), CleanEnd()}, {1, 1}, "2 errors, 1 warning"},
        {"both plural", {Flipped(), BrokenSubchunk(), Flipped(), BrokenChunk()}, {1, 1}, "3 errors, 2 warnings"},
    };
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    for (const Case& C : Cases) {
      Main.OpenFlash(Folder.Write("a.fls", ImageOf(C.Chunks)));
      if (!C.Expand.empty()) Main.tvMain->expand(At(Main, C.Expand));
      QVERIFY2(Main.stProblems->text() == C.Text, C.What);
      QVERIFY2(Main.stProblems->isHidden() == C.Text.isEmpty(), C.What);
      QVERIFY2(Main.aNextProblem->isEnabled() == !C.Text.isEmpty(), C.What);
    }
  }

  // Earlier files' records stay in the log but count for no image; a cleared log takes them.
  void OnlyTheShownImageCountsAndMarkingOffKeepsTheCount() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    const QString Warned = Folder.Write("warned.fls", ImageOf({Flipped(), CleanEnd()}));
    Main.OpenFlash(Warned);
    Main.aMarkProblems->setChecked(false);
    QVERIFY(Markers(Main).empty());
    QCOMPARE(Picture(At(Main, {1, 0}).data(Qt::DecorationRole).value<QIcon>()), Picture(kavex::NodeIcon(3)));
    QCOMPARE(Main.stProblems->text(), QStringLiteral("1 warning"));
    Main.aMarkProblems->setChecked(true);
    QCOMPARE(MarkerAt(Main, {1, 0}), M::Warning);

    Main.OpenFlash(Folder.Write("clean.fls", ImageOf({Text(), CleanEnd()})));
    QVERIFY(Markers(Main).empty());
    QVERIFY(Main.stProblems->isHidden());
    Main.OpenFlash(Warned);
    App.Log().aClear->trigger();
    QVERIFY(Markers(Main).empty());
    QVERIFY(Main.stProblems->isHidden());
    QVERIFY(!Main.aNextProblem->isEnabled());
    Main.OpenFlash(Folder.Path("missing.fls"));  // its open error is no image's
    QVERIFY(Main.stProblems->isHidden());
  }

  void NextAndPreviousProblemGoInTreeOrderRoundTheEnds() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    kavex::TfLog& Log = App.Log();
    Main.OpenFlash(Folder.Write("a.fls", ImageOf({Flipped(), Tones(), Text(), Flipped(), CleanEnd()})));
    Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Main));
    struct Step { const char* What; Qt::KeyboardModifiers Mods; Place To; };
    const Step Round[] = {{"F8", {}, {1, 0}}, {"F8", {}, {1, 3}}, {"F8 round", {}, {1, 0}},
                          {"Shift+F8 round", Qt::ShiftModifier, {1, 3}}, {"Shift+F8", Qt::ShiftModifier, {1, 0}}};
    for (const Step& S : Round) {
      QTest::keyClick(&Main, Qt::Key_F8, S.Mods);
      QVERIFY2(Main.tvMain->currentIndex() == At(Main, S.To), S.What);
    }
    // The tones' error comes with their chunk's first expansion; closed again, F8 opens it.
    Main.tvMain->expand(At(Main, {1, 1}));
    Main.tvMain->collapse(At(Main, {1, 1}));
    Main.tvMain->collapse(At(Main, {1}));
    Main.tvMain->setCurrentIndex(At(Main, {1, 0}));
    Log.show();
    Main.aNextProblem->trigger();
    QCOMPARE(Main.tvMain->currentIndex(), At(Main, {1, 1, 1}));  // not its namesake before it
    QVERIFY(Main.tvMain->isExpanded(At(Main, {1})) && Main.tvMain->isExpanded(At(Main, {1, 1})));
    const QModelIndexList Rows = Log.lvLog->selectionModel()->selectedRows();
    QCOMPARE(Rows.size(), 1);
    QCOMPARE(Log.Model()->RecordAt(Rows.front().row()).Ident, 27);
    // Errors not listed: nothing is selected in the log.
    Log.KindActions[3]->trigger();
    Main.aPrevProblem->trigger();
    Main.aNextProblem->trigger();
    QCOMPARE(Main.tvMain->currentIndex(), At(Main, {1, 1, 1}));
    QVERIFY(!Log.lvLog->selectionModel()->hasSelection());

    // Nothing marked: F8 does nothing.
    Main.OpenFlash(Folder.Write("b.fls", ImageOf({Text(), CleanEnd()})));
    QTest::keyClick(&Main, Qt::Key_F8);
    QCOMPARE(Main.tvMain->currentIndex(), At(Main, {}));
  }

  void MarkProblemsIsInTheViewMenuAndKeptPerUser() {
    IsolatedSettings S;
    DialogAnswers Answers;
    for (const bool Next : {false, true}) {
      TKavexApp App;
      kavex::TfMain& Main = App.Main();
      const QList<QAction*> View = Main.mView->actions();
      QCOMPARE(View.mid(View.size() - 4), (QList<QAction*>{View.at(View.size() - 4), Main.aMarkProblems, Main.aNextProblem, Main.aPrevProblem}));
      QVERIFY(View.at(View.size() - 4)->isSeparator());
      QCOMPARE(Main.aNextProblem->shortcut(), QKeySequence(Qt::Key_F8));
      QCOMPARE(Main.aPrevProblem->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F8));
      QCOMPARE(Main.aMarkProblems->isChecked(), !Next);  // checked on a first start
      QCOMPARE(Main.tvMain->Nodes()->MarksShown(), !Next);
      Main.aMarkProblems->setChecked(Next);
    }
    QCOMPARE(S.Value(QStringLiteral("TreeOptions/MarkProblems")), QStringLiteral("1"));
  }

  void AClickOnTheCountShowsTheLogWindow() {
    struct Case { const char* What; Qt::MouseButton Button; bool LetGoOutside; bool Shown; };
    const Case Cases[] = {{"a click", Qt::LeftButton, false, true},
                          {"the right button", Qt::RightButton, false, false},
                          {"let go outside", Qt::LeftButton, true, false}};
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    for (const Case& C : Cases) {
      TKavexApp App;
      App.Main().OpenFlash(Folder.Write("a.fls", ImageOf({Flipped(), CleanEnd()})));
      App.Main().show();
      QVERIFY(QTest::qWaitForWindowExposed(&App.Main()));
      kavex::TClickableLabel* Count = App.Main().stProblems;
      QTest::mousePress(Count, C.Button, {}, QPoint(2, 2));
      QTest::mouseRelease(Count, C.Button, {}, C.LetGoOutside ? QPoint(-20, 2) : QPoint(2, 2));
      QVERIFY2(App.Log().isVisible() == C.Shown, C.What);
    }
  }
};

QTEST_MAIN(ProblemsTest)
#include "problems_test.moc"
