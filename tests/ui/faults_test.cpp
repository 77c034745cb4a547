// The faults a desktop user meets: files that cannot be read, settings that are damaged or
// cannot be written, and an export that fails. The viewer reports them and loses nothing.

#include <QAction>
#include <QDir>
#include <QFile>
#include <QtTest>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <optional>

#include "Permissions.h"
#include "UiTestSupport.h"
#include "ui/LogWindow.h"
#include "model/Kav_Fls.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"

using namespace kavtest;
using kavex::TKavexApp;

namespace {

const QString Untitled = QStringLiteral("(Untitled) - Kavex v0.10 TEST ONLY");

QByteArray ReadFile(const QString& Path) {
  QFile F(Path);
  return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray("<unreadable>");
}

void WriteFile(const QString& Path, const QByteArray& Content) {
  QDir().mkpath(QFileInfo(Path).path());
  QFile F(Path);
  QVERIFY(F.open(QIODevice::WriteOnly));
  F.write(Content);
}

QString SettingsFile(const IsolatedSettings& S) { return S.Open()->fileName(); }

// The log's last record as its export line.
QString LastLine(const TKavexApp& App) { return LogLines(App).last(); }

bool ShowsNothing(TKavexApp& App) {
  return App.Main().ShownModel() == nullptr && App.Main().tvMain->model()->rowCount() == 0 &&
         App.Main().windowTitle() == Untitled;
}

// A process-wide limit on the size of any file written, as a full disk would set one.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t Bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Saved_);
    OldHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a failing write, not a killed process
    const rlimit Limit{Bytes, Saved_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &Limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Saved_);
    std::signal(SIGXFSZ, OldHandler_);
  }

private:
  rlimit Saved_{};
  void (*OldHandler_)(int) = nullptr;
};

}  // namespace

class FaultsTest : public QObject {
  Q_OBJECT

private slots:
  void FilesThatCannotBeReadLeaveNothingShownAndNoBox() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    const QString Good = Folder.Write("good.fls", GoodImage({}));
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    auto OpenGoodThen = [&](const QString& Bad) {
      Main.OpenFlash(Good);
      QVERIFY(Main.ShownModel() != nullptr);
      Main.OpenFlash(Bad);
    };

    // Gone since it was last opened: chosen from the recent-files list.
    const QString Gone = Folder.Write("gone.fls", GoodImage({}));
    Main.Reopen().AddRecentFile(Gone);
    QVERIFY(QFile::remove(Gone));
    Main.OpenFlash(Good);
    Main.Reopen().RecentItems().front()->trigger();
    QCOMPARE(LastLine(App), "! (   4) File open error: Cannot open file " + Gone + "; Path: [KavObj.LoadFile]");
    QVERIFY(ShowsNothing(App));
    QCOMPARE(Main.Reopen().RecentFiles().front(), Gone);  // stays listed

    OpenGoodThen(Folder.Path(QString()));
    QCOMPARE(LastLine(App), "! (   4) File open error: Cannot open file " + Folder.Path(QString()) +
                                "; Path: [KavObj.LoadFile]");
    QVERIFY(ShowsNothing(App));

    const QString Fifo = Folder.Path("pipe.fls");
    QCOMPARE(::mkfifo(Fifo.toLocal8Bit().constData(), 0600), 0);
    OpenGoodThen(Fifo);  // must not wait for a writer
    QCOMPARE(LastLine(App), "! (   4) File open error: Cannot open file " + Fifo + "; Path: [KavObj.LoadFile]");
    QVERIFY(ShowsNothing(App));

    kavex::SetLoadFileProbe([](const std::string& Name) {
      if (Name.ends_with("shrinking.fls")) std::filesystem::resize_file(Name, 1000);
    });
    OpenGoodThen(Folder.Write("shrinking.fls", GoodImage({})));
    kavex::SetLoadFileProbe(nullptr);
    QCOMPARE(LastLine(App), QString("! (   5) File read error: Stream read error; Path: [KavObj.LoadFile]"));
    QVERIFY(ShowsNothing(App));

    const QString Big = Folder.Write("big.fls", {});
    if (::truncate(Big.toLocal8Bit().constData(), 0x80000000LL) == 0) {
      OpenGoodThen(Big);
      QCOMPARE(LastLine(App), QString("! (   5) File read error: File is too large (2147483648 bytes), at most "
                                      "2147483647 bytes are supported; Path: [KavObj.LoadFile]"));
      QVERIFY(ShowsNothing(App));
    }

    const QString Locked = Folder.Write("locked.fls", GoodImage({}));
    QCOMPARE(::chmod(Locked.toLocal8Bit().constData(), 0), 0);
    {
      PermissionsEnforced Enforced;
      if (Enforced.Holds()) {
        OpenGoodThen(Locked);
        QCOMPARE(LastLine(App), "! (   4) File open error: Cannot open file " + Locked + "; Path: [KavObj.LoadFile]");
        QVERIFY(ShowsNothing(App));
      } else {
        qWarning("unreadable file not tried: running as root without a way to give up reading past permissions");
      }
    }
    QVERIFY(Answers.Messages().empty());
  }

  void CorruptSettingsFileKeepsWhatItCanAndStarts() {
    IsolatedSettings S;
    DialogAnswers Answers;
    const QString File = SettingsFile(S);
    WriteFile(File, QByteArray("[Reopen]\n0=/img/kept.fls\n[PosLog\nLeft\n\x00\xff\xfe\x01 garbage \x80\n[PosMain]\n"
                               "Width=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5QFont\\0)\n",
                               97));
    {
      TKavexApp App;
      QCOMPARE(App.Main().Reopen().RecentFiles(), QStringList({"/img/kept.fls"}));
      QCOMPARE(App.Main().width(), 692);
      QCOMPARE(App.Log().pos(), QPoint(239, 172));
      QCOMPARE(LogIdents(App), std::vector<int>({2, 31}));
    }
    // Rewritten at shut-down with what could be read and what the run added.
    QCOMPARE(S.Value("Reopen/0"), QString("/img/kept.fls"));
    QCOMPARE(S.Value("PosLog/Left"), QString("239"));
  }

  void SettingsOfTheWrongTypeReadAsTheirDefaults() {
    IsolatedSettings S;
    DialogAnswers Answers;
    WriteFile(SettingsFile(S), "[PosMain]\nLeft=abc\nWidth=@Rect(1 2 3 4)\nHeight=2, 3\nWindowState=7\n"
                               "[PosLog]\nTop=99999999999999\n"
                               "[LogOptions]\nClearAtNewFile=@Rect(0 0 1 1)\n"
                               "[Unicode]\nFontName=@Rect(1 2 3 4)\nFontSize=@Size(3 4)\n"
                               "[Reopen]\n0=/img/a, b.fls\n1=@Point(1 2)\n2=/img/c.fls\n"
                               "InitialDir=@ByteArray(/img/)\n");
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    QCOMPARE(Main.pos().x(), 94);
    QCOMPARE(Main.size(), QSize(692, 499));
    QCOMPARE(Main.windowState(), Qt::WindowNoState);
    QCOMPARE(App.Log().pos().y(), 172);
    QVERIFY(!App.Log().ClearAtNewFile());
    QCOMPARE(Main.UnicodeFont().family(), QFont("Arial Unicode MS").family());
    QCOMPARE(Main.UnicodeFont().pointSize(), 8);
    // A hand-written path with ", " reads back whole; the list ends at the value that is no text.
    QCOMPARE(Main.Reopen().RecentFiles(), QStringList({"/img/a, b.fls"}));
    QCOMPARE(Main.OpenDialog().InitialDir, QString("/img/"));
  }

  void ReadOnlySettingsFileIsUsedLeftIntactAndShutDownCleanly() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    const QString File = SettingsFile(S);
    WriteFile(File, "[Reopen]\n0=/img/old.fls\n\n[LogOptions]\nClearAtNewFile=1\n\n[PosLog]\nLeft=300\n");
    const QByteArray Before = ReadFile(File);
    QCOMPARE(::chmod(File.toLocal8Bit().constData(), 0444), 0);
    PermissionsEnforced Enforced;
    if (!Enforced.Holds()) QSKIP("running as root without a way to give up writing past permissions");
    {
      TKavexApp App;
      QVERIFY(App.Log().ClearAtNewFile());
      QCOMPARE(App.Log().pos().x(), 300);
      const QString Image = Folder.Write("new.fls", GoodImage({}));
      Answers.AnswerFile(Image);
      App.Main().aOpen->trigger();
      QVERIFY(App.Main().ShownModel() != nullptr);
      // The run goes on with the list it could not store.
      QCOMPARE(App.Main().Reopen().RecentFiles(), QStringList({Image, "/img/old.fls"}));
      QCOMPARE(App.Main().Settings().Raw().status(), QSettings::AccessError);
      App.Log().aClearAtNewFile->trigger();
      App.Log().move(10, 10);
    }
    QCOMPARE(ReadFile(File), Before);
    QVERIFY(Answers.Messages().empty());
  }

  void SettingsOnADiskThatIsFullKeepTheirLastGoodFile() {
    IsolatedSettings S;
    DialogAnswers Answers;
    const QString File = SettingsFile(S);
    WriteFile(File, "[Reopen]\n0=/img/old.fls\n\n[PosLog]\nLeft=300\nTop=200\n");
    const QByteArray Before = ReadFile(File);
    {
      std::optional<FileSizeLimit> Full;  // outlives the windows, which write as they close
      TKavexApp App;
      Full.emplace(16);                   // every rewrite of the file fails part way
      App.Main().Reopen().AddRecentFile("/img/new.fls");
      App.Log().move(10, 10);
    }
    QCOMPARE(ReadFile(File), Before);
    QCOMPARE(QDir(QFileInfo(File).path()).entryList(QDir::Files), QStringList({QFileInfo(File).fileName()}));
  }

  void SettingsFolderThatCannotBeMadeGivesDefaults() {
    IsolatedSettings S;
    DialogAnswers Answers;
    const QString File = SettingsFile(S);
    // A plain file stands where the settings folder belongs.
    WriteFile(QFileInfo(File).path() + ".tmp", "x");
    QVERIFY(QFile::rename(QFileInfo(File).path() + ".tmp", QFileInfo(File).path()));
    {
      TKavexApp App;
      QCOMPARE(App.Main().size(), QSize(692, 499));
      App.Main().Reopen().AddRecentFile("/img/x.fls");
      QCOMPARE(App.Main().Reopen().RecentFiles(), QStringList({"/img/x.fls"}));
    }
    QCOMPARE(ReadFile(QFileInfo(File).path()), QByteArray("x"));
  }

  void ExportIntoAReadOnlyFolderFailsAndKeepsTheFileThere() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    QVERIFY(QDir().mkpath(Folder.Path("ro")));
    const QString Existing = Folder.Path("ro/log.txt");
    WriteFile(Existing, "old log");
    QCOMPARE(::chmod(Folder.Path("ro").toLocal8Bit().constData(), 0555), 0);
    TKavexApp App;
    kavex::TfLog& Log = App.Log();
    const QStringList Lines = LogLines(App);
    {
      PermissionsEnforced Enforced;
      if (!Enforced.Holds()) QSKIP("running as root without a way to give up writing past permissions");
      Answers.AnswerFile(Existing);
      Log.aCopyToFile->trigger();
      Answers.AnswerFile(Folder.Path("ro/new.txt"));
      Log.aCopyToFile->trigger();
    }
    QCOMPARE(Answers.Messages().size(), std::size_t{2});
    QVERIFY2(Answers.Messages()[0].Text.startsWith("Cannot write file \"" + Existing + "\": "),
             qPrintable(Answers.Messages()[0].Text));
    QCOMPARE(Answers.Messages()[1].Icon, kavex::TMsgBoxIcon::Error);
    QCOMPARE(ReadFile(Existing), QByteArray("old log"));
    QCOMPARE(QDir(Folder.Path("ro")).entryList(QDir::Files), QStringList({"log.txt"}));
    QCOMPARE(LogLines(App), Lines);
    QCOMPARE(Log.Model()->rowCount(), Lines.size());
    ::chmod(Folder.Path("ro").toLocal8Bit().constData(), 0755);  // so that the folder can be removed
  }

  void ExportOntoADiskThatFillsUpMidWriteKeepsTheOldFile() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    const QString Existing = Folder.Write("log.txt", Bytes(3000, 'o'));
    TKavexApp App;
    kavex::TfLog& Log = App.Log();
    for (int I = 0; I < 2000; ++I) Log.AddMessage(23, "/PPM/TEXT/", "A record long enough to fill the disk;");
    const QStringList Lines = LogLines(App);
    {
      FileSizeLimit Full(16384);
      Answers.AnswerFile(Existing);
      Log.aCopyToFile->trigger();
    }
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    QVERIFY2(Answers.Messages()[0].Text.startsWith("Cannot write file"), qPrintable(Answers.Messages()[0].Text));
    QCOMPARE(ReadFile(Existing), QByteArray(3000, 'o'));
    QCOMPARE(QDir(Folder.Path(QString())).entryList(QDir::Files), QStringList({"log.txt"}));  // no partial copy left
    QCOMPARE(LogLines(App), Lines);

    // With room again the same export goes through.
    Answers.AnswerFile(Existing);
    Log.aCopyToFile->trigger();
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    QCOMPARE(ReadFile(Existing).count("\r\n"), Lines.size());
  }
};

QTEST_MAIN(FaultsTest)
#include "faults_test.moc"
