#include "ui/Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

#include "log/LogWindow.h"
#include "model/Kav_Fls.h"
#include "ui/About.h"
#include "ui/AppInfo.h"
#include "ui/DetailPanels.h"
#include "ui/Hints.h"
#include "ui/Icons.h"
#include "ui/ImageTree.h"

namespace kavex {
namespace {

const QString PosMainSection = QStringLiteral("PosMain");
const QString PosMainTreeSection = QStringLiteral("PosMainTree");
constexpr int RecentFilesMax = 9;
constexpr int SplitterMinSide = 64;

// The tree's stored width is the width of the splitter's first pane.
class TTreeWidthTarget : public TPlacementTarget {
public:
  explicit TTreeWidthTarget(TfMain* Main) : Main_(Main) {}
  int Value(TWindowItem Item) const override { return Item == wiWidth ? Main_->TreeWidth() : 0; }
  void SetValue(TWindowItem Item, int Value) override {
    if (Item == wiWidth) Main_->SetTreeWidth(Value);
  }

private:
  TfMain* Main_;
};

QAction* MakeAction(QObject* Owner, const char* Caption, const char* HintText) {
  auto* A = new QAction(QString::fromLatin1(Caption), Owner);
  SetHint(A, QString::fromLatin1(HintText));
  return A;
}

}  // namespace

TfMain::TfMain(QWidget* Parent) : QMainWindow(Parent) {
  move(94, 129);
  resize(692, 499);

  CreateActions();
  CreateMenusAndBars();

  Splitter = new QSplitter(Qt::Horizontal, this);
  Splitter->setChildrenCollapsible(false);  // neither side snaps shut
  Splitter->setHandleWidth(3);
  tvMain = new TImageTree(Splitter);
  tvMain->setObjectName(QStringLiteral("tvMain"));
  tvMain->setMinimumWidth(SplitterMinSide);
  pAllInfo = new TDetailArea(Splitter);
  pAllInfo->setObjectName(QStringLiteral("pAllInfo"));
  pAllInfo->setMinimumWidth(SplitterMinSide);
  Splitter->addWidget(tvMain);
  Splitter->addWidget(pAllInfo);
  // The tree keeps its width when the window changes size; the detail area takes the rest.
  Splitter->setStretchFactor(0, 0);
  Splitter->setStretchFactor(1, 1);
  setCentralWidget(Splitter);
  CreateDetailPanels();
  statusBar()->setSizeGripEnabled(true);  // nothing is ever written to it

  connect(tvMain, &QTreeWidget::currentItemChanged, this, [this] { tvMainClick(); });

  // FormCreate, in the order that matters: the store first, then what reads from it.
  CurrentInfoPanel_ = nullptr;
  Settings_ = std::make_unique<TSettingsStore>();
  Reopen_.ReopenInit(Settings_.get(), RecentFilesMax, miReopen, &odFlash,
                     [this](const QString& FileName) { OpenFileCallback(FileName); });
  RestoreWindowState(*Settings_, this, PosMainSection, AllWindowItems);
  TTreeWidthTarget Tree(this);
  RestoreWindowState(*Settings_, Tree, PosMainTreeSection, wiWidth);
  ResetView();
  LoadUnicodeFont();
  ApplyUnicodeFont();
  // The wheel goes to the control under the pointer; this window looks at it first.
  qApp->installEventFilter(this);
}

TfMain::~TfMain() {
  qApp->removeEventFilter(this);
  CurrentFontEntry_ = nullptr;
  SaveWindowState(*Settings_, this, PosMainSection, AllWindowItems);
  SaveWindowState(*Settings_, TTreeWidthTarget(this), PosMainTreeSection, wiWidth);
  Reopen_.ReopenDone();
  tvMain->Clear();  // before the model its items point into goes
}

void TfMain::CreateActions() {
  odFlash.Kind = TFileDialog::Open;
  odFlash.Title = QStringLiteral("Open flash file");
  odFlash.Filter = QStringLiteral("Flash files (*.fls;*.mcu;*.ppm;*.wt)|*.fls;*.mcu;*.ppm;*.wt|All files (*.*)|*.*");
  odFlash.DefaultExt = QStringLiteral("fls");

  aOpen = MakeAction(this, "&Open...", "Open flash file to explore");
  aOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  aOpen->setIcon(ActionIcon(TActionIcon::Open));
  connect(aOpen, &QAction::triggered, this, [this] { Reopen_.ReopenExecuteDialog(this); });

  aExit = MakeAction(this, "E&xit", "Exit this programm");
  aExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
  aExit->setIcon(ActionIcon(TActionIcon::Exit));
  connect(aExit, &QAction::triggered, this, &QWidget::close);

  aViewLog = MakeAction(this, "Show &log window", "Show processing flash messages log window");
  aViewLog->setIcon(ActionIcon(TActionIcon::ViewLog));
  connect(aViewLog, &QAction::triggered, this, [this] {
    if (!Log_) return;
    Log_->show();
    Log_->raise();
    Log_->activateWindow();
  });

  aSelFont = MakeAction(this, "&Unicode font...", "Select font for displaying UNICODE characters");
  connect(aSelFont, &QAction::triggered, this, [this] { aSelFontExecute(); });

  aAbout = MakeAction(this, "&About...", "Information about this programm");
  connect(aAbout, &QAction::triggered, this, [this] {
    if (About_) About_->exec();
  });
}

void TfMain::CreateMenusAndBars() {
  mFile = menuBar()->addMenu(QStringLiteral("&File"));
  mFile->setToolTipsVisible(false);
  mFile->addAction(aOpen);
  mFile->addSeparator();
  mFile->addAction(aExit);
  miReopen = mFile->addSeparator();
  miReopen->setVisible(false);

  mView = menuBar()->addMenu(QStringLiteral("View"));
  mView->addAction(aSelFont);
  mView->addSeparator();
  mView->addAction(aViewLog);

  mHelp = menuBar()->addMenu(QStringLiteral("&Help"));
  mHelp->addAction(aAbout);

  tbMain = addToolBar(QStringLiteral("Main"));
  tbMain->setObjectName(QStringLiteral("tbMain"));
  tbMain->setMovable(false);
  tbMain->setIconSize(QSize(16, 16));
  tbMain->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  SuppressToolTips(tbMain);
  tbMain->addAction(aOpen);
  tbMain->addSeparator();
  tbMain->addAction(aViewLog);
  tbMain->addSeparator();
  tbMain->addAction(aExit);
}

void TfMain::OpenFileCallback(const QString& FileName) { OpenFlash(FileName); }

void TfMain::OpenFlash(const QString& FileName) {
  if (Log_ && Log_->ClearAtNewFile()) Log_->ClearLog();
  ResetView();
  ShowNodeInfo(nullptr);

  try {
    Shown_ = LoadFile(FileName.toStdString());
  } catch (const EKavError& Error) {
    ShowErrorBox(this, Error);
    return;
  }
  if (!Shown_) return;

  QTreeWidgetItem* Root = tvMain->AddRoot(Shown_.get());
  tvMain->ExpandNode(Root);
  if (!TImageTree::HasChildren(Root)) {
    // No area found: the loader's messages say why; nothing of the file stays.
    ResetView();
    return;
  }

  tvMain->setUpdatesEnabled(false);
  tvMain->setCurrentItem(Root);
  tvMain->setFocus();
  tvMainClick();
  int AreaSet = 0;
  for (int I = 0; I < Root->childCount(); ++I) {
    QTreeWidgetItem* Area = Root->child(I);
    tvMain->ExpandNode(Area);
    AreaSet |= AreaSetBits(TImageTree::ModelNode(Area)->ClassName());
  }
  if (const int Icon = AreaSetIcon(AreaSet); Icon >= 0) TImageTree::SetImageIndex(Root, Icon);
  tvMain->setUpdatesEnabled(true);

  SetCaptionFile(FileName);
}

void TfMain::ResetView() {
  SetCaptionFile(QStringLiteral("(Untitled)"));
  tvMain->Clear();
  CurrentFontEntry_ = nullptr;  // it belongs to the model released here
  Shown_.reset();
}

void TfMain::SetCaptionFile(const QString& Text) {
  const std::string Caption =
      FormatText("%s - %s v%d.%02d %s", TLogArgs{Text.toStdString(), std::string(ProgramName),
                                                  std::int64_t{VersionMajor}, std::int64_t{VersionMinor},
                                                  std::string(ReleaseTag)});
  setWindowTitle(QString::fromStdString(Caption));
  SetApplicationTitle(windowTitle());
}

void TfMain::tvMainClick() {
  if (QTreeWidgetItem* Item = tvMain->currentItem()) ShowNodeInfo(TImageTree::ModelNode(Item));
}

int TfMain::TreeWidth() const { return LaidOut_ ? Splitter->sizes().value(0, TreeWidth_) : TreeWidth_; }

void TfMain::SetTreeWidth(int Width) {
  TreeWidth_ = Width;
  if (LaidOut_) ApplyTreeWidth();
}

void TfMain::ApplyTreeWidth() {
  const int Rest = Splitter->width() - Splitter->handleWidth() - TreeWidth_;
  Splitter->setSizes({TreeWidth_, std::max(Rest, SplitterMinSide)});
}

void TfMain::showEvent(QShowEvent* Event) {
  QMainWindow::showEvent(Event);
  if (!LaidOut_) {
    LaidOut_ = true;
    ApplyTreeWidth();
  }
}

void TfMain::closeEvent(QCloseEvent* Event) {
  QMainWindow::closeEvent(Event);
  if (Event->isAccepted()) emit Closed();
}

}  // namespace kavex
