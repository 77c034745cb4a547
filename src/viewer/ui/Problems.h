#pragma once
// The main window's problem markers (TfMain's functions in Problems.cpp) and the status strip's
// count of them, a label that answers a click.

#include <QLabel>

class QMouseEvent;

namespace kavex {

class TClickableLabel : public QLabel {
  Q_OBJECT
public:
  using QLabel::QLabel;

signals:
  // The left button was pressed and let go over the label.
  void Clicked();

protected:
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;

private:
  bool Pressed_ = false;
};

}  // namespace kavex
