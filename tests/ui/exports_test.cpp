// The viewer's exports (texts, fonts, the bytes of one node) and the font picture's zoom and
// tool tip, on the sample image that ships with Kavex.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>
#include <sstream>

#include "Permissions.h"
#include "UiTestSupport.h"
#include "cli/DumpTool.h"
#include "ui/LogWindow.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Font.h"
#include "present/Kav_Walk.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"
#include "ui/NodeDetails.h"

using namespace kavtest;
using kavex::TKavexApp;

namespace {

const QString Sample = QStringLiteral(KAVEX_SAMPLES_DIR "/kavex-sample.fls");

// Every file of a folder by name, with its bytes.
QMap<QString, QByteArray> FolderFiles(const QString& Dir) {
  QMap<QString, QByteArray> Out;
  for (const QString& Name : QDir(Dir).entryList(QDir::Files | QDir::Hidden)) {
    QFile F(QDir(Dir).filePath(Name));
    F.open(QIODevice::ReadOnly);
    Out[Name] = F.readAll();
  }
  return Out;
}

QMap<QString, QByteArray> DumpExport(const char* Option, const QString& Dir) {
  std::ostringstream Out, Err;
  kavex::RunKavexDump({Option, Dir.toStdString(), Sample.toStdString()}, Out, Err);
  return FolderFiles(Dir);
}

QModelIndex Child(const QModelIndex& Node, int Row) { return Node.model()->index(Row, 0, Node); }

// Selects the node at the rows given (each below the one before, from the root).
QModelIndex Select(kavex::TfMain& Main, const std::vector<int>& Rows) {
  QModelIndex At = Main.tvMain->Nodes()->RootIndex();
  for (const int Row : Rows) {
    Main.tvMain->ExpandNode(At);
    At = Child(At, Row);
  }
  Main.tvMain->setCurrentIndex(At);
  return At;
}

void SendWheel(QWidget* Target, int Delta, Qt::KeyboardModifiers Modifiers) {
  const QPointF Local(5, 5);
  QWheelEvent Wheel(Local, Target->mapToGlobal(Local), QPoint(), QPoint(0, Delta), Qt::NoButton, Modifiers,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(Target, &Wheel);
}

}  // namespace

class ExportsTest : public QObject {
  Q_OBJECT

private slots:
  // Texts and fonts: the same files, names and bytes as kavex-dump's, the folder remembered,
  // replacing asked first (No keeps every file, Yes replaces), a folder that cannot be
  // written reported with nothing left behind.
  void FolderExportsWriteWhatKavexDumpWrites() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    QVERIFY(!Main.aExportTexts->isEnabled());
    Main.OpenFlash(Sample);
    QVERIFY(Main.aExportTexts->isEnabled() && Main.aExportFonts->isEnabled());

    struct Case {
      QAction* Action;
      const char* Option;
      const char* Key;
      int Files;
    };
    for (const Case& C : {Case{Main.aExportTexts, "--export-texts", "Export/TextsFolder", 5},
                          Case{Main.aExportFonts, "--export-fonts", "Export/FontsFolder", 2}}) {
      QTemporaryDir Viewer, Dump;
      Answers.ClearMessages();
      Answers.AnswerFile(Viewer.path());
      C.Action->trigger();
      const QMap<QString, QByteArray> Written = FolderFiles(Viewer.path());
      QCOMPARE(Written.size(), C.Files);
      QCOMPARE(Written, DumpExport(C.Option, Dump.path()));
      QCOMPARE(Answers.Messages().size(), size_t{1});
      QCOMPARE(Answers.Messages().back().Icon, kavex::TMsgBoxIcon::Information);
      QCOMPARE(S.Value(C.Key), Viewer.path());

      // Again into the same folder: the dialog proposes it, and the question comes first.
      const QString First = QDir(Viewer.path()).filePath(Written.firstKey());
      QFile Marked(First);
      QVERIFY(Marked.open(QIODevice::WriteOnly) && Marked.write("mine") == 4);
      Marked.close();
      Answers.AnswerFile(Viewer.path());
      Answers.AnswerQuestion(false);
      C.Action->trigger();
      QCOMPARE(Answers.FileDialogsSeen().back().InitialDir, Viewer.path());
      QVERIFY(Answers.QuestionsSeen().back().contains(QStringLiteral("%1 of the %2 files").arg(C.Files).arg(C.Files)));
      QCOMPARE(FolderFiles(Viewer.path()).value(Written.firstKey()), QByteArray("mine"));
      Answers.AnswerFile(Viewer.path());
      Answers.AnswerQuestion(true);
      C.Action->trigger();
      QCOMPARE(FolderFiles(Viewer.path()), Written);

      // A folder that is not there: an error box, and no file anywhere.
      Answers.ClearMessages();
      Answers.AnswerFile(Viewer.filePath("gone"));
      C.Action->trigger();
      QCOMPARE(Answers.Messages().size(), size_t{1});
      QCOMPARE(Answers.Messages().back().Icon, kavex::TMsgBoxIcon::Error);
      QVERIFY(!QFileInfo::exists(Viewer.filePath("gone")));
    }
    QCOMPARE(Answers.Unanswered(), 0);
  }

  // The exports take what the viewer shows: the file is not read again (it may be gone or
  // changed), its messages reach the log once, and the tree mirrors the whole model after it
  // without opening any node in the view.
  void ExportsComeFromTheShownModel() {
    IsolatedSettings S;
    DialogAnswers Answers;
    QTemporaryDir Work;
    const QString Copy = Work.filePath(QStringLiteral("copy.fls"));
    QVERIFY(QFile::copy(Sample, Copy));
    QTemporaryDir Dump;
    std::ostringstream Out, Err;  // before the viewer: the tool's log session ends the viewer's
    kavex::RunKavexDump({"--export-texts", Dump.path().toStdString(), Copy.toStdString()}, Out, Err);
    int Nodes = 0;  // in the model kavex-dump --all builds
    {
      auto Whole = kavex::LoadFile(Copy.toStdString());
      kavex::ExpandAll(*Whole, [&Nodes](kavex::TKavClass&) { ++Nodes; });
    }
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Copy);
    const auto Loads = [&App] {
      int N = 0;
      for (std::size_t I = 0; I < App.Log().Store().Count(); ++I) N += App.Log().Store().At(I).Ident == 28;
      return N;
    };
    QCOMPARE(Loads(), 1);
    const auto Records = App.Log().Store().Count();
    QVERIFY(QFile::remove(Copy));
    QTemporaryDir Viewer;
    Answers.AnswerFile(Viewer.path());
    Main.aExportTexts->trigger();
    QCOMPARE(FolderFiles(Viewer.path()), FolderFiles(Dump.path()));
    QCOMPARE(Answers.Messages().back().Icon, kavex::TMsgBoxIcon::Information);
    QCOMPARE(Loads(), 1);
    QVERIFY(App.Log().Store().Count() >= Records);  // only what building the rest adds
    // Every node built shows in the tree; the view opened none of them.
    const kavex::TImageTreeModel& Tree = *Main.tvMain->Nodes();
    std::vector<QModelIndex> Pending{Tree.RootIndex()};
    int Shown = 0;
    while (!Pending.empty()) {
      const QModelIndex At = Pending.back();
      Pending.pop_back();
      ++Shown;
      QCOMPARE(Tree.rowCount(At), int(kavex::TImageTreeModel::ModelNode(At)->ChildCount()));
      // The open sequence opens the root and its areas; nothing deeper is opened.
      if (At.parent().isValid() && At.parent().parent().isValid()) QVERIFY(!Main.tvMain->isExpanded(At));
      for (int Row = 0; Row < Tree.rowCount(At); ++Row) Pending.push_back(Tree.index(Row, 0, At));
    }
    QCOMPARE(Shown, Nodes);
    QCOMPARE(Answers.Unanswered(), 0);
  }

  // Save bytes: enabled only for a node that has bytes, the bytes of kavex-dump --extract, a
  // name proposed from the node's position and caption, the folder remembered.
  void SaveBytesOfTheSelectedNode() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    QVERIFY(!Main.aSaveNodeBytes->isEnabled());
    Main.OpenFlash(Sample);
    QTemporaryDir Out;
    const std::vector<std::pair<std::vector<int>, const char*>> Nodes = {{{1, 1}, "2.2"}, {{1, 1, 0, 1}, "2.2.1.2"}, {{}, "0"}};
    for (const auto& [Rows, Position] : Nodes) {
      Select(Main, Rows);
      QVERIFY(Main.aSaveNodeBytes->isEnabled());
      const QString File = Out.filePath(QString::fromLatin1(Position) + ".bin");
      Answers.AnswerFile(File);
      Main.aSaveNodeBytes->trigger();
      QVERIFY(Answers.FileDialogsSeen().back().FileName.section('/', -1).startsWith(QString::fromLatin1(Position) + "_"));
      std::ostringstream Dump, Err;
      const QString DumpFile = Out.filePath("dump.bin");
      QFile::remove(DumpFile);
      kavex::RunKavexDump({"--extract", Position, "--out", DumpFile.toStdString(), Sample.toStdString()}, Dump, Err);
      QFile A(File), B(DumpFile);
      QVERIFY(A.open(QIODevice::ReadOnly) && B.open(QIODevice::ReadOnly));
      QVERIFY(A.size() > 0);
      QCOMPARE(A.readAll(), B.readAll());
      QCOMPARE(S.Value("Export/BytesFolder"), Out.path());
      // It says what it wrote, as the folder exports do.
      QCOMPARE(Answers.Messages().back().Text, QStringLiteral("%1 bytes written to %2.").arg(A.size()).arg(File));
      QCOMPARE(Answers.Messages().back().Icon, kavex::TMsgBoxIcon::Information);
    }
    // The same file again: asked, and kept on No.
    Answers.AnswerFile(Out.filePath("0.bin"));
    Answers.AnswerQuestion(false);
    const qint64 Before = QFileInfo(Out.filePath("0.bin")).size();
    Select(Main, {1, 1});
    Main.aSaveNodeBytes->trigger();
    QCOMPARE(Answers.QuestionsSeen().size(), 1);
    QCOMPARE(QFileInfo(Out.filePath("0.bin")).size(), Before);
    QCOMPARE(Answers.Unanswered(), 0);
  }

  // A write that fails names the system's reason, and its folder is not proposed next time:
  // for each export, a folder that is not there and one that may not be written, after a
  // good export that set the proposal.
  void FailedExportsNameTheReasonAndForgetTheFolder() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Sample);
    Select(Main, {1, 1});
    QTemporaryDir Good, Locked;
    QVERIFY(QFile::setPermissions(Locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    struct Case {
      QAction* Action;
      const char* Key;
      bool OneFile;  // the dialog asks for a file, not a folder
    };
    for (const Case& C : {Case{Main.aExportTexts, "Export/TextsFolder", false}, Case{Main.aExportFonts, "Export/FontsFolder", false},
                          Case{Main.aSaveNodeBytes, "Export/BytesFolder", true}}) {
      const auto Target = [&C](const QString& Folder) { return C.OneFile ? QDir(Folder).filePath("node.bin") : Folder; };
      Answers.AnswerFile(Target(Good.path()));
      C.Action->trigger();
      QCOMPARE(Answers.Messages().back().Icon, kavex::TMsgBoxIcon::Information);
      QCOMPARE(S.Value(C.Key), Good.path());

      struct Failure {
        QString Folder;
        const char* Reason;
      };
      std::vector<Failure> Failures = {{QDir(Good.path()).filePath("gone"), "No such file or directory"}};
      PermissionsEnforced Enforced;
      if (Enforced.Holds()) Failures.push_back({Locked.path(), "Permission denied"});
      for (const Failure& F : Failures) {
        Answers.ClearMessages();
        Answers.AnswerFile(Target(F.Folder));
        C.Action->trigger();
        QCOMPARE(Answers.Messages().size(), size_t{1});
        QCOMPARE(Answers.Messages().back().Icon, kavex::TMsgBoxIcon::Error);
        QVERIFY2(Answers.Messages().back().Text.contains(QStringLiteral(" was not written: %1.").arg(F.Reason)),
                 qPrintable(QString::fromLatin1(C.Key) + ": " + Answers.Messages().back().Text));
        QCOMPARE(S.Value(C.Key), Good.path());
      }
      QVERIFY(QDir(Locked.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
    QCOMPARE(Answers.Unanswered(), 0);
  }

  // Zoom: 1x is the picture as laid out for the box; each step multiplies its size; the ends
  // hold at 1 and 8; Ctrl+wheel over the picture zooms while the plain wheel still scrolls;
  // the zoom comes back at the next start.
  void FontPictureZoomsAndKeepsItsZoom() {
    IsolatedSettings S;
    DialogAnswers Answers;
    QSize Plain;
    {
      TKavexApp App;
      kavex::TfMain& Main = App.Main();
      Main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&Main));
      Main.OpenFlash(Sample);
      Select(Main, {1, 1, 0, 0});
      auto* Picture = Main.pAllInfo->findChild<QWidget*>("iFont");
      auto* Box = Main.pAllInfo->findChild<QScrollArea*>("sbFontImg");
      QVERIFY(Picture && Box && Box->isVisible());
      Plain = Picture->size();
      QCOMPARE(Main.pAllInfo->FontZoom(), 1);
      Main.aZoomIn->trigger();
      QCOMPARE(Main.pAllInfo->FontZoom(), 2);
      // Laid out for half the width, then doubled: never wider than the box.
      QVERIFY(Picture->width() % 2 == 0 && Picture->width() <= Box->width());
      QVERIFY(Picture->height() > Plain.height());
      for (int I = 0; I < 10; ++I) Main.aZoomIn->trigger();
      QCOMPARE(Main.pAllInfo->FontZoom(), 8);
      QCOMPARE(S.Value("FontPicture/Zoom"), QString("8"));
      for (int I = 0; I < 10; ++I) Main.aZoomOut->trigger();
      QCOMPARE(Main.pAllInfo->FontZoom(), 1);
      QCOMPARE(Picture->size(), Plain);

      SendWheel(Picture, 120, Qt::ControlModifier);
      QCOMPARE(Main.pAllInfo->FontZoom(), 2);
      SendWheel(Picture, 120, Qt::ControlModifier);
      SendWheel(Picture, -120, Qt::ControlModifier);
      QCOMPARE(Main.pAllInfo->FontZoom(), 2);
      // The plain wheel scrolls as before and leaves the zoom.
      for (int I = 0; I < 6; ++I) Main.aZoomIn->trigger();
      QScrollBar* Bar = Box->verticalScrollBar();
      QVERIFY(Bar->maximum() > 0);
      Bar->setValue(Bar->maximum());
      SendWheel(Box->viewport(), 120, Qt::NoModifier);
      QCOMPARE(Bar->value(), std::max(Bar->maximum() - 120, 0));
      QCOMPARE(Main.pAllInfo->FontZoom(), 8);
    }
    TKavexApp App;
    QCOMPARE(App.Main().pAllInfo->FontZoom(), 8);
    QCOMPARE(Answers.Unanswered(), 0);
  }

  // The tool tip names the cell under the mouse at any zoom: the first and second cell, the
  // last one, and nothing past the last cell or outside the grid.
  void FontPictureToolTipNamesTheCharacter() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Main));
    Main.OpenFlash(Sample);
    Select(Main, {1, 1, 0, 0});
    const kavex::TFontEntry* Font = Main.pAllInfo->CurrentFontEntry();
    QVERIFY(Font);
    const auto Expected = [Font](int Cell) {
      const char16_t Code = Font->GetCharCode(Cell);
      return QStringLiteral("U+%1 ").arg(static_cast<unsigned>(Code), 4, 16, QLatin1Char('0')).toUpper() + QChar(Code);
    };
    const int W = Font->GetMaxWidth() + 2, H = Font->GetMaxHeight() + 2;  // the cell with its frame
    for (const int Zoom : {1, 3}) {
      Main.pAllInfo->SetFontZoom(Zoom);
      auto* Picture = Main.pAllInfo->findChild<QWidget*>("iFont");
      const int Columns = Picture->width() / Zoom / W;
      QVERIFY(Columns > 1);
      const int Count = Font->GetCharCount();
      const int LastRow = (Count - 1) / Columns, LastColumn = (Count - 1) % Columns;
      QCOMPARE(Main.pAllInfo->FontCellToolTip({0, 0}), Expected(0));
      QCOMPARE(Main.pAllInfo->FontCellToolTip({W * Zoom - 1, H * Zoom - 1}), Expected(0));
      QCOMPARE(Main.pAllInfo->FontCellToolTip({W * Zoom, 0}), Expected(1));
      QCOMPARE(Main.pAllInfo->FontCellToolTip({LastColumn * W * Zoom, LastRow * H * Zoom}), Expected(Count - 1));
      if (LastColumn + 1 < Columns) QCOMPARE(Main.pAllInfo->FontCellToolTip({(LastColumn + 1) * W * Zoom, LastRow * H * Zoom}), QString());
      QCOMPARE(Main.pAllInfo->FontCellToolTip({-1, 0}), QString());
      QCOMPARE(Main.pAllInfo->FontCellToolTip({0, Picture->height()}), QString());
    }
  }
};

QTEST_MAIN(ExportsTest)
#include "exports_test.moc"
