// The detail panels: which panel a node shows and when, their texts, the text and MCC lists,
// the font picture and its wheel, and the Unicode display font.

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "PanelImages.h"
#include "UiTestSupport.h"
#include "model/Kav_Font.h"
#include "present/Kav_AreaDetails.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"
#include "ui/NodeDetails.h"

using namespace kavtest;
using kavex::TfMain;
using kavex::TImageTree;

namespace {

using Glyph = std::vector<std::string>;

// Glyph k of a 4x5 font: its top-left pixel inked, the rest paper, and k+1 inked pixels in
// its bottom row (at most four).
std::vector<Glyph> MarkedGlyphs(int Count) {
  std::vector<Glyph> Out;
  for (int K = 0; K < Count; ++K) {
    std::string Bottom(4, '.');
    for (int I = 0; I <= K && I < 4; ++I) Bottom[static_cast<std::size_t>(I)] = '#';
    Out.push_back({"#...", "....", "....", "....", Bottom});
  }
  return Out;
}

// Count solid glyphs of Width x Height.
std::vector<Glyph> Blocks(int Count, int Width, int Height) {
  const Glyph Solid(static_cast<std::size_t>(Height), std::string(static_cast<std::size_t>(Width), '#'));
  return std::vector<Glyph>(static_cast<std::size_t>(Count), Solid);
}

const std::vector<std::string> English = {"English", "Hello", "World", "<b>not bold</b>"};

// PPM chunks: 0 TEXT (English, common, Russian), 1 TONE, 2 PLMN, 3 FONT (Marked: codes 0..9
// at 4x5; Many: 600 codes at 20x20; Wide: 3 codes at 100x3; Empty), 4 LDB with a wrong
// checksum, 5 the end chunk.
Bytes BadLdb() {
  Bytes Data = SubchunkBytes({.Id = 5, .ShortName = "ab", .Body = Bytes(8, 7)});
  Append(Data, ClosingRecord());
  return ChunkBytes({.Name = "LDB", .Version = "V2", .Data = Data, .Checksum = 0x12C});
}

Bytes PanelImage() {
  return GoodImage({
      ChunkOf("TEXT", {TextSubchunk(1, English, "en"), TextSubchunk(0x33, {"OK", "Cancel"}),
                       WideTextSubchunk(2, {u"X\u0420\u0443\u0441\u0441\u043a\u0438\u0439", u"\u041f\u0440\u0438\u0432\u0435\u0442"}, "ru")}),
      ChunkOf("TONE", {ToneSubchunk(1, "Ring")}),
      ChunkOf("PLMN", {PlmnSubchunk(7, 250, {{.B1 = 0x10, .B2 = 0xF2, .Name = "Three"}, {.B1 = 0, .B2 = 0, .Name = "\xE9t\xE9"}})}),
      ChunkOf("FONT", {FontSubchunk({ArtFont(0, MarkedGlyphs(10), "Marked"), ArtFont(0x100, Blocks(600, 20, 20), "Many"),
                                     ArtFont(0x41, Blocks(3, 100, 3), "Wide"), Font{.Name1 = "Empty", .Images = {{.Width = 7}}}})}),
      BadLdb(),
  });
}

const QStringList PanelNames = {"pChunk", "pSubchunk", "sbFontImg", "pTextSubchunk", "pPLMNSubchunk"};

// Counts how often each watched panel is hidden.
class HideCounter : public QObject {
public:
  int Count(const QObject* Panel) const { return Counts_.value(Panel); }
  void Watch(QWidget* Panel) { Panel->installEventFilter(this); }

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::HideToParent) ++Counts_[Watched];
    return false;
  }

private:
  QHash<const QObject*, int> Counts_;
};

struct Viewer {
  IsolatedSettings Settings;
  DialogAnswers Answers;
  ImageFolder Folder;
  kavex::TKavexApp App;
  TfMain& Main = App.Main();

  explicit Viewer(const Bytes& Image = PanelImage()) {
    Main.show();
    if (!QTest::qWaitForWindowExposed(&Main)) qWarning("main window not exposed");
    Main.OpenFlash(Folder.Write("panels.fls", Image));
  }
  // The node at Path below the PPM area, its parents expanded on the way.
  QModelIndex Item(std::initializer_list<int> Path) {
    const QAbstractItemModel* Nodes = Main.tvMain->model();
    QModelIndex Node = Nodes->index(1, 0, Nodes->index(0, 0));
    for (int Index : Path) {
      Main.tvMain->setExpanded(Node, true);
      Node = Nodes->index(Index, 0, Node);
    }
    return Node;
  }
  void Select(std::initializer_list<int> Path) { Main.tvMain->setCurrentIndex(Item(Path)); }
  QStringList Shown() const {
    QStringList Out;
    for (const QString& Name : PanelNames)
      if (const auto* Panel = Main.pAllInfo->findChild<QWidget*>(Name); Panel && !Panel->isHidden()) Out << Name;
    return Out;
  }
  const kavex::TFontEntry& FontEntry(int Index) {
    return dynamic_cast<const kavex::TFontEntry&>(*kavex::TImageTreeModel::ModelNode(Item({3, 0, Index})));
  }
  QStringList Column(const QTreeView* List, int Column) const {
    QStringList Out;
    for (int Row = 0; Row < List->model()->rowCount(); ++Row) Out << List->model()->index(Row, Column).data().toString();
    return Out;
  }
};

// A control of the main window, found by its name.
template <class T>
T* Find(const TfMain& Main, const char* Name) {
  T* Found = Main.findChild<T*>(QString::fromLatin1(Name));
  if (!Found) qFatal("no control %s", Name);
  return Found;
}

QRgb Pixel(const QImage& Picture, int X, int Y) { return Picture.pixel(X, Y) & 0xFFFFFF; }
constexpr QRgb Grey = 0x808080, Ink = 0x000000, Paper = 0x00FF00;

bool SendWheel(QWidget* Target, int Delta) {
  const QPointF Local = QRectF(Target->rect()).center();
  QWheelEvent Event(Local, Target->mapToGlobal(Local), QPoint(), QPoint(0, Delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(Target, &Event);
  return Event.isAccepted();
}

}  // namespace

class DetailPanelsTest : public QObject {
  Q_OBJECT

private slots:
  void PanelsSwitchBetweenChunkSubchunkAndBack() {
    Viewer V;
    QVERIFY(V.Shown().isEmpty());  // the root is selected after opening: no details
    V.Select({0});
    QCOMPARE(V.Shown(), QStringList({"pChunk"}));
    QCOMPARE(V.Main.pAllInfo->CurrentInfoPanel(), static_cast<QWidget*>(Find<kavex::THeaderPanel>(V.Main, "pChunk")));
    V.Select({0, 0});
    QCOMPARE(V.Shown(), QStringList({"pSubchunk", "pTextSubchunk"}));
    QCOMPARE(V.Main.pAllInfo->CurrentListPanel(), static_cast<QWidget*>(Find<kavex::THeaderPanel>(V.Main, "pTextSubchunk")));
    V.Select({0});
    QCOMPARE(V.Shown(), QStringList({"pChunk"}));
    QVERIFY(V.Main.pAllInfo->CurrentListPanel() == nullptr);
    V.Select({2, 0});
    QCOMPARE(V.Shown(), QStringList({"pSubchunk", "pPLMNSubchunk"}));
    // An LDB subchunk has the subchunk panel only.
    V.Select({4, 0});
    QCOMPARE(V.Shown(), QStringList({"pSubchunk"}));
    V.Select({3, 0, 0});
    QCOMPARE(V.Shown(), QStringList({"sbFontImg"}));
    // The file and its areas have no details.
    V.Main.tvMain->setCurrentIndex(V.Main.tvMain->model()->index(0, 0, V.Main.tvMain->model()->index(0, 0)));
    QVERIFY(V.Shown().isEmpty());
    QVERIFY(V.Main.pAllInfo->CurrentInfoPanel() == nullptr);
    QVERIFY(V.Answers.Messages().empty());
  }

  void PanelsThatStayAreRefilledInPlace() {
    Viewer V;
    HideCounter Hides;
    for (QWidget* Panel : {static_cast<QWidget*>(Find<kavex::THeaderPanel>(V.Main, "pSubchunk")), static_cast<QWidget*>(Find<kavex::THeaderPanel>(V.Main, "pTextSubchunk"))}) Hides.Watch(Panel);
    V.Select({0, 0});
    QCOMPARE(V.Column(Find<QTreeView>(V.Main, "lvText"), 1), QStringList({"Hello", "World", "<b>not bold</b>"}));
    QSignalSpy Inserted(Find<QTreeView>(V.Main, "lvText")->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy Reset(Find<QTreeView>(V.Main, "lvText")->model(), &QAbstractItemModel::modelReset);
    V.Select({0, 1});
    QCOMPARE(V.Column(Find<QTreeView>(V.Main, "lvText"), 1), QStringList({"OK", "Cancel"}));
    QCOMPARE(Find<QLabel>(V.Main, "stSubchunkID")->text(), QString("0x00000033"));
    QCOMPARE(Hides.Count(Find<kavex::THeaderPanel>(V.Main, "pSubchunk")), 0);
    QCOMPARE(Hides.Count(Find<kavex::THeaderPanel>(V.Main, "pTextSubchunk")), 0);
    // The list is refilled in one go, not row by row.
    QCOMPARE(Reset.count(), 1);
    QCOMPARE(Inserted.count(), 0);

    // Text, then tone: the subchunk panel stays, the text panel goes.
    V.Select({1, 0});
    QCOMPARE(V.Shown(), QStringList({"pSubchunk"}));
    QCOMPARE(Hides.Count(Find<kavex::THeaderPanel>(V.Main, "pSubchunk")), 0);
    QCOMPARE(Hides.Count(Find<kavex::THeaderPanel>(V.Main, "pTextSubchunk")), 1);
    QCOMPARE(Find<QLabel>(V.Main, "stSubchunkID")->text(), QString("0x00000001"));
  }

  void OpeningAnotherFileHidesEverything() {
    Viewer V;
    V.Select({3, 0, 1});
    QCOMPARE(V.Shown(), QStringList({"sbFontImg"}));
    V.Main.OpenFlash(V.Folder.Path("missing.fls"));
    QVERIFY(V.Shown().isEmpty());
    QVERIFY(V.Main.pAllInfo->CurrentFontEntry() == nullptr);
    // The box may still change size; there is nothing left to draw from.
    V.Main.resize(V.Main.width() - 40, V.Main.height());
    QVERIFY(V.Shown().isEmpty());
  }

  // The file and each area show a panel of their own, the core's rows, beside the two slots,
  // which stay empty; any other node hides it.
  void FileAndAreasShowTheirOwnPanel() {
    const Bytes Image = GoodImage({ChunkOf("TEXT", {TextSubchunk(1, English, "en")})}, Bytes(5, 0xEE));
    for (const bool Blocks : {false, true}) {
      Viewer V(Blocks ? WinTesla(Image, 0x200000, 0x4000) : Image);
      auto* Area = Find<kavex::TFieldsPanel>(V.Main, "pArea");
      const QAbstractItemModel* Nodes = V.Main.tvMain->model();
      const QModelIndex Root = Nodes->index(0, 0);
      for (const QModelIndex& Item : {Root, Nodes->index(0, 0, Root), Nodes->index(1, 0, Root), Nodes->index(2, 0, Root)}) {
        V.Main.tvMain->setCurrentIndex(Item);  // the root is selected already after opening
        QStringList Shown{Area->TitleLabel()->text()}, Core;
        for (const auto& [Label, Value] : Area->Fields()) Shown << Label + ' ' + Value;
        const kavex::TAreaDetails D = kavex::AreaDetails(*kavex::TImageTreeModel::ModelNode(Item));
        Core << QString::fromStdString(D.Title);
        for (const kavex::TDetailRow& Row : D.Rows) Core << QString::fromStdString(Row.Label + ' ' + Row.Value);
        QCOMPARE(Shown, Core);
        QVERIFY(V.Main.pAllInfo->AreaPanelShown() && V.Shown().isEmpty() && !V.Main.pAllInfo->CurrentInfoPanel());
        QVERIFY(Area->ValueLabel(int(D.Rows.size()) - 1)->textInteractionFlags() & Qt::TextSelectableByMouse);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (const QLabel* Label : Area->findChildren<QLabel*>())  // every label whole
          if (!Label->isHidden()) QVERIFY2(Label->width() >= Label->sizeHint().width(), qPrintable(Label->text()));
      }
      // The EEPROM area's two rows after the PPM area's six: none of those is left.
      QCOMPARE(Area->Fields().size(), std::size_t{2});
      QVERIFY(!Area->ValueLabel(2));
      V.Select({0});
      QCOMPARE(V.Shown(), QStringList({"pChunk"}));
      QVERIFY(Area->isHidden());
      V.Main.OpenFlash(V.Folder.Path("missing.fls"));
      QVERIFY(Area->isHidden());
    }
  }

  void ChunkAndSubchunkHeadersShowTheirFields() {
    Viewer V;
    V.Select({0});
    QCOMPARE(Find<kavex::THeaderPanel>(V.Main, "pChunk")->TitleLabel()->text(), QString("Chunk"));
    QVERIFY(Find<QLabel>(V.Main, "stChunkChkSum")->text().endsWith(" (match)"));
    QCOMPARE(Find<QLabel>(V.Main, "stChunkNameType")->text(), QString("TEXT"));
    QCOMPARE(Find<QLabel>(V.Main, "stChunkVersion")->text(), QString("V1"));
    for (const QLabel* Value : {Find<QLabel>(V.Main, "stChunkChkSum"), Find<QLabel>(V.Main, "stSubchunkFlags"), Find<QLabel>(V.Main, "stTextSubchunkCharset")})
      QCOMPARE(Value->x() + Value->contentsRect().x() + Value->margin() + std::max(0, Value->indent()), 88);
    const Bytes Bad = BadLdb();
    V.Select({4});
    QCOMPARE(Find<QLabel>(V.Main, "stChunkChkSum")->text(), QString::asprintf("0x0000012C (expected 0x%08X)", ChunkChecksum(Bad)));
    QCOMPARE(Find<QLabel>(V.Main, "stChunkLength")->text(), QString::asprintf("0x%08X (%d)", unsigned(Bad.size()), int(Bad.size())));
    QCOMPARE(Find<QLabel>(V.Main, "stChunkNameType")->text(), QString("LDB"));  // the zero fourth byte ends it
    V.Select({0, 0});
    QCOMPARE(Find<kavex::THeaderPanel>(V.Main, "pSubchunk")->TitleLabel()->text(), QString("Subchunk"));
    QCOMPARE(Find<QLabel>(V.Main, "stSubchunkID")->text(), QString("0x00000001"));
    QCOMPARE(Find<QLabel>(V.Main, "stSubchunkLength")->text(), QString("0x00000035 (53)"));
    QCOMPARE(Find<QLabel>(V.Main, "stSubchunkShortname")->text(), QString("en"));
    QCOMPARE(Find<QLabel>(V.Main, "stSubchunkFlags")->text(), QString("0x00000000"));
    V.Select({0, 2});
    QCOMPARE(Find<QLabel>(V.Main, "stSubchunkFlags")->text(), QString("0x80000000"));
    // Values come from the image and are never read as markup.
    QCOMPARE(Find<QLabel>(V.Main, "stChunkNameType")->textFormat(), Qt::PlainText);
  }

  void TextListStartsAtZeroOnlyForTheCommonTable() {
    Viewer V;
    V.Select({0, 0});
    QCOMPARE(Find<kavex::THeaderPanel>(V.Main, "pTextSubchunk")->TitleLabel()->text(), QString("Text entries"));
    QCOMPARE(Find<QLineEdit>(V.Main, "eTextSubchunkLanguage")->text(), QString("English"));
    QCOMPARE(Find<QLabel>(V.Main, "stTextSubchunkCharset")->text(), QString("GSM alphabet"));
    QCOMPARE(V.Column(Find<QTreeView>(V.Main, "lvText"), 0), QStringList({"1", "2", "3"}));
    V.Select({0, 1});
    QCOMPARE(Find<QLineEdit>(V.Main, "eTextSubchunkLanguage")->text(), QString("(common)"));
    QCOMPARE(V.Column(Find<QTreeView>(V.Main, "lvText"), 0), QStringList({"0", "1"}));
    V.Select({0, 2});
    QCOMPARE(Find<QLineEdit>(V.Main, "eTextSubchunkLanguage")->text(), QString::fromUtf16(u"\u0420\u0443\u0441\u0441\u043a\u0438\u0439"));
    QCOMPARE(Find<QLabel>(V.Main, "stTextSubchunkCharset")->text(), QString("Unicode"));
    QCOMPARE(V.Column(Find<QTreeView>(V.Main, "lvText"), 1), QStringList({QString::fromUtf16(u"\u041f\u0440\u0438\u0432\u0435\u0442")}));
    QCOMPARE(Find<QTreeView>(V.Main, "lvText")->model()->headerData(0, Qt::Horizontal).toString(), QString("Index"));
  }

  void LargeTextTableIsListedWhole() {
    std::vector<std::string> Many = {"Big"};
    for (int I = 1; I < 3000; ++I) Many.push_back("Entry " + std::to_string(I));
    Viewer V(GoodImage({ChunkOf("TEXT", {TextSubchunk(9, Many)})}));
    V.Select({0, 0});
    QCOMPARE(Find<QTreeView>(V.Main, "lvText")->model()->rowCount(), 2999);
    QCOMPARE(Find<QTreeView>(V.Main, "lvText")->model()->index(2998, 0).data().toString(), QString("2999"));
    QCOMPARE(Find<QTreeView>(V.Main, "lvText")->model()->index(2998, 1).data().toString(), QString("Entry 2999"));
  }

  void MccListShowsCodesAndProvidersInItsOwnFont() {
    Viewer V;
    V.Select({2, 0});
    QCOMPARE(Find<kavex::THeaderPanel>(V.Main, "pPLMNSubchunk")->TitleLabel()->text(), QString("MCC entries"));
    QCOMPARE(V.Column(Find<QTreeView>(V.Main, "lvPLMN"), 0), QStringList({"1", "0"}));
    QCOMPARE(V.Column(Find<QTreeView>(V.Main, "lvPLMN"), 1), QStringList({"Three", QString::fromUtf16(u"\u00e9t\u00e9")}));
    QCOMPARE(Find<QTreeView>(V.Main, "lvPLMN")->model()->headerData(0, Qt::Horizontal).toString(), QString("MCC"));
    QCOMPARE(Find<QTreeView>(V.Main, "lvPLMN")->model()->headerData(1, Qt::Horizontal).toString(), QString("Provider"));
    QCOMPARE(Find<QTreeView>(V.Main, "lvPLMN")->font().family(), QString("Arial Unicode MS"));
    QCOMPARE(Find<QTreeView>(V.Main, "lvPLMN")->font().pointSize(), 8);
    // An empty operator list shows an empty list.
    Viewer Empty(GoodImage({ChunkOf("PLMN", {PlmnSubchunk(3, 262, {})})}));
    Empty.Select({0, 0});
    QCOMPARE(Empty.Shown(), QStringList({"pSubchunk", "pPLMNSubchunk"}));
    QCOMPARE(Find<QTreeView>(Empty.Main, "lvPLMN")->model()->rowCount(), 0);
  }

  void GlyphGridLayout() {
    // Cells of 6x7 for glyphs of 4x5; 10 characters in 25 pixels: 4 columns, 3 rows.
    kavex::TFontGrid G = kavex::LayoutFontGrid(10, 4, 5, 25);
    QCOMPARE(QList<int>({G.CellWidth, G.CellHeight, G.Columns, G.Rows, G.Cells, G.Width(), G.Height()}),
             QList<int>({6, 7, 4, 3, 10, 24, 21}));
    // Narrower than one cell: one column, every character below the one before.
    G = kavex::LayoutFontGrid(10, 4, 5, 5);
    QCOMPARE(QList<int>({G.Columns, G.Rows, G.Width()}), QList<int>({1, 10, 6}));
    G = kavex::LayoutFontGrid(10, 4, 5, -3);
    QCOMPARE(G.Columns, 1);
    // No characters: an empty picture.
    G = kavex::LayoutFontGrid(0, 4, 5, 25);
    QCOMPARE(G.Height(), 0);
    // The largest claim a damaged font can make stays within the picture budget.
    G = kavex::LayoutFontGrid(0x10000, 255, 31, 400);
    QVERIFY(G.Rows > 0);
    QVERIFY(static_cast<long long>(G.Width()) * G.Height() <= kavex::FontPictureBudget);
    QVERIFY(G.Cells < 0x10000);
  }

  void GlyphGridMakesRoomForTheScrollBar() {
    Viewer V;
    const kavex::TFontEntry& Marked = V.FontEntry(0);
    // 59 pixels: 9 columns, 2 rows of 7; fits 20 pixels of height without a bar.
    kavex::TFontGrid G = kavex::LayoutFontGrid(Marked, 60, 20, 15);
    QCOMPARE(QList<int>({G.Columns, G.Rows}), QList<int>({9, 2}));
    // 10 pixels high: a bar will be needed, 44 pixels are left for 7 columns.
    G = kavex::LayoutFontGrid(Marked, 60, 10, 15);
    QCOMPARE(QList<int>({G.Columns, G.Rows}), QList<int>({7, 2}));
  }

  void FontPictureIsGreyWithGlyphsFramed() {
    Viewer V;
    const kavex::TFontEntry& Marked = V.FontEntry(0);
    const QImage P = kavex::DrawFontGrid(Marked, kavex::LayoutFontGrid(10, 4, 5, 25));
    QCOMPARE(P.size(), QSize(24, 21));
    QCOMPARE(Pixel(P, 0, 0), Grey);
    QCOMPARE(Pixel(P, 1, 1), Ink);    // glyph 0, top-left
    QCOMPARE(Pixel(P, 2, 1), Paper);
    QCOMPARE(Pixel(P, 5, 1), Grey);   // right of glyph 0
    QCOMPARE(Pixel(P, 6, 1), Grey);   // left of glyph 1
    QCOMPARE(Pixel(P, 7, 1), Ink);    // glyph 1, top-left
    QCOMPARE(Pixel(P, 1, 6), Grey);   // below glyph 0
    QCOMPARE(Pixel(P, 3, 12), Ink);   // glyph 4 (row 1, column 0): bottom row all ink
    QCOMPARE(Pixel(P, 2, 5), Paper);  // glyph 0: one ink pixel in its bottom row
    // The two cells after the last code show the glyph of code 0, which this font covers.
    QCOMPARE(QList<QRgb>({Pixel(P, 13, 15), Pixel(P, 14, 15), Pixel(P, 17, 15), Pixel(P, 19, 15), Pixel(P, 20, 15)}),
             QList<QRgb>({Ink, Paper, Grey, Ink, Paper}));
    QCOMPARE(Pixel(P, 7, 15), Ink);   // cell 9
  }

  void FontPictureFollowsTheBoxAndReflowsWhenNarrowed() {
    Viewer V;
    V.Select({3, 0, 1});  // Many: 600 glyphs in cells of 22x22
    const QImage& Picture = Find<kavex::TFontPicture>(V.Main, "iFont")->Picture();
    QCOMPARE(Find<kavex::TFontScrollBox>(V.Main, "sbFontImg")->geometry(), V.Main.pAllInfo->rect());
    QCOMPARE(Picture.size(), Find<kavex::TFontPicture>(V.Main, "iFont")->size());
    QCOMPARE(Picture.width() % 22, 0);
    const int Columns = Picture.width() / 22;
    QCOMPARE(Picture.height(), (600 + Columns - 1) / Columns * 22);
    // Taller than the box: laid out beside the scroll bar, as many columns as fit.
    QTRY_VERIFY(Find<kavex::TFontScrollBox>(V.Main, "sbFontImg")->verticalScrollBar()->isVisible());
    const QSize Client = Find<kavex::TFontScrollBox>(V.Main, "sbFontImg")->viewport()->size();
    QVERIFY(Picture.width() < Client.width());
    QVERIFY(Picture.width() + 22 >= Client.width());

    const int Width = V.Main.pAllInfo->width();
    V.Main.Splitter->setSizes({V.Main.tvMain->width() + 100, Width - 100});
    QTRY_COMPARE(V.Main.pAllInfo->width(), Width - 100);
    const QImage& Narrow = Find<kavex::TFontPicture>(V.Main, "iFont")->Picture();
    QVERIFY(Narrow.width() / 22 < Columns);
    QVERIFY(Narrow.height() > (600 + Columns - 1) / Columns * 22);

    // A box narrower than one cell: one column, and the picture can be scrolled sideways.
    V.Select({3, 0, 2});
    V.Main.Splitter->setSizes({2000, 64});
    QTRY_VERIFY(V.Main.pAllInfo->width() < 102);
    QCOMPARE(Find<kavex::TFontPicture>(V.Main, "iFont")->Picture().size(), QSize(102, 3 * 5));
    QVERIFY(Find<kavex::TFontScrollBox>(V.Main, "sbFontImg")->horizontalScrollBar()->maximum() > 0);

    // A font entry without characters: an empty picture.
    V.Select({3, 0, 3});
    QCOMPARE(Find<kavex::TFontPicture>(V.Main, "iFont")->height(), 0);
    QVERIFY(Find<kavex::TFontPicture>(V.Main, "iFont")->Picture().isNull());
  }

  void WheelOverTheDetailAreaScrollsTheFontPictureOnly() {
    Viewer V;
    V.Select({3, 0, 1});
    QScrollBar* Bar = Find<kavex::TFontScrollBox>(V.Main, "sbFontImg")->verticalScrollBar();
    QVERIFY(Bar->maximum() >= 300);
    Bar->setValue(300);
    QVERIFY(SendWheel(Find<kavex::TFontScrollBox>(V.Main, "sbFontImg")->viewport(), 120));
    QCOMPARE(Bar->value(), 180);
    QVERIFY(SendWheel(Find<kavex::TFontPicture>(V.Main, "iFont"), -120));
    QCOMPARE(Bar->value(), 300);
    // Over the tree the picture stays.
    SendWheel(V.Main.tvMain->viewport(), 120);
    QCOMPARE(Bar->value(), 300);
    // Over a chunk panel nothing takes the wheel.
    V.Select({0});
    QVERIFY(!SendWheel(Find<kavex::THeaderPanel>(V.Main, "pChunk"), 120));
    QCOMPARE(Bar->value(), 300);
  }

  void DisplayFontGoesToTheTextListOnly() {
    Viewer V;
    QCOMPARE(V.Main.UnicodeFont().family(), QString("Arial Unicode MS"));
    QCOMPARE(V.Main.UnicodeFont().pointSize(), 8);
    QCOMPARE(V.Main.UnicodeCharset(), 1);
    QCOMPARE(Find<QTreeView>(V.Main, "lvText")->font().family(), QString("Arial Unicode MS"));
    QVERIFY(V.Main.aSelFont->isEnabled());
    QCOMPARE(V.Main.aSelFont->text(), QString("&Unicode font..."));

    QFont Seen;
    QFont SeenMcc;
    V.Answers.AnswerFont({.Applied = {QFont("DejaVu Serif", 13)}, .WhileOpen = [&] {
                            Seen = Find<QLineEdit>(V.Main, "eTextSubchunkLanguage")->font();
                            SeenMcc = Find<QTreeView>(V.Main, "lvPLMN")->font();
                          }});
    V.Main.aSelFont->trigger();
    // Apply previewed the font in the text list and the language field, never the MCC list.
    QCOMPARE(Seen.family(), QString("DejaVu Serif"));
    QCOMPARE(Seen.pointSize(), 13);
    QCOMPARE(SeenMcc.family(), QString("Arial Unicode MS"));
    // Cancel takes the preview back although no font was ever stored.
    QCOMPARE(Find<QTreeView>(V.Main, "lvText")->font().family(), QString("Arial Unicode MS"));
    QCOMPARE(Find<QLineEdit>(V.Main, "eTextSubchunkLanguage")->font().pointSize(), 8);
    QCOMPARE(V.Settings.Value("Unicode/FontName"), QString("<missing>"));
    QCOMPARE(V.Answers.FontDialogsSeen().at(0).family(), QString("Arial Unicode MS"));
  }

  void ConfirmedFontIsStoredAndUsedAtTheNextStart() {
    IsolatedSettings S;
    DialogAnswers Answers;
    {
      kavex::TKavexApp App;
      QFont Bold("DejaVu Sans Mono", 11);
      Bold.setBold(true);
      Answers.AnswerFont({.Confirmed = Bold});
      App.Main().aSelFont->trigger();
      QCOMPARE(Find<QTreeView>(App.Main(), "lvText")->font().family(), QString("DejaVu Sans Mono"));
      // The dialog offers no style: only name and size are taken.
      QVERIFY(!Find<QTreeView>(App.Main(), "lvText")->font().bold());
      QCOMPARE(S.Value("Unicode/FontName"), QString("DejaVu Sans Mono"));
      QCOMPARE(S.Value("Unicode/FontSize"), QString("11"));
      QCOMPARE(S.Value("Unicode/FontCharset"), QString("1"));

      // A preview cancelled now returns to the stored font.
      Answers.AnswerFont({.Applied = {QFont("DejaVu Serif", 20)}});
      App.Main().aSelFont->trigger();
      QCOMPARE(Find<QLineEdit>(App.Main(), "eTextSubchunkLanguage")->font().family(), QString("DejaVu Sans Mono"));
      QCOMPARE(Find<QLineEdit>(App.Main(), "eTextSubchunkLanguage")->font().pointSize(), 11);
      QCOMPARE(Answers.FontDialogsSeen().at(1).family(), QString("DejaVu Sans Mono"));
    }
    kavex::TKavexApp Again;
    QCOMPARE(Find<QTreeView>(Again.Main(), "lvText")->font().family(), QString("DejaVu Sans Mono"));
    QCOMPARE(Find<QTreeView>(Again.Main(), "lvText")->font().pointSize(), 11);
    QCOMPARE(Find<QTreeView>(Again.Main(), "lvPLMN")->font().family(), QString("Arial Unicode MS"));
    QCOMPARE(Answers.Unanswered(), 0);
  }

  void StoredFontValuesAreReadOneByOne() {
    IsolatedSettings S;
    DialogAnswers Answers;
    {
      auto Store = S.Open();
      Store->setValue("Unicode/FontName", "No Such Face");
      Store->setValue("Unicode/FontSize", "0");
      Store->setValue("Unicode/FontCharset", "204");
    }
    kavex::TKavexApp App;
    // A face the system lacks keeps its name; a size of 0 keeps the default.
    QCOMPARE(App.Main().UnicodeFont().family(), QString("No Such Face"));
    QCOMPARE(App.Main().UnicodeFont().pointSize(), 8);
    QCOMPARE(App.Main().UnicodeCharset(), 204);
    // The character set is carried through a confirmed choice.
    Answers.AnswerFont({.Confirmed = QFont("DejaVu Sans", 9)});
    App.Main().aSelFont->trigger();
    QCOMPARE(S.Value("Unicode/FontCharset"), QString("204"));
    QCOMPARE(S.Value("Unicode/FontSize"), QString("9"));
  }

  void QtFontDialogHasAnApplyButtonThatKeepsItOpenAndNoStyleChoice() {
    kavex::ResetDialogHooks();
    std::vector<QFont> Applied;
    bool OpenAfterApply = false;
    QStringList Offered;  // the lists, labels and check boxes a user sees
    const auto Drive = [&](bool Confirm) {
      QTimer::singleShot(0, [&, Confirm] {
        auto* Dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        if (!Dialog) return;
        Offered.clear();
        for (QWidget* W : Dialog->findChildren<QWidget*>())
          if (W->isVisible() && (qobject_cast<QListView*>(W) || qobject_cast<QCheckBox*>(W)))
            Offered << W->metaObject()->className();
          else if (auto* Label = qobject_cast<QLabel*>(W); Label && Label->isVisible() && Label->buddy())
            Offered << Label->text();
        Dialog->setCurrentFont(QFont("DejaVu Serif", 14));
        if (auto* Box = Dialog->findChild<QDialogButtonBox*>(); Box && Box->button(QDialogButtonBox::Apply))
          Box->button(QDialogButtonBox::Apply)->click();
        OpenAfterApply = Dialog->isVisible();
        Confirm ? Dialog->accept() : Dialog->reject();
      });
    };
    QFont Font("DejaVu Sans", 9);
    const auto Apply = [&](const QFont& F) { Applied.push_back(F); };
    Drive(false);
    QVERIFY(!kavex::DialogHooks().RunFontDialog(nullptr, Font, Apply));
    QCOMPARE(Applied.size(), std::size_t{1});
    QCOMPARE(Applied[0].family(), QString("DejaVu Serif"));
    QCOMPARE(Applied[0].pointSize(), 14);
    QVERIFY(OpenAfterApply);
    QVERIFY2(Offered.filter("yle").isEmpty() && !Offered.contains("QCheckBox"), qPrintable(Offered.join(',')));
    QCOMPARE(Offered.filter("QFontListView").size(), 2);  // family and size
    QCOMPARE(Font.family(), QString("DejaVu Sans"));
    Drive(true);
    QVERIFY(kavex::DialogHooks().RunFontDialog(nullptr, Font, Apply));
    QCOMPARE(Font.family(), QString("DejaVu Serif"));
  }
};

QTEST_MAIN(DetailPanelsTest)
#include "detail_panels_test.moc"
