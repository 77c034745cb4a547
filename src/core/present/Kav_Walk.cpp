#include "present/Kav_Walk.h"

#include <algorithm>
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

std::string NodePosition(const TKavClass& Node) {
  std::string Position;
  for (const TKavClass* At = &Node; At->Parent(); At = At->Parent())
    Position.insert(0, std::to_string(At->IndexInParent() + 1) + (Position.empty() ? "" : "."));
  return Position.empty() ? "0" : Position;
}

bool IsNodePosition(const std::string& Text) {
  std::size_t Start = 0;
  while (true) {
    const std::size_t Dot = std::min(Text.find('.', Start), Text.size());
    if (Dot == Start || Text.find_first_not_of("0123456789", Start) < Dot) return false;
    if (Dot == Text.size()) return true;
    Start = Dot + 1;
  }
}

TKavClass* NodeAtPosition(TKavClass& Root, const std::string& Position, std::string& Error) {
  if (!IsNodePosition(Position)) {
    Error = NodePositionForm;
    return nullptr;
  }
  if (Position == "0") return &Root;
  TKavClass* Node = &Root;
  std::size_t Start = 0;
  while (true) {
    const std::size_t Dot = std::min(Position.find('.', Start), Position.size());
    const std::string Part = Position.substr(Start, Dot - Start);
    if (Node->MayHaveChildren()) BuildChildren(*Node);
    // Child numbers start at 1; one of more than nine digits is beyond any node (and would
    // not fit the conversion).
    const std::size_t Number = Part.size() > 9 ? 0 : std::stoul(Part);
    if (Number == 0 || Number > Node->ChildCount()) {
      Error = "no such node (" + Node->GetPath() + " has " + std::to_string(Node->ChildCount()) + " children)";
      return nullptr;
    }
    Node = Node->Child(Number - 1);
    if (Dot == Position.size()) return Node;
    Start = Dot + 1;
  }
}

}  // namespace kavex
