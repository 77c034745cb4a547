// The detail area: the five panels and which of them a node shows, and the font picture.

#include <QApplication>
#include <algorithm>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTreeView>

#include "model/Kav_Chunk.h"
#include "present/Kav_AreaDetails.h"
#include "present/Kav_Details.h"
#include "model/Kav_Font.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_Subchunk.h"
#include "model/Kav_Text.h"
#include "ui/DetailPanels.h"
#include "ui/ImageTree.h"
#include "ui/NodeDetails.h"

namespace kavex {
namespace {

constexpr int ChunkPanelHeight = 104;
constexpr int SubchunkPanelHeight = 112;
constexpr int LanguageWidth = 153;
constexpr int ListFirstColumnWidth = 50;

// The MCC list keeps its own font whatever display font is chosen.
const QString MccFontName = QStringLiteral("Arial Unicode MS");
constexpr int MccFontSize = 8;

QString Text(const std::string& Utf8) { return QString::fromStdString(Utf8); }

void SwitchPanel(QWidget*& Current, QWidget* New) {
  if (New == Current) return;
  if (Current) Current->hide();
  Current = New;
  if (New) New->show();
}

}  // namespace

TNodeDetails::TNodeDetails(QWidget* Parent) : TDetailArea(Parent) {
  pChunk = new THeaderPanel(QStringLiteral("Chunk"), this);
  stChunkChkSum = pChunk->AddRow(QStringLiteral("CheckSum:"), HeaderRowTop(0));
  stChunkLength = pChunk->AddRow(QStringLiteral("Length:"), HeaderRowTop(1));
  stChunkNameType = pChunk->AddRow(QStringLiteral("Name/Type:"), HeaderRowTop(2));
  stChunkVersion = pChunk->AddRow(QStringLiteral("Version:"), HeaderRowTop(3));
  Place(pChunk, 0, ChunkPanelHeight);

  pSubchunk = new THeaderPanel(QStringLiteral("Subchunk"), this);
  stSubchunkID = pSubchunk->AddRow(QStringLiteral("Id:"), HeaderRowTop(0));
  stSubchunkLength = pSubchunk->AddRow(QStringLiteral("Length:"), HeaderRowTop(1));
  stSubchunkShortname = pSubchunk->AddRow(QStringLiteral("Shortname:"), HeaderRowTop(2));
  stSubchunkFlags = pSubchunk->AddRow(QStringLiteral("Flags:"), HeaderRowTop(3));
  Place(pSubchunk, 0, SubchunkPanelHeight);

  sbFontImg = new TFontScrollBox(this);
  iFont = new TFontPicture;
  sbFontImg->setWidget(iFont);
  sbFontImg->OnResize = [this] { sbFontImgResize(); };
  iFont->ToolTipAt = [this](QPoint At) { return FontCellToolTip(At); };
  Place(sbFontImg, 0, 0);

  pTextSubchunk = new THeaderPanel(QStringLiteral("Text entries"), this);
  eTextSubchunkLanguage = new QLineEdit;
  eTextSubchunkLanguage->setReadOnly(true);
  eTextSubchunkLanguage->setFrame(false);
  QPalette Field = eTextSubchunkLanguage->palette();
  Field.setColor(QPalette::Base, pTextSubchunk->palette().color(QPalette::Window));
  eTextSubchunkLanguage->setPalette(Field);
  const int LanguageTop = HeaderRowTop(0);
  pTextSubchunk->AddRow(QStringLiteral("Language:"), LanguageTop, eTextSubchunkLanguage, LanguageWidth);
  const int CharsetTop = LanguageTop + 20;
  stTextSubchunkCharset = pTextSubchunk->AddRow(QStringLiteral("Charset:"), CharsetTop);
  TextRows = new TTwoColumnModel(QStringLiteral("Index"), QStringLiteral("Entry"), this);
  lvText = MakeReportList(TextRows, ListFirstColumnWidth, pTextSubchunk);
  pTextSubchunk->SetFill(lvText, CharsetTop + 20);
  Place(pTextSubchunk, SubchunkPanelHeight, 0);

  pPLMNSubchunk = new THeaderPanel(QStringLiteral("MCC entries"), this);
  PlmnRows = new TTwoColumnModel(QStringLiteral("MCC"), QStringLiteral("Provider"), this);
  lvPLMN = MakeReportList(PlmnRows, ListFirstColumnWidth, pPLMNSubchunk);
  // The MCC list keeps this font whatever display font is chosen.
  lvPLMN->setFont(QFont(MccFontName, MccFontSize));
  pPLMNSubchunk->SetFill(lvPLMN, HeaderRowTop(0));
  Place(pPLMNSubchunk, SubchunkPanelHeight, 0);

  pArea = new TFieldsPanel(this);
  Place(pArea, 0, 0);

  // Everything the area holds is found by its name.
  const std::pair<QObject*, const char*> Names[] = {
      {pArea, "pArea"}, {pChunk, "pChunk"}, {pSubchunk, "pSubchunk"}, {sbFontImg, "sbFontImg"}, {iFont, "iFont"},
      {pTextSubchunk, "pTextSubchunk"}, {pPLMNSubchunk, "pPLMNSubchunk"}, {stChunkChkSum, "stChunkChkSum"},
      {stChunkLength, "stChunkLength"}, {stChunkNameType, "stChunkNameType"}, {stChunkVersion, "stChunkVersion"},
      {stSubchunkID, "stSubchunkID"}, {stSubchunkLength, "stSubchunkLength"},
      {stSubchunkShortname, "stSubchunkShortname"}, {stSubchunkFlags, "stSubchunkFlags"},
      {eTextSubchunkLanguage, "eTextSubchunkLanguage"}, {stTextSubchunkCharset, "stTextSubchunkCharset"},
      {lvText, "lvText"}, {lvPLMN, "lvPLMN"}};
  for (const auto& [Object, Name] : Names) Object->setObjectName(QString::fromLatin1(Name));
  for (QWidget* Panel : {static_cast<QWidget*>(pChunk), static_cast<QWidget*>(pSubchunk), static_cast<QWidget*>(sbFontImg),
                         static_cast<QWidget*>(pTextSubchunk), static_cast<QWidget*>(pPLMNSubchunk), static_cast<QWidget*>(pArea)})
    Panel->hide();
  // A click on a header value selects its stored bytes in the bytes view.
  const std::pair<QLabel*, THeaderField> Fields[] = {
      {stChunkChkSum, THeaderField::ChunkChecksum},   {stChunkLength, THeaderField::ChunkLength},
      {stChunkNameType, THeaderField::ChunkName},     {stChunkVersion, THeaderField::ChunkVersion},
      {stSubchunkID, THeaderField::SubchunkID},       {stSubchunkLength, THeaderField::SubchunkLength},
      {stSubchunkShortname, THeaderField::SubchunkShortName}, {stSubchunkFlags, THeaderField::SubchunkFlags}};
  for (const auto& [Label, Field] : Fields) {
    Label->setProperty("kavexField", static_cast<int>(Field));
    Label->installEventFilter(this);
  }
  BuildComparePanel();
}

bool TNodeDetails::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() == QEvent::MouseButtonPress && FieldClicked) {
    if (const QVariant Field = Watched->property("kavexField"); Field.isValid()) {
      FieldClicked(HeaderField(static_cast<THeaderField>(Field.toInt())));
      return false;
    }
  }
  return TDetailArea::eventFilter(Watched, Event);
}

void TNodeDetails::ShowNodeInfo(const TKavClass* Node) {
  // The panel of the node's row in the kind table; its kind agrees with its class name, so
  // the casts below hold.
  const TNodePanel Panel = NodePanelOf(Node);
  // The node's own panels, not both sides of it.
  pCompare->hide();
  QWidget* NewInfoPanel = nullptr;
  bool DropListPanel = true;
  // The file and its areas have none of the panels below; theirs is shown beside the slots.
  const bool AreaNode = HasAreaDetails(Node);
  if (!AreaNode) pArea->hide();

  if (Panel == TNodePanel::Chunk) {
    const TChunkDetails D = ChunkDetails(static_cast<const TChunk&>(*Node));
    stChunkChkSum->setText(Text(D.CheckSum));
    stChunkLength->setText(Text(D.Length));
    stChunkNameType->setText(Text(D.NameType));
    stChunkVersion->setText(Text(D.Version));
    NewInfoPanel = pChunk;
  } else if (IsSubchunkPanel(Panel)) {
    NewInfoPanel = pSubchunk;
    DropListPanel = false;
    QWidget* NewListPanel = nullptr;
    const TSubchunkDetails D = SubchunkDetails(static_cast<const TSubchunk&>(*Node));
    stSubchunkID->setText(Text(D.Id));
    stSubchunkLength->setText(Text(D.Length));
    stSubchunkShortname->setText(Text(D.Shortname));
    stSubchunkFlags->setText(Text(D.Flags));
    if (Panel == TNodePanel::TextList) {
      TTextListDetails T = TextListDetails(static_cast<const TTextSubchunk&>(*Node));
      std::vector<TTwoColumnModel::TRow> Rows;
      Rows.reserve(T.Rows.size());
      for (const TTextRow& Row : T.Rows) Rows.push_back({Text(Row.Index), Text(Row.Entry)});
      TextRows->SetRows(std::move(Rows));
      stTextSubchunkCharset->setText(Text(T.Charset));
      eTextSubchunkLanguage->setText(Text(T.Language));
      eTextSubchunkLanguage->setCursorPosition(0);
      NewListPanel = pTextSubchunk;
    } else if (Panel == TNodePanel::OperatorList) {
      std::vector<TTwoColumnModel::TRow> Rows;
      for (const TOperatorRow& Row : OperatorListRows(static_cast<const TPLMNSubchunk&>(*Node))) Rows.push_back({Text(Row.Mcc), Text(Row.Provider)});
      PlmnRows->SetRows(std::move(Rows));
      NewListPanel = pPLMNSubchunk;
    }
    SwitchPanel(CurrentListPanel_, NewListPanel);
  } else if (Panel == TNodePanel::FontImage) {
    CurrentFontEntry_ = static_cast<const TFontEntry*>(Node);
    DrawFontImage();
    NewInfoPanel = sbFontImg;
  }

  SwitchPanel(CurrentInfoPanel_, NewInfoPanel);
  if (DropListPanel) SwitchPanel(CurrentListPanel_, nullptr);

  if (AreaNode) {
    const TAreaDetails D = AreaDetails(*Node);
    std::vector<TFieldsPanel::TField> Fields;
    for (const TDetailRow& Row : D.Rows) Fields.push_back({Text(Row.Label), Text(Row.Value)});
    pArea->SetFields(Text(D.Title), Fields);
    pArea->show();
  }
}

bool TNodeDetails::AreaPanelShown() const { return !pArea->isHidden(); }

void TNodeDetails::DrawFontImage() {
  FontImageDrawnFor_ = sbFontImg->size();
  if (!CurrentFontEntry_) {
    FontGrid_ = {};
    iFont->SetPicture({}, {0, 0});
    return;
  }
  // Zoomed, the grid is laid out for the box as it would be for a box Zoom times smaller, so
  // its columns still fit the width.
  const QSize Client = sbFontImg->ClientSize();
  const int Z = FontZoom_;
  const int ScrollBar = (sbFontImg->ScrollBarWidth() + Z - 1) / Z;
  FontGrid_ = LayoutFontGrid(*CurrentFontEntry_, Client.width() / Z, Client.height() / Z, ScrollBar);
  iFont->SetPicture(DrawFontGrid(*CurrentFontEntry_, FontGrid_), {FontGrid_.Width(), FontGrid_.Height()}, Z);
}

void TNodeDetails::SetFontZoom(int Zoom) {
  Zoom = std::clamp(Zoom, FontZoomMin, FontZoomMax);
  if (Zoom == FontZoom_) return;
  FontZoom_ = Zoom;
  DrawFontImage();
  if (ComparisonShown()) DrawComparedFonts();
}

bool TNodeDetails::OverFontPicture(const QPoint& Global) const {
  return sbFontImg->isVisible() && sbFontImg->rect().contains(sbFontImg->mapFromGlobal(Global));
}

QString TNodeDetails::FontCellToolTip(const QPoint& At) const {
  if (!CurrentFontEntry_ || At.x() < 0 || At.y() < 0) return {};
  return QString::fromStdString(GlyphCellText(*CurrentFontEntry_, FontGrid_, At.x() / iFont->Zoom(), At.y() / iFont->Zoom()));
}

void TNodeDetails::sbFontImgResize() {
  // The scroll box also hears of its viewport's changes, which leave the layout as it is.
  if (!sbFontImg->isHidden() && sbFontImg->size() != FontImageDrawnFor_) DrawFontImage();
}

void TNodeDetails::sbFontImgMouseWheel(int Delta) {
  QScrollBar* Bar = sbFontImg->verticalScrollBar();
  Bar->setValue(Bar->value() - Delta);
}

bool TNodeDetails::FontPictureShown() const { return sbFontImg->isVisible(); }

void TNodeDetails::SelectListRow(int Row) {
  QTreeView* List = CurrentListPanel_ == pTextSubchunk ? lvText : CurrentListPanel_ == pPLMNSubchunk ? lvPLMN : nullptr;
  if (!List) return;
  const QModelIndex Index = List->model()->index(Row, 0);
  if (!Index.isValid()) return;
  List->setCurrentIndex(Index);
  List->scrollTo(Index, QAbstractItemView::PositionAtCenter);
}

void TNodeDetails::ApplyDisplayFont(const QFont& Font) {
  lvText->setFont(Font);
  // The side-by-side list follows while it shows text entries (the MCC list keeps its font).
  if (CompareTexts_) tvCompareList->setFont(Font);
  eTextSubchunkLanguage->setFont(Font);
}

}  // namespace kavex
