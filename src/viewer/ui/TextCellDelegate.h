#pragma once
// A delegate that lets the style draw a cell's background, selection and focus, and paints the
// cell's text itself, with parts of it marked (a Find match, a run of selected bytes).

#include <QApplication>
#include <QStyle>
#include <QStyledItemDelegate>

namespace kavex {

class TTextCellDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;

protected:
  static QStyle* StyleOf(const QStyleOptionViewItem& Option) {
    return Option.widget ? Option.widget->style() : QApplication::style();
  }
  // Draws the cell at Index as the style would, but without its text, which it returns; Cell
  // gets the options it was drawn with.
  QString DrawCellWithoutText(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index,
                              QStyleOptionViewItem& Cell) const {
    Cell = Option;
    initStyleOption(&Cell, Index);
    const QString Text = Cell.text;
    Cell.text.clear();
    StyleOf(Option)->drawControl(QStyle::CE_ItemViewItem, &Cell, Painter, Option.widget);
    return Text;
  }
};

}  // namespace kavex
