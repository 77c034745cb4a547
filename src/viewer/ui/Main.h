#pragma once
// The main window TfMain: menus, tool bar, the image tree beside the detail area, the open
// sequence of one flash file, and the caption.

#include <QFont>
#include <QMainWindow>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "present/Kav_Export.h"

#include "settings/SettingsStore.h"
#include "settings/T_Reopen.h"
#include "ui/Dialogs.h"

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QModelIndex;
class QSplitter;
class QToolBar;

namespace kavex {

class TFls;
class TKavClass;
class TFontEntry;
class TImageTree;
class TNodeDetails;
class TfLog;
class TfAbout;
class TFindPanel;
class TBytesView;
class TFindBytesDialog;
class TClickableLabel;
struct TCompareSession;
struct TNodeDiff;

class TfMain : public QMainWindow {
  Q_OBJECT
public:
  // Opens the settings store, fills the recent-files list and restores the window's placement.
  explicit TfMain(QWidget* Parent = nullptr);
  // Saves the placement of the window and of the tree.
  ~TfMain() override;

  // The windows created after this one; the main window asks them to clear, show and so on.
  // The log window's rows lead to their nodes (a double click or Enter on a row).
  void SetLogWindow(TfLog* Log);
  void SetAboutBox(TfAbout* About) { About_ = About; }

  void OpenFlash(const QString& FileName);
  // Help > Open sample image: the sample found in SampleFolders() is opened as a file chosen
  // in the Open dialog is (it enters the recent-files list first). A message box says where
  // it was looked for when there is none.
  void OpenSampleImage();
  const QStringList& SampleFolders() const { return SampleFolders_; }
  void SetSampleFolders(const QStringList& Folders) { SampleFolders_ = Folders; }
  // The status strip's line while no image is shown: why the last open failed, if it did, and
  // how to open one. Empty while an image is shown.
  void UpdateStatusHint();
  static QString NoImageHint();
  void ResetView();
  // Puts why an open showed nothing in the status strip's line (an empty Reason clears it); it
  // stays until the next open.
  void ShowOpenFailure(const QString& FileName, const QString& Reason);
  void SetCaptionFile(const QString& Text);
  // Shows the details of a model node in the detail area, or hides them all for none.
  void ShowNodeInfo(const TKavClass* Node);

  // The Unicode display font: its stored values replace the current ones, and back.
  void LoadUnicodeFont();
  void SaveUnicodeFont();
  // Gives the display font to the text list and the language field (never the MCC list).
  void ApplyUnicodeFont();
  // The font dialog with Apply for a preview; Cancel takes the preview back.
  void aSelFontExecute();
  const QFont& UnicodeFont() const { return UnicodeFont_; }
  int UnicodeCharset() const { return UnicodeCharset_; }

  // Edit > Find: builds the text tables not built yet (through the tree), lists the hits and
  // chooses the first. F3 and Shift+F3 step through the hits, round the list's ends.
  void RunFind();
  void ChooseFindHit(int Row);
  void StepFindHit(int Step);
  // Selects the tree node of a model node among the nodes built so far; false when it has none.
  bool SelectModelNode(const TKavClass* Node);
  // Selects the built node whose path is Path (a log record's path); false when none is.
  bool SelectNodeByPath(const QString& Path);

  // File > Export texts... and Export fonts...: a folder is chosen, the shown file is read
  // anew and built whole, and every text table (TSV) or font (PNG sheet) is written there under
  // the names kavex-dump gives them. Files that exist are replaced only after a question.
  void ExportTexts();
  void ExportFonts();
  // File > Save bytes of the selected node...: the node's raw bytes into a file of the user's.
  void SaveNodeBytes();
  // View > Zoom in / Zoom out and Ctrl+wheel over the font picture; kept in the settings.
  void ZoomFontPicture(int Steps);

  TSettingsStore& Settings() { return *Settings_; }
  T_Reopen& Reopen() { return Reopen_; }
  TFileDialog& OpenDialog() { return odFlash; }
  TFls* ShownModel() const;
  int TreeWidth() const;
  void SetTreeWidth(int Width);

  TImageTree* tvMain = nullptr;
  TNodeDetails* pAllInfo = nullptr;
  QSplitter* Splitter = nullptr;
  QMainWindow* mwDetails = nullptr;  // the panels, with the bytes dock under them
  QToolBar* tbMain = nullptr;
  QMenu* mFile = nullptr;
  QMenu* mView = nullptr;
  QMenu* mHelp = nullptr;
  QAction* aOpen = nullptr;
  QAction* aExit = nullptr;
  QAction* aViewLog = nullptr;
  QAction* aSelFont = nullptr;
  QAction* aAbout = nullptr;
  QAction* aOpenSample = nullptr;
  QAction* aExportTexts = nullptr;
  QAction* aExportFonts = nullptr;
  QAction* aSaveNodeBytes = nullptr;
  QAction* aZoomIn = nullptr;
  QAction* aZoomOut = nullptr;
  QLabel* stStatusHint = nullptr;
  QAction* miReopen = nullptr;  // the recent-files anchor: a separator, hidden while the list is empty
  // The Find view, beside the described controls: hidden on a first start.
  QMenu* mEdit = nullptr;
  QAction* aFind = nullptr;
  QAction* aFindNext = nullptr;
  QAction* aFindPrev = nullptr;
  QDockWidget* dkFind = nullptr;
  TFindPanel* pFind = nullptr;
  // The bytes view under the detail area, also hidden on a first start; the cursor's values
  // stand in their own field at the status strip's right.
  QAction* aViewBytes = nullptr;
  QAction* aGoToOffset = nullptr;
  QDockWidget* dkBytes = nullptr;
  TBytesView* pBytes = nullptr;
  QLabel* stBytesCursor = nullptr;

  // Edit > Go to offset... (Ctrl+G): asks for an image offset and puts the bytes view's cursor
  // there; a message says when the selected node has no byte at it.
  void GoToOffset();

  // Edit > Find bytes... (Ctrl+Shift+F) opens the dialog, whose Find looks for its pattern from
  // the bytes view's cursor on (past a match selected there), in the selected node or in the
  // whole image. A match in another node selects the deepest node that holds it, built through
  // the tree as an expansion builds it, and the bytes view selects the match. After it, F3 and
  // Shift+F3 step to the next and previous match of that search, round the ends, until a text
  // Find runs.
  void RunFindBytes();
  void StepFindBytes(int Step);
  QAction* aFindBytes = nullptr;
  TFindBytesDialog* dlgFindBytes = nullptr;
  // Problems in the tree (Problems.cpp), after the described items: View > Mark problems (kept
  // per user), Next problem (F8) and Previous problem (Shift+F8), and the count of the shown
  // image's warnings and errors at the status strip's right, which shows the log window when
  // clicked and is hidden while there are none.
  QAction* aMarkProblems = nullptr;
  QAction* aNextProblem = nullptr;
  QAction* aPrevProblem = nullptr;
  TClickableLabel* stProblems = nullptr;
  // Selects the next (Step 1) or previous (-1) node with a problem of its own in tree order,
  // round the ends, opening the nodes above it; in a shown log window, its first warning or
  // error row too (none when that row's kind is not listed).
  void StepProblem(int Step);

  // Comparing the shown image with a second one (Compare.cpp), after the described items:
  // File > Compare with... (Ctrl+Shift+O, or a file dropped with Ctrl held), Stop comparing (Esc
  // in the tree), Export comparison report...; View > Only differences, Next difference (F7)
  // and Previous difference (Shift+F7).
  QAction* aCompare = nullptr;
  QAction* aStopComparing = nullptr;
  QAction* aExportComparison = nullptr;
  QAction* aOnlyDifferences = nullptr;
  QAction* aNextDifference = nullptr;
  QAction* aPrevDifference = nullptr;
  // Reads FileName as an open does (its records reach the log), builds both images whole and
  // shows their comparison in the tree; a message box says why when it cannot be read.
  void CompareWith(const QString& FileName);
  // Back to the one image: nothing of the second stays. Nothing happens while none is compared.
  void StopComparing();
  bool Comparing() const { return Compare_ != nullptr; }
  const TCompareSession* Comparison() const { return Compare_.get(); }
  // Writes kavex-diff's HTML report of the two images into a file chosen in a save dialog.
  void ExportComparison();
  // Selects the next (Step 1) or previous (-1) node with a difference of its own in tree
  // order, round the ends, opening the nodes above it.
  void StepDifference(int Step);

signals:
  void Closed();

protected:
  void closeEvent(QCloseEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  // FormMouseWheel: every wheel turn inside this window passes here first.
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  // A file dropped on the window opens as one chosen in the Open dialog does.
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

private:
  void CreateActions();
  void CreateMenusAndBars();
  void CreateFindView();
  void SaveFindView();
  void CreateBytesView();
  void SaveBytesView();
  void CreateFindBytes();
  void SaveFindBytes();
  // Searches the last byte search's pattern from the cursor: Step 1 after it, -1 before it, 0
  // at it (after a match already selected there).
  void SearchBytes(int Step);
  void CreateProblemActions();
  // Puts Actions as a group of their own at the View menu's end, before its views' group.
  void InsertViewGroup(std::initializer_list<QAction*> Actions);
  // Selects Target and shows it, the closed nodes above it opened from the top down.
  void SelectRevealed(const QModelIndex& Target);
  // Feeds the log window's records to the tree's problem marks.
  void ConnectProblemLog();
  void UpdateProblemCount();
  void CreateCompareActions();
  void UpdateCompareActions();
  // Shows both sides of the current node while comparing (its Changed difference, if any).
  void ShowCompareSides(const QModelIndex& Current);
  const TNodeDiff* ChangedDiffAt(const QModelIndex& Index) const;
  void ApplyOnlyDifferences();
  void OpenFileCallback(const QString& FileName);
  void tvMainClick();
  void ApplyTreeWidth();
  // Takes name and size of a font from the dialog; the dialog offers no style to keep.
  void TakeDialogFont(const QFont& Font);
  void CreateExportActions();
  void UpdateExportActions();
  // Chooses the folder of an export (remembered under Name) and writes what Plan makes of the
  // whole tree there; What names the files in messages.
  void ExportToFolder(const QString& Title, const QString& Name, const QString& What,
                      const std::function<std::vector<TExportFile>(const TKavClass& Root, const std::string& Dir,
                                                                   std::vector<std::string>& Notes)>& Plan);
  // Writes the files, asking first when some exist; false when a write failed (reported).
  bool WriteExportFiles(const std::vector<TExportFile>& Files, int& Written);

  std::unique_ptr<TSettingsStore> Settings_;
  T_Reopen Reopen_;
  TFileDialog odFlash;
  QStringList SampleFolders_;
  QString ShownFile_;    // the file the shown model was read from
  QString OpenFailure_;  // why the last open showed nothing; empty after one that showed a file
  TfLog* Log_ = nullptr;
  TfAbout* About_ = nullptr;
  // The dialog font fdUnicode: name and size; Qt has no character sets, so the stored number
  // is only carried along.
  QFont UnicodeFont_;
  int UnicodeCharset_ = 1;
  int TreeWidth_ = 289;  // until the splitter has been laid out
  bool LaidOut_ = false;
  int FindHeight_ = 0;  // the stored height of the Find view, applied once laid out
  int BytesHeight_ = 0;  // the same for the bytes view
  bool BytesSearchLast_ = false;  // F3 and Shift+F3 step Find bytes' matches, not Find's hits
  QObject* ProblemLogLink_ = nullptr;  // holds the links to the log window's records
  std::shared_ptr<TCompareSession> Compare_;  // the second image while one is compared
};

}  // namespace kavex
