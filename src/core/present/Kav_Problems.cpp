#include "present/Kav_Problems.h"

#include <algorithm>

#include "model/KavObj.h"
#include "present/Kav_Export.h"

namespace kavex {
namespace {

// The loader's findings are about the file, which the root stands for.
constexpr std::string_view LoaderPath = "[KavObj.LoadFile]";

// The log keeps paths with their control characters escaped.
std::string LoggedPath(const TKavClass& Node) { return EscapeControls(Node.GetPath()); }

// A node's place in tree order: the child numbers from the top down. A node comes before its
// children (a prefix is less) and after its earlier siblings' subtrees.
std::vector<std::size_t> TreeOrderKey(const TKavClass* Node) {
  std::vector<std::size_t> Key;
  for (; Node; Node = Node->Parent()) Key.push_back(Node->IndexInParent());
  std::reverse(Key.begin(), Key.end());
  return Key;
}

}  // namespace

TProblemLevel ProblemLevelOf(TMsgKind Kind) {
  switch (Kind) {
    case TMsgKind::Warning: return TProblemLevel::Warning;
    case TMsgKind::Error: return TProblemLevel::Error;
    case TMsgKind::Info:
    case TMsgKind::Notice:
    case TMsgKind::Debug: break;
  }
  return TProblemLevel::None;
}

std::string ProblemCountText(std::size_t Errors, std::size_t Warnings) {
  std::string Text;
  const auto Add = [&Text](std::size_t Count, const char* One, const char* Many) {
    if (Count == 0) return;
    if (!Text.empty()) Text += ", ";
    Text += std::to_string(Count) + ' ' + (Count == 1 ? One : Many);
  };
  Add(Errors, "error", "errors");
  Add(Warnings, "warning", "warnings");
  return Text;
}

void TProblemMarks::SetRoot(const TKavClass* Root) {
  DropMarks();
  Root_ = Root;
  Fetching_ = false;
  FetchParent_ = nullptr;
  OpenFrom_ = Records_.size();
  for (const TRecord& Record : Records_) PlaceByPath(Record);
}

void TProblemMarks::Note(std::size_t Index, TMsgKind Kind, std::string_view Path) {
  const TProblemLevel Level = ProblemLevelOf(Kind);
  if (Level == TProblemLevel::None) return;
  ++(Level == TProblemLevel::Error ? Errors_ : Warnings_);
  Records_.push_back({Index, Level, std::string(Path)});
  // During a fetch the node it is about may not be handed out yet: placed when it is.
  if (!Fetching_) PlaceByPath(Records_.back());
}

void TProblemMarks::ForgetRecords() {
  for (const auto& [Node, Marks] : Marks_)
    if (MarkerFrom(Marks) != TProblemMarker::None) Changed_.push_back(Node);
  Marks_.clear();
  Records_.clear();
  Errors_ = Warnings_ = OwnMarked_ = 0;
  OpenFrom_ = 0;
}

void TProblemMarks::DropMarks() {
  Marks_.clear();
  Changed_.clear();  // about nodes that may be gone
  OwnMarked_ = 0;
}

TProblemMarks::TFetch::TFetch(TProblemMarks& Marks, const TKavClass& Parent) : Marks_(Marks) { Marks_.StartFetch(Parent); }
TProblemMarks::TFetch::~TFetch() { Marks_.EndFetch(); }
void TProblemMarks::TFetch::Built(const TKavClass& Child) { Marks_.ChildBuilt(Child); }

void TProblemMarks::StartFetch(const TKavClass& Parent) {
  EndFetch();  // one fetch at a time; an open one is closed first
  Fetching_ = true;
  FetchParent_ = &Parent;
  OpenFrom_ = Records_.size();
}

void TProblemMarks::ChildBuilt(const TKavClass& Child) {
  if (!Fetching_) return;
  if (OpenFrom_ < Records_.size()) {
    // Logged while this child was built: its own records, or its parent's.
    const std::string ChildPath = LoggedPath(Child);
    const std::string ParentPath = LoggedPath(*FetchParent_);
    for (std::size_t I = OpenFrom_; I < Records_.size(); ++I) {
      const TRecord& Record = Records_[I];
      if (Record.Path == ChildPath)
        Place(Record, Child);
      else if (Record.Path == ParentPath)
        Place(Record, *FetchParent_);
      else
        PlaceByPath(Record);
    }
  }
  OpenFrom_ = Records_.size();
}

void TProblemMarks::EndFetch() {
  if (!Fetching_) return;
  Fetching_ = false;
  if (OpenFrom_ < Records_.size()) {
    // After the last child: the parent's own records (the end of its walk, a child that could
    // not be built, which logs with the path where it would have hung).
    const std::string ParentPath = LoggedPath(*FetchParent_);
    for (std::size_t I = OpenFrom_; I < Records_.size(); ++I) {
      const TRecord& Record = Records_[I];
      if (Record.Path == ParentPath)
        Place(Record, *FetchParent_);
      else
        PlaceByPath(Record);
    }
  }
  OpenFrom_ = Records_.size();
  FetchParent_ = nullptr;
}

void TProblemMarks::PlaceByPath(const TRecord& Record) {
  if (!Root_) return;  // kept for the root to come
  if (Record.Path == LoaderPath) return Place(Record, *Root_);
  // Down the built nodes whose path begins the record's; siblings may share a name, so each
  // of them is followed, and every node of the path is marked.
  std::vector<const TKavClass*> Pending{Root_};
  while (!Pending.empty()) {
    const TKavClass* Node = Pending.back();
    Pending.pop_back();
    const std::string Here = LoggedPath(*Node);
    if (Here == Record.Path) {
      Place(Record, *Node);
      continue;  // the paths below are longer
    }
    if (!std::string_view(Record.Path).starts_with(Here)) continue;
    for (std::size_t I = Node->ChildCount(); I-- > 0;) Pending.push_back(Node->Child(I));
  }
}

void TProblemMarks::Place(const TRecord& Record, const TKavClass& Node) {
  TNodeMarks& Marks = Marks_[&Node];
  if (Marks.Own == TProblemLevel::None || Record.Index < Marks.FirstRecord) Marks.FirstRecord = Record.Index;
  if (Record.Level <= Marks.Own) return;
  const TProblemLevel Old = Marks.Own;
  Marks.Own = Record.Level;
  if (Old == TProblemLevel::None) ++OwnMarked_;
  Changed_.push_back(&Node);
  // The nodes above count it as their worst below changes; only the tree's nodes are marked.
  if (&Node == Root_) return;
  for (const TKavClass* Above = Node.Parent(); Above; Above = Above->Parent()) {
    TNodeMarks& Up = Marks_[Above];
    const TProblemMarker Before = MarkerFrom(Up);
    if (Old == TProblemLevel::Warning) --Up.WarningsBelow;
    ++(Record.Level == TProblemLevel::Error ? Up.ErrorsBelow : Up.WarningsBelow);
    if (MarkerFrom(Up) != Before) Changed_.push_back(Above);
    if (Above == Root_) break;
  }
}

TProblemMarker TProblemMarks::MarkerFrom(const TNodeMarks& Marks) {
  if (Marks.Own == TProblemLevel::Error) return TProblemMarker::Error;
  if (Marks.Own == TProblemLevel::Warning) return TProblemMarker::Warning;
  if (Marks.ErrorsBelow > 0) return TProblemMarker::ErrorBelow;
  if (Marks.WarningsBelow > 0) return TProblemMarker::WarningBelow;
  return TProblemMarker::None;
}

TProblemMarker TProblemMarks::MarkerOf(const TKavClass& Node) const {
  const auto Found = Marks_.find(&Node);
  return Found == Marks_.end() ? TProblemMarker::None : MarkerFrom(Found->second);
}

TProblemLevel TProblemMarks::LevelOf(const TKavClass& Node) const {
  const auto Found = Marks_.find(&Node);
  return Found == Marks_.end() ? TProblemLevel::None : Found->second.Own;
}

std::optional<std::size_t> TProblemMarks::FirstRecordOf(const TKavClass& Node) const {
  const auto Found = Marks_.find(&Node);
  if (Found == Marks_.end() || Found->second.Own == TProblemLevel::None) return std::nullopt;
  return Found->second.FirstRecord;
}

const TKavClass* TProblemMarks::NextMarked(const TKavClass* From, int Step) const {
  const bool Forward = Step >= 0;
  const auto Before = [Forward](const std::vector<std::size_t>& A, const std::vector<std::size_t>& B) {
    return Forward ? A < B : B < A;  // A comes first in the direction of the step
  };
  const std::vector<std::size_t> FromKey = TreeOrderKey(From);
  const TKavClass* Next = nullptr;   // the nearest beyond From
  const TKavClass* Round = nullptr;  // the first of all, for the way round the end
  std::vector<std::size_t> NextKey, RoundKey;
  for (const auto& [Node, Marks] : Marks_) {
    if (Marks.Own == TProblemLevel::None) continue;
    std::vector<std::size_t> Key = TreeOrderKey(Node);
    if (From && Before(FromKey, Key) && (!Next || Before(Key, NextKey))) {
      Next = Node;
      NextKey = Key;
    }
    if (!Round || Before(Key, RoundKey)) {
      Round = Node;
      RoundKey = std::move(Key);
    }
  }
  return Next ? Next : Round;
}

std::vector<const TKavClass*> TProblemMarks::MarkedNodes() const {
  std::vector<const TKavClass*> Out;
  for (const auto& [Node, Marks] : Marks_)
    if (MarkerFrom(Marks) != TProblemMarker::None) Out.push_back(Node);
  return Out;
}

std::vector<const TKavClass*> TProblemMarks::TakeChanged() {
  std::vector<const TKavClass*> Out = std::move(Changed_);
  Changed_.clear();
  std::sort(Out.begin(), Out.end());
  Out.erase(std::unique(Out.begin(), Out.end()), Out.end());
  return Out;
}

}  // namespace kavex
