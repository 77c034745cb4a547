// Edit > Find, the log's rows leading to their nodes, and files dropped on the main window.

#include <QCheckBox>
#include <QDockWidget>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QTreeView>
#include <QtTest>

#include "PanelImages.h"
#include "UiTestSupport.h"
#include "ui/LogWindow.h"
#include "model/Kav_Chunk.h"
#include "present/Kav_Find.h"
#include "model/Kav_Fls.h"
#include "model/Kav_PPM.h"
#include "ui/Find.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"
#include "ui/NodeDetails.h"

using namespace kavtest;
using kavex::TFindHit;
using kavex::TImageTreeModel;
using kavex::TKavexApp;

namespace {

// Texts in a one-byte and a two-byte table, an operator and a tone whose names hold the word
// (and an operator of code 12 whose name does not).
Bytes FindImage() {
  return GoodImage({ChunkOf("TEXT", {TextSubchunk(1, {"English", "Hello World", "nothing", "world cup"}, "eng"),
                                     WideTextSubchunk(2, {u"xDeutsch", u"Gr\u00fc\u00dfe WELT", u"\u00c4RGER"}, "deu")}),
                    ChunkOf("PLMN", {PlmnSubchunk(1, 244, {{.B1 = 0x10, .B2 = 0x00, .Name = "WorldNet"},
                                                             {.B1 = 0x10, .B2 = 0x20, .Name = "DNA"}})}),
                    ChunkOf("TONE", {ToneSubchunk(1, "Worldly")})});
}


QStringList HitTexts(const kavex::TfMain& Main) {
  QStringList Out;
  for (const TFindHit& Hit : Main.pFind->Hits())
    Out << QStringLiteral("%1|%2|%3").arg(Hit.Entry).arg(Hit.Text.mid(Hit.MatchStart, Hit.MatchLength), Hit.Table);
  return Out;
}

void Find(kavex::TfMain& Main, const QString& Word, bool Operators = false, bool Tones = false) {
  Main.pFind->cbOperators->setChecked(Operators);
  Main.pFind->cbTones->setChecked(Tones);
  Main.pFind->eFind->setText(Word);
  QTest::keyClick(Main.pFind->eFind, Qt::Key_Return);
}

int ListRow(const kavex::TfMain& Main, const char* List) {
  return Main.findChild<QTreeView*>(List)->currentIndex().row();
}

}  // namespace

class FindTest : public QObject {
  Q_OBJECT

private slots:
  void Utf8ToUtf16DecodesAndReplacesIllFormedBytes() {
    const struct {
      std::string In;
      std::u16string Out;
    } Cases[] = {
        {"abc", u"abc"},
        {"\xc3\xa4", u"\u00e4"},
        {"\xe2\x82\xac", u"\u20ac"},
        {"\xf0\x9f\x98\x80", u"\U0001F600"},     // a surrogate pair
        {"\xc3", u"\uFFFD"},                      // cut at the end
        {"\xc0\xaf", u"\uFFFD\uFFFD"},            // overlong
        {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
        {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
    };
    for (const auto& C : Cases) QCOMPARE(kavex::Utf8ToUtf16(C.In), C.Out);
  }

  void FindBuildsOnlyTheTextTablesThroughTheTreeAndIgnoresCase() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Folder.Write("find.fls", FindImage()));
    const QModelIndex Text = ChunkItem(Main, "TEXT");
    const QModelIndex Plmn = ChunkItem(Main, "PLMN");
    QVERIFY(Text.isValid() && Plmn.isValid());
    QCOMPARE(Main.tvMain->model()->rowCount(Text), 0);
    Find(Main, "");  // no word: nothing is built
    QCOMPARE(Main.tvMain->model()->rowCount(Text), 0);

    Find(Main, "world");
    QCOMPARE(HitTexts(Main), QStringList({"1|World|English (0x00000001, eng)", "3|world|English (0x00000001, eng)"}));
    // The wide table's entry holds "WELT", not "world": only the two narrow entries.
    QCOMPARE(Main.pFind->Hits().size(), std::size_t{2});
    // Built through the tree: its nodes mirror the model's, and the operator chunk is untouched.
    const auto* TextChunk = TImageTreeModel::ModelNode(Text);
    QCOMPARE(Main.tvMain->model()->rowCount(Text), static_cast<int>(TextChunk->ChildCount()));
    QCOMPARE(Main.tvMain->model()->rowCount(Plmn), 0);

    // Case folding beyond ASCII; the match is where it stands in the text.
    Find(Main, QString::fromUtf16(u"\u00e4rger"));
    QCOMPARE(HitTexts(Main), QStringList({QString::fromUtf16(u"2|\u00c4RGER|Deutsch (0x00000002, deu)")}));
    Find(Main, "elt");
    QCOMPARE(Main.pFind->Hits().at(0).MatchStart, 7);  // after "Gr\u00fc\u00dfe W"
    Find(Main, "");
    QVERIFY(Main.pFind->Hits().empty());

    // Operator and tone names only when asked for; their chunks are built then.
    Find(Main, "WORLD", true, false);
    QCOMPARE(Main.pFind->Hits().size(), std::size_t{3});
    QCOMPARE(Main.pFind->Hits().back().Source, kavex::TFindSource::Operator);
    QVERIFY(Main.tvMain->model()->rowCount(Plmn) > 0);
    QCOMPARE(Main.tvMain->model()->rowCount(Plmn), static_cast<int>(TImageTreeModel::ModelNode(Plmn)->ChildCount()));
    QCOMPARE(Main.tvMain->model()->rowCount(ChunkItem(Main, "TONE")), 0);
    Find(Main, "WORLD", true, true);
    QCOMPARE(HitTexts(Main).size(), 4);
    QCOMPARE(Main.pFind->Hits().back().Source, kavex::TFindSource::Tone);
    QVERIFY(Answers.Messages().empty());
  }

  void ChoosingAHitSelectsItsNodeAndEntryAndF3StepsRound() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Folder.Write("find.fls", FindImage()));
    Find(Main, "o", true, true);
    // Hello World, nothing, world cup, Deutsch (no: entry 0 is the name), WorldNet, Worldly.
    const std::vector<TFindHit>& Hits = Main.pFind->Hits();
    QCOMPARE(Hits.size(), std::size_t{5});
    const auto Current = [&] { return TImageTreeModel::ModelNode(Main.tvMain->currentIndex()); };

    // The first hit is chosen at once: its table in the tree, its entry in the text list.
    QCOMPARE(Main.pFind->CurrentHit(), 0);
    QCOMPARE(Current(), Hits[0].Node);
    QCOMPARE(ListRow(Main, "lvText"), 0);
    Main.aFindNext->trigger();
    QCOMPARE(ListRow(Main, "lvText"), 1);
    Main.aFindNext->trigger();
    QCOMPARE(ListRow(Main, "lvText"), 2);
    Main.aFindNext->trigger();
    QCOMPARE(Current(), Hits[3].Node);
    QCOMPARE(ListRow(Main, "lvPLMN"), 0);
    Main.aFindNext->trigger();
    QCOMPARE(Current(), Hits[4].Node);
    Main.aFindNext->trigger();  // past the end: back to the first
    QCOMPARE(Main.pFind->CurrentHit(), 0);
    Main.aFindPrev->trigger();  // before the first: the last
    QCOMPARE(Main.pFind->CurrentHit(), 4);
    QCOMPARE(Main.aFindNext->shortcut(), QKeySequence(Qt::Key_F3));
    QCOMPARE(Main.aFindPrev->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    QCOMPARE(Main.aFind->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));

    // A hit chosen in the list leads to its node as well.
    Main.pFind->lvFind->setCurrentIndex(Main.pFind->lvFind->model()->index(2, 0));
    QTest::keyClick(Main.pFind->lvFind, Qt::Key_Return);
    QCOMPARE(Current(), Hits[2].Node);
    QCOMPARE(ListRow(Main, "lvText"), 2);

    // The hits point into the shown model: another open forgets them.
    Main.OpenFlash(Folder.Write("find2.fls", FindImage()));
    QVERIFY(Main.pFind->Hits().empty());
    Main.aFindNext->trigger();  // with the word still in the field: searches again
    QCOMPARE(Main.pFind->Hits().size(), std::size_t{5});
    QCOMPARE(Current(), Main.pFind->Hits()[0].Node);
  }

  // An operator hit names its entry as the operator list does ("MCC 12: DNA"), the match
  // marked in the name; the entry column counts only text entries.
  void OperatorHitsNameTheirEntryAsTheListDoes() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Folder.Write("find.fls", FindImage()));
    struct TCase {
      const char* Word;
      QString Text;
      int MatchStart;
      int ListRow;
    };
    const TCase Cases[] = {{"dna", "MCC 12: DNA", 8, 1}, {"MCC", "", 0, 0}, {"net", "MCC 10: WorldNet", 13, 0}, {"w", "MCC 10: WorldNet", 8, 0}};
    for (const TCase& C : Cases) {
      Find(Main, QString::fromLatin1(C.Word), true, false);
      std::vector<const TFindHit*> Operators;
      for (const TFindHit& Hit : Main.pFind->Hits())
        if (Hit.Source == kavex::TFindSource::Operator) Operators.push_back(&Hit);
      // The name before the provider is not searched.
      QCOMPARE(Operators.size(), std::size_t(C.Text.isEmpty() ? 0 : 1));
      if (C.Text.isEmpty()) continue;
      QCOMPARE(Operators[0]->Text, C.Text);
      QCOMPARE(Operators[0]->MatchStart, C.MatchStart);
      QCOMPARE(Operators[0]->Text.mid(C.MatchStart, Operators[0]->MatchLength).toLower(), QString::fromLatin1(C.Word));
      const int Row = static_cast<int>(Operators[0] - Main.pFind->Hits().data());
      const QAbstractItemModel* Model = Main.pFind->lvFind->model();
      QCOMPARE(Model->index(Row, kavex::TFindHitsModel::colEntry).data().toString(), QString());
      QCOMPARE(Model->index(Row, kavex::TFindHitsModel::colText).data().toString(), C.Text);
      // The same words as the list's own row.
      Main.pFind->lvFind->setFocus();
      Main.pFind->SetCurrentHit(0);
      QTest::keyClick(Main.pFind->lvFind, Qt::Key_End);
      QCOMPARE(ListRow(Main, "lvPLMN"), C.ListRow);
      const QAbstractItemModel* List = Main.findChild<QTreeView*>("lvPLMN")->model();
      QCOMPARE(QStringLiteral("MCC %1: %2").arg(List->index(C.ListRow, 0).data().toString(), List->index(C.ListRow, 1).data().toString()),
               C.Text);
    }
    // The text tables keep their entry numbers.
    Find(Main, "cup", true, false);
    QCOMPARE(Main.pFind->lvFind->model()->index(0, kavex::TFindHitsModel::colEntry).data().toString(), QStringLiteral("3"));
  }

  // Moving through the hit list with the keys chooses each hit as a click does; a search or
  // F3 chooses its hit once.
  void KeysInTheHitListChooseAsAClickDoes() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Main));
    Main.OpenFlash(Folder.Write("find.fls", FindImage()));
    Find(Main, "o", true, true);
    const std::vector<TFindHit>& Hits = Main.pFind->Hits();
    QCOMPARE(Hits.size(), std::size_t{5});
    const auto Current = [&] { return TImageTreeModel::ModelNode(Main.tvMain->currentIndex()); };
    struct TCase {
      Qt::Key Key;
      int Hit;
      const char* List;
      int Row;
    };
    const TCase Cases[] = {{Qt::Key_Down, 1, "lvText", 1}, {Qt::Key_Down, 2, "lvText", 2}, {Qt::Key_Down, 3, "lvPLMN", 0},
                           {Qt::Key_Up, 2, "lvText", 2},   {Qt::Key_Home, 0, "lvText", 0}, {Qt::Key_End, 4, nullptr, -1},
                           {Qt::Key_Up, 3, "lvPLMN", 0}};
    for (const TCase& C : Cases) {
      Main.pFind->lvFind->setFocus();
      QTest::keyClick(Main.pFind->lvFind, C.Key);
      QCOMPARE(Main.pFind->CurrentHit(), C.Hit);
      QCOMPARE(Current(), Hits[static_cast<std::size_t>(C.Hit)].Node);
      if (C.List) QCOMPARE(ListRow(Main, C.List), C.Row);
    }
    // The first hit of a search is chosen once, not again through the list's own change.
    int Chosen = 0;
    connect(Main.pFind, &kavex::TFindPanel::HitChosen, this, [&Chosen] { ++Chosen; });
    Main.aFindNext->trigger();
    QCOMPARE(Main.pFind->CurrentHit(), 4);
    Find(Main, "o", true, true);
    QCOMPARE(Main.pFind->CurrentHit(), 0);
    QCOMPARE(Chosen, 0);
    QTest::keyClick(Main.pFind->lvFind, Qt::Key_Down);
    QCOMPARE(Chosen, 1);
  }

  void FindViewComesAfterTheDescribedMenusAndKeepsItsState() {
    IsolatedSettings S;
    DialogAnswers Answers;
    int Height = 0;
    {
      TKavexApp App;
      kavex::TfMain& Main = App.Main();
      QStringList Menus;
      for (QAction* A : Main.menuBar()->actions()) Menus << A->text();
      QCOMPARE(Menus, QStringList({"&File", "&Edit", "View", "&Help"}));
      QVERIFY(Main.dkFind->isHidden());
      const QList<QAction*> View = Main.mView->actions();
      QCOMPARE(View.at(0), Main.aSelFont);
      QCOMPARE(View.at(2), Main.aViewLog);
      QVERIFY(View.indexOf(Main.dkFind->toggleViewAction()) > View.indexOf(Main.aZoomOut));
      Main.show();
      QVERIFY(QTest::qWaitForWindowExposed(&Main));
      QTest::keyClick(&Main, Qt::Key_F, Qt::ControlModifier);
      QVERIFY(!Main.dkFind->isHidden());
      QVERIFY(Main.pFind->eFind->hasFocus());
      Main.resizeDocks({Main.dkFind}, {170}, Qt::Vertical);
      QCoreApplication::processEvents();
      Height = Main.dkFind->height();
      Main.pFind->cbTones->setChecked(true);
    }
    QCOMPARE(S.Value("Find/Visible"), QString("1"));
    QCOMPARE(S.Value("Find/Height"), QString::number(Height));
    TKavexApp App;
    QVERIFY(!App.Main().dkFind->isHidden());
    App.Main().show();
    QVERIFY(QTest::qWaitForWindowExposed(&App.Main()));
    QCOMPARE(App.Main().dkFind->height(), Height);
    QVERIFY(App.Main().pFind->cbTones->isChecked());
    QVERIFY(!App.Main().pFind->cbOperators->isChecked());
  }

  void LogRowLeadsToItsBuiltNodeAndShowsThePathAsToolTip() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    kavex::TfLog& Log = App.Log();
    Main.OpenFlash(Folder.Write("find.fls", FindImage()));
    const QModelIndex Text = ChunkItem(Main, "TEXT");
    const kavex::TKavClass* TextChunk = TImageTreeModel::ModelNode(Text);
    Log.ClearLog();
    Log.AddMessage(23, TextChunk->GetPath(), "a chunk");
    Log.AddMessage(23, TextChunk->GetPath() + "0x00000001, eng/", "a table not built yet");
    Log.AddMessage(23, "[KavObj]", "no node");
    QCOMPARE(Log.Model()->index(0, 1).data(Qt::ToolTipRole).toString(), QString::fromStdString(TextChunk->GetPath()));

    const auto Activate = [&](int Row) {
      Log.lvLog->setCurrentIndex(Log.Model()->index(Row, 0));
      QTest::keyClick(Log.lvLog, Qt::Key_Return);
    };
    Main.tvMain->setCurrentIndex(Main.tvMain->model()->index(0, 0));
    Activate(1);  // not built: nothing is built for it and the selection stays
    QCOMPARE(Main.tvMain->currentIndex(), Main.tvMain->model()->index(0, 0));
    QCOMPARE(TextChunk->ChildCount(), std::size_t{0});
    Activate(0);
    QCOMPARE(Main.tvMain->currentIndex(), Text);
    Activate(2);
    QCOMPARE(Main.tvMain->currentIndex(), Text);

    // Once built, the table's row leads to it; a double click does as Enter does.
    Main.tvMain->expand(Text);
    const QModelIndex Table = Main.tvMain->model()->index(0, 0, Text);
    QCOMPARE(Log.Model()->index(1, 3).data().toString(), QString::fromStdString(TImageTreeModel::ModelNode(Table)->GetPath()));
    Log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Log));
    const QPoint At = Log.lvLog->visualRect(Log.Model()->index(1, 2)).center();
    QTest::mouseClick(Log.lvLog->viewport(), Qt::LeftButton, {}, At);  // the press a double click begins with
    QCOMPARE(Main.tvMain->currentIndex(), Text);
    QTest::mouseDClick(Log.lvLog->viewport(), Qt::LeftButton, {}, At);
    QCOMPARE(Main.tvMain->currentIndex(), Table);
  }

  void LogPathIsFoundUnderEitherOfTwoChunksOfOneName() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    Main.OpenFlash(Folder.Write("twins.fls", GoodImage({ChunkOf("TEXT", {TextSubchunk(1, {"English", "a"}, "eng")}),
                                                         ChunkOf("TEXT", {TextSubchunk(2, {"Deutsch", "b"}, "deu")})})));
    const QAbstractItemModel* Nodes = Main.tvMain->model();
    const QModelIndex Ppm = Nodes->index(1, 0, Nodes->index(0, 0));
    for (int Row : {0, 1}) Main.tvMain->expand(Nodes->index(Row, 0, Ppm));
    const QModelIndex Second = Nodes->index(0, 0, Nodes->index(1, 0, Ppm));
    const std::string Path = TImageTreeModel::ModelNode(Second)->GetPath();
    QCOMPARE(Nodes->index(0, 0, Ppm).data().toString(), Nodes->index(1, 0, Ppm).data().toString());
    QVERIFY(Main.SelectNodeByPath(QString::fromStdString(Path)));
    QCOMPARE(Main.tvMain->currentIndex(), Second);
    QVERIFY(!Main.SelectNodeByPath(QString::fromStdString(Path) + "x/"));
  }

  void LogFollowsNewRowsOnlyFromItsEnd() {
    IsolatedSettings S;
    DialogAnswers Answers;
    TKavexApp App;
    kavex::TfLog& Log = App.Log();
    Log.aFollowNewRows->setChecked(true);  // the list keeps its place unless asked to follow
    Log.show();
    QVERIFY(QTest::qWaitForWindowExposed(&Log));
    QScrollBar* Bar = Log.lvLog->verticalScrollBar();
    const auto Add = [&](int Count) {
      for (int I = 0; I < Count; ++I) Log.AddMessage(23, "/P/", "row " + std::to_string(I));
      QCoreApplication::processEvents();
    };
    Add(300);
    QVERIFY(Bar->maximum() > 0);
    QCOMPARE(Bar->value(), Bar->maximum());
    Add(5);
    QCOMPARE(Bar->value(), Bar->maximum());
    // Scrolled up by the user: new rows leave it where it is.
    Bar->setValue(10);
    Add(5);
    QCOMPARE(Bar->value(), 10);
    // One row short of the end is not the end.
    Bar->setValue(Bar->maximum() - 1);
    const int Before = Bar->value();
    Add(3);
    QCOMPARE(Bar->value(), Before);
  }

  void DroppedFileOpensAsTheOpenDialogsChoiceDoes() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    const QString Image = Folder.Write("dropped.fls", FindImage());
    const QString Other = Folder.Write("other.fls", FindImage());
    const auto Drop = [&](const QList<QUrl>& Urls) {
      QMimeData Data;
      Data.setUrls(Urls);
      QDragEnterEvent Enter(QPoint(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(&Main, &Enter);
      if (!Enter.isAccepted()) return false;
      QDropEvent Dropped(QPointF(10, 10), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(&Main, &Dropped);
      return true;
    };
    // Two files, or a file that is not local, are refused and change nothing.
    QVERIFY(!Drop({QUrl::fromLocalFile(Image), QUrl::fromLocalFile(Other)}));
    QVERIFY(!Drop({QUrl("https://example.org/x.fls")}));
    QVERIFY(!Main.ShownModel());
    QVERIFY(Main.Reopen().RecentFiles().isEmpty());

    QVERIFY(Drop({QUrl::fromLocalFile(Image)}));
    QVERIFY(Main.ShownModel());
    QCOMPARE(Main.windowTitle(), Image + " - Kavex v0.10 TEST ONLY");
    QCOMPARE(Main.Reopen().RecentFiles(), QStringList({Image}));
    // A missing file goes first in the list all the same, as from the dialog.
    const QString Missing = Folder.Path("missing.fls");
    QVERIFY(Drop({QUrl::fromLocalFile(Missing)}));
    QCOMPARE(Main.Reopen().RecentFiles(), QStringList({Missing, Image}));
    QVERIFY(!Main.ShownModel());
  }
};

QTEST_MAIN(FindTest)
#include "find_test.moc"
