#include "ui/ImageTree.h"

#include <QHeaderView>
#include <cstring>

#include "model/KavObj.h"
#include "ui/Dialogs.h"
#include "ui/Icons.h"

namespace kavex {
namespace {

constexpr int ModelNodeRole = Qt::UserRole + 1;
constexpr int ImageIndexRole = Qt::UserRole + 2;

constexpr int AreaIcons[8] = {-1, 14, 15, 16, 0, 0, 0, 17};

}  // namespace

std::span<const TNodeClassRow> NodeClassTable() { return NodeKindTable(); }

int NodeClassIndex(const TKavClass* Node) {
  if (!Node) return -1;
  const TNodeKindRow* Row = NodeKindRowByName(Node->ClassName());
  return Row ? static_cast<int>(Row->Kind) : -1;
}

int AreaSetBits(const char* ClassName) {
  if (std::strcmp(ClassName, "TMCU") == 0) return 1;
  if (std::strcmp(ClassName, "TPPM") == 0) return 2;
  if (std::strcmp(ClassName, "TEEPROM") == 0) return 4;
  return 0;
}

int AreaSetIcon(int AreaSet) { return AreaSet >= 0 && AreaSet < 8 ? AreaIcons[AreaSet] : -1; }

TImageTree::TImageTree(QWidget* Parent) : QTreeWidget(Parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setIndentation(19);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize(16, 16));
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  // The selection stays visible while another control has the focus.
  QPalette P = palette();
  P.setColor(QPalette::Inactive, QPalette::Highlight, P.color(QPalette::Active, QPalette::Highlight));
  P.setColor(QPalette::Inactive, QPalette::HighlightedText, P.color(QPalette::Active, QPalette::HighlightedText));
  setPalette(P);
  connect(this, &QTreeWidget::itemExpanded, this, &TImageTree::tvMainExpanding);
}

TKavClass* TImageTree::ModelNode(const QTreeWidgetItem* Item) {
  return Item ? static_cast<TKavClass*>(Item->data(0, ModelNodeRole).value<void*>()) : nullptr;
}

bool TImageTree::HasChildren(const QTreeWidgetItem* Item) {
  return Item && Item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

void TImageTree::SetHasChildren(QTreeWidgetItem* Item, bool HasChildren) {
  Item->setChildIndicatorPolicy(HasChildren ? QTreeWidgetItem::ShowIndicator
                                            : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

int TImageTree::ImageIndex(const QTreeWidgetItem* Item) {
  const QVariant V = Item ? Item->data(0, ImageIndexRole) : QVariant();
  return V.isValid() ? V.toInt() : -1;
}

void TImageTree::SetImageIndex(QTreeWidgetItem* Item, int Index) {
  // One icon serves both the normal and the selected state.
  Item->setData(0, ImageIndexRole, Index);
  Item->setIcon(0, NodeIcon(Index));
}

QTreeWidgetItem* TImageTree::AddRoot(TKavClass* Root) {
  QTreeWidgetItem* Item = AddNode(nullptr, Root);
  SetImageIndex(Item, 0);
  return Item;
}

QTreeWidgetItem* TImageTree::AddNode(QTreeWidgetItem* Parent, TKavClass* Node) {
  auto* Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(this);
  Item->setText(0, QString::fromStdString(Node->GetCaption()));  // taken once
  Item->setData(0, ModelNodeRole, QVariant::fromValue(static_cast<void*>(Node)));
  SetHasChildren(Item, Node->MayHaveChildren());
  const int Class = NodeClassIndex(Node);
  SetImageIndex(Item, Class >= 0 ? NodeClassTable()[static_cast<std::size_t>(Class)].Icon : -1);
  return Item;
}

void TImageTree::ExpandNode(QTreeWidgetItem* Item) {
  if (HasChildren(Item) && !Item->isExpanded()) Item->setExpanded(true);
}

void TImageTree::Clear() {
  setUpdatesEnabled(false);
  clear();
  setUpdatesEnabled(true);
}

void TImageTree::tvMainExpanding(QTreeWidgetItem* Item) {
  // Qt reports the expansion once it has happened; a node that refuses is closed again.
  TKavClass* Node = ModelNode(Item);
  if (!Node) return;
  const bool AllowExpansion = Node->MayHaveChildren();
  try {
    while (TKavClass* Child = Node->ParseNextChild()) AddNode(Item, Child);
  } catch (const EKavError& Error) {
    // The children built so far stay, the node keeps its expand button.
    ShowErrorBox(window(), Error);
    if (!AllowExpansion) Item->setExpanded(false);
    return;
  }
  SetHasChildren(Item, Node->FirstChild() != nullptr);
  if (!AllowExpansion) Item->setExpanded(false);
}

}  // namespace kavex
