// The main window: first start, the open sequence, the image tree and the About box.

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QHelpEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include "UiTestSupport.h"
#include "log/LogWindow.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Subchunk.h"
#include "ui/About.h"
#include "ui/Hints.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"

using namespace kavtest;
using kavex::TImageTree;
using kavex::TKavexApp;

namespace {

const QString Untitled = QStringLiteral("(Untitled) - Kavex v0.10 TEST ONLY");
const QString ProblemText = QStringLiteral("Problem found, for more information see messages in Log.");

QStringList VisibleCaptions(const QMenu* Menu) {
  QStringList Out;
  for (QAction* A : Menu->actions())
    if (A->isVisible()) Out << (A->isSeparator() ? QStringLiteral("-") : A->text());
  return Out;
}

QStringList ChildTexts(const QTreeWidgetItem* Item) {
  QStringList Out;
  for (int I = 0; I < Item->childCount(); ++I) Out << Item->child(I)->text(0);
  return Out;
}

std::vector<int> ChildIcons(const QTreeWidgetItem* Item) {
  std::vector<int> Out;
  for (int I = 0; I < Item->childCount(); ++I) Out.push_back(TImageTree::ImageIndex(Item->child(I)));
  return Out;
}

Bytes LdbChunk(int Subchunks) {
  Bytes Data;
  for (int I = 0; I < Subchunks; ++I) Append(Data, SubchunkBytes({.Id = static_cast<std::uint32_t>(I + 1), .ShortName = "ab", .Body = Bytes(8, 7)}));
  Append(Data, ClosingRecord());
  return ChunkBytes({.Name = "LDB", .Version = "V2", .Data = Data});
}

// A model node of a class the tree does not know.
class TFutureSubchunk : public kavex::TKavClass {
public:
  TFutureSubchunk() : TKavClass(nullptr, 0, Cursor_) {}
  const char* ClassName() const override { return "TFutureSubchunk"; }
  kavex::TNodeKind Kind() const override { return kavex::TNodeKind::RawSubchunk; }
  std::string GetName() const override { return "future"; }

private:
  static inline kavex::TCursor Cursor_;
};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

private slots:
  void FirstStartWithAnEmptyStore() {
    IsolatedSettings S;
    DialogAnswers Answers;
    {
      TKavexApp App;
      kavex::TfMain& Main = App.Main();
      QCOMPARE(Main.windowTitle(), Untitled);
      QCOMPARE(kavex::ApplicationTitle(), Untitled);
      QCOMPARE(VisibleCaptions(Main.mFile), QStringList({"&Open...", "-", "E&xit"}));
      QVERIFY(Main.Reopen().RecentItems().isEmpty());
      QCOMPARE(App.Log().geometry().size(), QSize(561, 375));
      QCOMPARE(App.Log().pos(), QPoint(239, 172));
      Main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&Main));
      QCOMPARE(Main.pos(), QPoint(94, 129));
      QCOMPARE(Main.size(), QSize(692, 499));
      QCOMPARE(Main.tvMain->width(), 289);
      QCOMPARE(Main.tvMain->topLevelItemCount(), 0);
      QVERIFY(!Main.Splitter->childrenCollapsible());
      // The tree keeps its width when the window grows.
      Main.resize(900, 499);
      QTRY_COMPARE(Main.pAllInfo->width(), 900 - 289 - Main.Splitter->handleWidth());
      QCOMPARE(Main.tvMain->width(), 289);
      Main.resize(692, 499);
    }
    QCOMPARE(S.Value("PosMain/Left"), QString("94"));
    QCOMPARE(S.Value("PosMain/Width"), QString("692"));
    QCOMPARE(S.Value("PosMainTree/Width"), QString("289"));
    QCOMPARE(S.Value("PosLog/Height"), QString("375"));
    QCOMPARE(S.Value("LogOptions/ClearAtNewFile"), QString("0"));
    QCOMPARE(S.Value("Reopen/0"), QString("<missing>"));
    QVERIFY(Answers.Messages().empty());
  }

  void ToolBarsCarryHintsButShowNoToolTips() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    App.Main().show();
    App.Log().show();
    QVERIFY(QTest::qWaitForWindowExposed(&App.Log()));
    QCOMPARE(kavex::Hint(App.Main().aOpen), QString("Open flash file to explore"));
    QCOMPARE(kavex::Hint(App.Log().aClearAtNewFile),
             QString("If this option checked log will be cleared before each file openeng"));
    int Buttons = 0;
    for (QToolBar* Bar : {App.Main().tbMain, App.Log().tbLog})
      for (QToolButton* Button : Bar->findChildren<QToolButton*>()) {
        if (!Button->isVisible() || !Button->defaultAction()) continue;
        ++Buttons;
        QHelpEvent Help(QEvent::ToolTip, QPoint(2, 2), Button->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(Button, &Help);
        QVERIFY2(!QToolTip::isVisible(), qPrintable(Button->text()));
      }
    QCOMPARE(Buttons, 3 + 6);
    QVERIFY(App.Main().statusBar()->currentMessage().isEmpty());
  }

  void MissingAndEmptyFilesLeaveTheWindowEmpty() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    const QString Empty = Folder.Write("empty.fls", {});
    TKavexApp App;
    App.Log().ClearLog();
    App.Main().Reopen().AddRecentFile(Folder.Path("gone.fls"));
    App.Main().Reopen().AddRecentFile(Empty);
    App.Main().Reopen().RecentItems().at(1)->trigger();  // the stale one
    QCOMPARE(LogIdents(App), std::vector<int>({28, 4}));
    QCOMPARE(App.Main().Reopen().RecentFiles().front(), Folder.Path("gone.fls"));
    QCOMPARE(App.Main().tvMain->topLevelItemCount(), 0);
    QCOMPARE(App.Main().windowTitle(), Untitled);

    App.Main().OpenFlash(Empty);
    QCOMPARE(LogIdents(App), std::vector<int>({28, 4, 28, 6}));
    QCOMPARE(App.Main().tvMain->topLevelItemCount(), 0);
    QCOMPARE(App.Main().windowTitle(), Untitled);
    QVERIFY(App.Main().ShownModel() == nullptr);
    QVERIFY(Answers.Messages().empty());
  }

  void BrokenWinTeslaFileShowsTheErrorBox() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    const QString Good = Folder.Write("good.fls", GoodImage({LdbChunk(1)}));
    const QString Bad = Folder.Write("bad.wt", BrokenWinTesla());
    TKavexApp App;
    App.Main().OpenFlash(Good);
    QCOMPARE(App.Main().tvMain->topLevelItemCount(), 1);

    App.Main().OpenFlash(Bad);
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    const MessageSeen& Box = Answers.Messages()[0];
    QCOMPARE(Box.Title, Untitled);
    QCOMPARE(Box.Text, ProblemText);
    QCOMPARE(Box.Icon, kavex::TMsgBoxIcon::Error);
    QVERIFY(LogLines(App).last().startsWith("! (  43) WinTesla FlashAddr of current block"));
    // Nothing of the file shown before remains.
    QCOMPARE(App.Main().tvMain->topLevelItemCount(), 0);
    QVERIFY(App.Main().ShownModel() == nullptr);
    QCOMPARE(App.Main().windowTitle(), Untitled);
  }

  void GoodFileIsShownWithItsAreas() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    const QString Path = Folder.Write("full.fls", GoodImage({LdbChunk(2), LdbChunk(1)}, Bytes(32, 0xEE)));
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.show();
    Main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Main));
    Answers.AnswerFile(Path);
    Main.aOpen->trigger();

    QCOMPARE(Main.windowTitle(), Path + " - Kavex v0.10 TEST ONLY");
    QCOMPARE(Main.tvMain->topLevelItemCount(), 1);
    QTreeWidgetItem* Root = Main.tvMain->topLevelItem(0);
    QCOMPARE(Root->text(0), Path);
    QCOMPARE(Main.tvMain->currentItem(), Root);
    QVERIFY(Main.tvMain->hasFocus());
    QCOMPARE(TImageTree::ImageIndex(Root), 17);
    QCOMPARE(ChildIcons(Root), std::vector<int>({1, 2, 19}));
    QTreeWidgetItem* Mcu = Root->child(0);
    QTreeWidgetItem* Ppm = Root->child(1);
    QVERIFY(!TImageTree::HasChildren(Mcu));
    QVERIFY(Ppm->isExpanded());
    QCOMPARE(ChildIcons(Ppm), std::vector<int>({3, 3, 3}));
    // Subchunks wait until their chunk is opened.
    QCOMPARE(Ppm->child(0)->childCount(), 0);
    QVERIFY(TImageTree::HasChildren(Ppm->child(0)));
    QVERIFY(Answers.Messages().empty());
  }

  void RootIconTellsWhichAreasExist() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    App.Main().OpenFlash(Folder.Write("mcuppm.fls", GoodImage({})));
    QCOMPARE(TImageTree::ImageIndex(App.Main().tvMain->topLevelItem(0)), 16);

    // No area at all: the model is dropped and the window stays untitled.
    App.Main().OpenFlash(Folder.Write("junk.fls", Bytes(64, 0x33)));
    QCOMPARE(App.Main().tvMain->topLevelItemCount(), 0);
    QCOMPARE(App.Main().windowTitle(), Untitled);
    QCOMPARE(LogIdents(App).back(), 7);

    QCOMPARE(kavex::AreaSetIcon(1), 14);
    QCOMPARE(kavex::AreaSetIcon(2), 15);
    QCOMPARE(kavex::AreaSetIcon(0), -1);
    QCOMPARE(kavex::AreaSetIcon(5), 0);
  }

  void DamagedChunkStopsTheExpansionButNotTheOpen() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    Bytes Damaged = ChunkBytes({.Name = "LDB", .Data = Bytes(16, 1), .Length = 0x7FFF0});
    const QString Path = Folder.Write("damaged.fls", GoodImage({LdbChunk(1), Damaged}));
    TKavexApp App;
    App.Main().OpenFlash(Path);

    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    QCOMPARE(Answers.Messages()[0].Text, ProblemText);
    QCOMPARE(Answers.Messages()[0].Title, Untitled);
    QVERIFY(LogLines(App).filter("! (  22) Too few bytes remains for chunk data").size() == 1);
    QTreeWidgetItem* Root = App.Main().tvMain->topLevelItem(0);
    QTreeWidgetItem* Ppm = Root->child(1);
    QCOMPARE(Ppm->childCount(), 1);
    QVERIFY(TImageTree::HasChildren(Ppm));
    QCOMPARE(TImageTree::ImageIndex(Root), 16);
    QCOMPARE(App.Main().windowTitle(), Path + " - Kavex v0.10 TEST ONLY");
  }

  void CollapsingAndReexpandingAddsNothing() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    // The second chunk's subchunk walk yields nothing: its first record is cut short.
    Bytes Empty = ChunkBytes({.Name = "LDB", .Data = Bytes{0, 0, 0, 9, 1, 2, 3, 4}});
    TKavexApp App;
    App.Main().OpenFlash(Folder.Write("chunks.fls", GoodImage({LdbChunk(3), Empty})));
    QTreeWidgetItem* Ppm = App.Main().tvMain->topLevelItem(0)->child(1);
    QTreeWidgetItem* Chunk = Ppm->child(0);

    Chunk->setExpanded(true);
    const QStringList First = ChildTexts(Chunk);
    QCOMPARE(First.size(), 4);
    // A subclass is matched by its own class name: LDB subchunks are raw ones too.
    QCOMPARE(ChildIcons(Chunk), std::vector<int>({9, 9, 9, 13}));
    Chunk->setExpanded(false);
    Chunk->setExpanded(true);
    QCOMPARE(ChildTexts(Chunk), First);
    QVERIFY(TImageTree::HasChildren(Chunk));

    QTreeWidgetItem* Barren = Ppm->child(1);
    QVERIFY(TImageTree::HasChildren(Barren));
    Barren->setExpanded(true);
    QCOMPARE(Barren->childCount(), 0);
    QVERIFY(!TImageTree::HasChildren(Barren));
    QVERIFY(Answers.Messages().empty());
  }

  void NodeClassesAreMatchedByTheirOwnNameOnly() {
    TFutureSubchunk Future;
    QCOMPARE(kavex::NodeClassIndex(&Future), -1);
    QCOMPARE(kavex::NodeClassIndex(nullptr), -1);
    QCOMPARE(kavex::NodeClassTable().size(), std::size_t{17});
    TImageTree Tree;
    QTreeWidgetItem* Item = Tree.AddRoot(&Future);
    QCOMPARE(TImageTree::ImageIndex(Item), 0);  // a root always starts with the file's icon
    QVERIFY(!TImageTree::HasChildren(Item));
    Tree.ExpandNode(Item);  // no expand button: nothing happens
    QVERIFY(!Item->isExpanded());
  }

  void ErrorBoxAddsAFullStopOnlyAfterHigherCharacters() {
    QCOMPARE(kavex::ErrorBoxText("Problem found"), QString("Problem found."));
    QCOMPARE(kavex::ErrorBoxText("Done."), QString("Done."));
    QCOMPARE(kavex::ErrorBoxText("Why?"), QString("Why?."));
    QCOMPARE(kavex::ErrorBoxText("Stop!"), QString("Stop!"));
    QCOMPARE(kavex::ErrorBoxText("(x)"), QString("(x)"));
    QCOMPARE(kavex::ErrorBoxText(""), QString(""));
  }

  void AboutBoxClosesOnEnterAndEscapeAndWelcomesOnce() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfAbout& About = App.About();
    QCOMPARE(About.size(), QSize(409, 341));
    QCOMPARE(About.stAppVer->text(), QString("0.10 TEST ONLY"));
    QCOMPARE(About.mAbout->toPlainText().split('\n').size(), 50);
    QVERIFY(!About.mAbout->toPlainText().contains("http"));
    for (Qt::Key Key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Enter}) {
      About.open();
      QVERIFY(QTest::qWaitForWindowExposed(&About));
      QTRY_VERIFY(About.mAbout->hasFocus());
      QTest::keyClick(About.mAbout, Key);
      QVERIFY(!About.isVisible());
    }
    QCOMPARE(LogLines(App).filter("Welcome").size(), 1);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
