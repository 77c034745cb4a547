#include "ui/DetailPanels.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "model/Kav_Font.h"

namespace kavex {
namespace {

constexpr int LabelLeft = 8;
constexpr int LabelWidth = 80;
constexpr int ValueLeft = 88;
constexpr int RightMargin = 8;

// Glyphs drawn straight into the picture's pixels; what falls outside is dropped.
class TImageSurface final : public TGlyphSurface {
public:
  explicit TImageSurface(QImage& Image) : Image_(Image) {}
  void SetPixel(int X, int Y, std::uint32_t Colour) override {
    if (X < 0 || Y < 0 || X >= Image_.width() || Y >= Image_.height()) return;
    reinterpret_cast<QRgb*>(Image_.scanLine(Y))[X] = 0xFF000000u | (Colour & 0xFFFFFFu);
  }
  void FillRect(int Left, int Top, int Width, int Height, std::uint32_t Colour) override {
    QPainter(&Image_).fillRect(Left, Top, Width, Height, QColor::fromRgb(0xFF000000u | (Colour & 0xFFFFFFu)));
  }

private:
  QImage& Image_;
};

}  // namespace

THeaderPanel::THeaderPanel(const QString& Title, QWidget* Parent) : QFrame(Parent) {
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Raised);
  setAutoFillBackground(true);
  Title_ = new QLabel(Title, this);
  Title_->setTextFormat(Qt::PlainText);
  Title_->setAlignment(Qt::AlignCenter);
  QFont TitleFont = font();
  TitleFont.setBold(true);
  TitleFont.setPointSizeF(TitleFont.pointSizeF() * 1.2);
  Title_->setFont(TitleFont);
  Rule_ = new QFrame(this);
  Rule_->setFrameShape(QFrame::HLine);
  Rule_->setFrameShadow(QFrame::Sunken);
}

QLabel* THeaderPanel::AddRow(const QString& Label, int Top) {
  auto* Value = new QLabel(this);
  // Names and versions come from the image: never read them as markup.
  Value->setTextFormat(Qt::PlainText);
  Value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  Value->setIndent(0);  // the text itself starts at the value column
  AddRow(Label, Top, Value, -1);
  return Value;
}

void THeaderPanel::AddRow(const QString& Label, int Top, QWidget* Value, int Width) {
  auto* L = new QLabel(Label, this);
  QFont Bold = L->font();
  Bold.setBold(true);
  L->setFont(Bold);
  L->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // Rows are 16 apart; a taller system font may overhang the row rather than be cut.
  const int Height = std::max(16, L->fontMetrics().height());
  L->setGeometry(LabelLeft, Top, LabelWidth, Height);
  Value->setParent(this);
  Rows_.push_back({Value, Top, Width});
  PlaceValue(Rows_.back());
}

void THeaderPanel::PlaceValue(const TRow& Row) {
  const int Height = std::max(16, Row.Value->sizeHint().height());
  const int Width = Row.Width >= 0 ? Row.Width : std::max(0, width() - ValueLeft - RightMargin);
  Row.Value->setGeometry(ValueLeft, Row.Top, Width, Height);
}

void THeaderPanel::SetFill(QWidget* Fill, int Top) {
  Fill_ = Fill;
  FillTop_ = Top;
  Fill->setParent(this);
  Fill->setGeometry(0, Top, width(), std::max(0, height() - Top));
}

void THeaderPanel::resizeEvent(QResizeEvent* Event) {
  QFrame::resizeEvent(Event);
  const int W = width();
  Title_->setGeometry(0, 4, W, std::max(20, Title_->sizeHint().height()));
  Rule_->setGeometry(LabelLeft, 26, std::max(0, W - LabelLeft - RightMargin), 2);
  for (const TRow& Row : Rows_) PlaceValue(Row);
  if (Fill_) Fill_->setGeometry(frameWidth(), FillTop_, std::max(0, W - 2 * frameWidth()), std::max(0, height() - FillTop_ - frameWidth()));
}

TFieldsPanel::TFieldsPanel(QWidget* Parent) : THeaderPanel(QString(), Parent) {
  auto* Body = new QWidget;
  auto* Column = new QVBoxLayout(Body);
  // The label column starts at x 8, as in the other panels, and the rows are 16 apart.
  Column->setContentsMargins(std::max(0, LabelLeft - frameWidth()), 0, RightMargin, 0);
  Column->setSpacing(0);
  Grid_ = new QGridLayout;
  Grid_->setContentsMargins(0, 0, 0, 0);
  Grid_->setHorizontalSpacing(ValueLeft - LabelLeft - LabelWidth);
  Grid_->setVerticalSpacing(0);
  Grid_->setColumnMinimumWidth(0, LabelWidth);
  Grid_->setColumnStretch(1, 1);
  Column->addLayout(Grid_);
  Column->addStretch(1);
  SetFill(Body, HeaderRowTop(0));
}

void TFieldsPanel::SetFields(const QString& Title, const std::vector<TField>& Fields) {
  TitleLabel()->setText(Title);
  while (Rows_.size() < Fields.size()) {
    auto* Label = new QLabel;
    QFont Bold = Label->font();
    Bold.setBold(true);
    Label->setFont(Bold);
    Label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* Value = new QLabel;
    Value->setTextFormat(Qt::PlainText);
    Value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    const int Row = static_cast<int>(Rows_.size());
    Grid_->setRowMinimumHeight(Row, 16);
    Grid_->addWidget(Label, Row, 0);
    Grid_->addWidget(Value, Row, 1);
    Rows_.push_back({Label, Value});
  }
  Shown_ = static_cast<int>(Fields.size());
  for (std::size_t I = 0; I < Rows_.size(); ++I) {
    const bool Used = I < Fields.size();
    for (int Part = 0; Part < 2; ++Part) {
      QLabel* Text = Rows_[I][static_cast<std::size_t>(Part)];
      Text->setText(Used ? Fields[I][static_cast<std::size_t>(Part)] : QString());
      Text->setVisible(Used);
    }
    // A row not used takes no height.
    Grid_->setRowMinimumHeight(static_cast<int>(I), Used ? 16 : 0);
  }
}

std::vector<TFieldsPanel::TField> TFieldsPanel::Fields() const {
  std::vector<TField> Out;
  for (const auto& [Label, Value] : Rows_)
    if (!Label->isHidden()) Out.push_back({Label->text(), Value->text()});
  return Out;
}

QLabel* TFieldsPanel::ValueLabel(int Row) const {
  return Row >= 0 && Row < Shown_ ? Rows_[static_cast<std::size_t>(Row)][1] : nullptr;
}

TTwoColumnModel::TTwoColumnModel(const QString& First, const QString& Second, QObject* Parent)
    : QAbstractTableModel(Parent), Headers_{First, Second} {}

void TTwoColumnModel::SetRows(std::vector<TRow> Rows) {
  beginResetModel();
  Rows_ = std::move(Rows);
  endResetModel();
}

QString TTwoColumnModel::Text(int Row, int Column) const {
  if (Row < 0 || static_cast<std::size_t>(Row) >= Rows_.size() || Column < 0 || Column > 1) return {};
  return Rows_[static_cast<std::size_t>(Row)][static_cast<std::size_t>(Column)];
}

int TTwoColumnModel::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(Rows_.size());
}

int TTwoColumnModel::columnCount(const QModelIndex& Parent) const { return Parent.isValid() ? 0 : 2; }

QVariant TTwoColumnModel::data(const QModelIndex& Index, int Role) const {
  if (Role != Qt::DisplayRole || !Index.isValid()) return {};
  return Text(Index.row(), Index.column());
}

QVariant TTwoColumnModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Role != Qt::DisplayRole || Orientation != Qt::Horizontal || Section < 0 || Section > 1) return {};
  return Headers_[static_cast<std::size_t>(Section)];
}

QTreeView* MakeReportList(TTwoColumnModel* Model, int FirstWidth, QWidget* Parent) {
  auto* List = new QTreeView(Parent);
  List->setModel(Model);
  List->setRootIsDecorated(false);
  List->setItemsExpandable(false);
  List->setUniformRowHeights(true);  // keeps tables of thousands of rows quick
  List->setSelectionBehavior(QAbstractItemView::SelectRows);
  List->setSelectionMode(QAbstractItemView::SingleSelection);
  List->setEditTriggers(QAbstractItemView::NoEditTriggers);
  List->setAllColumnsShowFocus(true);
  List->header()->setStretchLastSection(true);
  List->header()->setSectionsMovable(false);
  List->header()->resizeSection(0, FirstWidth);
  return List;
}

QImage DrawFontGrid(const TFontEntry& Font, const TFontGrid& Grid) {
  if (Grid.Width() <= 0 || Grid.Height() <= 0) return {};
  QImage Picture(Grid.Width(), Grid.Height(), QImage::Format_RGB32);
  if (Picture.isNull()) return {};  // out of memory: show nothing rather than fail
  TImageSurface Surface(Picture);
  DrawFontSheet(Font, Grid, Surface);
  return Picture;
}

void TFontPicture::SetPicture(QImage Picture, QSize Size, int Zoom) {
  Picture_ = std::move(Picture);
  Zoom_ = std::max(Zoom, 1);
  setFixedSize(Size * Zoom_);
  update();
}

bool TFontPicture::event(QEvent* Event) {
  if (Event->type() != QEvent::ToolTip) return QWidget::event(Event);
  const auto* Help = static_cast<QHelpEvent*>(Event);
  const QString Tip = ToolTipAt ? ToolTipAt(Help->pos()) : QString();
  if (Tip.isEmpty()) {
    QToolTip::hideText();
    Event->ignore();
  } else {
    QToolTip::showText(Help->globalPos(), Tip, this);
  }
  return true;
}

void TFontPicture::paintEvent(QPaintEvent* Event) {
  if (Picture_.isNull()) return;
  QPainter P(this);
  if (Zoom_ == 1) {
    P.drawImage(Event->rect(), Picture_, Event->rect());
    return;
  }
  // Whole source pixels around the area to paint, each drawn as a Zoom-sized square.
  const QRect Area = Event->rect();
  const QRect Source = QRect(QPoint(Area.left() / Zoom_, Area.top() / Zoom_), QPoint(Area.right() / Zoom_, Area.bottom() / Zoom_))
                           .intersected(Picture_.rect());
  if (Source.isEmpty()) return;
  P.drawImage(QRect(Source.topLeft() * Zoom_, Source.size() * Zoom_), Picture_, Source);
}

TFontScrollBox::TFontScrollBox(QWidget* Parent) : QScrollArea(Parent) {
  setWidgetResizable(false);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  // Only a box narrower than one cell needs it.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QSize TFontScrollBox::ClientSize() const {
  const int Frame = 2 * frameWidth();
  return {std::max(0, width() - Frame), std::max(0, height() - Frame)};
}

int TFontScrollBox::ScrollBarWidth() const { return verticalScrollBar()->sizeHint().width(); }

void TFontScrollBox::resizeEvent(QResizeEvent* Event) {
  QScrollArea::resizeEvent(Event);
  if (OnResize) OnResize();
}

void TDetailArea::Place(QWidget* Panel, int Top, int Height) {
  Places_.push_back({Panel, Top, Height});
  Arrange(Places_.back());
}

void TDetailArea::Arrange(const TPlace& P) {
  const int Height = P.Height > 0 ? P.Height : std::max(0, height() - P.Top);
  P.Panel->setGeometry(0, P.Top, width(), Height);
}

void TDetailArea::resizeEvent(QResizeEvent* Event) {
  QWidget::resizeEvent(Event);
  for (const TPlace& P : Places_) Arrange(P);
}

}  // namespace kavex
