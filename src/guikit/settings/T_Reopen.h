#pragma once
// The recent-files list of the File menu, and the saving and restoring of window, control and
// file dialog state in the settings store.

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <functional>

#include "settings/SettingsStore.h"
#include "ui/Dialogs.h"

class QAction;
class QMenu;
class QWidget;

namespace kavex {

// Items of a placement, handled in this order.
enum TWindowItem : unsigned { wiLeft = 1, wiWidth = 2, wiTop = 4, wiHeight = 8, wiWindowState = 16 };
constexpr unsigned AllWindowItems = wiLeft | wiWidth | wiTop | wiHeight | wiWindowState;
enum TDialogItem : unsigned { diInitialDir = 1, diFileName = 2 };
constexpr unsigned AllDialogItems = diInitialDir | diFileName;

// What the state operations need of a control: the current value of an item, and a way to set
// it. Window state: 0 normal, 1 minimised, 2 maximised.
class TPlacementTarget {
public:
  virtual ~TPlacementTarget() = default;
  virtual int Value(TWindowItem Item) const = 0;
  virtual void SetValue(TWindowItem Item, int Value) = 0;
  // Top-level windows: open at their own left and top, never centred by the system.
  virtual void UseOwnPosition() {}
  // Top-level windows: called once all items are restored, to bring back a window that
  // would otherwise open where it cannot be reached.
  virtual void KeepReachable() {}
};

// What a window's frame adds to its size (borders and title bar). Unknown, and so empty,
// before the window manager has framed the window, and where there is none.
using TFrameProbe = std::function<QSize(const QWidget* Window)>;
// Replaces how the frame is measured (tests fake a frame); an empty probe restores the real one.
void SetFrameProbe(TFrameProbe Probe);
QSize FrameExtra(const QWidget* Window);
// Sizes a top-level window so that its frame is Outer.
void SetOuterSize(QWidget* Window, QSize Outer);

// A top-level window; its geometry is the frame's position and the frame's outer size. A
// size restored before the frame is known is corrected once the window manager has framed
// the window, so that the window keeps its outer size from one run to the next.
class TWindowPlacement : public TPlacementTarget {
public:
  explicit TWindowPlacement(QWidget* Window) : Window_(Window) {}
  int Value(TWindowItem Item) const override;
  void SetValue(TWindowItem Item, int Value) override;
  void UseOwnPosition() override;
  // Where no part of the title bar lies on an available screen, the window moves onto the
  // primary screen's available area, keeping its size where it fits.
  void KeepReachable() override;
  void ResizeOuter(QSize Outer);

private:
  QWidget* Window_;
};

void SaveWindowState(TSettingsStore& Store, const TPlacementTarget& Control, const QString& Section, unsigned Items);
void RestoreWindowState(TSettingsStore& Store, TPlacementTarget& Control, const QString& Section, unsigned Items);
void SaveWindowState(TSettingsStore& Store, QWidget* Window, const QString& Section, unsigned Items);
void RestoreWindowState(TSettingsStore& Store, QWidget* Window, const QString& Section, unsigned Items);

// An empty value leaves the stored one as it is.
void SaveDialogState(TSettingsStore& Store, const TFileDialog& Dialog, const QString& Section, unsigned Items);
void RestoreDialogState(TSettingsStore& Store, TFileDialog& Dialog, const QString& Section, unsigned Items);

class T_Reopen : public QObject {
  Q_OBJECT
public:
  using TOpenCallback = std::function<void(const QString& FileName)>;

  // Anchor: a separator placed last in its menu; the recent-file items follow it.
  void ReopenInit(TSettingsStore* Store, int MaxCount, QAction* Anchor, TFileDialog* OpenDialog,
                  TOpenCallback OpenCallback);
  void RebuildRecentMenu();
  void AddRecentFile(const QString& Name);
  // Runs the Open dialog; a chosen file enters the list before it is opened.
  void ReopenExecuteDialog(QWidget* Parent);
  // The click of a recent-file item (Sender is the item).
  void ReopenClick(QObject* Sender);
  void ReopenDone();

  const QStringList& RecentFiles() const { return Recent_; }
  QList<QAction*> RecentItems() const;
  const QString& RememberedFolder() const { return RememberedFolder_; }

private:
  QMenu* AnchorMenu() const;

  TSettingsStore* Store_ = nullptr;
  int MaxCount_ = 0;
  QPointer<QAction> Anchor_;
  TFileDialog* OpenDialog_ = nullptr;
  TOpenCallback OpenCallback_;
  QStringList Recent_;
  QString RememberedFolder_;
};

}  // namespace kavex
