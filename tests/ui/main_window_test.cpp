// The main window: first start, the open sequence, the image tree and the About box.

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QHelpEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTimer>
#include <QMenuBar>
#include <QMessageBox>
#include <QContextMenuEvent>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include "UiTestSupport.h"
#include "ui/LogWindow.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Subchunk.h"
#include "ui/About.h"
#include "ui/Hints.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"
#include "ui/NodeDetails.h"

using namespace kavtest;
using kavex::TImageTree;
using kavex::TImageTreeModel;
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

// The tree through its item model: a node's children, their captions and icons.
QModelIndex Child(const QModelIndex& Node, int Row) { return Node.model()->index(Row, 0, Node); }
int ChildCount(const QModelIndex& Node) { return Node.model()->rowCount(Node); }
int RootCount(const kavex::TfMain& Main) { return Main.tvMain->model()->rowCount(); }
QModelIndex Root(const kavex::TfMain& Main) { return Main.tvMain->model()->index(0, 0); }

QStringList ChildTexts(const QModelIndex& Node) {
  QStringList Out;
  for (int I = 0; I < ChildCount(Node); ++I) Out << Child(Node, I).data().toString();
  return Out;
}

std::vector<int> ChildIcons(const QModelIndex& Node) {
  std::vector<int> Out;
  for (int I = 0; I < ChildCount(Node); ++I) Out.push_back(TImageTreeModel::ImageIndex(Child(Node, I)));
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
  static inline kavex::TReader Cursor_;
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
      // The described items first; the exports follow, then the comparison's, before the recent files.
      QCOMPARE(VisibleCaptions(Main.mFile), QStringList({"&Open...", "-", "E&xit", "-", "Export &texts...",
                                                         "Export &fonts...", "Save &bytes of the selected node...", "-",
                                                         "&Compare with...", "S&top comparing", "Export comparison &report..."}));
      QVERIFY(Main.Reopen().RecentItems().isEmpty());
      QCOMPARE(App.Log().geometry().size(), QSize(561, 375));
      QCOMPARE(App.Log().pos(), QPoint(239, 172));
      Main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&Main));
      QCOMPARE(Main.pos(), QPoint(94, 129));
      QTRY_COMPARE(Main.frameGeometry().size(), QSize(692, 499));  // outer size
      QCOMPARE(Main.tvMain->width(), 289);
      QCOMPARE(RootCount(Main), 0);
      QVERIFY(!Main.Splitter->childrenCollapsible());
      // The tree keeps its width when the window grows.
      Main.resize(900, 499);
      QTRY_COMPARE(Main.pAllInfo->width(), 900 - 289 - Main.Splitter->handleWidth());
      QCOMPARE(Main.tvMain->width(), 289);
      kavex::SetOuterSize(&Main, QSize(692, 499));
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

  void ToolBarsAreLaidOutToThePixelAndCannotBeHidden() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    kavex::TfLog& Log = App.Log();
    Main.show();
    Log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Log));
    // Each bar: its height, then per button its left edge (relative to the first), width, height.
    const auto Layout = [](QToolBar* Bar, QList<QToolButton*> Buttons) {
      QList<int> Out{Bar->height()};
      for (QToolButton* B : Buttons) Out << B->x() - Buttons[0]->x() << B->width() << B->height();
      return Out;
    };
    QList<QToolButton*> MainButtons;
    for (QAction* A : {Main.aOpen, Main.aViewLog, Main.aExit})
      MainButtons << qobject_cast<QToolButton*>(Main.tbMain->widgetForAction(A));
    QCOMPARE(Layout(Main.tbMain, MainButtons), QList<int>({31, 0, 81, 24, 89, 128, 24, 225, 64, 24}));
    QCOMPARE(MainButtons[0]->text(), QString("Open..."));
    QCOMPARE(Main.statusBar()->height(), 19);
    QList<QToolButton*> LogButtons{Log.sbCopy};
    for (QToolButton* B : Log.KindButtons) LogButtons << B;
    QCOMPARE(Layout(Log.tbLog, LogButtons),
             QList<int>({29, 0, 57, 23, 65, 57, 23, 122, 72, 23, 194, 80, 23, 274, 64, 23, 338, 72, 23}));
    QCOMPARE(QList<int>({Log.font().pointSize(), int(Log.font().styleHint())}), QList<int>({8, int(QFont::SansSerif)}));
    // A right click on a bar or the menu bar offers no menu that would hide a bar.
    for (QWidget* Target : {static_cast<QWidget*>(Main.tbMain), static_cast<QWidget*>(Main.menuBar()),
                            static_cast<QWidget*>(Log.tbLog), static_cast<QWidget*>(Log.menuBar())}) {
      QWidget* Popup = nullptr;
      QTimer::singleShot(0, [&Popup] {
        if ((Popup = QApplication::activePopupWidget())) Popup->close();
      });
      QContextMenuEvent Event(QContextMenuEvent::Mouse, QPoint(1, 1), Target->mapToGlobal(QPoint(1, 1)));
      QApplication::sendEvent(Target, &Event);
      QCoreApplication::processEvents();
      QVERIFY2(!Popup, Target->metaObject()->className());
    }
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
    QCOMPARE(RootCount(App.Main()), 0);
    QCOMPARE(App.Main().windowTitle(), Untitled);

    // The log window is hidden: the status strip says what happened, until the next open.
    const auto Status = [&App] { return App.Main().stStatusHint->text(); };
    QCOMPARE(Status(), QString("Could not show gone.fls: No such file or directory. The log has the details. ") +
                           kavex::TfMain::NoImageHint());

    App.Main().OpenFlash(Empty);
    QCOMPARE(LogIdents(App), std::vector<int>({28, 4, 28, 6}));
    QCOMPARE(RootCount(App.Main()), 0);
    QCOMPARE(App.Main().windowTitle(), Untitled);
    QVERIFY(App.Main().ShownModel() == nullptr);
    QVERIFY(Status().contains("empty.fls: the file is empty."));
    App.Main().OpenFlash(Folder.Path(""));
    QVERIFY2(Status().contains(": Is a directory."), qPrintable(Status()));
    App.Main().OpenFlash(Folder.Write("junk.fls", Bytes(64, 0x33)));
    QVERIFY(Status().contains("junk.fls: no MCU, PPM or EEPROM area"));
    App.Main().OpenFlash(Folder.Write("good.fls", GoodImage({})));
    QCOMPARE(Status(), QString());
    QVERIFY(Answers.Messages().empty());
  }

  // File names as the system has them: a name whose bytes are not UTF-8 reaches the viewer
  // with U+FFFD in their place and is said to be so; a line break in a name is written as
  // \x0A in the caption and in the log, so that every copied or exported line stays one; a
  // file past the 2 GiB limit is named so (the loader's own tests take the sizes at the limit).
  void FileNamesAndSizesAreReportedAsTheyAre() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    const auto Status = [&Main] { return Main.stStatusHint->text(); };
    const auto Plant = [&Folder](const QByteArray& Name, const Bytes& Content, qint64 Size) {
      const QByteArray Path = QFile::encodeName(Folder.Path("")) + "/" + Name;
      const int Fd = ::open(Path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (Fd < 0) return false;
      const bool Done = ::write(Fd, Content.data(), Content.size()) == static_cast<ssize_t>(Content.size()) &&
                        (Size < 0 || ::ftruncate(Fd, Size) == 0);
      return ::close(Fd) == 0 && Done;
    };

    QVERIFY(Plant("bad\xff.fls", GoodImage({}), -1));
    Main.OpenFlash(QFile::decodeName(QFile::encodeName(Folder.Path("")) + "/bad\xff.fls"));
    QVERIFY2(Status().startsWith("Could not show bad\uFFFD.fls: the name is not valid UTF-8. "), qPrintable(Status()));
    QCOMPARE(RootCount(Main), 0);
    ::unlink((QFile::encodeName(Folder.Path("")) + "/bad\xff.fls").constData());  // Qt cannot name it to remove it

    QVERIFY(Plant("line\nbreak.fls", GoodImage({}), -1));
    const QString Broken = Folder.Path("line\nbreak.fls");
    App.Log().ClearLog();
    Main.OpenFlash(Broken);
    QCOMPARE(RootCount(Main), 1);
    const QString Shown = Folder.Path("line\\x0Abreak.fls");
    QCOMPARE(Main.windowTitle(), Shown + " - Kavex v0.10 TEST ONLY");
    QCOMPARE(Main.tvMain->model()->index(0, 0).data().toString(), Shown);
    QCOMPARE(LogLines(App).first(), "i (  28) Loading file: " + Shown + "; Path: [KavObj.LoadFile]");
    for (const QString& Line : App.Log().BuildLines(false)) QVERIFY2(!Line.contains('\n'), qPrintable(Line));

    QVERIFY(Plant("huge.fls", {}, qint64{2147483648}));
    Main.OpenFlash(Folder.Path("huge.fls"));
    QCOMPARE(Status(), "Could not show huge.fls: the file is larger than 2147483647 bytes. The log has the details. " +
                           kavex::TfMain::NoImageHint());
    QVERIFY(Answers.Messages().empty());
  }

  // The real message boxes show their text as it is: a file name with "<b>" in it is not
  // taken for markup.
  void MessageBoxesShowPlainText() {
    kavex::ResetDialogHooks();
    const QString Text = QStringLiteral("<b>x</b>.fls was not written: Permission denied.");
    for (int Kind = 0; Kind < 2; ++Kind) {
      Qt::TextFormat Seen = Qt::AutoText;
      QTimer::singleShot(0, [&Seen] {
        if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
          Seen = Box->textFormat();
          Box->reject();
        }
      });
      if (Kind == 0)
        kavex::DialogHooks().ShowMessage(nullptr, "Kavex", Text, kavex::TMsgBoxIcon::Error);
      else
        kavex::DialogHooks().AskYesNo(nullptr, "Kavex", Text);
      QCOMPARE(Seen, Qt::PlainText);
    }
  }

  void BrokenWinTeslaFileShowsTheErrorBox() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    const QString Good = Folder.Write("good.fls", GoodImage({LdbChunk(1)}));
    const QString Bad = Folder.Write("bad.wt", BrokenWinTesla());
    TKavexApp App;
    App.Main().OpenFlash(Good);
    QCOMPARE(RootCount(App.Main()), 1);

    App.Main().OpenFlash(Bad);
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    const MessageSeen& Box = Answers.Messages()[0];
    QCOMPARE(Box.Title, Untitled);
    QCOMPARE(Box.Text, ProblemText);
    QCOMPARE(Box.Icon, kavex::TMsgBoxIcon::Error);
    QVERIFY(LogLines(App).last().startsWith("! (  43) WinTesla FlashAddr of current block"));
    // Nothing of the file shown before remains.
    QCOMPARE(RootCount(App.Main()), 0);
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
    QCOMPARE(RootCount(Main), 1);
    const QModelIndex Top = Root(Main);
    QCOMPARE(Top.data().toString(), Path);
    QCOMPARE(Main.tvMain->currentIndex(), Top);
    QVERIFY(Main.tvMain->hasFocus());
    QCOMPARE(TImageTreeModel::ImageIndex(Top), 17);
    QCOMPARE(ChildIcons(Top), std::vector<int>({1, 2, 19}));
    const QModelIndex Mcu = Child(Top, 0);
    const QModelIndex Ppm = Child(Top, 1);
    QVERIFY(!TImageTreeModel::HasChildren(Mcu));
    QVERIFY(Main.tvMain->isExpanded(Ppm));
    QCOMPARE(ChildIcons(Ppm), std::vector<int>({3, 3, 3}));
    // Subchunks wait until their chunk is opened.
    QCOMPARE(ChildCount(Child(Ppm, 0)), 0);
    QVERIFY(TImageTreeModel::HasChildren(Child(Ppm, 0)));
    QVERIFY(Answers.Messages().empty());
  }

  void RootIconTellsWhichAreasExist() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    App.Main().OpenFlash(Folder.Write("mcuppm.fls", GoodImage({})));
    QCOMPARE(TImageTreeModel::ImageIndex(Root(App.Main())), 16);

    // No area at all: the model is dropped and the window stays untitled.
    App.Main().OpenFlash(Folder.Write("junk.fls", Bytes(64, 0x33)));
    QCOMPARE(RootCount(App.Main()), 0);
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
    const QModelIndex Top = Root(App.Main());
    const QModelIndex Ppm = Child(Top, 1);
    QCOMPARE(ChildCount(Ppm), 1);
    QVERIFY(TImageTreeModel::HasChildren(Ppm));
    QCOMPARE(TImageTreeModel::ImageIndex(Top), 16);
    QCOMPARE(App.Main().windowTitle(), Path + " - Kavex v0.10 TEST ONLY");
    // Redrawing does not ask again; the next expansion after a collapse does.
    App.Main().show();
    QVERIFY(QTest::qWaitForWindowExposed(&App.Main()));
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    App.Main().tvMain->collapse(Ppm);
    App.Main().tvMain->expand(Ppm);
    QCOMPARE(Answers.Messages().size(), std::size_t{2});
    QCOMPARE(ChildCount(Ppm), 1);
  }

  void CollapsingAndReexpandingAddsNothing() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    // The second chunk's subchunk walk yields nothing: its first record is cut short.
    Bytes Empty = ChunkBytes({.Name = "LDB", .Data = Bytes{0, 0, 0, 9, 1, 2, 3, 4}});
    TKavexApp App;
    App.Main().OpenFlash(Folder.Write("chunks.fls", GoodImage({LdbChunk(3), Empty})));
    kavex::TImageTree* Tree = App.Main().tvMain;
    const QModelIndex Ppm = Child(Root(App.Main()), 1);
    const QModelIndex Chunk = Child(Ppm, 0);

    Tree->setExpanded(Chunk, true);
    const QStringList First = ChildTexts(Chunk);
    QCOMPARE(First.size(), 4);
    // A subclass is matched by its own class name: LDB subchunks are raw ones too.
    QCOMPARE(ChildIcons(Chunk), std::vector<int>({9, 9, 9, 13}));
    Tree->setExpanded(Chunk, false);
    Tree->setExpanded(Chunk, true);
    QCOMPARE(ChildTexts(Chunk), First);
    QVERIFY(TImageTreeModel::HasChildren(Chunk));

    const QModelIndex Barren = Child(Ppm, 1);
    QVERIFY(TImageTreeModel::HasChildren(Barren));
    Tree->setExpanded(Barren, true);
    QCOMPARE(ChildCount(Barren), 0);
    QVERIFY(!TImageTreeModel::HasChildren(Barren));
    QVERIFY(Answers.Messages().empty());
  }

  void ExpandAllAsksOnlyNodesWithTheFlag() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Folder.Write("end.fls", GoodImage({LdbChunk(2)})));
    const QModelIndex Ppm = Child(Root(Main), 1);
    QCOMPARE(ChildCount(Ppm), 2);  // the LDB chunk and the END chunk, which has no children
    QVERIFY(!TImageTreeModel::HasChildren(Child(Ppm, 1)));
    for (int Press = 0; Press < 2; ++Press) QTest::keyClick(Main.tvMain, Qt::Key_Asterisk);
    QCOMPARE(ChildCount(Child(Ppm, 0)), 3);  // "*" did open the chunk that has subchunks
    QVERIFY(!Main.tvMain->isExpanded(Child(Ppm, 1)));
    QVERIFY(!LogIdents(App).empty());
    for (int Ident : LogIdents(App)) QVERIFY2(Ident != 24, "a node without children was asked for some");
    QVERIFY(Answers.Messages().empty());
  }

  void NodeClassesAreMatchedByTheirOwnNameOnly() {
    TFutureSubchunk Future;
    QCOMPARE(kavex::NodeClassIndex(&Future), -1);
    QCOMPARE(kavex::NodeClassIndex(nullptr), -1);
    QCOMPARE(kavex::NodeClassTable().size(), std::size_t{17});
    TImageTree Tree;
    const QModelIndex Item = Tree.Nodes()->SetRoot(&Future);
    QCOMPARE(TImageTreeModel::ImageIndex(Item), 0);  // a root always starts with the file's icon
    QVERIFY(!TImageTreeModel::HasChildren(Item));
    Tree.ExpandNode(Item);  // no expand button: nothing happens
    QVERIFY(!Tree.isExpanded(Item));
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
    App.Main().move(0, 0);
    App.Main().show();
    const QPoint ScreenCentre = App.Main().screen()->availableGeometry().center();
    for (Qt::Key Key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Enter}) {
      About.open();
      QVERIFY(QTest::qWaitForWindowExposed(&About));
      // Centred on the screen, not over the main window; every line fits the box's width.
      // Within half a frame: the frame is not known before the box is first shown.
      QVERIFY((About.frameGeometry().center() - ScreenCentre).manhattanLength() <= 4);
      QCOMPARE(About.mAbout->horizontalScrollBar()->maximum(), 0);
      QTRY_VERIFY(About.mAbout->hasFocus());
      QTest::keyClick(About.mAbout, Key);
      QVERIFY(!About.isVisible());
    }
    QCOMPARE(LogLines(App).filter("Welcome").size(), 1);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
