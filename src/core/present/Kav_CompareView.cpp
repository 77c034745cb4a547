#include "present/Kav_CompareView.h"

#include <map>

#include "model/KavObj.h"

namespace kavex {

TCompareMark TCompareView::MarkOf(const TKavClass* Node) const {
  const auto It = Marks.find(Node);
  return It == Marks.end() ? TCompareMark::None : It->second;
}

const TNodeDiff* TCompareView::ChangedDiffOf(const TKavClass* Node) const {
  const auto It = Changed.find(Node);
  return It == Changed.end() ? nullptr : It->second;
}

namespace {

// The first tree's counterpart of a second-tree node, down the matched children from the
// roots; null when a link of the way has none.
class TCounterparts {
public:
  TCounterparts(const TKavClass& Root1, const TKavClass& Root2) { Found_[&Root2] = &Root1; }

  const TKavClass* Of(const TKavClass& Node2) {
    if (const auto It = Found_.find(&Node2); It != Found_.end()) return It->second;
    const TKavClass* Parent2 = Node2.Parent();
    const TKavClass* Parent1 = Parent2 ? Of(*Parent2) : nullptr;
    const TKavClass* Node1 = nullptr;
    if (Parent1) {
      for (const TChildPair& P : PairsOf(*Parent1, *Parent2))
        if (P.B < Parent2->ChildCount() && Parent2->Child(P.B) == &Node2) {
          Node1 = P.A < Parent1->ChildCount() ? Parent1->Child(P.A) : nullptr;
          break;
        }
    }
    Found_[&Node2] = Node1;
    return Node1;
  }

  const std::vector<TChildPair>& PairsOf(const TKavClass& Parent1, const TKavClass& Parent2) {
    auto [It, New] = Pairs_.try_emplace(&Parent2);
    if (New) It->second = MatchChildren(Parent1, Parent2);
    return It->second;
  }

private:
  std::unordered_map<const TKavClass*, const TKavClass*> Found_;
  std::unordered_map<const TKavClass*, std::vector<TChildPair>> Pairs_;
};

void MarkAbove(TCompareView& View, const TKavClass* Node) {
  for (; Node; Node = Node->Parent()) {
    TCompareMark& Mark = View.Marks[Node];
    if (Mark == TCompareMark::Below) return;  // and everything above it already
    if (Mark == TCompareMark::None) Mark = TCompareMark::Below;
  }
}

}  // namespace

TCompareView LayOutComparison(const TComparison& Comparison, const TKavClass& Root1, const TKavClass& Root2) {
  TCompareView View;
  TCounterparts Counterparts(Root1, Root2);
  for (const TNodeDiff& Diff : Comparison.Nodes) {
    if (Diff.Change == TChange::Added && Diff.Node2) {
      const TKavClass* Parent2 = Diff.Node2->Parent();
      const TKavClass* Parent1 = Parent2 ? Counterparts.Of(*Parent2) : nullptr;
      if (!Parent1) continue;  // a root of another class: it has no place in the first tree
      std::size_t Row = 0;
      for (const TChildPair& P : Counterparts.PairsOf(*Parent1, *Parent2)) {
        if (P.B < Parent2->ChildCount() && Parent2->Child(P.B) == Diff.Node2) break;
        ++Row;
      }
      View.Marks[Diff.Node2] = TCompareMark::Added;
      View.Added.push_back({&Diff, Parent1, Row});
      MarkAbove(View, Parent1);
      continue;
    }
    const TKavClass* Node1 = Diff.Node1;
    if (!Node1) continue;
    View.Marks[Node1] = Diff.Change == TChange::Removed ? TCompareMark::Removed : TCompareMark::Changed;
    if (Diff.Change == TChange::Changed) View.Changed[Node1] = &Diff;
    MarkAbove(View, Node1->Parent());
  }
  return View;
}

}  // namespace kavex
