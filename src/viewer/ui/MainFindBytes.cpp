// TfMain's Find bytes: the dialog's place in the Edit menu and the settings, the search from the
// bytes view's cursor, and the way to the node that holds a match.

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <algorithm>

#include "model/Kav_Fls.h"
#include "settings/SettingsNames.h"
#include "ui/Bytes.h"
#include "ui/FindBytes.h"
#include "ui/Hints.h"
#include "ui/ImageTree.h"
#include "ui/Main.h"

namespace kavex {
namespace {

// The tree item of the deepest node that holds Count bytes from image offset Offset, each
// node on the way built through the tree's own fetch; none when the root does not hold them.
QModelIndex DeepestItemHolding(TImageTreeModel& Nodes, std::size_t Offset, std::size_t Count) {
  QModelIndex At = Nodes.RootIndex();
  if (!At.isValid() || !NodeHoldsBytes(*TImageTreeModel::ModelNode(At), Offset, Count)) return {};
  for (;;) {
    if (Nodes.canFetchMore(At)) Nodes.fetchMore(At);
    QModelIndex Next;
    for (int Row = 0; Row < Nodes.rowCount(At) && !Next.isValid(); ++Row)
      if (const QModelIndex Child = Nodes.index(Row, 0, At); NodeHoldsBytes(*TImageTreeModel::ModelNode(Child), Offset, Count))
        Next = Child;
    if (!Next.isValid()) return At;
    At = Next;
  }
}

}  // namespace

void TfMain::CreateFindBytes() {
  dlgFindBytes = new TFindBytesDialog(this);
  aFindBytes = new QAction(QStringLiteral("Find b&ytes..."), this);
  SetHint(aFindBytes, QStringLiteral("Find a run of bytes, given in hex or as text, in the bytes view"));
  aFindBytes->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
  connect(aFindBytes, &QAction::triggered, this, [this] {
    if (!ShownModel()) return;
    dkBytes->show();
    dlgFindBytes->Open();
  });
  // Beside Find, above the steps that both searches share.
  mEdit->insertAction(aFindNext, aFindBytes);
  // F3 and Shift+F3 work in the dialog as well.
  dlgFindBytes->addAction(aFindNext);
  dlgFindBytes->addAction(aFindPrev);
  connect(dlgFindBytes, &TFindBytesDialog::FindRequested, this, [this] { RunFindBytes(); });

  const int Kind = Settings_->ReadInteger(settings::FindBytes, settings::PatternKind, 0);
  dlgFindBytes->SetKind(static_cast<TBytePatternKind>(std::clamp(Kind, 0, static_cast<int>(TBytePatternKind::Utf16BE))));
  dlgFindBytes->SetWholeImage(Settings_->ReadBool(settings::FindBytes, settings::WholeImage, false));
}

void TfMain::SaveFindBytes() {
  Settings_->WriteInteger(settings::FindBytes, settings::PatternKind, static_cast<int>(dlgFindBytes->Kind()));
  Settings_->WriteBool(settings::FindBytes, settings::WholeImage, dlgFindBytes->WholeImage());
}

void TfMain::RunFindBytes() {
  if (!ShownModel()) return;
  TByteSearch Search = dlgFindBytes->Request();
  if (!Search.Pattern.Error.empty()) {
    dlgFindBytes->stResult->clear();
    DialogHooks().ShowMessage(dlgFindBytes->isVisible() ? static_cast<QWidget*>(dlgFindBytes) : this, ApplicationTitle(),
                              QString::fromStdString(Search.Pattern.Error), TMsgBoxIcon::Information);
    return;
  }
  dlgFindBytes->Last = std::move(Search);
  BytesSearchLast_ = true;
  SearchBytes(0);
}

void TfMain::StepFindBytes(int Step) {
  if (dlgFindBytes->Last.Pattern.Bytes.empty()) {
    aFindBytes->trigger();
    return;
  }
  SearchBytes(Step);
}

void TfMain::SearchBytes(int Step) {
  const TFls* Root = ShownModel();
  if (!Root) return;
  const TByteSearch& Search = dlgFindBytes->Last;
  const TByteView Pattern = Search.Pattern.Bytes;
  const QModelIndex CurrentItem = tvMain->currentIndex();
  const TKavClass* Current = CurrentItem.isValid() ? TImageTreeModel::ModelNode(CurrentItem) : Root;
  const TKavClass& Scope = Search.WholeImage ? *Root : *Current;
  const TSearchDirection Direction = Step < 0 ? TSearchDirection::Backward : TSearchDirection::Forward;

  // Where it starts, as an image offset: the cursor's byte, or the selected node's first byte
  // (its end, going backward) when the bytes view has no cursor in it.
  const TBytesModel& Shown = pBytes->Model();
  std::size_t From = Current->ImageOffset() + (Step < 0 ? Current->ImageBytes().size() : 0);
  if (Shown.Node() == Current && pBytes->CursorByte() >= 0) {
    From = Shown.BaseOffset() + static_cast<std::size_t>(pBytes->CursorByte());
    const TByteField Run = pBytes->Selection();
    if (Step > 0) {
      ++From;
    } else if (Step == 0 && Run.Count == Pattern.size() &&
               std::ranges::equal(Shown.Bytes().subspan(Run.First, Run.Count), Pattern)) {
      From = Shown.BaseOffset() + Run.First + 1;  // the match selected there is passed
    }
  }
  const std::size_t Base = Scope.ImageOffset();
  const std::optional<TByteMatch> Match = FindBytes(Scope.ImageBytes(), Pattern, From < Base ? 0 : From - Base, Direction);
  if (!Match) {
    const QString Text = QString::fromStdString(FindBytesNoMatchText(Search.Pattern));
    dlgFindBytes->stResult->setText(Text);
    DialogHooks().ShowMessage(dlgFindBytes->isVisible() ? static_cast<QWidget*>(dlgFindBytes) : this, ApplicationTitle(),
                              Text, TMsgBoxIcon::Information);
    return;
  }

  const std::size_t At = Base + Match->Start;
  dkBytes->show();
  const QModelIndex Item = Search.WholeImage ? DeepestItemHolding(*tvMain->Nodes(), At, Pattern.size()) : CurrentItem;
  if (Item.isValid() && Item != tvMain->currentIndex()) {
    tvMain->setCurrentIndex(Item);
    tvMain->scrollTo(Item);
  }
  const TKavClass* Node = Item.isValid() ? TImageTreeModel::ModelNode(Item) : Current;
  if (pBytes->Model().Node() != Node) pBytes->SetNode(Node);
  pBytes->SelectBytes(At - Node->ImageOffset(), Pattern.size());
  const QString Text = QString::fromStdString(FindBytesMatchText(At, *Match, Direction));
  dlgFindBytes->stResult->setText(Text);
  statusBar()->showMessage(Text);
}

}  // namespace kavex
