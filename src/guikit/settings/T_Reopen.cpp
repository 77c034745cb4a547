#include "settings/T_Reopen.h"

#include <QAction>
#include <QCollator>
#include <QGuiApplication>
#include <QScreen>
#include <QMenu>
#include <QWidget>
#include <algorithm>

#include "settings/SettingsNames.h"

namespace kavex {
namespace {

constexpr TWindowItem ItemOrder[] = {wiLeft, wiWidth, wiTop, wiHeight, wiWindowState};

QString ItemName(TWindowItem Item) {
  switch (Item) {
    case wiLeft: return settings::Left;
    case wiWidth: return settings::Width;
    case wiTop: return settings::Top;
    case wiHeight: return settings::Height;
    case wiWindowState: return settings::WindowState;
  }
  return {};
}

QString FolderOf(const QString& FileName) {
  const qsizetype Slash = std::max(FileName.lastIndexOf(QLatin1Char('/')), FileName.lastIndexOf(QLatin1Char('\\')));
  return FileName.left(Slash + 1);
}

TFrameProbe& FrameProbe() {
  static TFrameProbe Probe;
  return Probe;
}

// Waits for the window manager to frame a window whose outer size was restored before its
// frame was known, then takes the frame off the window's own size once.
class TOuterSizeKeeper : public QObject {
public:
  TOuterSizeKeeper(QWidget* Window, QSize Outer) : QObject(Window), Window_(Window), Outer_(Outer) {
    Window->installEventFilter(this);
  }
  void SetOuter(QSize Outer) { Outer_ = Outer; }

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    const QEvent::Type T = Event->type();
    if (Watched == Window_ && (T == QEvent::Show || T == QEvent::Move || T == QEvent::Resize)) {
      const QSize Extra = FrameExtra(Window_);
      if (!Extra.isEmpty() && Window_->windowState() == Qt::WindowNoState) {
        Window_->removeEventFilter(this);
        Window_->resize(Outer_ - Extra);
        deleteLater();
      }
    }
    return false;
  }

private:
  QWidget* Window_;
  QSize Outer_;
};

constexpr int TitleBarHeight = 20;  // the part of the frame that must stay on a screen

}  // namespace

void SetFrameProbe(TFrameProbe Probe) { FrameProbe() = std::move(Probe); }

QSize FrameExtra(const QWidget* Window) {
  if (FrameProbe()) return FrameProbe()(Window);
  const QSize Extra = Window->frameGeometry().size() - Window->size();
  return Extra.isValid() ? Extra : QSize(0, 0);
}

void SetOuterSize(QWidget* Window, QSize Outer) { TWindowPlacement(Window).ResizeOuter(Outer); }

void TWindowPlacement::ResizeOuter(QSize Outer) {
  const QSize Extra = FrameExtra(Window_);
  Window_->resize((Outer - Extra).expandedTo(QSize(1, 1)));
  if (!Extra.isEmpty()) return;
  // Not framed yet: correct the size once the frame is there.
  for (QObject* Child : Window_->children())
    if (auto* Keeper = dynamic_cast<TOuterSizeKeeper*>(Child)) return Keeper->SetOuter(Outer);
  new TOuterSizeKeeper(Window_, Outer);
}

int TWindowPlacement::Value(TWindowItem Item) const {
  switch (Item) {
    case wiLeft: return Window_->x();
    case wiWidth: return Window_->width() + FrameExtra(Window_).width();
    case wiTop: return Window_->y();
    case wiHeight: return Window_->height() + FrameExtra(Window_).height();
    case wiWindowState:
      if (Window_->windowState() & Qt::WindowMinimized) return 1;
      if (Window_->windowState() & Qt::WindowMaximized) return 2;
      return 0;
  }
  return 0;
}

void TWindowPlacement::SetValue(TWindowItem Item, int Value) {
  switch (Item) {
    case wiLeft: Window_->move(Value, Window_->y()); break;
    case wiWidth: ResizeOuter(QSize(Value, this->Value(wiHeight))); break;
    case wiTop: Window_->move(Window_->x(), Value); break;
    case wiHeight: ResizeOuter(QSize(this->Value(wiWidth), Value)); break;
    case wiWindowState:
      // Any other number is taken as normal rather than as a state the window cannot have.
      Window_->setWindowState(Value == 1   ? Qt::WindowMinimized
                              : Value == 2 ? Qt::WindowMaximized
                                           : Qt::WindowNoState);
      break;
  }
}

void TWindowPlacement::UseOwnPosition() {
  // An explicit move marks the position as chosen, so the window manager does not place it.
  Window_->move(Window_->pos());
}

void TWindowPlacement::KeepReachable() {
  const QRect Frame(Window_->pos(), Window_->size() + FrameExtra(Window_));
  const QRect TitleBar(Frame.topLeft(), QSize(Frame.width(), TitleBarHeight));
  for (const QScreen* Screen : QGuiApplication::screens())
    if (Screen->availableGeometry().intersects(TitleBar)) return;
  const QScreen* Primary = QGuiApplication::primaryScreen();
  if (!Primary) return;
  const QRect Area = Primary->availableGeometry();
  const QSize Outer = Frame.size().boundedTo(Area.size());
  if (Outer != Frame.size()) ResizeOuter(Outer);
  Window_->move(Area.left() + (Area.width() - Outer.width()) / 2, Area.top() + (Area.height() - Outer.height()) / 2);
}

void SaveWindowState(TSettingsStore& Store, const TPlacementTarget& Control, const QString& Section, unsigned Items) {
  for (TWindowItem Item : ItemOrder)
    if (Items & Item) Store.WriteInteger(Section, ItemName(Item), Control.Value(Item));
}

void RestoreWindowState(TSettingsStore& Store, TPlacementTarget& Control, const QString& Section, unsigned Items) {
  Control.UseOwnPosition();
  for (TWindowItem Item : ItemOrder)
    if (Items & Item) Control.SetValue(Item, Store.ReadInteger(Section, ItemName(Item), Control.Value(Item)));
  Control.KeepReachable();
}

void SaveWindowState(TSettingsStore& Store, QWidget* Window, const QString& Section, unsigned Items) {
  SaveWindowState(Store, TWindowPlacement(Window), Section, Items);
}

void RestoreWindowState(TSettingsStore& Store, QWidget* Window, const QString& Section, unsigned Items) {
  TWindowPlacement Target(Window);
  RestoreWindowState(Store, Target, Section, Items);
}

void SaveDialogState(TSettingsStore& Store, const TFileDialog& Dialog, const QString& Section, unsigned Items) {
  if ((Items & diInitialDir) && !Dialog.InitialDir.isEmpty()) Store.WriteString(Section, settings::InitialDir, Dialog.InitialDir);
  if ((Items & diFileName) && !Dialog.FileName.isEmpty()) Store.WriteString(Section, settings::Filename, Dialog.FileName);
}

void RestoreDialogState(TSettingsStore& Store, TFileDialog& Dialog, const QString& Section, unsigned Items) {
  if (Items & diInitialDir) Dialog.InitialDir = Store.ReadString(Section, settings::InitialDir, Dialog.InitialDir);
  if (Items & diFileName) Dialog.FileName = Store.ReadString(Section, settings::Filename, Dialog.FileName);
}

// ---------------------------------------------------------------------------------------
void T_Reopen::ReopenInit(TSettingsStore* Store, int MaxCount, QAction* Anchor, TFileDialog* OpenDialog,
                          TOpenCallback OpenCallback) {
  Store_ = Store;
  MaxCount_ = MaxCount;
  Anchor_ = Anchor;
  OpenDialog_ = OpenDialog;
  OpenCallback_ = std::move(OpenCallback);
  Recent_.clear();
  for (int I = 0; I < MaxCount_; ++I) {
    const QString Name = Store_->ReadString(settings::Reopen, QString::number(I), QString());
    if (Name.isEmpty()) break;
    Recent_ << Name;
  }
  RebuildRecentMenu();
  // The dialog gets the stored folder only now; later it proposes the folder of its last file.
  RememberedFolder_ = Store_->ReadString(settings::Reopen, settings::InitialDir, QString());
  if (OpenDialog_) OpenDialog_->InitialDir = RememberedFolder_;
}

QMenu* T_Reopen::AnchorMenu() const {
  if (!Anchor_) return nullptr;
  for (QObject* O : Anchor_->associatedObjects())
    if (auto* M = qobject_cast<QMenu*>(O)) return M;
  return nullptr;
}

QList<QAction*> T_Reopen::RecentItems() const {
  QMenu* Menu = AnchorMenu();
  if (!Menu) return {};
  const QList<QAction*> All = Menu->actions();
  const qsizetype At = All.indexOf(Anchor_.data());
  return At < 0 ? QList<QAction*>() : All.mid(At + 1);
}

void T_Reopen::RebuildRecentMenu() {
  QMenu* Menu = AnchorMenu();
  if (!Menu) return;
  for (QAction* Item : RecentItems()) {
    // Later, not now: the item being removed may be the one whose click is running.
    Menu->removeAction(Item);
    Item->deleteLater();
  }
  for (qsizetype N = 0; N < Recent_.size(); ++N) {
    // A '&' in a path would turn into an accelerator and vanish from the caption; doubled it
    // shows as itself. The file name is taken from the list, never from the caption.
    QString Path = Recent_[N];
    Path.replace(QLatin1Char('&'), QStringLiteral("&&"));
    auto* Item = new QAction(QStringLiteral("&%1 %2").arg(N + 1).arg(Path), Menu);
    connect(Item, &QAction::triggered, this, [this, Item] { ReopenClick(Item); });
    Menu->addAction(Item);
  }
  Anchor_->setVisible(!Recent_.isEmpty());
}

void T_Reopen::AddRecentFile(const QString& Name) {
  QCollator Collator;  // the user's locale
  Collator.setCaseSensitivity(Qt::CaseInsensitive);
  qsizetype Found = -1;
  for (qsizetype I = 0; I < Recent_.size(); ++I)
    if (Collator.compare(Recent_[I], Name) == 0) {
      Found = I;
      break;
    }
  if (Found == 0) return;
  if (Found > 0) Recent_.removeAt(Found);
  Recent_.prepend(Name);
  if (Found < 0) {
    while (Recent_.size() > MaxCount_) Recent_.removeLast();
  }
  for (qsizetype I = 0; I < Recent_.size(); ++I) Store_->WriteString(settings::Reopen, QString::number(I), Recent_[I]);
  RebuildRecentMenu();
}

void T_Reopen::ReopenExecuteDialog(QWidget* Parent) {
  if (!OpenDialog_ || !DialogHooks().RunFileDialog(Parent, *OpenDialog_)) return;
  const QString Name = OpenDialog_->FileName;
  AddRecentFile(Name);
  const QString Folder = FolderOf(Name);
  if (Folder != RememberedFolder_) {
    Store_->WriteString(settings::Reopen, settings::InitialDir, Folder);
    RememberedFolder_ = Folder;
  }
  if (OpenCallback_) OpenCallback_(Name);
}

void T_Reopen::ReopenClick(QObject* Sender) {
  auto* Item = qobject_cast<QAction*>(Sender);
  const qsizetype At = Item ? RecentItems().indexOf(Item) : -1;
  if (At < 0 || At >= Recent_.size()) {
    QWidget* Parent = AnchorMenu() ? AnchorMenu()->window() : nullptr;
    DialogHooks().ShowMessage(Parent, ApplicationTitle(), QStringLiteral("Internal program error: can't find reopen menu item"),
                              TMsgBoxIcon::None);
    return;
  }
  // Copied: AddRecentFile rebuilds the menu and the list under our feet.
  const QString Name = Recent_[At];
  AddRecentFile(Name);
  if (OpenCallback_) OpenCallback_(Name);
}

void T_Reopen::ReopenDone() { Recent_.clear(); }

}  // namespace kavex
