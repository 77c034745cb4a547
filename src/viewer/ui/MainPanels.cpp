// TfMain's detail area: the five panels and which of them a node shows, the font picture and
// its wheel, and the Unicode display font.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTreeView>
#include <QWheelEvent>

#include "model/Kav_Chunk.h"
#include "model/Kav_Details.h"
#include "model/Kav_Font.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_Subchunk.h"
#include "model/Kav_Text.h"
#include "ui/DetailPanels.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"

namespace kavex {
namespace {

constexpr int ChunkPanelHeight = 104;
constexpr int SubchunkPanelHeight = 112;
constexpr int LanguageWidth = 153;
constexpr int ListFirstColumnWidth = 50;

const QString UnicodeSection = QStringLiteral("Unicode");
const QString DefaultFontName = QStringLiteral("Arial Unicode MS");
constexpr int DefaultFontSize = 8;

QString Text(const std::string& Utf8) { return QString::fromStdString(Utf8); }

void SwitchPanel(QWidget*& Current, QWidget* New) {
  if (New == Current) return;
  if (Current) Current->hide();
  Current = New;
  if (New) New->show();
}

}  // namespace

void TfMain::CreateDetailPanels() {
  UnicodeFont_ = QFont(DefaultFontName, DefaultFontSize);
  UnicodeCharset_ = 1;

  pChunk = new THeaderPanel(QStringLiteral("Chunk"), pAllInfo);
  stChunkChkSum = pChunk->AddRow(QStringLiteral("CheckSum:"), HeaderRowTop(0));
  stChunkLength = pChunk->AddRow(QStringLiteral("Length:"), HeaderRowTop(1));
  stChunkNameType = pChunk->AddRow(QStringLiteral("Name/Type:"), HeaderRowTop(2));
  stChunkVersion = pChunk->AddRow(QStringLiteral("Version:"), HeaderRowTop(3));
  pAllInfo->Place(pChunk, 0, ChunkPanelHeight);

  pSubchunk = new THeaderPanel(QStringLiteral("Subchunk"), pAllInfo);
  stSubchunkID = pSubchunk->AddRow(QStringLiteral("Id:"), HeaderRowTop(0));
  stSubchunkLength = pSubchunk->AddRow(QStringLiteral("Length:"), HeaderRowTop(1));
  stSubchunkShortname = pSubchunk->AddRow(QStringLiteral("Shortname:"), HeaderRowTop(2));
  stSubchunkFlags = pSubchunk->AddRow(QStringLiteral("Flags:"), HeaderRowTop(3));
  pAllInfo->Place(pSubchunk, 0, SubchunkPanelHeight);

  sbFontImg = new TFontScrollBox(pAllInfo);
  iFont = new TFontPicture;
  sbFontImg->setWidget(iFont);
  sbFontImg->OnResize = [this] { sbFontImgResize(); };
  pAllInfo->Place(sbFontImg, 0, 0);

  pTextSubchunk = new THeaderPanel(QStringLiteral("Text entries"), pAllInfo);
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
  pAllInfo->Place(pTextSubchunk, SubchunkPanelHeight, 0);

  pPLMNSubchunk = new THeaderPanel(QStringLiteral("MCC entries"), pAllInfo);
  PlmnRows = new TTwoColumnModel(QStringLiteral("MCC"), QStringLiteral("Provider"), this);
  lvPLMN = MakeReportList(PlmnRows, ListFirstColumnWidth, pPLMNSubchunk);
  // The MCC list keeps this font whatever display font is chosen.
  lvPLMN->setFont(QFont(DefaultFontName, DefaultFontSize));
  pPLMNSubchunk->SetFill(lvPLMN, HeaderRowTop(0));
  pAllInfo->Place(pPLMNSubchunk, SubchunkPanelHeight, 0);

  pChunk->setObjectName(QStringLiteral("pChunk"));
  pSubchunk->setObjectName(QStringLiteral("pSubchunk"));
  sbFontImg->setObjectName(QStringLiteral("sbFontImg"));
  pTextSubchunk->setObjectName(QStringLiteral("pTextSubchunk"));
  pPLMNSubchunk->setObjectName(QStringLiteral("pPLMNSubchunk"));
  for (QWidget* Panel : {static_cast<QWidget*>(pChunk), static_cast<QWidget*>(pSubchunk), static_cast<QWidget*>(sbFontImg),
                         static_cast<QWidget*>(pTextSubchunk), static_cast<QWidget*>(pPLMNSubchunk)})
    Panel->hide();
}

void TfMain::ShowNodeInfo(const TKavClass* Node) {
  // The panel of the node's row in the kind table; its kind agrees with its class name, so
  // the casts below hold.
  const TNodePanel Panel = NodePanelOf(Node);
  QWidget* NewInfoPanel = nullptr;
  bool DropListPanel = true;

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
      for (const TOperatorRow& Row : OperatorListRows(static_cast<const TPLMNSubchunk&>(*Node)))
        Rows.push_back({Text(Row.Mcc), Text(Row.Provider)});
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
}

void TfMain::DrawFontImage() {
  FontImageDrawnFor_ = sbFontImg->size();
  if (!CurrentFontEntry_) {
    iFont->SetPicture({}, {0, 0});
    return;
  }
  const QSize Client = sbFontImg->ClientSize();
  const TFontGrid Grid = LayoutFontGrid(*CurrentFontEntry_, Client.width(), Client.height(), sbFontImg->ScrollBarWidth());
  iFont->SetPicture(DrawFontGrid(*CurrentFontEntry_, Grid), {Grid.Width(), Grid.Height()});
}

void TfMain::sbFontImgResize() {
  // The scroll box also hears of its viewport's changes, which leave the layout as it is.
  if (!sbFontImg->isHidden() && sbFontImg->size() != FontImageDrawnFor_) DrawFontImage();
}

void TfMain::sbFontImgMouseWheel(int Delta) {
  QScrollBar* Bar = sbFontImg->verticalScrollBar();
  Bar->setValue(Bar->value() - Delta);
}

bool TfMain::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() != QEvent::Wheel || !Watched->isWidgetType() || static_cast<QWidget*>(Watched)->window() != this)
    return QMainWindow::eventFilter(Watched, Event);
  auto* Wheel = static_cast<QWheelEvent*>(Event);
  const int Delta = Wheel->angleDelta().y();
  const QPoint At = pAllInfo->mapFromGlobal(Wheel->globalPosition().toPoint());
  if (Delta != 0 && pAllInfo->isEnabled() && pAllInfo->isVisible() && pAllInfo->rect().contains(At) &&
      sbFontImg->isVisible()) {
    sbFontImgMouseWheel(Delta);
    Wheel->accept();
    return true;  // no other control scrolls
  }
  return QMainWindow::eventFilter(Watched, Event);
}

void TfMain::LoadUnicodeFont() {
  const QString Name = Settings_->ReadString(UnicodeSection, QStringLiteral("FontName"), UnicodeFont_.family());
  const int Size = Settings_->ReadInteger(UnicodeSection, QStringLiteral("FontSize"), UnicodeFont_.pointSize());
  const int Charset = Settings_->ReadInteger(UnicodeSection, QStringLiteral("FontCharset"), UnicodeCharset_);
  // Values no font can have keep the current ones.
  if (!Name.isEmpty()) UnicodeFont_.setFamily(Name);
  if (Size > 0) UnicodeFont_.setPointSize(Size);
  if (Charset >= 0 && Charset <= 255) UnicodeCharset_ = Charset;
}

void TfMain::SaveUnicodeFont() {
  Settings_->WriteString(UnicodeSection, QStringLiteral("FontName"), UnicodeFont_.family());
  Settings_->WriteInteger(UnicodeSection, QStringLiteral("FontSize"), UnicodeFont_.pointSize());
  Settings_->WriteInteger(UnicodeSection, QStringLiteral("FontCharset"), UnicodeCharset_);
}

void TfMain::ApplyUnicodeFont() {
  lvText->setFont(UnicodeFont_);
  eTextSubchunkLanguage->setFont(UnicodeFont_);
}

void TfMain::TakeDialogFont(const QFont& Font) {
  const int Size = Font.pointSize() > 0 ? Font.pointSize() : UnicodeFont_.pointSize();
  UnicodeFont_ = QFont(Font.family(), Size);
}

void TfMain::aSelFontExecute() {
  const QFont Before = UnicodeFont_;
  QFont Chosen = UnicodeFont_;
  const bool Confirmed = DialogHooks().RunFontDialog(this, Chosen, [this](const QFont& Preview) {
    TakeDialogFont(Preview);
    ApplyUnicodeFont();
  });
  if (Confirmed) {
    TakeDialogFont(Chosen);
    SaveUnicodeFont();
  } else {
    // Back to the font in force before the dialog, stored or not.
    UnicodeFont_ = Before;
    LoadUnicodeFont();
  }
  ApplyUnicodeFont();
}

}  // namespace kavex
