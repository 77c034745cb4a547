#include "ui/LogWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>
#include <QMenu>
#include <QMenuBar>
#include <QSaveFile>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>

#include "model/KavObj.h"
#include "present/Kav_Export.h"
#include "settings/SettingsNames.h"
#include "settings/SettingsStore.h"
#include "settings/T_Reopen.h"
#include "ui/Hints.h"
#include "ui/Icons.h"

namespace kavex {

TLogListModel::TLogListModel(const TMsgCollection& Store, QObject* Parent) : QAbstractTableModel(Parent), Store_(Store) {
  for (int K = 0; K < MsgKindCount; ++K) KindIcons_[static_cast<std::size_t>(K)] = LogIcon(KindInfo(static_cast<TMsgKind>(K)).Icon);
}

int TLogListModel::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(Rows_.size());
}

int TLogListModel::columnCount(const QModelIndex& Parent) const { return Parent.isValid() ? 0 : ColumnCount; }

QVariant TLogListModel::data(const QModelIndex& Index, int Role) const {
  if (!Index.isValid() || Index.row() >= rowCount()) return {};
  const TMsgItem& Item = RecordAt(Index.row());
  switch (Role) {
    case Qt::DisplayRole:
      switch (Index.column()) {
        case colKind: return QString::fromLatin1(KindName(Item.Kind()));
        case colId: return QString::number(Item.Ident);
        case colMessage: return QString::fromStdString(Item.Text);
        case colPath: return QString::fromStdString(Item.Path);
      }
      break;
    case Qt::DecorationRole:
      if (Index.column() == colKind) return KindIcons_[static_cast<std::size_t>(Item.Kind())];
      break;
    case Qt::TextAlignmentRole:
      if (Index.column() == colId) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      break;
    case Qt::ToolTipRole: return QString::fromStdString(Item.Path);  // the full path, whatever the column's width
  }
  return {};
}

QVariant TLogListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Orientation != Qt::Horizontal) return {};
  if (Role == Qt::DisplayRole) {
    static const char* const Titles[] = {"Kind", "ID", "Message", "Path"};
    if (Section >= 0 && Section < ColumnCount) return QString::fromLatin1(Titles[Section]);
  }
  if (Role == Qt::TextAlignmentRole && Section == colId) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

void TLogListModel::AppendRow(std::size_t Record) {
  const int Row = rowCount();
  beginInsertRows({}, Row, Row);
  Rows_.push_back(Record);
  endInsertRows();
}

int TLogListModel::RowOfRecord(std::size_t Record) const {
  // Rows are made in the store's order.
  const auto Found = std::lower_bound(Rows_.begin(), Rows_.end(), Record);
  return Found != Rows_.end() && *Found == Record ? static_cast<int>(Found - Rows_.begin()) : -1;
}

void TLogListModel::SetRows(std::vector<std::size_t> Records) {
  beginResetModel();
  Rows_ = std::move(Records);
  endResetModel();
}

// ---------------------------------------------------------------------------------------
namespace {

void SetEnabledIfChanged(QAction* A, bool Enabled) {
  if (A->isEnabled() != Enabled) A->setEnabled(Enabled);
}

}  // namespace

TfLog::TfLog(TSettingsStore& Settings, QWidget* Parent) : QMainWindow(Parent), Settings_(Settings) {
  setWindowTitle(QStringLiteral("Log"));
  QFont WindowFont(QStringLiteral("Sans Serif"), 8);
  WindowFont.setStyleHint(QFont::SansSerif);
  setFont(WindowFont);
  move(239, 172);
  SetOuterSize(this, QSize(561, 375));

  sdLogExport.Kind = TFileDialog::Save;
  sdLogExport.Title = QStringLiteral("Export log to file...");
  sdLogExport.Filter = QStringLiteral("Text files|*.txt|All files|*.*");
  sdLogExport.DefaultExt = QStringLiteral("txt");
  sdLogExport.FolderMustExist = true;

  Model_ = new TLogListModel(Store_, this);
  lvLog = new QTreeView(this);
  lvLog->setObjectName(QStringLiteral("lvLog"));
  lvLog->setModel(Model_);
  lvLog->setRootIsDecorated(false);
  lvLog->setItemsExpandable(false);
  lvLog->setUniformRowHeights(true);  // keeps a list of many thousand rows fast
  lvLog->setAllColumnsShowFocus(true);
  lvLog->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvLog->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvLog->setSortingEnabled(false);
  lvLog->setIconSize(QSize(16, 16));
  QHeaderView* Header = lvLog->header();
  Header->setStretchLastSection(false);
  Header->resizeSection(TLogListModel::colKind, 90);
  Header->resizeSection(TLogListModel::colId, 50);
  Header->resizeSection(TLogListModel::colPath, 120);
  Header->setSectionResizeMode(TLogListModel::colMessage, QHeaderView::Stretch);
  setCentralWidget(lvLog);

  CreateActions();
  CreateMenusAndBars();

  connect(lvLog->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateCommands(); });
  connect(Model_, &QAbstractItemModel::modelReset, this, [this] { UpdateCommands(); });
  connect(lvLog, &QAbstractItemView::activated, this, [this](const QModelIndex& Index) {
    if (Index.isValid()) emit PathActivated(QString::fromStdString(Model_->RecordAt(Index.row()).Path));
  });

  // The shown flags are process-wide; a new window starts with every kind shown, as its
  // toggles do.
  for (int K = 0; K < MsgKindCount; ++K) SetKindShown(static_cast<TMsgKind>(K), true);

  SetMsgReceiver([this](int Ident, const std::string& Path, const std::string& Text) { AddMessage(Ident, Path, Text); });
  SetLogProc(&LogMessage);

  RestoreWindowState(Settings_, this, settings::PosLog, AllWindowItems);
  RestoreDialogState(Settings_, sdLogExport, settings::DlgExport, AllDialogItems);
  aClearAtNewFile->setChecked(Settings_.ReadBool(settings::LogOptions, settings::ClearAtNewFile, aClearAtNewFile->isChecked()));
  aFollowNewRows->setChecked(Settings_.ReadBool(settings::LogOptions, settings::FollowNewRows, aFollowNewRows->isChecked()));
  UpdateCommands();
}

TfLog::~TfLog() {
  SaveWindowState(Settings_, this, settings::PosLog, AllWindowItems);
  SaveDialogState(Settings_, sdLogExport, settings::DlgExport, AllDialogItems);
  Settings_.WriteBool(settings::LogOptions, settings::ClearAtNewFile, aClearAtNewFile->isChecked());
  Settings_.WriteBool(settings::LogOptions, settings::FollowNewRows, aFollowNewRows->isChecked());
  // Nothing may reach this window once it is gone.
  SetLogProc(nullptr);
  SetMsgReceiver(nullptr);
  // The store is a member and goes before the window base closes a shown window, whose hide
  // events lay the list out and read its rows: the list, the one view of the store, and its
  // model go first.
  delete lvLog;
  lvLog = nullptr;
  delete Model_;
  Model_ = nullptr;
}

void TfLog::CreateActions() {
  static const char* const SwitchHints[MsgKindCount] = {
      "Switch displaying Info messages", "Switch displaying Notice messages", "Switch displaying Warning messages",
      "Switch displaying Error messages", "Switch displaying Debug messages"};
  for (int K = 0; K < MsgKindCount; ++K) {
    const TMsgKindInfo& Info = KindInfo(static_cast<TMsgKind>(K));
    QAction* A = MakeAction(this, QString::fromLatin1(Info.Name), QString::fromLatin1(SwitchHints[K]), LogIcon(Info.Icon));
    A->setCheckable(true);
    A->setChecked(true);
    connect(A, &QAction::triggered, this, [this, A] { SwitchMsgKind(A); });
    KindActions[static_cast<std::size_t>(K)] = A;
  }
  KindActions[0]->setObjectName(QStringLiteral("aSwInfo"));
  KindActions[1]->setObjectName(QStringLiteral("aSwNotice"));
  KindActions[2]->setObjectName(QStringLiteral("aSwWarning"));
  KindActions[3]->setObjectName(QStringLiteral("aSwError"));
  KindActions[4]->setObjectName(QStringLiteral("aSwDebug"));

  aClearAtNewFile = MakeAction(this, "Clear log on file", "If this option checked log will be cleared before each file openeng");
  aClearAtNewFile->setCheckable(true);
  aClearAtNewFile->setChecked(false);

  aFollowNewRows = MakeAction(this, "Follow new rows", "If this option checked the list standing at its end follows new log messages");
  aFollowNewRows->setObjectName(QStringLiteral("aFollowNewRows"));
  aFollowNewRows->setCheckable(true);
  aFollowNewRows->setChecked(false);

  aClear = MakeAction(this, "Clear", "Delete all log messages");
  connect(aClear, &QAction::triggered, this, [this] { ClearLog(); });

  aCopyToFile = MakeAction(this, "Export all to file...", "Save all log messages to text file", LogIcon(6));
  connect(aCopyToFile, &QAction::triggered, this, [this] { aCopyToFileExecute(); });

  aCopyToClip = MakeAction(this, "Copy all to clipboard", "Copy all log messages to clipboard");
  connect(aCopyToClip, &QAction::triggered, this, [this] { CopyLines(false); });

  aCopySlctd = MakeAction(this, "Copy", "Copy selected log items to clipboard", LogIcon(5));
  // The platform's Copy keys too: the list's own copy would take only the current cell.
  aCopySlctd->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Insert), QKeySequence(QKeySequence::Copy)});
  aCopySlctd->setShortcutContext(Qt::WindowShortcut);
  connect(aCopySlctd, &QAction::triggered, this, [this] { CopyLines(true); });
  addAction(aCopySlctd);  // the shortcut works wherever the focus is in this window
}

void TfLog::CreateMenusAndBars() {
  QMenu* LogMenu = menuBar()->addMenu(QStringLiteral("&Log"));
  LogMenu->addAction(aCopyToClip);
  LogMenu->addAction(aCopyToFile);
  LogMenu->addSeparator();
  LogMenu->addAction(aClear);
  QMenu* ViewMenu = menuBar()->addMenu(QStringLiteral("&View"));
  for (QAction* A : KindActions) ViewMenu->addAction(A);
  QMenu* OptionsMenu = menuBar()->addMenu(QStringLiteral("O&ptions"));
  OptionsMenu->addAction(aClearAtNewFile);
  OptionsMenu->addAction(aFollowNewRows);

  tbLog = addToolBar(QStringLiteral("Log"));
  tbLog->setObjectName(QStringLiteral("tbLog"));
  tbLog->setMovable(false);
  tbLog->setIconSize(QSize(16, 16));
  SuppressToolTips(tbLog);
  auto AddButton = [this](QAction* A, int Width) {
    auto* B = new QToolButton(tbLog);
    B->setDefaultAction(A);
    B->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    B->setFixedSize(Width, 23);
    tbLog->addWidget(B);
    return B;
  };
  sbCopy = AddButton(aCopySlctd, 57);
  AddToolBarGap(tbLog, 8);
  static const int Widths[MsgKindCount] = {57, 72, 80, 64, 72};
  for (int K = 0; K < MsgKindCount; ++K)
    KindButtons[static_cast<std::size_t>(K)] = AddButton(KindActions[static_cast<std::size_t>(K)], Widths[K]);
  FixToolBar(tbLog, 29);
  setContextMenuPolicy(Qt::NoContextMenu);

  pmLog = new QMenu(this);
  pmLog->addAction(aCopySlctd);
  pmLog->addSeparator();
  pmLog->addAction(aCopyToClip);
  pmLog->addAction(aCopyToFile);
  pmLog->addSeparator();
  pmLog->addAction(aClear);
  lvLog->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lvLog, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& At) { pmLog->popup(lvLog->viewport()->mapToGlobal(At)); });
}

void TfLog::AddMessage(int Ident, const std::string& Path, const std::string& Text) {
  // A control character (a line break in a file name) would break a listed, copied or exported
  // line; the store keeps the escaped text, as kavex-dump writes it.
  const auto HasControls = [](const std::string& S) {
    return std::any_of(S.begin(), S.end(), [](char C) { return static_cast<unsigned char>(C) < 0x20; });
  };
  if (HasControls(Path) || HasControls(Text))
    Store_.Add(Ident, EscapeControls(Path), EscapeControls(Text));
  else
    Store_.Add(Ident, Path, Text);  // the usual record, stored without another copy
  emit RecordAdded(Store_.Count() - 1);
  if (IsKindShown(MsgKindOf(Ident))) {
    // A new row leaves the list where it stands. Only when the user asked to follow new rows
    // does a list that stood at its end go to the new end, once after a burst of them; one
    // scrolled up stays where it is.
    const QScrollBar* Bar = lvLog->verticalScrollBar();
    const bool AtEnd = Bar->value() >= Bar->maximum();
    Model_->AppendRow(Store_.Count() - 1);
    if (aFollowNewRows->isChecked() && AtEnd && !ScrollToEndPending_) {
      ScrollToEndPending_ = true;
      QTimer::singleShot(0, this, [this] {
        ScrollToEndPending_ = false;
        if (aFollowNewRows->isChecked()) lvLog->scrollToBottom();
      });
    }
  }
  UpdateCommands();
}

void TfLog::RebuildList() {
  std::vector<std::size_t> Rows;
  for (std::size_t I = 0; I < Store_.Count(); ++I)
    if (IsKindShown(Store_.At(I).Kind())) Rows.push_back(I);
  Model_->SetRows(std::move(Rows));
}

void TfLog::ClearLog() {
  Model_->SetRows({});
  Store_.Clear();
  UpdateCommands();
  emit Cleared();
}

bool TfLog::SelectRecord(std::optional<std::size_t> Record) {
  const int Row = Record ? Model_->RowOfRecord(*Record) : -1;
  QItemSelectionModel* Selection = lvLog->selectionModel();
  if (Row < 0) {
    Selection->clear();
    return false;
  }
  const QModelIndex Index = Model_->index(Row, 0);
  Selection->setCurrentIndex(Index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  lvLog->scrollTo(Index);
  return true;
}

bool TfLog::ClearAtNewFile() const { return aClearAtNewFile->isChecked(); }

bool TfLog::FollowNewRows() const { return aFollowNewRows->isChecked(); }

void TfLog::SwitchMsgKind(QAction* Action) {
  for (int K = 0; K < MsgKindCount; ++K) {
    if (KindActions[static_cast<std::size_t>(K)] != Action) continue;
    const TMsgKind Kind = static_cast<TMsgKind>(K);
    const bool Shown = !IsKindShown(Kind);
    SetKindShown(Kind, Shown);
    Action->setChecked(Shown);  // the tool button follows its action
    RebuildList();
    UpdateCommands();
    return;
  }
}

QStringList TfLog::BuildLines(bool SelectedOnly) const {
  QStringList Lines;
  const QItemSelectionModel* Selection = lvLog->selectionModel();
  for (int Row = 0; Row < Model_->rowCount(); ++Row) {
    if (SelectedOnly && !Selection->isRowSelected(Row, {})) continue;
    Lines << QString::fromStdString(FormatMsgLine(Model_->RecordAt(Row)));
  }
  return Lines;
}

void TfLog::CopyLines(bool SelectedOnly) {
  QString Text;
  for (const QString& Line : BuildLines(SelectedOnly)) Text += Line + QStringLiteral("\r\n");
  QApplication::clipboard()->setText(Text);
}

void TfLog::aCopyToFileExecute() {
  const TFileDialog LastGood = sdLogExport;
  if (!DialogHooks().RunFileDialog(this, sdLogExport)) return;
  // Written beside the target and moved over it only when complete, so a failed export
  // leaves an existing file as it was.
  QSaveFile File(sdLogExport.FileName);
  bool Ok = File.open(QIODevice::WriteOnly);
  for (const QString& Line : BuildLines(false)) {
    if (!Ok) break;
    Ok = File.write(Line.toUtf8() + "\r\n") >= 0;
  }
  if (Ok) Ok = File.commit();
  if (Ok) return;
  const QString Failed = sdLogExport.FileName;
  // A file that could not be written is not proposed again.
  sdLogExport = LastGood;
  DialogHooks().ShowMessage(this, ApplicationTitle(),
                            QStringLiteral("Cannot write file \"%1\": %2").arg(Failed, File.errorString()),
                            TMsgBoxIcon::Error);
}

void TfLog::UpdateCommands() {
  SetEnabledIfChanged(aClear, Store_.Count() > 0);
  SetEnabledIfChanged(aCopySlctd, lvLog->selectionModel()->hasSelection());
  const bool HasRows = Model_->rowCount() > 0;
  SetEnabledIfChanged(aCopyToClip, HasRows);
  SetEnabledIfChanged(aCopyToFile, HasRows);
}

}  // namespace kavex
