#include "ui/Hints.h"

#include <QAction>
#include <QChildEvent>
#include <QEvent>
#include <QLayout>
#include <QToolBar>

namespace kavex {
namespace {

// Eats tool tip events of the tool bar and of every widget placed on it.
class TToolTipEater : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::ToolTip) return true;
    if (Event->type() == QEvent::ChildAdded && Watched == parent()) {
      if (QObject* Child = static_cast<QChildEvent*>(Event)->child(); Child->isWidgetType()) Child->installEventFilter(this);
    }
    return QObject::eventFilter(Watched, Event);
  }
};

}  // namespace

QAction* MakeAction(QObject* Owner, const QString& Caption, const QString& HintText, const QIcon& Icon) {
  auto* A = new QAction(Caption, Owner);
  SetHint(A, HintText);
  if (!Icon.isNull()) A->setIcon(Icon);
  return A;
}

void SetHint(QAction* Action, const QString& Hint) {
  // Not the status tip: a status tip would be copied to the status strip on hover.
  Action->setWhatsThis(Hint);
}

QString Hint(const QAction* Action) { return Action->whatsThis(); }

void SuppressToolTips(QToolBar* Bar) {
  auto* Eater = new TToolTipEater(Bar);
  Bar->installEventFilter(Eater);
  for (QObject* Child : Bar->children())
    if (Child->isWidgetType()) Child->installEventFilter(Eater);
}

void AddToolBarGap(QToolBar* Bar, int Width) {
  QAction* Separator = Bar->addSeparator();
  if (QWidget* Gap = Bar->widgetForAction(Separator)) Gap->setFixedWidth(Width);
}

void FixToolBar(QToolBar* Bar, int Height) {
  Bar->setFixedHeight(Height);
  if (QLayout* Layout = Bar->layout()) Layout->setSpacing(0);
  Bar->setContextMenuPolicy(Qt::PreventContextMenu);
}

}  // namespace kavex
