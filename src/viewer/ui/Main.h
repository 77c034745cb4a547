#pragma once
// The main window TfMain: menus, tool bar, the image tree beside the detail area, the open
// sequence of one flash file, and the caption.

#include <QFont>
#include <QMainWindow>
#include <memory>

#include "settings/SettingsStore.h"
#include "settings/T_Reopen.h"
#include "ui/DetailPanels.h"
#include "ui/Dialogs.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QToolBar;
class QTreeView;
class QTreeWidgetItem;

namespace kavex {

class TFls;
class TKavClass;
class TFontEntry;
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
  // Shows the details of a model node, or hides them all for none. Panels are filled before
  // they are shown; a panel that stays is refilled in place.
  void ShowNodeInfo(const TKavClass* Node);
  // Lays out and draws the glyph grid of CurrentFontEntry for the scroll box's present size.
  void DrawFontImage();
  // Moves the font picture by minus Delta pixels (+120, one notch away, scrolls up by 120).
  void sbFontImgMouseWheel(int Delta);

  // The Unicode display font: its stored values replace the current ones, and back.
  void LoadUnicodeFont();
  void SaveUnicodeFont();
  // Gives the display font to the text list and the language field (never the MCC list).
  void ApplyUnicodeFont();
  // The font dialog with Apply for a preview; Cancel takes the preview back.
  void aSelFontExecute();
  const QFont& UnicodeFont() const { return UnicodeFont_; }
  int UnicodeCharset() const { return UnicodeCharset_; }

  QWidget* CurrentInfoPanel() const { return CurrentInfoPanel_; }
  QWidget* CurrentListPanel() const { return CurrentListPanel_; }
  const TFontEntry* CurrentFontEntry() const { return CurrentFontEntry_; }

  TSettingsStore& Settings() { return *Settings_; }
  T_Reopen& Reopen() { return Reopen_; }
  TFileDialog& OpenDialog() { return odFlash; }
  TFls* ShownModel() const { return Shown_.get(); }
  int TreeWidth() const;
  void SetTreeWidth(int Width);

  TImageTree* tvMain = nullptr;
  TDetailArea* pAllInfo = nullptr;
  // Info slot: one of these at a time.
  THeaderPanel* pChunk = nullptr;
  THeaderPanel* pSubchunk = nullptr;
  TFontScrollBox* sbFontImg = nullptr;
  TFontPicture* iFont = nullptr;
  // List slot: shown only together with pSubchunk.
  THeaderPanel* pTextSubchunk = nullptr;
  THeaderPanel* pPLMNSubchunk = nullptr;
  QLabel* stChunkChkSum = nullptr;
  QLabel* stChunkLength = nullptr;
  QLabel* stChunkNameType = nullptr;
  QLabel* stChunkVersion = nullptr;
  QLabel* stSubchunkID = nullptr;
  QLabel* stSubchunkLength = nullptr;
  QLabel* stSubchunkShortname = nullptr;
  QLabel* stSubchunkFlags = nullptr;
  QLineEdit* eTextSubchunkLanguage = nullptr;
  QLabel* stTextSubchunkCharset = nullptr;
  QTreeView* lvText = nullptr;
  QTreeView* lvPLMN = nullptr;
  TTwoColumnModel* TextRows = nullptr;
  TTwoColumnModel* PlmnRows = nullptr;
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
  // FormMouseWheel: every wheel turn inside this window passes here first.
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void CreateActions();
  void CreateMenusAndBars();
  void OpenFileCallback(const QString& FileName);
  void tvMainClick();
  void ApplyTreeWidth();
  void CreateDetailPanels();
  void sbFontImgResize();
  // Takes name and size of a font from the dialog; the dialog offers no style to keep.
  void TakeDialogFont(const QFont& Font);

  std::unique_ptr<TSettingsStore> Settings_;
  T_Reopen Reopen_;
  TFileDialog odFlash;
  std::unique_ptr<TFls> Shown_;
  TfLog* Log_ = nullptr;
  TfAbout* About_ = nullptr;
  QWidget* CurrentInfoPanel_ = nullptr;
  QWidget* CurrentListPanel_ = nullptr;
  const TFontEntry* CurrentFontEntry_ = nullptr;  // a node of the shown model
  QSize FontImageDrawnFor_;  // the scroll box size the picture was laid out for
  // The dialog font fdUnicode: name and size; Qt has no character sets, so the stored number
  // is only carried along.
  QFont UnicodeFont_;
  int UnicodeCharset_ = 1;
  int TreeWidth_ = 289;  // until the splitter has been laid out
  bool LaidOut_ = false;
};

}  // namespace kavex
