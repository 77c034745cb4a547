#include "ui/ImageTree.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPalette>
#include <algorithm>
#include <cstring>
#include <utility>

#include "model/KavObj.h"
#include "present/Kav_Export.h"
#include "model/Kav_Fls.h"
#include "ui/Dialogs.h"
#include "ui/Icons.h"

namespace kavex {
namespace {


}  // namespace

std::span<const TNodeClassRow> NodeClassTable() { return NodeKindTable(); }

int NodeClassIndex(const TKavClass* Node) {
  if (!Node) return -1;
  const TNodeKindRow* Row = NodeKindRowByName(Node->ClassName());
  return Row ? static_cast<int>(Row->Kind) : -1;
}


// ---------------------------------------------------------------------------------------
struct TImageTreeModel::TNode {
  TKavClass* Model = nullptr;  // not owned
  TNode* Parent = nullptr;
  int Row = 0;
  QString Text;              // the caption, taken once
  int Image = -1;            // -1: no icon
  bool HasChildren = false;  // whether the node shows an expand button
  bool Stopped = false;  // the last fetch was ended by an error
  bool StandIn = false;  // a node of a compared second image, not of the shown one
  std::vector<std::unique_ptr<TNode>> Children;
};

TImageTreeModel::TImageTreeModel(QObject* Parent) : QAbstractItemModel(Parent) {}

TImageTreeModel::~TImageTreeModel() {
  Roots_.clear();
  Shown_.reset();
}

std::unique_ptr<TImageTreeModel::TNode> TImageTreeModel::MakeNode(TKavClass* Model, TNode* Parent, int Row) const {
  const int Class = NodeClassIndex(Model);
  auto Node = std::make_unique<TNode>();
  Node->Model = Model;
  Node->Parent = Parent;
  Node->Row = Row;
  // One line whatever the image or the file name holds, as kavex-dump writes it.
  Node->Text = QString::fromStdString(EscapeControls(Model->GetCaption()));
  Node->Image = Class >= 0 ? NodeClassTable()[Class].Icon : -1;
  Node->HasChildren = Model->MayHaveChildren();
  return Node;
}

QModelIndex TImageTreeModel::SetRoot(std::unique_ptr<TFls> Root) {
  TKavClass* Node = Root.get();
  Clear();
  Shown_ = std::move(Root);
  return SetRoot(Node);
}

QModelIndex TImageTreeModel::SetRoot(TKavClass* Root) {
  if (!Roots_.empty()) {
    beginResetModel();
    Roots_.clear();
    Marks_.SetRoot(nullptr);
    endResetModel();
  }
  beginInsertRows({}, 0, 0);
  Roots_.push_back(MakeNode(Root, nullptr, 0));
  Roots_.back()->Image = 0;  // a root starts with the file's icon whatever its class
  endInsertRows();
  Marks_.SetRoot(Root);  // the records logged while it was read mark it now
  UpdateMarkers(true);
  return RootIndex();
}

void TImageTreeModel::Clear() {
  beginResetModel();
  Roots_.clear();  // the nodes point into the model: they go first
  Marks_.SetRoot(nullptr);
  Shown_.reset();
  endResetModel();
  emit MarkersChanged();
}

TImageTreeModel::TNode* TImageTreeModel::NodeOf(const QModelIndex& Index) const {
  return Index.isValid() ? static_cast<TNode*>(Index.internalPointer()) : nullptr;
}

QModelIndex TImageTreeModel::IndexOf(const TNode* Node) const {
  return Node ? createIndex(Node->Row, 0, const_cast<TNode*>(Node)) : QModelIndex();
}

TKavClass* TImageTreeModel::ModelNode(const QModelIndex& Index) {
  const auto* Model = qobject_cast<const TImageTreeModel*>(Index.model());
  const TNode* Node = Model ? Model->NodeOf(Index) : nullptr;
  return Node ? Node->Model : nullptr;
}

bool TImageTreeModel::HasChildren(const QModelIndex& Index) { return Index.data(HasChildrenRole).toBool(); }

int TImageTreeModel::ImageIndex(const QModelIndex& Index) {
  const QVariant V = Index.data(ImageIndexRole);
  return V.isValid() ? V.toInt() : -1;
}

void TImageTreeModel::SetImageIndex(const QModelIndex& Index, int Image) {
  if (TNode* Node = NodeOf(Index)) {
    Node->Image = Image;  // one icon serves both the normal and the selected state
    emit dataChanged(Index, Index, {Qt::DecorationRole, ImageIndexRole});
  }
}

void TImageTreeModel::Collapsed(const QModelIndex& Index) {
  if (TNode* Node = NodeOf(Index)) Node->Stopped = false;
}

QModelIndex TImageTreeModel::index(int Row, int Column, const QModelIndex& Parent) const {
  if (Column != 0 || Row < 0) return {};
  const std::vector<std::unique_ptr<TNode>>& Siblings = Parent.isValid() ? NodeOf(Parent)->Children : Roots_;
  if (static_cast<std::size_t>(Row) >= Siblings.size()) return {};
  return IndexOf(Siblings[static_cast<std::size_t>(Row)].get());
}

QModelIndex TImageTreeModel::parent(const QModelIndex& Index) const {
  const TNode* Node = NodeOf(Index);
  return Node ? IndexOf(Node->Parent) : QModelIndex();
}

int TImageTreeModel::rowCount(const QModelIndex& Parent) const {
  if (Parent.column() > 0) return 0;
  return static_cast<int>(Parent.isValid() ? NodeOf(Parent)->Children.size() : Roots_.size());
}

int TImageTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TImageTreeModel::hasChildren(const QModelIndex& Parent) const {
  if (!Parent.isValid()) return !Roots_.empty();
  const TNode* Node = NodeOf(Parent);
  return Node->HasChildren || !Node->Children.empty();
}

QVariant TImageTreeModel::data(const QModelIndex& Index, int Role) const {
  const TNode* Node = NodeOf(Index);
  if (!Node) return {};
  switch (Role) {
    case Qt::DisplayRole: return Node->Text;
    case Qt::DecorationRole:
      if (CompareView_)
        if (const TCompareMark Mark = CompareView_->MarkOf(Node->Model); Mark != TCompareMark::None)
          return NodeIcon(Node->Image, ShownMarker(*Node), Mark);
      if (const TProblemMarker Marker = ShownMarker(*Node); Marker != TProblemMarker::None) return NodeIcon(Node->Image, Marker);
      return Node->Image >= 0 ? QVariant(NodeIcon(Node->Image)) : QVariant();
    case ImageIndexRole: return Node->Image;
    case HasChildrenRole: return Node->HasChildren;
    case ProblemMarkerRole: return static_cast<int>(ShownMarker(*Node));
    case CompareMarkRole: return static_cast<int>(CompareView_ ? CompareView_->MarkOf(Node->Model) : TCompareMark::None);
    case StandInRole: return Node->StandIn;
    case Qt::ForegroundRole:
      if (Node->StandIn) return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
      break;
  }
  return {};
}

Qt::ItemFlags TImageTreeModel::flags(const QModelIndex& Index) const {
  return Index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool TImageTreeModel::canFetchMore(const QModelIndex& Parent) const {
  // The one rule of expansion: only a node with the has-children flag asks its model node.
  const TNode* Node = NodeOf(Parent);
  return Node && Node->HasChildren && !Node->Stopped;
}

void TImageTreeModel::fetchMore(const QModelIndex& Parent) {
  if (!canFetchMore(Parent)) return;
  TNode* Node = NodeOf(Parent);
  // Every child the model hands out is shown; ParseNextChild hands each out once, so an
  // expansion after a collapse adds nothing.
  std::vector<std::unique_ptr<TNode>> Built;
  std::exception_ptr Failure;
  {
    // The records logged while a child is built are that child's, whoever shares its path.
    TProblemMarks::TFetch Fetch(Marks_, *Node->Model);
    try {
      while (TKavClass* Child = Node->Model->ParseNextChild()) {
        Fetch.Built(*Child);
        Built.push_back(MakeNode(Child, Node, static_cast<int>(Node->Children.size() + Built.size())));
      }
    } catch (const EKavError&) {
      Failure = std::current_exception();
    }
  }
  if (!Built.empty()) {
    const int First = static_cast<int>(Node->Children.size());
    beginInsertRows(Parent, First, First + static_cast<int>(Built.size()) - 1);
    for (auto& Child : Built) Node->Children.push_back(std::move(Child));
    endInsertRows();
  }
  UpdateMarkers();  // the new rows read their own; the nodes above may change
  if (Failure) {
    // The children built so far stay; the node keeps its flag and waits for its next expansion.
    Node->Stopped = true;
    try {
      std::rethrow_exception(Failure);
    } catch (const std::exception& Error) {
      if (OnError) OnError(Error);
    }
    return;
  }
  const bool Had = Node->HasChildren;
  Node->HasChildren = Node->Model->FirstChild() != nullptr;
  if (Had != Node->HasChildren) emit dataChanged(Parent, Parent, {HasChildrenRole});
}

void TImageTreeModel::FetchWhere(const std::function<bool(const TKavClass&)>& Wanted) {
  std::vector<QModelIndex> Pending;
  if (hasChildren()) Pending.push_back(RootIndex());
  while (!Pending.empty()) {
    const QModelIndex Index = Pending.back();
    Pending.pop_back();
    if (canFetchMore(Index) && Wanted(*ModelNode(Index))) fetchMore(Index);
    for (int Row = rowCount(Index); Row-- > 0;) Pending.push_back(index(Row, 0, Index));
  }
}

int TImageTreeModel::FetchAll() {
  int Errors = 0;
  // Counted instead of reported while this lasts, whatever ends it.
  struct TRestore {
    std::function<void(const std::exception&)>& Slot;
    std::function<void(const std::exception&)> Saved;
    ~TRestore() { Slot = std::move(Saved); }
  } Restore{OnError, std::exchange(OnError, [&Errors](const std::exception&) { ++Errors; })};
  FetchWhere([](const TKavClass&) { return true; });
  return Errors;
}

TProblemMarker TImageTreeModel::ShownMarker(const TNode& Node) const {
  return MarksShown_ ? Marks_.MarkerOf(*Node.Model) : TProblemMarker::None;
}

void TImageTreeModel::NoteRecord(std::size_t Index, TMsgKind Kind, std::string_view Path) {
  if (ProblemLevelOf(Kind) == TProblemLevel::None) return;
  Marks_.Note(Index, Kind, Path);
  UpdateMarkers();
}

void TImageTreeModel::ForgetRecords() {
  Marks_.ForgetRecords();
  UpdateMarkers();
}

void TImageTreeModel::SetMarksShown(bool Shown) {
  if (Shown == MarksShown_) return;
  MarksShown_ = Shown;
  for (const TKavClass* Marked : Marks_.MarkedNodes())
    if (const QModelIndex Index = IndexOfModelNode(Marked); Index.isValid())
      emit dataChanged(Index, Index, {Qt::DecorationRole, ProblemMarkerRole});
}

void TImageTreeModel::UpdateMarkers(bool Always) {
  const std::vector<const TKavClass*> Changed = Marks_.TakeChanged();
  if (MarksShown_)
    for (const TKavClass* Marked : Changed)
      if (const QModelIndex Index = IndexOfModelNode(Marked); Index.isValid())
        emit dataChanged(Index, Index, {Qt::DecorationRole, ProblemMarkerRole});
  // Most fetches find nothing: they tell no one.
  const TReported Now{Marks_.Errors(), Marks_.Warnings(), Marks_.HasMarkedNodes()};
  if (!Always && Changed.empty() && Now == Reported_) return;
  Reported_ = Now;
  emit MarkersChanged();
}

QModelIndex TImageTreeModel::IndexOfModelNode(const TKavClass* Node) const {
  if (!Node || Roots_.empty()) return {};
  std::vector<const TKavClass*> Chain;
  for (const TKavClass* At = Node; At != Roots_.front()->Model; At = At->Parent()) {
    if (!At) return {};  // not below the shown root
    Chain.push_back(At);
  }
  const TNode* At = Roots_.front().get();
  for (auto Link = Chain.rbegin(); Link != Chain.rend(); ++Link) {
    // A child's row is its place among the model node's children, as every child is shown.
    const std::size_t Row = (*Link)->IndexInParent();
    const auto& Children = At->Children;
    if (Row < Children.size() && Children[Row]->Model == *Link) {
      At = Children[Row].get();
      continue;
    }
    const auto Found = std::find_if(Children.begin(), Children.end(), [&](const auto& Child) { return Child->Model == *Link; });
    if (Found == Children.end()) return {};  // not built into the tree (yet)
    At = Found->get();
  }
  return IndexOf(At);
}

TCompareMark TImageTreeModel::CompareMark(const QModelIndex& Index) {
  return static_cast<TCompareMark>(Index.data(CompareMarkRole).toInt());
}

void TImageTreeModel::SetCompareView(const TCompareView* View) {
  const TCompareView* Before = std::exchange(CompareView_, View);
  if (Before == View) return;
  // Every node whose mark may have changed is repainted.
  std::vector<TNode*> Pending;
  for (auto& Root : Roots_) Pending.push_back(Root.get());
  while (!Pending.empty()) {
    TNode* Node = Pending.back();
    Pending.pop_back();
    const bool Had = Before && Before->MarkOf(Node->Model) != TCompareMark::None;
    const bool Has = View && View->MarkOf(Node->Model) != TCompareMark::None;
    if (Had || Has) {
      const QModelIndex Index = IndexOf(Node);
      emit dataChanged(Index, Index, {Qt::DecorationRole, CompareMarkRole});
    }
    for (auto& Child : Node->Children) Pending.push_back(Child.get());
  }
}

QModelIndex TImageTreeModel::InsertStandIn(const QModelIndex& Parent, int Row, TKavClass* Node) {
  TNode* Above = NodeOf(Parent);
  if (!Above || !Node) return {};
  auto& Children = Above->Children;
  Row = std::clamp(Row, 0, static_cast<int>(Children.size()));
  auto StandIn = MakeNode(Node, Above, Row);
  StandIn->StandIn = true;
  StandIn->HasChildren = false;  // the added node is reported alone
  beginInsertRows(Parent, Row, Row);
  Children.insert(Children.begin() + Row, std::move(StandIn));
  for (std::size_t I = static_cast<std::size_t>(Row) + 1; I < Children.size(); ++I) Children[I]->Row = static_cast<int>(I);
  endInsertRows();
  return IndexOf(Children[static_cast<std::size_t>(Row)].get());
}

void TImageTreeModel::RemoveStandIns() {
  std::vector<TNode*> Pending;
  for (auto& Root : Roots_) Pending.push_back(Root.get());
  while (!Pending.empty()) {
    TNode* Node = Pending.back();
    Pending.pop_back();
    auto& Children = Node->Children;
    for (std::size_t I = Children.size(); I-- > 0;) {
      if (!Children[I]->StandIn) continue;
      const int Row = static_cast<int>(I);
      beginRemoveRows(IndexOf(Node), Row, Row);
      Children.erase(Children.begin() + Row);
      for (std::size_t J = I; J < Children.size(); ++J) Children[J]->Row = static_cast<int>(J);
      endRemoveRows();
    }
    for (auto& Child : Children) Pending.push_back(Child.get());
  }
}

// ---------------------------------------------------------------------------------------
TImageTree::TImageTree(QWidget* Parent) : QTreeView(Parent), Nodes_(new TImageTreeModel(this)) {
  setModel(Nodes_);
  setHeaderHidden(true);
  setIndentation(19);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize(16, 16));
  setUniformRowHeights(true);
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  // The selection stays visible while another control has the focus.
  QPalette P = palette();
  P.setColor(QPalette::Inactive, QPalette::Highlight, P.color(QPalette::Active, QPalette::Highlight));
  P.setColor(QPalette::Inactive, QPalette::HighlightedText, P.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(P);
  Nodes_->OnError = [this](const std::exception& Error) { ShowErrorBox(window(), Error); };
  // Every expansion, whoever asks for it (a click, the keys, "*", the program), fetches at once
  // through the model, so that "*" finds the children it goes on to expand.
  connect(this, &QTreeView::expanded, this, [this](const QModelIndex& Index) {
    if (!TImageTreeModel::HasChildren(Index))
      collapse(Index);  // nothing to open: the node stays as it was
    else if (Nodes_->canFetchMore(Index))
      Nodes_->fetchMore(Index);
  });
  connect(this, &QTreeView::collapsed, Nodes_, &TImageTreeModel::Collapsed);
}

void TImageTree::ExpandNode(const QModelIndex& Index) {
  if (!TImageTreeModel::HasChildren(Index)) return;
  // Fetched here and now: the open sequence reads the children right after.
  if (Nodes_->canFetchMore(Index)) Nodes_->fetchMore(Index);
  expand(Index);
}

void TImageTree::Clear() {
  setUpdatesEnabled(false);
  Nodes_->Clear();
  setUpdatesEnabled(true);
}

}  // namespace kavex
