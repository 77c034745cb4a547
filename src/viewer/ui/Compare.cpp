// TfMain's comparison with a second image: the File and View items, reading the second image,
// the marks and stand-ins in the tree, the way from one difference to the next, the report,
// and the end of it all.

#include "ui/Compare.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QMenu>
#include <functional>
#include <sstream>

#include "present/Kav_CompareReport.h"
#include "present/Kav_Walk.h"
#include "ui/Bytes.h"
#include "ui/Hints.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"
#include "ui/NodeDetails.h"

namespace kavex {

QString CompareStatusText(const QString& FileName, const TComparison& Comparison) {
  return QStringLiteral("Compared with %1: %2")
      .arg(QFileInfo(FileName).fileName(), QString::fromStdString(CompareSummary(Comparison)));
}

namespace {

// Every row below Parent, depth first in tree order; Visit returns false to stop.
bool EachRow(const QAbstractItemModel& Model, const QModelIndex& Parent, const std::function<bool(const QModelIndex&)>& Visit) {
  for (int Row = 0; Row < Model.rowCount(Parent); ++Row) {
    const QModelIndex Index = Model.index(Row, 0, Parent);
    if (!Visit(Index) || !EachRow(Model, Index, Visit)) return false;
  }
  return true;
}

bool OwnDifference(TCompareMark Mark) { return Mark != TCompareMark::None && Mark != TCompareMark::Below; }

}  // namespace

void TfMain::CreateCompareActions() {
  aCompare = MakeAction(this, QStringLiteral("&Compare with..."), QStringLiteral("Compare the open image with another one"));
  aCompare->setObjectName(QStringLiteral("aCompare"));
  aCompare->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  connect(aCompare, &QAction::triggered, this, [this] {
    TFileDialog Dialog = odFlash;  // the same files, the same folder
    Dialog.Title = QStringLiteral("Compare with");
    if (DialogHooks().RunFileDialog(this, Dialog)) CompareWith(Dialog.FileName);
  });
  aStopComparing = MakeAction(this, QStringLiteral("S&top comparing"), QStringLiteral("Go back to the open image alone"));
  aStopComparing->setObjectName(QStringLiteral("aStopComparing"));
  connect(aStopComparing, &QAction::triggered, this, [this] { StopComparing(); });
  aExportComparison = MakeAction(this, QStringLiteral("Export comparison &report..."),
                                 QStringLiteral("Write the comparison of the two images as an HTML page"));
  aExportComparison->setObjectName(QStringLiteral("aExportComparison"));
  connect(aExportComparison, &QAction::triggered, this, [this] { ExportComparison(); });
  mFile->insertSeparator(miReopen);
  mFile->insertActions(miReopen, {aCompare, aStopComparing, aExportComparison});

  // Esc in the tree ends a comparison, and only there.
  auto* aStopKey = new QAction(tvMain);
  aStopKey->setShortcut(QKeySequence(Qt::Key_Escape));
  aStopKey->setShortcutContext(Qt::WidgetShortcut);
  tvMain->addAction(aStopKey);
  connect(aStopKey, &QAction::triggered, this, [this] { StopComparing(); });

  aOnlyDifferences = MakeAction(this, QStringLiteral("Only &differences"), QStringLiteral("Hide the nodes without a difference"));
  aOnlyDifferences->setObjectName(QStringLiteral("aOnlyDifferences"));
  aOnlyDifferences->setCheckable(true);
  connect(aOnlyDifferences, &QAction::toggled, this, [this] { ApplyOnlyDifferences(); });
  aNextDifference = MakeAction(this, QStringLiteral("Ne&xt difference"), QStringLiteral("Go to the next node that differs"));
  aNextDifference->setObjectName(QStringLiteral("aNextDifference"));
  aNextDifference->setShortcut(QKeySequence(Qt::Key_F7));
  connect(aNextDifference, &QAction::triggered, this, [this] { StepDifference(1); });
  aPrevDifference = MakeAction(this, QStringLiteral("Pre&vious difference"), QStringLiteral("Go to the previous node that differs"));
  aPrevDifference->setObjectName(QStringLiteral("aPrevDifference"));
  aPrevDifference->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F7));
  connect(aPrevDifference, &QAction::triggered, this, [this] { StepDifference(-1); });
  InsertViewGroup({aOnlyDifferences, aNextDifference, aPrevDifference});  // after the problems' group
  UpdateCompareActions();
}

void TfMain::UpdateCompareActions() {
  if (!aCompare) return;  // not made yet
  aCompare->setEnabled(ShownModel() != nullptr);
  for (QAction* Action : {aStopComparing, aExportComparison, aOnlyDifferences, aNextDifference, aPrevDifference})
    Action->setEnabled(Compare_ != nullptr);
}

void TfMain::CompareWith(const QString& FileName) {
  if (!ShownModel()) return;
  StopComparing();
  auto Session = std::make_shared<TCompareSession>();
  Session->FileName = FileName;
  QString Failure;
  {
    // The second image's records reach the log; they mark nothing of the shown image.
    delete ProblemLogLink_;
    ProblemLogLink_ = nullptr;
    std::string Reason;
    try {
      Session->Second = LoadFile(FileName.toStdString(), &Reason);
      if (Session->Second) ExpandAll(*Session->Second);
      if (!Session->Second) Failure = QString::fromLocal8Bit(Reason);
      else if (HoldsNoArea(*Session->Second)) Failure = QString::fromLatin1(NoAreaFoundText) + QStringLiteral(" in it");
    } catch (const EKavError& Error) {
      Failure = QStringLiteral("a problem was found in it (%1)").arg(QString::fromStdString(EscapeControls(Error.what())));
    }
    ConnectProblemLog();
  }
  if (!Failure.isEmpty()) {
    const QString Name = QFileInfo(FileName).fileName();
    DialogHooks().ShowMessage(this, ApplicationTitle(),
                              QStringLiteral("Could not compare with %1: %2. The log has the details.").arg(Name.isEmpty() ? FileName : Name, Failure),
                              TMsgBoxIcon::Warning);
    return;
  }

  TImageTreeModel& Nodes = *tvMain->Nodes();
  tvMain->setUpdatesEnabled(false);
  Nodes.FetchAll();  // the first image whole, and the tree mirroring it
  Session->Comparison = CompareImages(*ShownModel(), *Session->Second);
  Session->View = LayOutComparison(Session->Comparison, *ShownModel(), *Session->Second);
  for (const TAddedPlace& Added : Session->View.Added)
    Nodes.InsertStandIn(Nodes.IndexOfModelNode(Added.Parent), static_cast<int>(Added.Row), const_cast<TKavClass*>(Added.Diff->Node2));
  Nodes.SetCompareView(&Session->View);
  Compare_ = std::move(Session);
  ApplyOnlyDifferences();
  tvMain->setUpdatesEnabled(true);
  SetCaptionFile(ShownFile_ + QStringLiteral(" ~ ") + QFileInfo(FileName).fileName());
  UpdateStatusHint();
  if (const QModelIndex Current = tvMain->currentIndex(); Current.isValid()) ShowCompareSides(Current);
}

void TfMain::StopComparing() {
  if (!Compare_) return;
  TImageTreeModel& Nodes = *tvMain->Nodes();
  // Off a stand-in first, so that no selection lands on a row about to go.
  QModelIndex Current = tvMain->currentIndex();
  while (Current.isValid() && Current.data(TImageTreeModel::StandInRole).toBool()) Current = Current.parent();
  if (Current != tvMain->currentIndex()) tvMain->setCurrentIndex(Current);
  pBytes->SetCounterpart(nullptr);
  pAllInfo->ForgetFontEntry();
  const bool Only = aOnlyDifferences->isChecked();
  {
    const QSignalBlocker Quiet(aOnlyDifferences);
    aOnlyDifferences->setChecked(false);
    ApplyOnlyDifferences();  // every row shown again
    aOnlyDifferences->setChecked(Only);  // kept for the next comparison
  }
  Nodes.RemoveStandIns();
  Nodes.SetCompareView(nullptr);
  Compare_.reset();  // nothing refers to the second image now
  SetCaptionFile(ShownModel() ? ShownFile_ : QStringLiteral("(Untitled)"));
  UpdateStatusHint();
  tvMainClick();  // the node's own details, as before
}

const TNodeDiff* TfMain::ChangedDiffAt(const QModelIndex& Index) const {
  if (!Compare_ || !Index.isValid() || Index.data(TImageTreeModel::StandInRole).toBool()) return nullptr;
  return Compare_->View.ChangedDiffOf(TImageTreeModel::ModelNode(Index));
}

void TfMain::ShowCompareSides(const QModelIndex& Current) {
  const TNodeDiff* Diff = ChangedDiffAt(Current);
  // When it cannot show both sides, the node's own details are shown as they are without one.
  if (Diff && !pAllInfo->ShowComparison(Diff)) pAllInfo->ShowNodeInfo(TImageTreeModel::ModelNode(Current));
  pBytes->SetCounterpart(dkBytes->isHidden() ? nullptr : Diff);  // a hidden view holds no node
}

void TfMain::ApplyOnlyDifferences() {
  const TImageTreeModel& Nodes = *tvMain->Nodes();
  const bool Only = Compare_ && aOnlyDifferences->isChecked();
  EachRow(Nodes, {}, [&](const QModelIndex& Index) {
    // Every node with a mark (of its own, or below it) stays: the way down to each difference.
    const bool Hide = Only && TImageTreeModel::CompareMark(Index) == TCompareMark::None;
    if (tvMain->isRowHidden(Index.row(), Index.parent()) != Hide) tvMain->setRowHidden(Index.row(), Index.parent(), Hide);
    return true;
  });
}

void TfMain::StepDifference(int Step) {
  if (!Compare_) return;
  const TImageTreeModel& Nodes = *tvMain->Nodes();
  const QModelIndex Current = tvMain->currentIndex();
  QModelIndex First, Last, Before, After;
  bool Passed = false;
  EachRow(Nodes, {}, [&](const QModelIndex& Index) {
    if (Index == Current) {
      Passed = true;
      return true;
    }
    if (!OwnDifference(TImageTreeModel::CompareMark(Index))) return true;
    if (!First.isValid()) First = Index;
    Last = Index;
    if (!Passed) Before = Index;
    else if (!After.isValid()) After = Index;
    // Going forwards, the rest of the tree matters only for the last one.
    return Step < 0 || !After.isValid();
  });
  const QModelIndex Target = Step > 0 ? (After.isValid() ? After : First) : (Before.isValid() ? Before : Last);
  if (!Target.isValid()) return;
  SelectRevealed(Target);
}

void TfMain::ExportComparison() {
  if (!Compare_) return;
  TFileDialog Dialog;
  Dialog.Kind = TFileDialog::Save;
  Dialog.Title = QStringLiteral("Export comparison report");
  Dialog.Filter = QStringLiteral("HTML files (*.html)|*.html|All files (*.*)|*.*");
  Dialog.DefaultExt = QStringLiteral("html");
  Dialog.FolderMustExist = true;
  Dialog.ConfirmOverwrite = false;  // asked below, once
  Dialog.FileName = QFileInfo(ShownFile_).completeBaseName() + QStringLiteral("-") +
                    QFileInfo(Compare_->FileName).completeBaseName() + QStringLiteral(".html");
  if (!DialogHooks().RunFileDialog(this, Dialog)) return;
  std::ostringstream Page;
  WriteCompareHtml(Compare_->Comparison, {ShownFile_.toStdString(), Compare_->FileName.toStdString()}, Page);
  const std::string Text = Page.str();
  int Written = 0;
  if (!WriteExportFiles({{Dialog.FileName.toStdString(), [&Text] { return TBytes(Text.begin(), Text.end()); }}}, Written)) return;
  DialogHooks().ShowMessage(this, ApplicationTitle(),
                            QStringLiteral("The comparison report was written to %1.").arg(QDir::toNativeSeparators(Dialog.FileName)),
                            TMsgBoxIcon::Information);
}

}  // namespace kavex
