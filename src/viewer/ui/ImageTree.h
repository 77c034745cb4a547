#pragma once
// The image tree tvMain: one tree node per model node, built lazily as nodes are expanded,
// with an icon chosen by the model node's class.

#include <QTreeWidget>
#include <span>

#include "model/Kav_Kinds.h"

namespace kavex {

class TKavClass;

// The model classes in fixed order (the model's kind table); the row number is the class index,
// which also chooses the detail panel.
using TNodeClassRow = TNodeKindRow;
std::span<const TNodeClassRow> NodeClassTable();
// The row whose name equals the node's own class name exactly; -1 for no node or no row.
int NodeClassIndex(const TKavClass* Node);

// Which areas the root holds: bit 0 TMCU, bit 1 TPPM, bit 2 TEEPROM.
int AreaSetBits(const char* ClassName);
// The root's icon for an area set 1..7; -1 for 0 (leave the icon as it is).
int AreaSetIcon(int AreaSet);

class TImageTree : public QTreeWidget {
  Q_OBJECT
public:
  explicit TImageTree(QWidget* Parent = nullptr);

  // The tree's root node for Root: its caption, its has-children flag, the TFls icon.
  QTreeWidgetItem* AddRoot(TKavClass* Root);
  // Expands a node as the program asks it to: nothing happens to a node without the
  // has-children flag. Errors of the model are shown in the standard error box.
  void ExpandNode(QTreeWidgetItem* Item);
  // Removes every node at once; the model nodes they mirror are not touched.
  void Clear();

  static TKavClass* ModelNode(const QTreeWidgetItem* Item);
  static bool HasChildren(const QTreeWidgetItem* Item);
  static void SetHasChildren(QTreeWidgetItem* Item, bool HasChildren);
  static int ImageIndex(const QTreeWidgetItem* Item);  // -1: no icon
  static void SetImageIndex(QTreeWidgetItem* Item, int Index);

private:
  void tvMainExpanding(QTreeWidgetItem* Item);
  QTreeWidgetItem* AddNode(QTreeWidgetItem* Parent, TKavClass* Node);
};

}  // namespace kavex
