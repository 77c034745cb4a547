// The settings store, the recent-files list and the stored window placement.

#include <QAction>
#include <QMenu>
#include <QScreen>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/LogWindow.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"

using namespace kavtest;
using kavex::TKavexApp;

namespace {

QStringList RecentCaptions(kavex::TfMain& Main) {
  QStringList Out;
  for (QAction* A : Main.Reopen().RecentItems()) Out << A->text();
  return Out;
}

QStringList StoredRecent(const IsolatedSettings& S) {
  QStringList Out;
  for (int I = 0; I < 10; ++I) Out << S.Value(QStringLiteral("Reopen/%1").arg(I));
  return Out;
}

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

private slots:
  void IntegersAndBooleansFallBackToTheirDefaults() {
    IsolatedSettings S;
    {
      auto Raw = S.Open();
      Raw->setValue("Sec/Number", "42");
      Raw->setValue("Sec/Negative", "-7");
      Raw->setValue("Sec/Word", "twelve");
      Raw->setValue("Sec/Hex", "0x10");
      Raw->setValue("Sec/Five", "5");
      Raw->setValue("Sec/Zero", "0");
    }
    kavex::TSettingsStore Store;
    QCOMPARE(Store.ReadInteger("Sec", "Number", 1), 42);
    QCOMPARE(Store.ReadInteger("Sec", "Negative", 1), -7);
    QCOMPARE(Store.ReadInteger("Sec", "Word", 3), 3);
    QCOMPARE(Store.ReadInteger("Sec", "Hex", 3), 3);
    QCOMPARE(Store.ReadInteger("Sec", "Missing", 9), 9);
    QCOMPARE(Store.ReadBool("Sec", "Five", false), true);
    QCOMPARE(Store.ReadBool("Sec", "Zero", true), false);
    QCOMPARE(Store.ReadBool("Sec", "Word", true), true);
    QCOMPARE(Store.ReadBool("Sec", "Missing", true), true);
    Store.WriteBool("Sec", "Flag", true);
    Store.WriteBool("Sec", "Other", false);
    QCOMPARE(S.Value("Sec/Flag"), QString("1"));
    QCOMPARE(S.Value("Sec/Other"), QString("0"));
  }

  void TenOpensLeaveNineRecentFilesInOrderAcrossRestart() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    QStringList Opened;
    {
      TKavexApp App;
      for (int I = 1; I <= 10; ++I) {
        Opened.prepend(Folder.Path(QStringLiteral("file%1.fls").arg(I)));
        Answers.AnswerFile(Opened.front());
        App.Main().aOpen->trigger();
      }
      QCOMPARE(App.Main().Reopen().RecentFiles(), Opened.mid(0, 9));
      QVERIFY(App.Main().miReopen->isVisible());
      // The dialog's folder is written once: the first choice changed it, the others did not.
      QCOMPARE(S.Value("Reopen/InitialDir"), Folder.Path(QString()) + "/");
      // A file that failed to load still stands at the top.
      QCOMPARE(App.Main().windowTitle(), QString("(Untitled) - Kavex v0.10 TEST ONLY"));
    }
    QStringList Expected = Opened.mid(0, 9);
    Expected << "<missing>";
    QCOMPARE(StoredRecent(S), Expected);

    TKavexApp Again;
    QStringList Captions;
    for (int I = 0; I < 9; ++I) Captions << QStringLiteral("&%1 %2").arg(I + 1).arg(Opened[I]);
    QCOMPARE(RecentCaptions(Again.Main()), Captions);
    QCOMPARE(Again.Main().OpenDialog().InitialDir, Folder.Path(QString()) + "/");
    QCOMPARE(Answers.Unanswered(), 0);
  }

  void SameFileInAnotherLetterCaseMovesToTheTopAsNowGiven() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    auto& Reopen = App.Main().Reopen();
    for (const char* Name : {"/img/d.fls", "/img/c.fls", "/img/b.fls", "/img/a.fls"}) Reopen.AddRecentFile(Name);
    QCOMPARE(Reopen.RecentFiles(), QStringList({"/img/a.fls", "/img/b.fls", "/img/c.fls", "/img/d.fls"}));

    Reopen.AddRecentFile("/img/c.FLS");
    QCOMPARE(Reopen.RecentFiles(), QStringList({"/img/c.FLS", "/img/a.fls", "/img/b.fls", "/img/d.fls"}));
    QCOMPARE(S.Value("Reopen/0"), QString("/img/c.FLS"));
    QCOMPARE(S.Value("Reopen/3"), QString("/img/d.fls"));

    // Already first: the entry stays as first written.
    Reopen.AddRecentFile("/IMG/C.fls");
    QCOMPARE(Reopen.RecentFiles().front(), QString("/img/c.FLS"));
    QCOMPARE(Reopen.RecentFiles().size(), 4);
  }

  void ChoosingTheFirstRecentItemWritesNothing() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    auto& Reopen = App.Main().Reopen();
    Reopen.AddRecentFile("/img/old.fls");
    Reopen.AddRecentFile("/img/new.fls");
    // Planted behind the viewer's back: a rewrite of the list would replace them.
    S.Open()->setValue("Reopen/0", "planted");
    S.Open()->setValue("Reopen/1", "planted too");
    Reopen.RecentItems().front()->trigger();
    QCOMPARE(S.Value("Reopen/0"), QString("planted"));
    QCOMPARE(S.Value("Reopen/1"), QString("planted too"));
    QCOMPARE(S.Value("Reopen/InitialDir"), QString("<missing>"));
    // It was opened all the same.
    QCOMPARE(LogLines(App).filter("Loading file").size(), 1);
    QVERIFY(LogLines(App).last().contains("/img/new.fls"));

    // Choosing the second one moves it up and opens it.
    Reopen.RecentItems().at(1)->trigger();
    QCOMPARE(Reopen.RecentFiles(), QStringList({"/img/old.fls", "/img/new.fls"}));
    QCOMPARE(S.Value("Reopen/0"), QString("/img/old.fls"));
  }

  void RecentItemTakesItsFileFromTheListNotTheCaption() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    const QString Odd = Folder.Write("R&D 1.fls", GoodImage({}));
    TKavexApp App;
    App.Main().Reopen().AddRecentFile(Odd);
    QAction* Item = App.Main().Reopen().RecentItems().front();
    QCOMPARE(Item->text(), QStringLiteral("&1 ") + QString(Odd).replace("&", "&&"));
    Item->trigger();
    QCOMPARE(App.Main().windowTitle(), Odd + " - Kavex v0.10 TEST ONLY");

    // A click that does not come from a recent-file item.
    App.Main().Reopen().ReopenClick(App.Main().aOpen);
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    QCOMPARE(Answers.Messages()[0].Text, QString("Internal program error: can't find reopen menu item"));
  }

  void CancelledOpenDialogChangesNothing() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    Answers.CancelFile();
    App.Main().aOpen->trigger();
    QVERIFY(App.Main().Reopen().RecentFiles().isEmpty());
    QCOMPARE(S.Value("Reopen/0"), QString("<missing>"));
    QCOMPARE(LogLines(App).filter("Loading file").size(), 0);
    const kavex::TFileDialog& Seen = Answers.FileDialogsSeen().at(0);
    QCOMPARE(Seen.Title, QString("Open flash file"));
    QCOMPARE(Seen.DefaultExt, QString("fls"));
    QCOMPARE(kavex::QtNameFilters(Seen.Filter),
             QStringList({"Flash files (*.fls *.mcu *.ppm *.wt)", "All files (*)"}));
  }

  void WindowPlacementSurvivesRestart() {
    IsolatedSettings S;
    DialogAnswers Answers;
    {
      TKavexApp App;
      App.Main().show();
      QVERIFY(QTest::qWaitForWindowExposed(&App.Main()));
      App.Main().move(120, 140);
      kavex::SetOuterSize(&App.Main(), QSize(700, 520));
      App.Main().SetTreeWidth(333);
      App.Log().move(10, 20);
      App.Log().resize(600, 300);  // never shown: no frame yet
    }
    QCOMPARE(S.Value("PosMainTree/Width"), QString("333"));
    QCOMPARE(S.Value("PosMain/WindowState"), QString("0"));
    QCOMPARE(S.Value("PosMain/Width"), QString("700"));
    QCOMPARE(S.Value("PosLog/Left"), QString("10"));
    TKavexApp App;
    QCOMPARE(App.Log().geometry().size(), QSize(600, 300));
    QCOMPARE(App.Log().pos(), QPoint(10, 20));
    App.Main().show();
    QVERIFY(QTest::qWaitForWindowExposed(&App.Main()));
    QCOMPARE(App.Main().frameGeometry(), QRect(120, 140, 700, 520));
    QCOMPARE(App.Main().tvMain->width(), 333);
  }

  void WindowRestoredOffEveryScreenIsBroughtBack() {
    const QRect Area = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
      int Left, Top, Width;
      bool Kept;
    };
    // The title bar is the frame's top strip; a sliver of it on a screen is enough.
    for (const Case& C : {Case{94, 99999, 692, false}, Case{-5000, 129, 692, false}, Case{94, -40, 692, false},
                          Case{-300, 129, 692, true}, Case{94, -10, 692, true},
                          Case{Area.right(), 129, 692, true}, Case{Area.right() + 1, 129, 692, false},
                          Case{94, 99999, Area.width() + 500, false}}) {
      IsolatedSettings S;
      DialogAnswers Answers;
      {
        auto Raw = S.Open();
        Raw->setValue("PosMain/Left", C.Left);
        Raw->setValue("PosMain/Top", C.Top);
        Raw->setValue("PosMain/Width", C.Width);
      }
      TKavexApp App;
      const QRect Placed(App.Main().pos(), App.Main().size());
      const QString Row = QString("%1,%2 %3").arg(C.Left).arg(C.Top).arg(C.Width);
      if (C.Kept) {
        QVERIFY2(Placed == QRect(C.Left, C.Top, C.Width, 499), qPrintable(Row));
      } else {
        QVERIFY2(Area.contains(Placed), qPrintable(Row));
        QCOMPARE(Placed.width(), std::min(C.Width, Area.width()));
      }
    }
  }

  void StoredSizesAreOuterSizes() {
    IsolatedSettings S;
    DialogAnswers Answers;
    bool Framed = false;
    kavex::SetFrameProbe([&Framed](const QWidget*) { return Framed ? QSize(10, 40) : QSize(0, 0); });
    // Framed only once shown, as under a window manager: the frame is then taken off.
    {
      TKavexApp App;  // nothing stored: the outer sizes are the defaults
      QCOMPARE(App.Main().size(), QSize(692, 499));
      Framed = true;
      App.Main().show();
      QTRY_COMPARE(App.Main().size(), QSize(692 - 10, 499 - 40));
    }
    QCOMPARE(S.Value("PosMain/Width"), QString("692"));
    QCOMPARE(S.Value("PosMain/Height"), QString("499"));
    S.Open()->setValue("PosMain/Width", 700);
    {
      TKavexApp App;  // framed from the start
      QCOMPARE(App.Main().size(), QSize(700 - 10, 499 - 40));
    }
    QCOMPARE(S.Value("PosMain/Width"), QString("700"));
    QCOMPARE(S.Value("PosMain/Height"), QString("499"));
    kavex::SetFrameProbe({});
  }

  void StoredMaximisedStateOpensMaximisedWithStoredNormalGeometry() {
    IsolatedSettings S;
    DialogAnswers Answers;
    {
      auto Raw = S.Open();
      Raw->setValue("PosMain/Left", 50);
      Raw->setValue("PosMain/Top", 60);
      Raw->setValue("PosMain/Width", 500);
      Raw->setValue("PosMain/Height", 400);
      Raw->setValue("PosMain/WindowState", 2);
    }
    TKavexApp App;
    App.Main().show();
    QVERIFY(QTest::qWaitForWindowExposed(&App.Main()));
    QVERIFY(App.Main().isMaximized());
    QCOMPARE(App.Main().normalGeometry(), QRect(50, 60, 500, 400));
  }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
