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

  // Opens centred on the screen (the main window's, or the primary one), not over the main window.
  void setVisible(bool Visible) override;

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
};

}  // namespace kavex
