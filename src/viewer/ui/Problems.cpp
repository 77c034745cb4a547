// TfMain's problem markers: the actions of the View menu, the count in the status strip, the
// way from one problem to the next, and the log window's records that feed the marks.

#include "ui/Problems.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <vector>

#include "settings/SettingsNames.h"
#include "ui/Hints.h"
#include "ui/ImageTree.h"
#include "ui/LogWindow.h"
#include "ui/Main.h"

namespace kavex {

void TClickableLabel::mousePressEvent(QMouseEvent* Event) {
  Pressed_ = Event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(Event);
}

void TClickableLabel::mouseReleaseEvent(QMouseEvent* Event) {
  const bool Click = Pressed_ && Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint());
  Pressed_ = false;
  QLabel::mouseReleaseEvent(Event);
  if (Click) emit Clicked();
}

void TfMain::CreateProblemActions() {
  TImageTreeModel& Nodes = *tvMain->Nodes();
  aMarkProblems = MakeAction(this, QStringLiteral("&Mark problems"),
                             QStringLiteral("Mark the nodes that the log has warnings or errors for"));
  aMarkProblems->setObjectName(QStringLiteral("aMarkProblems"));
  aMarkProblems->setCheckable(true);
  aMarkProblems->setChecked(Settings_->ReadBool(settings::TreeOptions, settings::MarkProblems, true));
  Nodes.SetMarksShown(aMarkProblems->isChecked());
  connect(aMarkProblems, &QAction::toggled, this, [this](bool Checked) {
    tvMain->Nodes()->SetMarksShown(Checked);
    Settings_->WriteBool(settings::TreeOptions, settings::MarkProblems, Checked);
  });

  aNextProblem = MakeAction(this, QStringLiteral("&Next problem"), QStringLiteral("Go to the next node with a warning or an error"));
  aNextProblem->setObjectName(QStringLiteral("aNextProblem"));
  aNextProblem->setShortcut(QKeySequence(Qt::Key_F8));
  connect(aNextProblem, &QAction::triggered, this, [this] { StepProblem(1); });
  aPrevProblem = MakeAction(this, QStringLiteral("&Previous problem"),
                            QStringLiteral("Go to the previous node with a warning or an error"));
  aPrevProblem->setObjectName(QStringLiteral("aPrevProblem"));
  aPrevProblem->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F8));
  connect(aPrevProblem, &QAction::triggered, this, [this] { StepProblem(-1); });

  InsertViewGroup({aMarkProblems, aNextProblem, aPrevProblem});

  stProblems = new TClickableLabel(statusBar());
  stProblems->setObjectName(QStringLiteral("stProblems"));
  stProblems->setCursor(Qt::PointingHandCursor);
  statusBar()->addPermanentWidget(stProblems);
  connect(stProblems, &TClickableLabel::Clicked, aViewLog, &QAction::trigger);

  connect(&Nodes, &TImageTreeModel::MarkersChanged, this, [this] { UpdateProblemCount(); });
  UpdateProblemCount();
}

void TfMain::ConnectProblemLog() {
  delete ProblemLogLink_;  // and the links it holds
  ProblemLogLink_ = nullptr;
  if (!Log_) return;
  ProblemLogLink_ = new QObject(this);
  connect(Log_, &TfLog::RecordAdded, ProblemLogLink_, [this](std::size_t Record) {
    const TMsgItem& Item = Log_->Store().At(Record);
    tvMain->Nodes()->NoteRecord(Record, Item.Kind(), Item.Path);
  });
  connect(Log_, &TfLog::Cleared, ProblemLogLink_, [this] { tvMain->Nodes()->ForgetRecords(); });
}

void TfMain::UpdateProblemCount() {
  const TImageTreeModel& Nodes = *tvMain->Nodes();
  // Records of a file that showed nothing count for no image.
  const bool Shown = Nodes.rowCount() > 0;
  const QString Text = Shown ? QString::fromStdString(Nodes.Marks().CountText()) : QString();
  if (stProblems->text() != Text) stProblems->setText(Text);
  stProblems->setVisible(!Text.isEmpty());
  const bool Marked = Shown && Nodes.Marks().HasMarkedNodes();
  aNextProblem->setEnabled(Marked);
  aPrevProblem->setEnabled(Marked);
}

void TfMain::StepProblem(int Step) {
  TImageTreeModel& Nodes = *tvMain->Nodes();
  const TKavClass* Next = Nodes.Marks().NextMarked(TImageTreeModel::ModelNode(tvMain->currentIndex()), Step);
  const QModelIndex Target = Nodes.IndexOfModelNode(Next);
  if (!Target.isValid()) return;
  SelectRevealed(Target);
  if (Log_ && Log_->isVisible()) Log_->SelectRecord(Nodes.Marks().FirstRecordOf(*Next));
}

// A group of its own in the View menu after the items there, before the views' group (Find,
// bytes), which stays last.
void TfMain::InsertViewGroup(std::initializer_list<QAction*> Actions) {
  const QList<QAction*> View = mView->actions();
  const qsizetype Views = View.indexOf(dkFind->toggleViewAction());
  QAction* Before = Views > 0 && View.at(Views - 1)->isSeparator() ? View.at(Views - 1) : nullptr;
  if (Before) mView->insertSeparator(Before);
  else mView->addSeparator();
  mView->insertActions(Before, QList<QAction*>(Actions));
}

void TfMain::SelectRevealed(const QModelIndex& Target) {
  // The nodes above it are opened from the top down, each as an expansion by the user is.
  std::vector<QModelIndex> Above;
  for (QModelIndex At = Target.parent(); At.isValid(); At = At.parent()) Above.push_back(At);
  for (auto At = Above.rbegin(); At != Above.rend(); ++At)
    if (!tvMain->isExpanded(*At)) tvMain->ExpandNode(*At);
  tvMain->setCurrentIndex(Target);
  tvMain->scrollTo(Target);
}

}  // namespace kavex
