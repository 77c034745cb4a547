#pragma once
// The image tree tvMain: a view of an item model over the model tree of the shown file, one
// tree node per model node, built lazily as nodes are expanded, with an icon chosen by the
// model node's class.

#include <QAbstractItemModel>
#include <QTreeView>
#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "model/Kav_Kinds.h"
#include "present/Kav_CompareView.h"
#include "present/Kav_Problems.h"

namespace kavex {

class TKavClass;
class TFls;

// The model classes in fixed order (the model's kind table); the row number is the class index,
// which also chooses the detail panel.
using TNodeClassRow = TNodeKindRow;
std::span<const TNodeClassRow> NodeClassTable();
// The row whose name equals the node's own class name exactly; -1 for no node or no row.
int NodeClassIndex(const TKavClass* Node);

// AreaSetBits and AreaSetIcon, the root's icon by the areas it holds, are the core's
// (model/Kav_Kinds.h).

// The tree nodes over the model tree. It owns the shown model's root and, beside it, one
// tree node per model node built so far; the model nodes themselves belong to the model tree.
//
// Lazy expansion is canFetchMore/fetchMore: only a node with the has-children flag can fetch,
// and fetching asks its model node for children until it has no more. A fetch that an error
// ends keeps the children built so far and the flag, and is not retried until the node has
// been collapsed (a later expansion asks the model again).
class TImageTreeModel : public QAbstractItemModel {
  Q_OBJECT
public:
  // ProblemMarkerRole: the problem marker drawn on the node's icon (a TProblemMarker as int).
  // CompareMarkRole: the comparison mark drawn on the node's icon (a TCompareMark as int);
  // StandInRole: whether the node stands for one of a compared second image only.
  enum TRole { ImageIndexRole = Qt::UserRole + 1, HasChildrenRole, ProblemMarkerRole, CompareMarkRole, StandInRole };

  explicit TImageTreeModel(QObject* Parent = nullptr);
  ~TImageTreeModel() override;

  // Shows Root as the one root node (its caption, its has-children flag, the TFls icon),
  // replacing whatever was shown. The model takes the root over.
  QModelIndex SetRoot(std::unique_ptr<TFls> Root);
  // A root node for a model node that someone else owns (a node built elsewhere).
  QModelIndex SetRoot(TKavClass* Root);
  // Removes every node and releases the shown model, the tree nodes first.
  void Clear();
  TFls* Shown() const { return Shown_.get(); }
  QModelIndex RootIndex() const { return index(0, 0); }

  static TKavClass* ModelNode(const QModelIndex& Index);
  static bool HasChildren(const QModelIndex& Index);
  static int ImageIndex(const QModelIndex& Index);  // -1: no icon
  void SetImageIndex(const QModelIndex& Index, int Image);
  // A collapsed node that an error stopped may fetch again at its next expansion.
  void Collapsed(const QModelIndex& Index);
  // Fetches, depth first from the root, every node that Wanted accepts and that can fetch,
  // and goes on into the rows it then has. Errors reach OnError as an expansion's do.
  void FetchWhere(const std::function<bool(const TKavClass&)>& Wanted);
  // Fetches every node, as kavex-dump --all builds the model: the tree mirrors the whole model
  // afterwards. Errors do not reach OnError one by one; the count of fetches they ended is
  // returned.
  int FetchAll();

  // Called when a model node cannot be built during a fetch, after the model is consistent.
  std::function<void(const std::exception& Error)> OnError;

  // Problem markers. The log's records, noted as they are logged, mark the built nodes they are
  // about (TProblemMarks: a fetch tells which child each record came with); the icons show the
  // markers while MarksShown.
  void NoteRecord(std::size_t Index, TMsgKind Kind, std::string_view Path);
  // The records and their marks go (a new open begins, or the log was cleared).
  void ForgetRecords();
  void SetMarksShown(bool Shown);
  bool MarksShown() const { return MarksShown_; }
  const TProblemMarks& Marks() const { return Marks_; }
  // The tree node of a model node among those built so far; invalid when it has none.
  QModelIndex IndexOfModelNode(const TKavClass* Node) const;

  // A comparison shown over the tree: View's marks on the icons (null: none), and the nodes of
  // the second image only as childless, greyed stand-in rows among the first image's. The view
  // and the second image must outlive the marks and the stand-ins.
  void SetCompareView(const TCompareView* View);
  const TCompareView* CompareView() const { return CompareView_; }
  // Puts a stand-in for Node under Parent at Row (at most the row count); its index.
  QModelIndex InsertStandIn(const QModelIndex& Parent, int Row, TKavClass* Node);
  // Removes every stand-in row.
  void RemoveStandIns();
  static TCompareMark CompareMark(const QModelIndex& Index);

  QModelIndex index(int Row, int Column, const QModelIndex& Parent = {}) const override;
  QModelIndex parent(const QModelIndex& Index) const override;
  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  bool hasChildren(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  Qt::ItemFlags flags(const QModelIndex& Index) const override;
  bool canFetchMore(const QModelIndex& Parent) const override;
  void fetchMore(const QModelIndex& Parent) override;

signals:
  // A marker or the count of problems changed.
  void MarkersChanged();

private:
  struct TNode;
  TNode* NodeOf(const QModelIndex& Index) const;
  QModelIndex IndexOf(const TNode* Node) const;
  std::unique_ptr<TNode> MakeNode(TKavClass* Model, TNode* Parent, int Row) const;
  TProblemMarker ShownMarker(const TNode& Node) const;
  // Repaints the nodes whose marker changed and tells MarkersChanged when they or the count did.
  void UpdateMarkers(bool Always = false);

  // The shown model first, so that the tree nodes pointing into it go before it.
  std::unique_ptr<TFls> Shown_;
  std::vector<std::unique_ptr<TNode>> Roots_;  // at most one
  TProblemMarks Marks_;
  bool MarksShown_ = true;
  const TCompareView* CompareView_ = nullptr;
  struct TReported {
    std::size_t Errors = 0, Warnings = 0;
    bool Marked = false;
    bool operator==(const TReported&) const = default;
  } Reported_;  // what MarkersChanged last told
};

class TImageTree : public QTreeView {
  Q_OBJECT
public:
  explicit TImageTree(QWidget* Parent = nullptr);

  TImageTreeModel* Nodes() const { return Nodes_; }
  // Expands a node as the program asks it to, through the model's lazy expansion: nothing
  // happens to a node without the has-children flag. Errors of the model are shown in the
  // standard error box.
  void ExpandNode(const QModelIndex& Index);
  // Removes every node at once and releases the shown model.
  void Clear();

private:
  TImageTreeModel* Nodes_;
};

}  // namespace kavex
