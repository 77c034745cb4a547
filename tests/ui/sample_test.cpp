// The sample image that ships with Kavex: where the viewer finds it, Help > Open sample image,
// and the status strip's hint while no image is shown.

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QtTest>

#include "UiTestSupport.h"
#include "log/Log.h"
#include "ui/LogWindow.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"
#include "ui/Samples.h"

using namespace kavtest;
using kavex::TKavexApp;

namespace {

const QString BuiltSample = QStringLiteral(KAVEX_SAMPLES_DIR "/kavex-sample.fls");

QStringList VisibleCaptions(const QMenu* Menu) {
  QStringList Out;
  for (QAction* A : Menu->actions())
    if (A->isVisible()) Out << (A->isSeparator() ? QStringLiteral("-") : A->text());
  return Out;
}

// A folder tree standing in for a build folder and the desktop's data folders.
class SampleTree {
public:
  QString Build() const { return Root_.filePath("build/samples"); }
  QString DataDir() const { return Root_.filePath("share"); }
  QString Installed() const { return Root_.filePath("share/kavex/samples"); }
  QString Put(const QString& Folder) const {
    QDir().mkpath(Folder);
    const QString File = Folder + "/kavex-sample.fls";
    QFile::copy(BuiltSample, File);
    return File;
  }

private:
  QTemporaryDir Root_;
};

// Points the desktop's data folders at Dir for as long as it lives.
class DataDirs {
public:
  explicit DataDirs(const QString& Dir) : Home_(qgetenv("XDG_DATA_HOME")), Dirs_(qgetenv("XDG_DATA_DIRS")) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(Dir + "/home-share"));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(Dir));
  }
  ~DataDirs() {
    Restore("XDG_DATA_HOME", Home_);
    Restore("XDG_DATA_DIRS", Dirs_);
  }
  static void Restore(const char* Name, const QByteArray& Value) {
    if (Value.isEmpty())
      qunsetenv(Name);
    else
      qputenv(Name, Value);
  }

private:
  QByteArray Home_, Dirs_;
};

}  // namespace

class SampleTest : public QObject {
  Q_OBJECT

private slots:
  void TheBuildCopyComesFirstAndTheInstalledOneIsFoundWithoutIt_data() {
    QTest::addColumn<bool>("InBuild");
    QTest::addColumn<bool>("Installed");
    QTest::addColumn<QString>("Found");
    QTest::newRow("both") << true << true << "build";
    QTest::newRow("installed only") << false << true << "installed";
    QTest::newRow("neither") << false << false << "";
  }
  void TheBuildCopyComesFirstAndTheInstalledOneIsFoundWithoutIt() {
    QFETCH(bool, InBuild);
    QFETCH(bool, Installed);
    QFETCH(QString, Found);
    SampleTree Tree;
    const DataDirs Data(Tree.DataDir());
    const QString BuildFile = InBuild ? Tree.Put(Tree.Build()) : QString();
    const QString InstalledFile = Installed ? Tree.Put(Tree.Installed()) : QString();
    const QString Expected = Found == "build" ? BuildFile : Found == "installed" ? InstalledFile : QString();
    QCOMPARE(kavex::FindSampleImage(kavex::SampleFolders(Tree.Build())), Expected);
  }

  void DefaultFoldersAreTheBuildsThenTheInstalledPlaces() {
    const QByteArray Dirs = qgetenv("XDG_DATA_DIRS");
    qunsetenv("XDG_DATA_DIRS");  // the desktop's default: /usr/local/share and /usr/share
    QStringList Folders = kavex::SampleFolders();
    DataDirs::Restore("XDG_DATA_DIRS", Dirs);
    QCOMPARE(Folders.value(0), QStringLiteral(KAVEX_SAMPLES_DIR));
    QVERIFY(Folders.contains(QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/kavex/samples")));
    QVERIFY(Folders.contains("/usr/share/kavex/samples"));  // a Debian package's data folder
    QCOMPARE(Folders.removeDuplicates(), 0);
    QCOMPARE(kavex::FindSampleImage(Folders), BuiltSample);
  }

  void HelpOpensTheSampleAsFileOpenOpensAFile() {
    IsolatedSettings S;
    DialogAnswers Answers;
    SampleTree Tree;
    const QString Installed = Tree.Put(Tree.Installed());
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    QCOMPARE(VisibleCaptions(Main.mHelp), QStringList({"&About...", "-", "Open &sample image"}));
    QCOMPARE(Main.stStatusHint->text(), kavex::TfMain::NoImageHint());
    QVERIFY(Main.stStatusHint->text().contains("File > Open (Ctrl+O)"));
    QVERIFY(Main.stStatusHint->text().contains("Help > Open sample image"));

    // No sample anywhere: a box says where it was looked for, and nothing is opened.
    Main.SetSampleFolders({Tree.Build(), Tree.DataDir()});
    Main.aOpenSample->trigger();
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    QCOMPARE(Answers.Messages()[0].Icon, kavex::TMsgBoxIcon::Information);
    QVERIFY(Answers.Messages()[0].Text.contains(Tree.DataDir()));
    QVERIFY(Main.Reopen().RecentFiles().isEmpty());
    QCOMPARE(Main.stStatusHint->text(), kavex::TfMain::NoImageHint());
    Answers.ClearMessages();

    Main.SetSampleFolders({Tree.Build(), Tree.Installed()});  // no build copy
    Main.aOpenSample->trigger();
    QCOMPARE(Main.Reopen().RecentFiles(), QStringList({Installed}));
    QCOMPARE(Main.windowTitle(), Installed + " - Kavex v0.10 TEST ONLY");
    const QAbstractItemModel& Nodes = *Main.tvMain->model();
    QCOMPARE(Nodes.rowCount(), 1);
    const QModelIndex Root = Nodes.index(0, 0);
    QCOMPARE(Nodes.rowCount(Root), 3);  // MCU, PPM, EEPROM
    QCOMPARE(Nodes.rowCount(Nodes.index(1, 0, Root)), 11);  // the PPM area's chunks, the end chunk last
    QVERIFY(Main.stStatusHint->text().isEmpty());
    for (int Ident : LogIdents(App)) {
      const kavex::TMsgKind Kind = kavex::MsgKindOf(Ident);
      QVERIFY2(Kind != kavex::TMsgKind::Warning && Kind != kavex::TMsgKind::Error, qPrintable(QString::number(Ident)));
    }

    // A file that then fails to open brings the hint back, after the reason.
    Main.Reopen().AddRecentFile(Tree.Build() + "/gone.fls");
    Main.OpenFlash(Tree.Build() + "/gone.fls");
    QCOMPARE(Nodes.rowCount(), 0);
    QVERIFY(Main.stStatusHint->text().startsWith("Could not show gone.fls: "));
    QVERIFY(Main.stStatusHint->text().endsWith(kavex::TfMain::NoImageHint()));
    QVERIFY(Answers.Messages().empty());
  }
};

QTEST_MAIN(SampleTest)
#include "sample_test.moc"
