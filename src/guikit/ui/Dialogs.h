#pragma once
// The one seam through which the viewer runs file dialogs and message boxes, so that tests
// can answer them, and the application title that message boxes carry.

#include <QFont>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

class QWidget;

namespace kavex {

// What the program keeps of a file dialog between runs: its texts and the folder and file it
// proposes. After an accepted run FileName holds the chosen file's full path.
struct TFileDialog {
  // Folder chooses an existing folder; FileName then holds the folder's path.
  enum TKind { Open, Save, Folder };
  TKind Kind = Open;
  QString Title;
  QString Filter;      // "Description|patterns|Description|patterns", patterns split by ';'
  QString DefaultExt;  // without the dot
  QString InitialDir;
  QString FileName;
  // A save dialog refuses a file in a folder that does not exist (through ShowMessage, and
  // stays open) instead of returning it.
  bool FolderMustExist = false;
  // A save dialog asks before it returns a file that exists; off when the caller asks itself.
  bool ConfirmOverwrite = true;
};

// The refusal ShowMessage gives for a file whose folder does not exist; empty when it exists.
QString MissingFolderText(const QString& FileName);

// "Text files|*.txt|All files|*.*" as Qt name filters ("Text files (*.txt)", "All files (*)").
QStringList QtNameFilters(const QString& Filter);

enum class TMsgBoxIcon { None, Information, Warning, Error };

struct TDialogHooks {
  // Runs the dialog modally; on acceptance fills Dialog.FileName and returns true.
  std::function<bool(QWidget* Parent, TFileDialog& Dialog)> RunFileDialog;
  // A modal box with one OK button.
  std::function<void(QWidget* Parent, const QString& Title, const QString& Text, TMsgBoxIcon Icon)> ShowMessage;
  // The font dialog, run modally on Font. Its Apply button hands the font shown in the dialog
  // to Apply while the dialog stays open. On confirmation sets Font and returns true.
  std::function<bool(QWidget* Parent, QFont& Font, const std::function<void(const QFont&)>& Apply)> RunFontDialog;
  // A modal question with Yes and No buttons (No the default); true for Yes.
  std::function<bool(QWidget* Parent, const QString& Title, const QString& Text)> AskYesNo;
  // A modal one-line text field under Label, starting with Text; on OK sets Text, true.
  std::function<bool(QWidget* Parent, const QString& Title, const QString& Label, QString& Text)> AskText;
};

// The hooks in force; they start as the real Qt dialogs.
TDialogHooks& DialogHooks();
void ResetDialogHooks();

// The application's title: "Kavex" at start, then whatever the main window's caption is.
QString ApplicationTitle();
void SetApplicationTitle(const QString& Title);

// The text of the standard error box: the message, with a full stop added when it ends in a
// character above '.'.
QString ErrorBoxText(const QString& Message);
// The standard error box: application title, error icon, the exception's message.
void ShowErrorBox(QWidget* Parent, const std::exception& Error);

}  // namespace kavex
