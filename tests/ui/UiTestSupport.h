#pragma once
// Shared pieces of the viewer tests: a settings folder of their own, answers for every dialog
// and message box, image files on disk, and starting and stopping the viewer.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QFont>
#include <QModelIndex>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ImageBuilder.h"
#include "ui/App.h"
#include "ui/Dialogs.h"

namespace kavtest {

// Points the user-scope settings at a fresh temporary folder for as long as it lives.
class IsolatedSettings {
public:
  IsolatedSettings();
  ~IsolatedSettings();
  // A second view of the viewer's store, for reading and planting values.
  std::unique_ptr<QSettings> Open() const;
  QString Value(const QString& Key) const;

private:
  QTemporaryDir Dir_;
};

struct MessageSeen {
  QString Title;
  QString Text;
  kavex::TMsgBoxIcon Icon;
};

// One run of the font dialog as a user goes through it: Apply pressed with each of Applied in
// turn, then WhileOpen called (the dialog still open), then the dialog confirmed with Confirmed,
// or cancelled when there is none.
struct FontDialogRun {
  std::vector<QFont> Applied;
  std::function<void()> WhileOpen;
  std::optional<QFont> Confirmed;
};

// Answers the viewer's dialogs from a queue and records every message box. A file or font
// dialog without a prepared answer counts as cancelled and is recorded as unexpected.
class DialogAnswers {
public:
  DialogAnswers();
  ~DialogAnswers();
  void AnswerFile(const QString& FileName) { Files_.push_back(FileName); }
  void CancelFile() { Files_.push_back(std::nullopt); }
  void AnswerFont(FontDialogRun Run) { Fonts_.push_back(std::move(Run)); }
  // The answer to the next yes/no question; one without a prepared answer counts as No.
  void AnswerQuestion(bool Yes) { Answers_.push_back(Yes); }
  // The answer to the next text field; std::nullopt cancels it.
  void AnswerText(std::optional<QString> Text) { Texts_.push_back(std::move(Text)); }
  const QStringList& QuestionsSeen() const { return Questions_; }
  // The font each font dialog opened on.
  const std::vector<QFont>& FontDialogsSeen() const { return FontsSeen_; }
  const std::vector<MessageSeen>& Messages() const { return Messages_; }
  const std::vector<kavex::TFileDialog>& FileDialogsSeen() const { return Dialogs_; }
  int Unanswered() const { return Unanswered_; }
  void ClearMessages() { Messages_.clear(); }

private:
  std::deque<std::optional<QString>> Files_;
  std::deque<FontDialogRun> Fonts_;
  std::deque<bool> Answers_;
  std::deque<std::optional<QString>> Texts_;
  QStringList Questions_;
  std::vector<QFont> FontsSeen_;
  std::vector<MessageSeen> Messages_;
  std::vector<kavex::TFileDialog> Dialogs_;
  int Unanswered_ = 0;
};

// Files written into a temporary folder.
class ImageFolder {
public:
  QString Write(const QString& Name, const Bytes& Content);
  QString Path(const QString& Name) const { return Dir_.filePath(Name); }

private:
  QTemporaryDir Dir_;
};

// A whole image: MCU, a PPM area with the given chunks (the end chunk is added), and
// optionally EEPROM bytes.
Bytes GoodImage(std::vector<Bytes> Chunks, const Bytes& Eeprom = {});
// A WinTesla file whose second block does not follow the first.
Bytes BrokenWinTesla();

// The log's records as their export lines.
QStringList LogLines(const kavex::TKavexApp& App);
std::vector<int> LogIdents(const kavex::TKavexApp& App);

// The tree node of the first chunk named Name among the areas' children; invalid for none.
QModelIndex ChunkItem(kavex::TfMain& Main, const char* Name);

}  // namespace kavtest
