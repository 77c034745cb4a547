#pragma once
// The About box TfAbout: the program's name, version and release tag and a fixed text.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kavex {

class TfAbout : public QDialog {
  Q_OBJECT
public:
  // Writes the welcome line (message 31) into the log, once per run.
  explicit TfAbout(QWidget* Parent = nullptr);

  static QString AboutText();

  QLabel* stAppName = nullptr;
  QLabel* stAppVer = nullptr;
  QPlainTextEdit* mAbout = nullptr;
  QPushButton* bbClose = nullptr;

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
};

}  // namespace kavex
