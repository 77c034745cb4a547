#pragma once
// The main window TfMain: menus, tool bar, the image tree beside the detail area, the open
// sequence of one flash file, and the caption.

#include <QMainWindow>
#include <memory>

#include "settings/SettingsStore.h"
#include "settings/T_Reopen.h"
#include "ui/Dialogs.h"

class QAction;
class QMenu;
class QSplitter;
class QToolBar;
class QTreeWidgetItem;

namespace kavex {

class TFls;
class TKavClass;
class TImageTree;
class TfLog;
class TfAbout;

class TfMain : public QMainWindow {
  Q_OBJECT
public:
  // Opens the settings store, fills the recent-files list and restores the window's placement.
  explicit TfMain(QWidget* Parent = nullptr);
  // Saves the placement of the window and of the tree.
  ~TfMain() override;

  // The windows created after this one; the main window asks them to clear, show and so on.
  void SetLogWindow(TfLog* Log) { Log_ = Log; }
  void SetAboutBox(TfAbout* About) { About_ = About; }

  void OpenFlash(const QString& FileName);
  void ResetView();
  void SetCaptionFile(const QString& Text);
  // Shows the details of a model node, or hides them all for none.
  void ShowNodeInfo(const TKavClass* Node);

  TSettingsStore& Settings() { return *Settings_; }
  T_Reopen& Reopen() { return Reopen_; }
  TFileDialog& OpenDialog() { return odFlash; }
  TFls* ShownModel() const { return Shown_.get(); }
  int TreeWidth() const;
  void SetTreeWidth(int Width);

  TImageTree* tvMain = nullptr;
  QWidget* pAllInfo = nullptr;
  QSplitter* Splitter = nullptr;
  QToolBar* tbMain = nullptr;
  QMenu* mFile = nullptr;
  QMenu* mView = nullptr;
  QMenu* mHelp = nullptr;
  QAction* aOpen = nullptr;
  QAction* aExit = nullptr;
  QAction* aViewLog = nullptr;
  QAction* aSelFont = nullptr;
  QAction* aAbout = nullptr;
  QAction* miReopen = nullptr;  // the recent-files anchor: a separator, hidden while the list is empty

signals:
  void Closed();

protected:
  void closeEvent(QCloseEvent* Event) override;
  void showEvent(QShowEvent* Event) override;

private:
  void CreateActions();
  void CreateMenusAndBars();
  void OpenFileCallback(const QString& FileName);
  void tvMainClick();
  void ApplyTreeWidth();

  std::unique_ptr<TSettingsStore> Settings_;
  T_Reopen Reopen_;
  TFileDialog odFlash;
  std::unique_ptr<TFls> Shown_;
  TfLog* Log_ = nullptr;
  TfAbout* About_ = nullptr;
  QWidget* CurrentInfoPanel = nullptr;
  QWidget* CurrentListPanel = nullptr;
  int TreeWidth_ = 289;  // until the splitter has been laid out
  bool LaidOut_ = false;
};

}  // namespace kavex
