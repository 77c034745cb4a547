#include "ui/Main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <cerrno>
#include <system_error>

#include "ui/LogWindow.h"
#include "present/Kav_Export.h"
#include "model/Kav_Fls.h"
#include "settings/SettingsNames.h"
#include "ui/About.h"
#include "ui/Bytes.h"
#include "ui/Compare.h"
#include "ui/AppInfo.h"
#include "ui/Find.h"
#include "ui/Hints.h"
#include "ui/Icons.h"
#include "ui/ImageTree.h"
#include "ui/NodeDetails.h"
#include "ui/Samples.h"

namespace kavex {
namespace {

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

}  // namespace

TfMain::TfMain(QWidget* Parent) : QMainWindow(Parent) {
  move(94, 129);
  SetOuterSize(this, QSize(692, 499));

  CreateActions();
  CreateMenusAndBars();
  setAcceptDrops(true);

  Splitter = new QSplitter(Qt::Horizontal, this);
  Splitter->setChildrenCollapsible(false);  // neither side snaps shut
  Splitter->setHandleWidth(3);
  tvMain = new TImageTree(Splitter);
  tvMain->setObjectName(QStringLiteral("tvMain"));
  tvMain->setMinimumWidth(SplitterMinSide);
  // The detail side is a main window of its own, inside this one: it gives the bytes view a
  // dock under the panels alone. Without docks it is just the panels.
  mwDetails = new QMainWindow(Splitter);
  mwDetails->setWindowFlags(Qt::Widget);  // a main window always starts as a window of its own
  mwDetails->setObjectName(QStringLiteral("mwDetails"));
  mwDetails->setMinimumWidth(SplitterMinSide);
  mwDetails->setContextMenuPolicy(Qt::NoContextMenu);
  pAllInfo = new TNodeDetails(mwDetails);
  pAllInfo->setObjectName(QStringLiteral("pAllInfo"));
  pAllInfo->setMinimumWidth(SplitterMinSide);
  mwDetails->setCentralWidget(pAllInfo);
  Splitter->addWidget(tvMain);
  Splitter->addWidget(mwDetails);
  // The tree keeps its width when the window changes size; the detail area takes the rest.
  Splitter->setStretchFactor(0, 0);
  Splitter->setStretchFactor(1, 1);
  setCentralWidget(Splitter);
  UnicodeFont_ = QFont(QStringLiteral("Arial Unicode MS"), 8);
  statusBar()->setFixedHeight(19);
  statusBar()->setSizeGripEnabled(true);
  // The strip's one line: how to open an image while none is shown, and why the last open showed
  // nothing. A plain label, not a status message: menus clear status messages as the mouse
  // moves over them, and the line must stay until the next open.
  stStatusHint = new QLabel(statusBar());
  stStatusHint->setObjectName(QStringLiteral("stStatusHint"));
  statusBar()->addWidget(stStatusHint, 1);
  SampleFolders_ = kavex::SampleFolders();

  connect(tvMain->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { tvMainClick(); });

  // FormCreate, in the order that matters: the store first, then what reads from it.
  Settings_ = std::make_unique<TSettingsStore>();
  Reopen_.ReopenInit(Settings_.get(), RecentFilesMax, miReopen, &odFlash,
                     [this](const QString& FileName) { OpenFileCallback(FileName); });
  RestoreWindowState(*Settings_, this, settings::PosMain, AllWindowItems);
  TTreeWidthTarget Tree(this);
  RestoreWindowState(*Settings_, Tree, settings::PosMainTree, wiWidth);
  CreateFindView();
  CreateBytesView();
  CreateFindBytes();
  CreateProblemActions();
  CreateCompareActions();
  ResetView();
  LoadUnicodeFont();
  ApplyUnicodeFont();
  pAllInfo->SetFontZoom(Settings_->ReadInteger(settings::FontPicture, settings::Zoom, 1));
  // The wheel goes to the control under the pointer; this window looks at it first.
  qApp->installEventFilter(this);
}

TfMain::~TfMain() {
  StopComparing();  // the tree's stand-ins point into the second image
  qApp->removeEventFilter(this);
  SaveWindowState(*Settings_, this, settings::PosMain, AllWindowItems);
  SaveWindowState(*Settings_, TTreeWidthTarget(this), settings::PosMainTree, wiWidth);
  SaveFindView();
  SaveBytesView();
  SaveFindBytes();
  // The docks are hidden while the window's widgets are taken down, after this body: their
  // signals must no longer reach a main window that is gone.
  dkBytes->disconnect(this);
  Reopen_.ReopenDone();
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

  aOpenSample = MakeAction(this, "Open &sample image", "Open the sample flash image that comes with Kavex");
  connect(aOpenSample, &QAction::triggered, this, [this] { OpenSampleImage(); });
  CreateExportActions();
}

void TfMain::CreateMenusAndBars() {
  mFile = menuBar()->addMenu(QStringLiteral("&File"));
  mFile->setToolTipsVisible(false);
  mFile->addAction(aOpen);
  mFile->addSeparator();
  mFile->addAction(aExit);
  mFile->addSeparator();
  mFile->addAction(aExportTexts);
  mFile->addAction(aExportFonts);
  mFile->addAction(aSaveNodeBytes);
  miReopen = mFile->addSeparator();
  miReopen->setVisible(false);

  mView = menuBar()->addMenu(QStringLiteral("View"));
  mView->addAction(aSelFont);
  mView->addSeparator();
  mView->addAction(aViewLog);
  mView->addSeparator();
  mView->addAction(aZoomIn);
  mView->addAction(aZoomOut);

  mHelp = menuBar()->addMenu(QStringLiteral("&Help"));
  mHelp->addAction(aAbout);
  mHelp->addSeparator();
  mHelp->addAction(aOpenSample);

  tbMain = addToolBar(QStringLiteral("Main"));
  tbMain->setObjectName(QStringLiteral("tbMain"));
  tbMain->setMovable(false);
  tbMain->setIconSize(QSize(16, 16));
  tbMain->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  SuppressToolTips(tbMain);
  // A tool button drops the dots of its action's caption unless told otherwise.
  aOpen->setIconText(QStringLiteral("Open..."));
  const std::pair<QAction*, int> Buttons[] = {{aOpen, 81}, {aViewLog, 128}, {aExit, 64}};
  for (const auto& [Action, Width] : Buttons) {
    if (Action != aOpen) AddToolBarGap(tbMain, 8);
    tbMain->addAction(Action);
    tbMain->widgetForAction(Action)->setFixedSize(Width, 24);
  }
  FixToolBar(tbMain, 31);
  // The bars cannot be hidden: no menu of the toolkit's offers it.
  setContextMenuPolicy(Qt::NoContextMenu);
}

void TfMain::CreateFindView() {
  pFind = new TFindPanel;
  pFind->setObjectName(QStringLiteral("pFind"));
  dkFind = new QDockWidget(QStringLiteral("Find"), this);
  dkFind->setObjectName(QStringLiteral("dkFind"));
  dkFind->setWidget(pFind);
  dkFind->setFeatures(QDockWidget::DockWidgetClosable);
  addDockWidget(Qt::BottomDockWidgetArea, dkFind);

  aFind = new QAction(QStringLiteral("&Find..."), this);
  SetHint(aFind, QStringLiteral("Find a word in the text tables"));
  aFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  connect(aFind, &QAction::triggered, this, [this] {
    dkFind->show();
    pFind->eFind->setFocus();
    pFind->eFind->selectAll();
  });
  aFindNext = new QAction(QStringLiteral("Find &next"), this);
  SetHint(aFindNext, QStringLiteral("Go to the next hit"));
  aFindNext->setShortcut(QKeySequence(Qt::Key_F3));
  connect(aFindNext, &QAction::triggered, this, [this] { BytesSearchLast_ ? StepFindBytes(1) : StepFindHit(1); });
  aFindPrev = new QAction(QStringLiteral("Find &previous"), this);
  SetHint(aFindPrev, QStringLiteral("Go to the previous hit"));
  aFindPrev->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
  connect(aFindPrev, &QAction::triggered, this, [this] { BytesSearchLast_ ? StepFindBytes(-1) : StepFindHit(-1); });

  // Edit comes right after File; the View item for the Find view after the described ones.
  mEdit = new QMenu(QStringLiteral("&Edit"), this);
  mEdit->addAction(aFind);
  mEdit->addAction(aFindNext);
  mEdit->addAction(aFindPrev);
  menuBar()->insertMenu(mView->menuAction(), mEdit);
  QAction* aViewFind = dkFind->toggleViewAction();
  aViewFind->setText(QStringLiteral("Show &find results"));
  mView->addSeparator();
  mView->addAction(aViewFind);

  connect(pFind, &TFindPanel::FindRequested, this, [this] { RunFind(); });
  connect(pFind, &TFindPanel::HitChosen, this, [this](int Row) { ChooseFindHit(Row); });

  pFind->cbOperators->setChecked(Settings_->ReadBool(settings::Find, settings::Operators, false));
  pFind->cbTones->setChecked(Settings_->ReadBool(settings::Find, settings::Tones, false));
  FindHeight_ = Settings_->ReadInteger(settings::Find, settings::Height, 0);
  dkFind->setVisible(Settings_->ReadBool(settings::Find, settings::Visible, false));
}

void TfMain::SaveFindView() {
  Settings_->WriteBool(settings::Find, settings::Visible, !dkFind->isHidden());
  const int Height = LaidOut_ && !dkFind->isHidden() ? dkFind->height() : FindHeight_;
  if (Height > 0) Settings_->WriteInteger(settings::Find, settings::Height, Height);
  Settings_->WriteBool(settings::Find, settings::Operators, pFind->cbOperators->isChecked());
  Settings_->WriteBool(settings::Find, settings::Tones, pFind->cbTones->isChecked());
}

void TfMain::CreateBytesView() {
  pBytes = new TBytesView;
  pBytes->setObjectName(QStringLiteral("pBytes"));
  dkBytes = new QDockWidget(QStringLiteral("Bytes"), mwDetails);
  dkBytes->setObjectName(QStringLiteral("dkBytes"));
  dkBytes->setWidget(pBytes);
  dkBytes->setFeatures(QDockWidget::DockWidgetClosable);
  mwDetails->addDockWidget(Qt::BottomDockWidgetArea, dkBytes);

  stBytesCursor = new QLabel(statusBar());
  stBytesCursor->setObjectName(QStringLiteral("stBytesCursor"));
  statusBar()->addPermanentWidget(stBytesCursor);
  connect(pBytes, &TBytesView::CursorChanged, stBytesCursor, &QLabel::setText);

  aViewBytes = dkBytes->toggleViewAction();
  aViewBytes->setText(QStringLiteral("Show &bytes"));
  SetHint(aViewBytes, QStringLiteral("Show the stored bytes of the selected node"));
  aViewBytes->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  mView->addAction(aViewBytes);
  connect(dkBytes, &QDockWidget::visibilityChanged, this, [this](bool) {
    const QModelIndex Current = tvMain->currentIndex();
    pBytes->SetNode(dkBytes->isHidden() || !Current.isValid() ? nullptr : TImageTreeModel::ModelNode(Current));
    if (Compare_) pBytes->SetCounterpart(ChangedDiffAt(Current));
  });

  aGoToOffset = new QAction(QStringLiteral("&Go to offset..."), this);
  SetHint(aGoToOffset, QStringLiteral("Go to an offset of the image in the bytes view"));
  aGoToOffset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  connect(aGoToOffset, &QAction::triggered, this, [this] { GoToOffset(); });
  mEdit->addSeparator();
  mEdit->addAction(aGoToOffset);

  pAllInfo->FieldClicked = [this](TByteField Field) {
    if (!dkBytes->isHidden()) pBytes->SelectBytes(Field.First, Field.Count);
  };

  BytesHeight_ = Settings_->ReadInteger(settings::Bytes, settings::Height, 0);
  dkBytes->setVisible(Settings_->ReadBool(settings::Bytes, settings::Visible, false));
}

void TfMain::SaveBytesView() {
  Settings_->WriteBool(settings::Bytes, settings::Visible, !dkBytes->isHidden());
  const int Height = LaidOut_ && !dkBytes->isHidden() ? dkBytes->height() : BytesHeight_;
  if (Height > 0) Settings_->WriteInteger(settings::Bytes, settings::Height, Height);
}

void TfMain::GoToOffset() {
  if (!pBytes->Model().Node()) return;
  dkBytes->show();
  const TBytesModel& Bytes = pBytes->Model();
  const auto Hex = [](std::size_t Value) { return QStringLiteral("0x") + QString::number(Value, 16).toUpper(); };
  QString Text = Hex(Bytes.BaseOffset());
  const QString Range = QStringLiteral("Offset in the image (%1 to %2):")
                            .arg(Hex(Bytes.BaseOffset()),
                                 Hex(Bytes.BaseOffset() + std::max<std::size_t>(Bytes.Bytes().size(), 1) - 1));
  if (!DialogHooks().AskText(this, QStringLiteral("Go to offset"), Range, Text)) return;
  std::size_t Offset = 0;
  QString Refusal;
  if (!ParseOffset(Text, Offset))
    Refusal = QString::fromStdString(NotAnOffsetText(Text.toStdString()));
  else if (!pBytes->GoToOffset(Offset))
    Refusal = QStringLiteral("The selected node has no byte at offset %1.").arg(Text.trimmed());
  if (!Refusal.isEmpty()) DialogHooks().ShowMessage(this, ApplicationTitle(), Refusal, TMsgBoxIcon::Information);
}

void TfMain::RunFind() {
  BytesSearchLast_ = false;
  pFind->Clear();
  if (!ShownModel() || pFind->eFind->text().isEmpty()) return;  // nothing to build tables for
  const TFindScope Scope = pFind->Scope();
  BuildFindSources(*tvMain, Scope);
  pFind->SetHits(FindHits(*ShownModel(), pFind->eFind->text(), Scope));
  if (!pFind->Hits().empty()) ChooseFindHit(0);
}

void TfMain::ChooseFindHit(int Row) {
  const std::vector<TFindHit>& Hits = pFind->Hits();
  if (Row < 0 || static_cast<std::size_t>(Row) >= Hits.size()) return;
  const TFindHit& Hit = Hits[static_cast<std::size_t>(Row)];
  BytesSearchLast_ = false;
  pFind->SetCurrentHit(Row);
  if (SelectModelNode(Hit.Node) && Hit.ListRow >= 0) pAllInfo->SelectListRow(Hit.ListRow);
}

void TfMain::StepFindHit(int Step) {
  const int Count = static_cast<int>(pFind->Hits().size());
  if (Count == 0) {
    // Nothing listed yet: search for what the field holds, or open the view to type it.
    if (!pFind->eFind->text().isEmpty() && ShownModel()) RunFind();
    else aFind->trigger();
    return;
  }
  const int Current = pFind->CurrentHit();
  const int Next = Current < 0 ? (Step > 0 ? 0 : Count - 1) : ((Current + Step) % Count + Count) % Count;
  ChooseFindHit(Next);
}

bool TfMain::SelectModelNode(const TKavClass* Node) {
  std::vector<const TKavClass*> Chain;
  for (const TKavClass* At = Node; At; At = At->Parent()) Chain.push_back(At);
  TImageTreeModel& Nodes = *tvMain->Nodes();
  QModelIndex Index = Nodes.RootIndex();
  if (Chain.empty() || TImageTreeModel::ModelNode(Index) != Chain.back()) return false;
  for (auto Link = Chain.rbegin() + 1; Link != Chain.rend(); ++Link) {
    QModelIndex Found;
    for (int Row = 0; Row < Nodes.rowCount(Index) && !Found.isValid(); ++Row)
      if (const QModelIndex Child = Nodes.index(Row, 0, Index); TImageTreeModel::ModelNode(Child) == *Link) Found = Child;
    if (!Found.isValid()) return false;
    Index = Found;
  }
  tvMain->setCurrentIndex(Index);
  tvMain->scrollTo(Index);
  return true;
}

bool TfMain::SelectNodeByPath(const QString& Path) {
  const std::string Wanted = Path.toStdString();
  TImageTreeModel& Nodes = *tvMain->Nodes();
  // Down the built nodes whose path begins the wanted one (siblings may share a name, so each
  // of them is tried); nothing is built here.
  std::vector<QModelIndex> Pending;
  if (Nodes.hasChildren()) Pending.push_back(Nodes.RootIndex());
  while (!Pending.empty()) {
    const QModelIndex Index = Pending.back();
    Pending.pop_back();
    // The log keeps paths with their control characters escaped.
    const std::string Here = EscapeControls(TImageTreeModel::ModelNode(Index)->GetPath());
    if (Here == Wanted) return SelectModelNode(TImageTreeModel::ModelNode(Index));
    if (!Wanted.starts_with(Here)) continue;
    for (int Row = Nodes.rowCount(Index); Row-- > 0;) Pending.push_back(Nodes.index(Row, 0, Index));
  }
  return false;
}

void TfMain::SetLogWindow(TfLog* Log) {
  Log_ = Log;
  if (Log_) connect(Log_, &TfLog::PathActivated, this, [this](const QString& Path) { SelectNodeByPath(Path); });
  ConnectProblemLog();
}

namespace {

// The one local file a drag carries; empty for anything else.
QString DroppedFile(const QMimeData* Data) {
  if (!Data || !Data->hasUrls() || Data->urls().size() != 1) return {};
  const QUrl Url = Data->urls().constFirst();
  return Url.isLocalFile() ? Url.toLocalFile() : QString();
}

}  // namespace

void TfMain::dragEnterEvent(QDragEnterEvent* Event) {
  if (!DroppedFile(Event->mimeData()).isEmpty()) Event->acceptProposedAction();
}

void TfMain::dropEvent(QDropEvent* Event) {
  const QString FileName = DroppedFile(Event->mimeData());
  if (FileName.isEmpty()) return;
  Event->acceptProposedAction();
  if ((Event->modifiers() & Qt::ControlModifier) && ShownModel()) {
    CompareWith(FileName);
    return;
  }
  Reopen_.AddRecentFile(FileName);
  OpenFileCallback(FileName);
}

void TfMain::OpenFileCallback(const QString& FileName) { OpenFlash(FileName); }

void TfMain::OpenSampleImage() {
  const QString Sample = FindSampleImage(SampleFolders_);
  if (Sample.isEmpty()) {
    DialogHooks().ShowMessage(this, ApplicationTitle(),
                              QStringLiteral("The sample image %1 was not found. Looked in:\n%2")
                                  .arg(QString::fromLatin1(SampleFileName), SampleFolders_.join(QLatin1Char('\n'))),
                              TMsgBoxIcon::Information);
    return;
  }
  Reopen_.AddRecentFile(Sample);
  OpenFileCallback(Sample);
}

QString TfMain::NoImageHint() {
  return QStringLiteral("To open a flash image: File > Open (Ctrl+O), or Help > Open sample image.");
}

void TfMain::UpdateStatusHint() {
  UpdateExportActions();
  UpdateCompareActions();
  if (ShownModel()) {
    if (Compare_) stStatusHint->setText(CompareStatusText(Compare_->FileName, Compare_->Comparison));
    else stStatusHint->clear();
    return;
  }
  stStatusHint->setText(OpenFailure_.isEmpty() ? NoImageHint() : OpenFailure_ + QLatin1Char(' ') + NoImageHint());
}

void TfMain::OpenFlash(const QString& FileName) {
  if (Log_ && Log_->ClearAtNewFile()) Log_->ClearLog();
  ResetView();
  ShowNodeInfo(nullptr);
  ShowOpenFailure(FileName, {});

  std::unique_ptr<TFls> Loaded;
  std::string Reason;  // why the loader refused the file, in the system's words where there are some
  try {
    Loaded = LoadFile(FileName.toStdString(), &Reason);
  } catch (const EKavError& Error) {
    ShowOpenFailure(FileName, QStringLiteral("a problem was found in it"));
    ShowErrorBox(this, Error);
    return;
  }
  if (!Loaded) {
    // Qt hands over a name whose bytes are not UTF-8 with U+FFFD in their place, which names
    // no file; "No such file" would send the user looking for a file that is there.
    if (FileName.contains(QChar::ReplacementCharacter) && Reason == std::generic_category().message(ENOENT))
      Reason = "the name is not valid UTF-8";
    ShowOpenFailure(FileName, QString::fromLocal8Bit(Reason));
    return;
  }

  TImageTreeModel& Nodes = *tvMain->Nodes();
  const QModelIndex Root = Nodes.SetRoot(std::move(Loaded));
  tvMain->ExpandNode(Root);
  if (HoldsNoArea(*TImageTreeModel::ModelNode(Root))) {
    // No area found: the loader's messages say why; nothing of the file stays.
    ResetView();
    ShowOpenFailure(FileName, QString::fromLatin1(NoAreaFoundText) + QStringLiteral(" in it"));
    return;
  }

  tvMain->setUpdatesEnabled(false);
  tvMain->setCurrentIndex(Root);
  tvMain->setFocus();
  tvMainClick();
  int AreaSet = 0;
  for (int I = 0; I < Nodes.rowCount(Root); ++I) {
    const QModelIndex Area = Nodes.index(I, 0, Root);
    tvMain->ExpandNode(Area);
    AreaSet |= AreaSetBits(TImageTreeModel::ModelNode(Area)->ClassName());
  }
  if (const int Icon = AreaSetIcon(AreaSet); Icon >= 0) Nodes.SetImageIndex(Root, Icon);
  tvMain->setUpdatesEnabled(true);

  ShownFile_ = FileName;
  SetCaptionFile(FileName);
  UpdateStatusHint();
}

void TfMain::ShowOpenFailure(const QString& FileName, const QString& Reason) {
  const QString Name = QFileInfo(FileName).fileName();
  OpenFailure_ = Reason.isEmpty() ? QString()
                                  : QStringLiteral("Could not show %1: %2. The log has the details.")
                                        .arg(Name.isEmpty() ? FileName : Name, Reason);
  UpdateStatusHint();
}

void TfMain::ResetView() {
  StopComparing();
  SetCaptionFile(QStringLiteral("(Untitled)"));
  pAllInfo->ForgetFontEntry();  // it belongs to the model released here
  if (pFind) pFind->Clear();     // so do the hits
  if (pBytes) pBytes->SetNode(nullptr);
  statusBar()->clearMessage();  // a search's outcome would hide the line below
  tvMain->Clear();
  tvMain->Nodes()->ForgetRecords();  // only what this open logs counts for the image it shows
  UpdateStatusHint();
}

TFls* TfMain::ShownModel() const { return tvMain->Nodes()->Shown(); }

void TfMain::ShowNodeInfo(const TKavClass* Node) {
  pAllInfo->ShowNodeInfo(Node);
  // A hidden bytes view lets go of its node; it takes the current one when shown.
  if (pBytes) pBytes->SetNode(dkBytes->isHidden() ? nullptr : Node);
  UpdateExportActions();
}

void TfMain::SetCaptionFile(const QString& Text) {
  const std::string Caption =
      FormatText("%s - %s v%d.%02d %s", TLogArgs{EscapeControls(Text.toStdString()), std::string(ProgramName),
                                                  std::int64_t{VersionMajor}, std::int64_t{VersionMinor},
                                                  std::string(ReleaseTag)});
  setWindowTitle(QString::fromStdString(Caption));
  SetApplicationTitle(windowTitle());
}

void TfMain::tvMainClick() {
  if (const QModelIndex Current = tvMain->currentIndex(); Current.isValid()) {
    ShowNodeInfo(TImageTreeModel::ModelNode(Current));
    if (Compare_) ShowCompareSides(Current);
  }
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
    if (FindHeight_ > 0 && !dkFind->isHidden()) resizeDocks({dkFind}, {FindHeight_}, Qt::Vertical);
    if (BytesHeight_ > 0 && !dkBytes->isHidden()) mwDetails->resizeDocks({dkBytes}, {BytesHeight_}, Qt::Vertical);
  }
}

void TfMain::closeEvent(QCloseEvent* Event) {
  QMainWindow::closeEvent(Event);
  if (!Event->isAccepted()) return;
  StopComparing();
  emit Closed();
}

}  // namespace kavex
