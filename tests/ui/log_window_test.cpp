// The log window: what it lists, its kind filter, copy, export, clear and its option.

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QToolButton>
#include <QTreeView>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

#include "UiTestSupport.h"
#include "ui/LogWindow.h"
#include "ui/Main.h"

using namespace kavtest;
using kavex::TfLog;
using kavex::TKavexApp;

namespace {

enum { Info, Notice, Warning, Error, Debug };

void SelectRows(TfLog& Log, std::initializer_list<int> Rows) {
  QItemSelectionModel* Sel = Log.lvLog->selectionModel();
  Sel->clearSelection();
  for (int Row : Rows)
    Sel->select(Log.Model()->index(Row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QStringList ListedIds(TfLog& Log) {
  QStringList Out;
  for (int R = 0; R < Log.Model()->rowCount(); ++R) Out << Log.Model()->index(R, 1).data().toString();
  return Out;
}

// The process's resident memory.
qint64 ResidentBytes() {
  QFile Statm("/proc/self/statm");
  if (!Statm.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> Fields = Statm.readAll().split(' ');
  return Fields.size() > 1 ? Fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

QByteArray ReadFile(const QString& Path) {
  QFile F(Path);
  return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray("<unreadable>");
}

}  // namespace

class LogWindowTest : public QObject {
  Q_OBJECT

private slots:
  void StartUpListsMessage2ThenTheWelcomeLine() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    QCOMPARE(LogLines(App), QStringList({"~ (   2) MsgProc initialized successfully; Path: [KavObj]",
                                         "i (  31) Welcome to Kavex, v0.10 TEST ONLY; Path: [fAbout]"}));
    TfLog& Log = App.Log();
    QCOMPARE(Log.Model()->index(0, 0).data().toString(), QString("Debug"));
    QCOMPARE(Log.Model()->index(1, 3).data().toString(), QString("[fAbout]"));
    QCOMPARE(Log.windowTitle(), QString("Log"));
    QVERIFY(!Log.isVisible());
    QVERIFY(!Log.ClearAtNewFile());

    Log.KindActions[Debug]->trigger();
    QCOMPARE(ListedIds(Log), QStringList({"31"}));
    QVERIFY(Log.aClear->isEnabled());
    QVERIFY(!Log.KindButtons[Debug]->isChecked());
    QVERIFY(!Log.KindActions[Debug]->isChecked());
  }

  void KindFilterRelistsRecordsInLoggingOrderAndDropsTheSelection() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    TfLog& Log = App.Log();
    Log.ClearLog();
    for (int Ident : {23, 28, 4, 23, 45}) Log.AddMessage(Ident, "/P/", "t");
    QCOMPARE(ListedIds(Log), QStringList({"23", "28", "4", "23", "45"}));

    SelectRows(Log, {0});
    QVERIFY(Log.aCopySlctd->isEnabled());
    Log.KindActions[Warning]->trigger();
    QCOMPARE(ListedIds(Log), QStringList({"28", "4", "45"}));
    QVERIFY(!Log.aCopySlctd->isEnabled());
    // Stored while switched off, listed at its place once switched on again.
    Log.AddMessage(17, "/PPM/", "late");
    QCOMPARE(ListedIds(Log), QStringList({"28", "4", "45"}));
    Log.KindActions[Warning]->trigger();
    QCOMPARE(ListedIds(Log), QStringList({"23", "28", "4", "23", "45", "17"}));

    // Every kind off: nothing to copy or export, but still something to clear.
    for (QAction* A : Log.KindActions) A->trigger();
    QCOMPARE(Log.Model()->rowCount(), 0);
    QVERIFY(!Log.aCopyToClip->isEnabled());
    QVERIFY(!Log.aCopyToFile->isEnabled());
    QVERIFY(Log.aClear->isEnabled());
    for (QAction* A : Log.KindActions) A->trigger();
    QCOMPARE(Log.Model()->rowCount(), 6);
  }

  void CopyPutsListedLinesInListOrderWithCrLf() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    TfLog& Log = App.Log();
    Log.ClearLog();
    Log.AddMessage(0, "[Log]/x/", "zero");
    Log.AddMessage(52, "/FONT/", "flags");
    Log.AddMessage(23, "/TEXT/", "sum");
    Log.AddMessage(40, "/", "debug");  // a Debug message

    SelectRows(Log, {2, 0, 1});
    Log.aCopySlctd->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString("! (   0) zero Path: [Log]/x/\r\n"
                     "! (  52) flags Path: /FONT/\r\n"
                     "* (  23) sum Path: /TEXT/\r\n"));

    Log.KindActions[Debug]->trigger();
    Log.aCopyToClip->trigger();
    QVERIFY(!QGuiApplication::clipboard()->text().contains("debug"));
    QCOMPARE(QGuiApplication::clipboard()->text().count("\r\n"), 3);
  }

  void CtrlInsAndCtrlCCopyTheSelection() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    TfLog& Log = App.Log();
    Log.show();
    Log.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&Log));
    SelectRows(Log, {0, 1});
    Log.lvLog->setFocus();
    for (Qt::Key Key : {Qt::Key_Insert, Qt::Key_C}) {
      QGuiApplication::clipboard()->clear();
      QTest::keyClick(Log.lvLog, Key, Qt::ControlModifier);
      QCOMPARE(QGuiApplication::clipboard()->text(), LogLines(App).mid(0, 2).join("\r\n") + "\r\n");
    }
  }

  void ExportWritesListedLinesAndIsProposedAgainAfterRestart() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    const QString Target = Folder.Write("log.txt", Bytes(5000, 'x'));  // replaced, not appended to
    {
      TKavexApp App;
      TfLog& Log = App.Log();
      Log.AddMessage(28, "[KavObj.LoadFile]", "Loading file: /tmp/\xc3\xa9t\xc3\xa9.fls;");
      Log.KindActions[Debug]->trigger();
      Answers.AnswerFile(Target);
      Log.aCopyToFile->trigger();
      const kavex::TFileDialog& Seen = Answers.FileDialogsSeen().back();
      QCOMPARE(Seen.Title, QString("Export log to file..."));
      QCOMPARE(Seen.Kind, kavex::TFileDialog::Save);
      QCOMPARE(kavex::QtNameFilters(Seen.Filter), QStringList({"Text files (*.txt)", "All files (*)"}));
      QCOMPARE(Seen.DefaultExt, QString("txt"));
    }
    QCOMPARE(ReadFile(Target), QByteArray("i (  31) Welcome to Kavex, v0.10 TEST ONLY; Path: [fAbout]\r\n"
                                          "i (  28) Loading file: /tmp/\xc3\xa9t\xc3\xa9.fls; Path: [KavObj.LoadFile]\r\n"));
    QCOMPARE(S.Value("DlgExport/Filename"), Target);
    QCOMPARE(S.Value("DlgExport/InitialDir"), QString("<missing>"));

    TKavexApp Again;
    Answers.CancelFile();
    Again.Log().aCopyToFile->trigger();
    QCOMPARE(Answers.FileDialogsSeen().back().FileName, Target);
    QVERIFY(Answers.Messages().empty());
  }

  void FailedExportIsReportedAndChangesNothing() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    QVERIFY(QDir().mkpath(Folder.Path("keep")));
    const QString Existing = Folder.Write("keep.txt", Bytes{'o', 'l', 'd'});
    auto App = std::make_unique<TKavexApp>();
    TfLog& Log = App->Log();
    const std::size_t Records = Log.Store().Count();
    Answers.AnswerFile(Folder.Path("good.txt"));
    Log.aCopyToFile->trigger();

    // A folder where the file should go, then a folder that does not exist.
    Answers.AnswerFile(Folder.Path("keep"));
    Log.aCopyToFile->trigger();
    Answers.AnswerFile(Folder.Path("missing/keep.txt"));
    Log.aCopyToFile->trigger();
    QCOMPARE(Answers.Messages().size(), std::size_t{2});
    for (const MessageSeen& M : Answers.Messages()) {
      QCOMPARE(M.Icon, kavex::TMsgBoxIcon::Error);
      QCOMPARE(M.Title, QString("(Untitled) - Kavex v0.10 TEST ONLY"));
      QVERIFY2(M.Text.startsWith("Cannot write file"), qPrintable(M.Text));
    }
    QVERIFY(QFileInfo(Folder.Path("keep")).isDir());
    QVERIFY(!QFileInfo::exists(Folder.Path("missing")));
    QCOMPARE(ReadFile(Existing), QByteArray("old"));
    QCOMPARE(Log.Store().Count(), Records);
    QCOMPARE(Log.Model()->rowCount(), 2);
    // The last good export stays the proposal.
    Answers.CancelFile();
    Log.aCopyToFile->trigger();
    QCOMPARE(Answers.FileDialogsSeen().back().FileName, Folder.Path("good.txt"));
    App.reset();
    QCOMPARE(S.Value("DlgExport/Filename"), Folder.Path("good.txt"));
  }

  void ExportDialogRefusesAFolderThatDoesNotExist() {
    IsolatedSettings S;
    kavex::ResetDialogHooks();
    const auto QtFileDialog = kavex::DialogHooks().RunFileDialog;
    DialogAnswers Answers;
    kavex::DialogHooks().RunFileDialog = QtFileDialog;
    ImageFolder Folder;
    TKavexApp App;
    bool OpenAfterRefusal = false;
    QTimer::singleShot(0, [&] {
      auto* Dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!Dialog) return;
      auto* Typed = Dialog->findChild<QLineEdit*>("fileNameEdit");
      if (!Typed) return Dialog->reject();
      Typed->setText(Folder.Path("missing/log.txt"));
      static_cast<QDialog*>(Dialog)->accept();
      OpenAfterRefusal = Dialog->isVisible();
      Typed->setText(Folder.Path("log.txt"));
      static_cast<QDialog*>(Dialog)->accept();
    });
    App.Log().aCopyToFile->trigger();
    QVERIFY(OpenAfterRefusal);
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    QCOMPARE(Answers.Messages()[0].Text, QString("log.txt\nPath does not exist.\nCheck the path and try again."));
    QCOMPARE(Answers.Messages()[0].Icon, kavex::TMsgBoxIcon::Warning);
    QVERIFY(QFileInfo::exists(Folder.Path("log.txt")));
  }

  void ClearEmptiesTheLogButKeepsFiltersAndOption() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    TfLog& Log = App.Log();
    Log.KindActions[Info]->trigger();
    Log.aClearAtNewFile->trigger();
    Log.aClear->trigger();
    QCOMPARE(Log.Store().Count(), std::size_t{0});
    QCOMPARE(Log.Model()->rowCount(), 0);
    QVERIFY(!Log.aClear->isEnabled());
    QVERIFY(!Log.aCopyToClip->isEnabled());
    QVERIFY(!Log.aCopySlctd->isEnabled());
    QVERIFY(!Log.KindActions[Info]->isChecked());
    QVERIFY(Log.ClearAtNewFile());
    Log.AddMessage(14, "/MCU/", "v");
    QCOMPARE(Log.Model()->rowCount(), 0);
    QVERIFY(Log.aClear->isEnabled());
  }

  void ClearOnFileOptionSurvivesRestartAndClearsBeforeEachOpen() {
    IsolatedSettings S;
    DialogAnswers Answers;
    {
      TKavexApp App;
      // Unchecked: the messages of successive files accumulate.
      App.Main().OpenFlash("/no/such/one.fls");
      App.Main().OpenFlash("/no/such/two.fls");
      QCOMPARE(LogIdents(App), std::vector<int>({2, 31, 28, 4, 28, 4}));
      App.Log().aClearAtNewFile->trigger();
    }
    QCOMPARE(S.Value("LogOptions/ClearAtNewFile"), QString("1"));
    {
      TKavexApp App;
      QVERIFY(App.Log().ClearAtNewFile());
      App.Main().OpenFlash("/no/such/one.fls");
      App.Main().OpenFlash("/no/such/two.fls");
      QCOMPARE(LogIdents(App), std::vector<int>({28, 4}));
      QVERIFY(LogLines(App).at(0).contains("two.fls"));
      App.Log().aClearAtNewFile->trigger();
    }
    QCOMPARE(S.Value("LogOptions/ClearAtNewFile"), QString("0"));
  }

  // The windows built as the program builds them, the log window shown, its rows changed
  // just before exit with no event-loop pass in between, then destroyed: closing the shown
  // window lays its list out, which must not read records the window has already let go of.
  void ShownLogWindowClosesAtExitRightAfterItsRowsChange() {
    const struct {
      const char* Name;
      std::function<void(TfLog&)> Change;
    } Cases[] = {
        {"rows added",
         [](TfLog& Log) {
           for (int I = 0; I < 200; ++I) Log.AddMessage(I % 60, "/PPM/TEXT/", "row " + std::to_string(I));
         }},
        {"a kind switched",
         [](TfLog& Log) {
           for (int I = 0; I < 50; ++I) Log.AddMessage(31, "/A/", "x");
           QCoreApplication::processEvents();  // listed and laid out first
           Log.KindActions[Debug]->trigger();
         }},
        {"cleared and refilled",
         [](TfLog& Log) {
           Log.ClearLog();
           Log.AddMessage(23, "/B/", "late");
         }},
    };
    for (const auto& C : Cases) {
      IsolatedSettings S;
      DialogAnswers Answers;
      auto App = std::make_unique<TKavexApp>();
      TfLog& Log = App->Log();
      App->Main().show();
      Log.show();
      QVERIFY2(QTest::qWaitForWindowExposed(&Log), C.Name);
      Log.lvLog->selectAll();
      C.Change(Log);
      App.reset();
      QVERIFY2(S.Value("LogOptions/ClearAtNewFile") == QString("0"), C.Name);  // saved on the way
    }
  }

  // New rows leave the list where the user put it (top, middle or end) and keep the selection;
  // with Options > Follow new rows checked a list that stood at its end goes to the new end.
  void NewRowsKeepTheListsPlaceUnlessFollowingIsChosen() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    TfLog& Log = App.Log();
    Log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Log));
    QScrollBar* Bar = Log.lvLog->verticalScrollBar();
    enum { Top, Middle, End };
    const struct {
      bool Follow;
      int Where;
    } Cases[] = {{false, Top}, {false, Middle}, {false, End}, {true, Top}, {true, Middle}, {true, End}};
    for (const auto& C : Cases) {
      const QByteArray Name = QByteArray("follow ") + (C.Follow ? "on" : "off") + ", from " + QByteArray::number(C.Where);
      Log.aFollowNewRows->setChecked(C.Follow);
      Log.ClearLog();
      for (int I = 0; I < 300; ++I) Log.AddMessage(31, "/A/", "before " + std::to_string(I));
      QCoreApplication::processEvents();
      QVERIFY2(Bar->maximum() > 0, Name);
      const int Start = C.Where == Top ? 0 : C.Where == Middle ? Bar->maximum() / 2 : Bar->maximum();
      Bar->setValue(Start);
      SelectRows(Log, {5});
      QCoreApplication::processEvents();
      for (int I = 0; I < 50; ++I) Log.AddMessage(31, "/B/", "after " + std::to_string(I));
      QCoreApplication::processEvents();
      QCoreApplication::processEvents();
      QVERIFY2(Bar->maximum() > Start, Name);
      QCOMPARE(Bar->value(), C.Follow && C.Where == End ? Bar->maximum() : Start);
      QCOMPARE(Log.lvLog->selectionModel()->selectedRows().size(), 1);
      QCOMPARE(Log.lvLog->selectionModel()->selectedRows().at(0).row(), 5);
    }
  }

  void FollowNewRowsComesAfterTheDescribedOptionAndIsKeptPerUser() {
    IsolatedSettings S;
    DialogAnswers Answers;
    {
      TKavexApp App;
      TfLog& Log = App.Log();
      const QList<QAction*> Menus = Log.menuBar()->actions();
      QCOMPARE(Menus.size(), 3);
      QCOMPARE(Menus[2]->text(), QString("O&ptions"));
      QCOMPARE(Menus[2]->menu()->actions(), QList<QAction*>({Log.aClearAtNewFile, Log.aFollowNewRows}));
      QCOMPARE(Log.aFollowNewRows->text(), QString("Follow new rows"));
      QVERIFY(Log.aFollowNewRows->isCheckable());
      QVERIFY(!Log.FollowNewRows());
      Log.aFollowNewRows->trigger();
      QVERIFY(Log.FollowNewRows());
      QVERIFY(!Log.ClearAtNewFile());  // each option on its own
    }
    QCOMPARE(S.Value("LogOptions/FollowNewRows"), QString("1"));
    QCOMPARE(S.Value("LogOptions/ClearAtNewFile"), QString("0"));
    {
      TKavexApp App;
      QVERIFY(App.Log().FollowNewRows());
      QVERIFY(App.Log().aFollowNewRows->isChecked());
      App.Log().aFollowNewRows->trigger();
    }
    QCOMPARE(S.Value("LogOptions/FollowNewRows"), QString("0"));
  }

  void HundredThousandRecordsStayFastAndSmall() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    TfLog& Log = App.Log();
    Log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Log));
    const qint64 MemoryBefore = ResidentBytes();
    QElapsedTimer T;
    T.start();
    for (int I = 0; I < 100000; ++I) Log.AddMessage(I % 60, "/PPM/TEXT/", "A message of ordinary length for the list;");
    QCoreApplication::processEvents();
    const qint64 AddMs = T.restart();
    const qint64 Growth = ResidentBytes() - MemoryBefore;
    Log.lvLog->selectAll();
    QCoreApplication::processEvents();
    T.restart();
    Log.aCopySlctd->trigger();
    const qint64 CopySelectedMs = T.restart();
    Log.KindActions[Error]->trigger();
    QCoreApplication::processEvents();
    const qint64 SwitchOffMs = T.restart();
    Log.KindActions[Error]->trigger();
    Log.lvLog->scrollToBottom();
    QCoreApplication::processEvents();
    const qint64 SwitchOnMs = T.restart();
    QCOMPARE(Log.Model()->rowCount(), 100002);
    Log.aCopyToClip->trigger();
    const qint64 CopyMs = T.restart();
    Log.aClear->trigger();
    QCoreApplication::processEvents();
    const qint64 ClearMs = T.restart();
    QCOMPARE(Log.Model()->rowCount(), 0);
    qInfo("add %lld ms, copy selected %lld ms, switch off %lld ms, on %lld ms, copy all %lld ms, clear %lld ms; "
          "%lld bytes a record", AddMs, CopySelectedMs, SwitchOffMs, SwitchOnMs, CopyMs, ClearMs, Growth / 100000);
#if !defined(__SANITIZE_ADDRESS__)
    // The sanitizers' own bookkeeping makes times and memory meaningless; they check the rest.
    QVERIFY2(AddMs < 10000 && CopyMs < 5000 && CopySelectedMs < 5000, "the log list is too slow");
    QVERIFY2(SwitchOffMs < 1000 && SwitchOnMs < 1000 && ClearMs < 1000, "the log window does not answer at once");
    // A record holds its two short texts and a row index, not a widget of its own.
    QVERIFY2(Growth < 100000 * 1024, "the log takes more memory than its records need");
#endif
  }
};

QTEST_MAIN(LogWindowTest)
#include "log_window_test.moc"
