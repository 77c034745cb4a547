#include "model/Kav_Walk.h"

#include <vector>

#include "model/KavObj.h"

namespace kavex {

bool BuildChildren(TKavClass& Node) {
  try {
    while (Node.ParseNextChild()) {
    }
  } catch (const EKavError&) {
    return false;
  }
  return true;
}

void ExpandAll(TKavClass& Node, const TNodeVisit& Visit, const TNodeVisit& OnError) {
  // An explicit stack rather than recursion: a damaged image may nest deeper than a thread's
  // stack is comfortable with. Each entry is a node and the next of its children to go into.
  struct TLevel {
    TKavClass* Node;
    std::size_t Next;
  };
  const auto Enter = [&](TKavClass& N) {
    if (Visit) Visit(N);
    if (!N.MayHaveChildren()) return false;
    if (!BuildChildren(N) && OnError) OnError(N);
    return true;
  };
  if (!Enter(Node)) return;
  std::vector<TLevel> Stack{{&Node, 0}};
  while (!Stack.empty()) {
    TLevel& Top = Stack.back();
    if (Top.Next >= Top.Node->ChildCount()) {
      Stack.pop_back();
      continue;
    }
    TKavClass& Child = *Top.Node->Child(Top.Next++);
    if (Enter(Child)) Stack.push_back({&Child, 0});
  }
}

}  // namespace kavex
