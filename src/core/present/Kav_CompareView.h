#pragma once
// A comparison laid over the first image's tree, as the viewer shows it: the mark of each node
// of the first tree, and where each node found in the second image only goes in that tree.

#include <cstddef>
#include <unordered_map>
#include <vector>

#include "present/Kav_Compare.h"

namespace kavex {

// A node's mark: a difference of its own (Changed, Added, Removed), or only one somewhere below.
enum class TCompareMark { None = 0, Changed, Added, Removed, Below };
constexpr int CompareMarkCount = 5;

struct TAddedPlace {
  const TNodeDiff* Diff = nullptr;    // the added node's (Diff->Node2: the node of the second tree)
  const TKavClass* Parent = nullptr;  // the first tree's counterpart of its parent
  // Its row among Parent's children once every added node before it under Parent is in place:
  // the first tree's children and the added ones, in the comparison's order.
  std::size_t Row = 0;
};

struct TCompareView {
  // The first tree's nodes with a mark (every node without one: None), and the added nodes of
  // the second tree (Added).
  std::unordered_map<const TKavClass*, TCompareMark> Marks;
  // The Changed difference of each first-tree node found in both.
  std::unordered_map<const TKavClass*, const TNodeDiff*> Changed;
  // In tree order, the rows of each parent rising.
  std::vector<TAddedPlace> Added;

  TCompareMark MarkOf(const TKavClass* Node) const;
  const TNodeDiff* ChangedDiffOf(const TKavClass* Node) const;
};

// Lays Comparison (of the trees below Root1 and Root2, as built when it was made) over the
// first tree. Comparison must outlive the view.
TCompareView LayOutComparison(const TComparison& Comparison, const TKavClass& Root1, const TKavClass& Root2);

}  // namespace kavex
