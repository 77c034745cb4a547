// Edit > Find bytes: a match in the whole image selects the node that holds it (built through the
// tree) and its run in the bytes view; the selected node's own bytes; F3 and Shift+F3 round the
// ends, next to text Find's; patterns refused and matches not found; the dialog's choices kept.

#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QtTest>

#include "PanelImages.h"
#include "UiTestSupport.h"
#include "model/Kav_Chunk.h"
#include "ui/Bytes.h"
#include "ui/Find.h"
#include "ui/FindBytes.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"

using namespace kavtest;
using kavex::TBytePatternKind;
using kavex::TImageTreeModel;
using kavex::TKavClass;
using kavex::TKavexApp;

namespace {

// "NOKIA" twice in one table, once in the next, and as two-byte text in a third.
Bytes FindBytesImage() {
  return GoodImage({ChunkOf("TEXT", {TextSubchunk(1, {"English", "NOKIA one", "two NOKIA"}, "eng"),
                                     TextSubchunk(2, {"Suomi", "NOKIA kolme"}, "fin"),
                                     WideTextSubchunk(3, {u"xDeutsch", u"NOKIA vier"}, "deu")})});
}

// Every start of Pattern in the file, by the plainest scan (a Divud image is the file itself).
std::vector<std::size_t> Starts(const Bytes& Image, const Bytes& Pattern) {
  std::vector<std::size_t> Out;
  for (std::size_t S = 0; S + Pattern.size() <= Image.size(); ++S)
    if (std::equal(Pattern.begin(), Pattern.end(), Image.begin() + static_cast<long>(S))) Out.push_back(S);
  return Out;
}

Bytes Ascii(std::string_view Text) { return Bytes(Text.begin(), Text.end()); }

const TKavClass* Current(const kavex::TfMain& Main) { return TImageTreeModel::ModelNode(Main.tvMain->currentIndex()); }

// The image offsets of the bytes view's run.
std::pair<std::size_t, std::size_t> Run(const kavex::TfMain& Main) {
  const kavex::TByteField Sel = Main.pBytes->Selection();
  return {Main.pBytes->Model().BaseOffset() + Sel.First, Sel.Count};
}

void FindBytes(kavex::TfMain& Main, const QString& Pattern, TBytePatternKind Kind, bool WholeImage) {
  Main.aFindBytes->trigger();
  Main.dlgFindBytes->ePattern->setText(Pattern);
  Main.dlgFindBytes->SetKind(Kind);
  Main.dlgFindBytes->SetWholeImage(WholeImage);
  QTest::mouseClick(Main.dlgFindBytes->bFind, Qt::LeftButton);
}

QString OffsetText(std::size_t Offset) { return QStringLiteral("0x") + QString::number(Offset, 16).toUpper(); }

}  // namespace

class FindBytesTest : public QObject {
  Q_OBJECT

private slots:
  // Each match selects the deepest node holding it, the bytes view its run; F3 and Shift+F3
  // step on from the cursor and say when they went round.
  void WholeImageMatchesSelectTheirNodeAndRunAndStepRound() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    const Bytes Image = FindBytesImage();
    Main.OpenFlash(Folder.Write("find.fls", Image));
    const std::vector<std::size_t> At = Starts(Image, Ascii("NOKIA"));
    QCOMPARE(At.size(), std::size_t{3});
    const QModelIndex Chunk = ChunkItem(Main, "TEXT");
    QCOMPARE(Main.tvMain->model()->rowCount(Chunk), 0);  // not built yet
    QCOMPARE(Main.aFindBytes->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    QCOMPARE(Main.mEdit->actions().indexOf(Main.aFindBytes), Main.mEdit->actions().indexOf(Main.aFind) + 1);

    FindBytes(Main, "NOKIA", TBytePatternKind::Windows1252, true);
    QVERIFY(Main.dlgFindBytes->isVisible());
    QVERIFY(!Main.dkBytes->isHidden());
    // Built through the tree: the chunk's items mirror its subchunks.
    QCOMPARE(Main.tvMain->model()->rowCount(Chunk), static_cast<int>(TImageTreeModel::ModelNode(Chunk)->ChildCount()));
    const TKavClass* First = TImageTreeModel::ModelNode(Main.tvMain->model()->index(0, 0, Chunk));
    const TKavClass* Second = TImageTreeModel::ModelNode(Main.tvMain->model()->index(1, 0, Chunk));

    struct Step {
      const char* What;
      int Direction;  // 1: F3, -1: Shift+F3, 0: the dialog's Find
      std::size_t Match;
      const TKavClass* Node;
      const char* Went;  // how the status begins
    };
    const Step Steps[] = {
        {"the dialog found the first", 0, 0, First, "Match"},
        {"the next in the same table", 1, 1, First, "Match"},
        {"the next table", 1, 2, Second, "Match"},
        {"round to the first", 1, 0, First, "Search wrapped to the start: match"},
        {"back round to the last", -1, 2, Second, "Search wrapped to the end: match"},
        {"back one", -1, 1, First, "Match"},
        {"Find again passes the match selected", 0, 2, Second, "Match"},
    };
    for (const Step& St : Steps) {
      if (St.Direction > 0) Main.aFindNext->trigger();
      else if (St.Direction < 0) Main.aFindPrev->trigger();
      else if (St.Match != 0) QTest::mouseClick(Main.dlgFindBytes->bFind, Qt::LeftButton);
      QVERIFY2(Current(Main) == St.Node, St.What);
      QCOMPARE(Main.pBytes->Model().Node(), St.Node);
      QCOMPARE(Run(Main), std::make_pair(At[St.Match], std::size_t{5}));
      QCOMPARE(Main.pBytes->CursorByte(), static_cast<long long>(At[St.Match] - St.Node->ImageOffset()));
      const QString Status = QStringLiteral("%1 at offset %2.").arg(QString::fromLatin1(St.Went), OffsetText(At[St.Match]));
      QCOMPARE(Main.dlgFindBytes->stResult->text(), Status);
      QCOMPARE(Main.statusBar()->currentMessage(), Status);
    }

    // A run across two tables: the chunk that holds them both is selected, with all of it.
    const std::size_t Border = Second->ImageOffset();
    const Bytes Across(Image.begin() + static_cast<long>(Border - 8), Image.begin() + static_cast<long>(Border + 8));
    const std::vector<std::size_t> AcrossAt = Starts(Image, Across);
    QCOMPARE(AcrossAt, std::vector<std::size_t>{Border - 8});
    FindBytes(Main, QString::fromStdString(kavex::BytesHex(Across)), TBytePatternKind::Hex, true);
    QCOMPARE(Main.tvMain->currentIndex(), Chunk);
    QCOMPARE(Run(Main), std::make_pair(Border - 8, std::size_t{16}));
    // Two-byte text finds the wide table's entry, not the one-byte ones.
    FindBytes(Main, "NOKIA", TBytePatternKind::Utf16BE, true);
    const TKavClass* Wide = TImageTreeModel::ModelNode(Main.tvMain->model()->index(2, 0, Chunk));
    QCOMPARE(Current(Main), Wide);
    QCOMPARE(Run(Main).second, std::size_t{10});
    QCOMPARE(Starts(Image, {0, 'N', 0, 'O', 0, 'K', 0, 'I', 0, 'A'}), std::vector<std::size_t>{Run(Main).first});
    QVERIFY(Answers.Messages().empty());
    // The outcome leaves the status bar with the next open: its line is the open's own.
    Main.OpenFlash(Folder.Path("missing.fls"));
    QVERIFY(Main.statusBar()->currentMessage().isEmpty());
    QVERIFY(Main.stStatusHint->text().startsWith("Could not show missing.fls"));
  }

  // The selected node alone: matches elsewhere are not found, and its one match comes round
  // to itself.
  void SelectedNodeScopeSearchesThatNodeOnly() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    const Bytes Image = FindBytesImage();
    Main.OpenFlash(Folder.Write("find.fls", Image));
    const std::vector<std::size_t> At = Starts(Image, Ascii("NOKIA"));
    const QModelIndex Chunk = ChunkItem(Main, "TEXT");
    Main.tvMain->ExpandNode(Chunk);
    const QModelIndex SecondItem = Main.tvMain->model()->index(1, 0, Chunk);
    Main.tvMain->setCurrentIndex(SecondItem);
    const TKavClass* Second = Current(Main);

    FindBytes(Main, "4e 4f 4b 49 41", TBytePatternKind::Hex, false);
    QCOMPARE(Current(Main), Second);
    QCOMPARE(Run(Main), std::make_pair(At[2], std::size_t{5}));
    QCOMPARE(Main.dlgFindBytes->stResult->text(), QStringLiteral("Match at offset %1.").arg(OffsetText(At[2])));
    Main.aFindNext->trigger();
    QCOMPARE(Current(Main), Second);
    QCOMPARE(Run(Main), std::make_pair(At[2], std::size_t{5}));
    QCOMPARE(Main.dlgFindBytes->stResult->text(), QStringLiteral("Search wrapped to the start: match at offset %1.").arg(OffsetText(At[2])));
    QVERIFY(Answers.Messages().empty());

    // The English table's words are not in this one.
    FindBytes(Main, "English", TBytePatternKind::Windows1252, false);
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
    QCOMPARE(Answers.Messages()[0].Text, QStringLiteral("No match for \"English\"."));
    QCOMPARE(Current(Main), Second);
    QCOMPARE(Run(Main), std::make_pair(At[2], std::size_t{5}));  // left as it was
    // The whole image has them.
    Main.dlgFindBytes->SetWholeImage(true);
    QTest::mouseClick(Main.dlgFindBytes->bFind, Qt::LeftButton);
    QCOMPARE(Current(Main), TImageTreeModel::ModelNode(Main.tvMain->model()->index(0, 0, Chunk)));
    QCOMPARE(Answers.Messages().size(), std::size_t{1});
  }

  // A pattern that makes no bytes, or bytes found nowhere, says so and changes nothing; F3
  // before any byte search steps Find's hits, and after one the byte matches until a text
  // Find runs again.
  void RefusalsAndNoMatchSaySoAndF3StepsTheSearchThatRanLast() {
    IsolatedSettings S;
    DialogAnswers Answers;
    ImageFolder Folder;
    TKavexApp App;
    kavex::TfMain& Main = App.Main();
    const Bytes Image = FindBytesImage();
    Main.OpenFlash(Folder.Write("find.fls", Image));
    const QModelIndex Root = Main.tvMain->currentIndex();
    const struct {
      QString Pattern;
      TBytePatternKind Kind;
      QString Message;
    } Cases[] = {
        {"4E 4F 4", TBytePatternKind::Hex, "\"4\" is not whole bytes: give two hex digits a byte, like 4E 4F 4B."},
        {QString::fromUtf16(u"\u041d\u041e\u041a"), TBytePatternKind::Windows1252,
         QString::fromUtf16(u"\"\u041d\" (U+041D) has no byte in Windows-1252.")},
        {"de ad be ef 99", TBytePatternKind::Hex, "No match for DE AD BE EF 99."},
    };
    for (const auto& C : Cases) {
      Answers.ClearMessages();
      FindBytes(Main, C.Pattern, C.Kind, true);
      QCOMPARE(Answers.Messages().size(), std::size_t{1});
      QCOMPARE(Answers.Messages()[0].Text, C.Message);
      QCOMPARE(Main.tvMain->currentIndex(), Root);
    }
    Answers.ClearMessages();
    Main.dlgFindBytes->hide();

    // Text Find's hits: "NOKIA" in four entries, F3 steps them.
    Main.pFind->eFind->setText("nokia");
    QTest::keyClick(Main.pFind->eFind, Qt::Key_Return);
    QCOMPARE(Main.pFind->Hits().size(), std::size_t{4});  // the wide table's entry as well
    QCOMPARE(Main.pFind->CurrentHit(), 0);
    Main.aFindNext->trigger();
    QCOMPARE(Main.pFind->CurrentHit(), 1);
    // A byte search: F3 now steps its matches and leaves the hits alone.
    FindBytes(Main, "NOKIA", TBytePatternKind::Windows1252, true);
    const std::vector<std::size_t> At = Starts(Image, Ascii("NOKIA"));
    QCOMPARE(Run(Main).first, At[0]);
    Main.aFindNext->trigger();
    QCOMPARE(Run(Main).first, At[1]);
    Main.aFindPrev->trigger();
    QCOMPARE(Run(Main).first, At[0]);
    QCOMPARE(Main.pFind->CurrentHit(), 1);
    // Text Find again: F3 is its own once more.
    QTest::keyClick(Main.pFind->eFind, Qt::Key_Return);
    QCOMPARE(Main.pFind->CurrentHit(), 0);
    Main.aFindNext->trigger();
    QCOMPARE(Main.pFind->CurrentHit(), 1);
    Main.aFindPrev->trigger();
    QCOMPARE(Main.pFind->CurrentHit(), 0);
    // So it is after a text Find without hits: F3 searches for the word again, and the byte
    // run stays where it was.
    FindBytes(Main, "NOKIA", TBytePatternKind::Windows1252, true);
    const auto Before = Run(Main);
    Main.pFind->eFind->setText("zzz");
    QTest::keyClick(Main.pFind->eFind, Qt::Key_Return);
    Main.aFindNext->trigger();
    QVERIFY(Main.pFind->Hits().empty());
    QCOMPARE(Run(Main), Before);
    QVERIFY(Answers.Messages().empty());
  }

  void TheDialogsChoicesAreKept() {
    IsolatedSettings S;
    DialogAnswers Answers;
    {
      TKavexApp App;
      QCOMPARE(App.Main().dlgFindBytes->Kind(), TBytePatternKind::Hex);  // the first start's
      QVERIFY(!App.Main().dlgFindBytes->WholeImage());
      App.Main().dlgFindBytes->SetKind(TBytePatternKind::Utf16BE);
      App.Main().dlgFindBytes->SetWholeImage(true);
    }
    {
      TKavexApp App;
      QCOMPARE(App.Main().dlgFindBytes->Kind(), TBytePatternKind::Utf16BE);
      QVERIFY(App.Main().dlgFindBytes->WholeImage());
    }
    // A stored kind the program does not know reads as the nearest one it does.
    S.Open()->setValue("FindBytes/PatternKind", 7);
    TKavexApp App;
    QCOMPARE(App.Main().dlgFindBytes->Kind(), TBytePatternKind::Utf16BE);
  }
};

QTEST_MAIN(FindBytesTest)
#include "find_bytes_test.moc"
