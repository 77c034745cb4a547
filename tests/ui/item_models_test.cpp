// Qt's own model checker over every item model of the viewer (the image tree, the log list, the
// bytes and the find hits) while images are opened, every node is fetched and selected, Find
// runs and the bytes are shown. The inputs: both samples, the fuzz regressions and a fixed share
// of the fuzz corpus (every ninth file in name order). KAVEX_CHECK_ALL_CORPUS=1 in the
// environment, or --all-corpus on the command line, takes every corpus file instead.

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QTableView>
#include <QTreeView>
#include <QtTest>
#include <cstring>
#include <memory>
#include <vector>

#include "UiTestSupport.h"
#include "ui/LogWindow.h"
#include "ui/Bytes.h"
#include "ui/Find.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"

using namespace kavtest;
using kavex::TKavexApp;
using Tester = QAbstractItemModelTester;

namespace {

bool AllCorpus = false;

QStringList FilesIn(const QString& Folder) {
  QStringList Out;
  const QDir Dir(Folder);
  for (const QString& Name : Dir.entryList(QDir::Files, QDir::Name)) Out << Dir.filePath(Name);
  return Out;
}

QStringList Inputs() {
  QStringList Out = {QStringLiteral(KAVEX_SAMPLES_DIR "/kavex-sample.fls"), QStringLiteral(KAVEX_SAMPLES_DIR "/kavex-sample.wt")};
  Out << FilesIn(QStringLiteral(KAVEX_REGRESSIONS_DIR));
  const QStringList Corpus = FilesIn(QStringLiteral(KAVEX_CORPUS_DIR));
  for (qsizetype I = 0; I < Corpus.size(); ++I)
    if (AllCorpus || I % 9 == 0) Out << Corpus[I];
  return Out;
}

// The four models with a fatal checker each, for as long as the windows live.
struct Checkers {
  explicit Checkers(TKavexApp& App) {
    kavex::TfMain& Main = App.Main();
    auto* TreeChecker = new Tester(Main.tvMain->model(), Tester::FailureReportingMode::Fatal);
    // Its own fetch would run inside the insert of the fetch that called it; the walk below
    // fetches every node itself.
    TreeChecker->setUseFetchMore(false);
    Held.emplace_back(TreeChecker);
    Held.emplace_back(new Tester(App.Log().Model(), Tester::FailureReportingMode::Fatal));
    Held.emplace_back(new Tester(Main.pBytes->tvBytes->model(), Tester::FailureReportingMode::Fatal));
    Held.emplace_back(new Tester(Main.pFind->lvFind->model(), Tester::FailureReportingMode::Fatal));
  }
  std::vector<std::unique_ptr<Tester>> Held;
};

// Every node of the shown tree, depth first, each fetched before its rows are read.
std::vector<QPersistentModelIndex> FetchEveryNode(QAbstractItemModel& Tree) {
  std::vector<QPersistentModelIndex> Seen;
  std::vector<QModelIndex> Pending;
  for (int Row = Tree.rowCount(); Row-- > 0;) Pending.push_back(Tree.index(Row, 0));
  while (!Pending.empty()) {
    const QModelIndex Index = Pending.back();
    Pending.pop_back();
    Seen.emplace_back(Index);
    if (Tree.canFetchMore(Index)) Tree.fetchMore(Index);
    for (int Row = Tree.rowCount(Index); Row-- > 0;) Pending.push_back(Tree.index(Row, 0, Index));
  }
  return Seen;
}

}  // namespace

class ItemModelsTest : public QObject {
  Q_OBJECT

private slots:
  void TheInputsAreThere() {
    const QStringList Files = Inputs();
    for (const QString& File : Files) QVERIFY2(QFileInfo(File).isFile(), qPrintable(File));
    // Both samples, the regressions and at least a hundred corpus inputs.
    QVERIFY2(Files.size() >= 2 + 1 + 100, qPrintable(QString::number(Files.size())));
  }

  // The checkers abort the run at the first broken rule of Qt's model contract.
  void EveryModelKeepsQtsRulesOverEveryInput() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    kavex::TfLog& Log = App.Log();
    Checkers Checked(App);
    Log.aClearAtNewFile->setChecked(true);  // one input's records at a time
    Main.dkBytes->show();
    Main.pFind->cbOperators->setChecked(true);
    Main.pFind->cbTones->setChecked(true);

    const QStringList Files = Inputs();
    int Nodes = 0;
    int Hits = 0;
    long long ByteRows = 0;
    for (const QString& File : Files) {
      Main.OpenFlash(File);
      QAbstractItemModel& Tree = *Main.tvMain->model();
      const std::vector<QPersistentModelIndex> All = FetchEveryNode(Tree);
      for (const QPersistentModelIndex& Index : All) {
        QVERIFY2(Index.isValid(), qPrintable(File));
        Main.tvMain->setCurrentIndex(Index);
        ByteRows += Main.pBytes->Model().rowCount();
      }
      Nodes += static_cast<int>(All.size());

      for (const char* Word : {"e", "0"}) {
        Main.pFind->eFind->setText(QString::fromLatin1(Word));
        Main.RunFind();
        const int Count = static_cast<int>(Main.pFind->Hits().size());
        Hits += Count;
        for (int Step = 0; Step < std::min(Count, 20); ++Step) Main.StepFindHit(1);
      }
      // The rows made anew, then one kind off and on again.
      Log.KindActions[0]->trigger();
      Log.KindActions[0]->trigger();
      Answers.ClearMessages();
    }
    // Something was checked: the samples alone have nodes, hits and bytes.
    qInfo("%lld inputs, %d nodes, %d hits, %lld byte rows", static_cast<long long>(Files.size()), Nodes, Hits, ByteRows);
    QVERIFY(Nodes > static_cast<int>(Files.size()));
    QVERIFY(Hits > 0);
    QVERIFY(ByteRows > 0);
  }
};

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  std::vector<char*> Args;
  for (int I = 0; I < argc; ++I) {
    if (std::strcmp(argv[I], "--all-corpus") == 0)
      AllCorpus = true;
    else
      Args.push_back(argv[I]);
  }
  if (qEnvironmentVariableIntValue("KAVEX_CHECK_ALL_CORPUS") != 0) AllCorpus = true;
  ItemModelsTest Test;
  return QTest::qExec(&Test, static_cast<int>(Args.size()), Args.data());
}

#include "item_models_test.moc"
