#pragma once
// Actions carry their hint texts, but the viewer shows no tool tips and writes nothing to a
// status strip: the hint is kept where neither looks for it.

#include <QString>

class QAction;
class QToolBar;

namespace kavex {

void SetHint(QAction* Action, const QString& Hint);
QString Hint(const QAction* Action);
// Keeps the buttons of a tool bar (present and future) from showing tool tips.
void SuppressToolTips(QToolBar* Bar);

}  // namespace kavex
