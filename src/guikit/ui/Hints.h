#pragma once
// Actions carry their hint texts, but the viewer shows no tool tips and writes nothing to a
// status strip: the hint is kept where neither looks for it. Also the layout of tool bars.

#include <QIcon>
#include <QString>

class QAction;
class QObject;
class QToolBar;

namespace kavex {

void SetHint(QAction* Action, const QString& Hint);
// A new action of Owner with its caption, hint and (when not null) icon: every window makes
// its actions through here.
QAction* MakeAction(QObject* Owner, const QString& Caption, const QString& HintText, const QIcon& Icon = QIcon());
QString Hint(const QAction* Action);
// Keeps the buttons of a tool bar (present and future) from showing tool tips.
void SuppressToolTips(QToolBar* Bar);

// Tool bars are laid out to the pixel: a separator exactly Width wide, and a bar Height high
// with no gaps between its items beyond the separators. A bar offers no menu of its own (the
// toolkit's would let the user hide it, with no way to bring it back).
void AddToolBarGap(QToolBar* Bar, int Width);
void FixToolBar(QToolBar* Bar, int Height);

}  // namespace kavex
