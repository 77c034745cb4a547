#pragma once
// Edit > Find: the search over the shown model's text tables (and, when asked, operator and
// tone names), its list of hits, and the panel that holds both.

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QWidget>
#include <vector>

#include "present/Kav_Find.h"
#include "ui/TextCellDelegate.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace kavex {

class TImageTree;

struct TFindHit {
  TFindSource Source = TFindSource::Text;
  const TKavClass* Node = nullptr;  // a node of the shown model
  int Entry = 0;                     // the entry number the list shows
  int ListRow = -1;                  // the row of the entry in the node's list, -1: no list
  QString Table;
  QString Text;
  int MatchStart = 0;  // in Text, UTF-16 units
  int MatchLength = 0;
};

// Builds, through the tree's own expansion, the subchunks of every chunk that a search in
// Scope reads and that is not built yet, so that the tree still shows every model node and
// the messages of building reach the log as for an expansion by the user.
void BuildFindSources(TImageTree& Tree, TFindScope Scope);
// Every entry under Root that holds Word, ignoring case (Unicode case folding), in tree order;
// nothing for an empty Word.
std::vector<TFindHit> FindHits(const TKavClass& Root, const QString& Word, TFindScope Scope);

class TFindHitsModel : public QAbstractTableModel {
  Q_OBJECT
public:
  enum TColumn { colTable, colEntry, colText, ColumnCount };
  enum TRole { MatchRole = Qt::UserRole + 1 };  // QPoint(start, length) of the match in the text

  using QAbstractTableModel::QAbstractTableModel;
  void SetHits(std::vector<TFindHit> Hits);
  const std::vector<TFindHit>& Hits() const { return Hits_; }

  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

private:
  std::vector<TFindHit> Hits_;
};

// Paints the text column with the match on the highlight colour.
class TFindMarkDelegate : public TTextCellDelegate {
public:
  using TTextCellDelegate::TTextCellDelegate;
  void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override;
};

class TFindPanel : public QWidget {
  Q_OBJECT
public:
  explicit TFindPanel(QWidget* Parent = nullptr);

  TFindScope Scope() const;
  void SetHits(std::vector<TFindHit> Hits);
  // Forgets the hits: they point into a model that is going.
  void Clear();
  const std::vector<TFindHit>& Hits() const { return Hits_->Hits(); }
  int CurrentHit() const;  // -1: none
  void SetCurrentHit(int Row);

  QLineEdit* eFind = nullptr;
  QCheckBox* cbOperators = nullptr;
  QCheckBox* cbTones = nullptr;
  QPushButton* bFind = nullptr;
  QLabel* stFindCount = nullptr;
  QTreeView* lvFind = nullptr;

signals:
  void FindRequested();
  void HitChosen(int Row);

private:
  TFindHitsModel* Hits_;
  bool SettingCurrent_ = false;
};

}  // namespace kavex
