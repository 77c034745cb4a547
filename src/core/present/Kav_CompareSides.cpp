#include "present/Kav_CompareSides.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string_view>
#include <utility>

#include "model/Kav_Font.h"
#include "model/Kav_Kinds.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_Text.h"
#include "present/Kav_AreaDetails.h"
#include "present/Kav_Details.h"

namespace kavex {
namespace {

using TLine = std::pair<std::string, std::string>;  // label, value

void Count(TSideTable& Table, TChange Change) {
  if (Change == TChange::Changed) ++Table.Changed;
  if (Change == TChange::Added) ++Table.Added;
  if (Change == TChange::Removed) ++Table.Removed;
}

void AddRow(TSideTable& Table, TChange Change, std::string Label, std::string First, std::string Second) {
  TSideRow& Row = Table.Rows.emplace_back();
  Row.Change = Change;
  Row.Label = std::move(Label);
  Row.First = std::move(First);
  Row.Second = std::move(Second);
  if (Change == TChange::Changed) {
    TMarkedTexts Marks = MarkChangedText(Row.First, Row.Second);
    Row.Marks1 = std::move(Marks.Old);
    Row.Marks2 = std::move(Marks.New);
  }
  Count(Table, Change);
}

// Lines matched by label, the k-th occurrence of a label with its k-th; a line of B alone goes
// just before the next line of B that is matched, or at the end.
TSideTable MatchLines(const std::vector<TLine>& A, const std::vector<TLine>& B) {
  std::map<std::string_view, std::vector<std::size_t>> Places;
  for (std::size_t J = 0; J < B.size(); ++J) Places[B[J].first].push_back(J);
  std::map<std::string_view, std::size_t> Taken;
  constexpr std::size_t None = static_cast<std::size_t>(-1);
  std::vector<std::size_t> MatchOfA(A.size(), None);
  std::vector<bool> MatchedB(B.size(), false);
  for (std::size_t I = 0; I < A.size(); ++I) {
    const auto It = Places.find(A[I].first);
    if (It == Places.end()) continue;
    std::size_t& K = Taken[A[I].first];
    if (K < It->second.size()) {
      MatchOfA[I] = It->second[K++];
      MatchedB[MatchOfA[I]] = true;
    }
  }
  TSideTable Table;
  Table.Rows.reserve(std::max(A.size(), B.size()));
  std::size_t J = 0;  // the next line of B not yet placed
  const auto PlaceB = [&](std::size_t Until) {
    for (; J < Until; ++J)
      if (!MatchedB[J]) AddRow(Table, TChange::Added, B[J].first, {}, B[J].second);
  };
  for (std::size_t I = 0; I < A.size(); ++I) {
    if (MatchOfA[I] == None) {
      AddRow(Table, TChange::Removed, A[I].first, A[I].second, {});
      continue;
    }
    PlaceB(MatchOfA[I]);
    J = std::max(J, MatchOfA[I] + 1);
    const TLine& Other = B[MatchOfA[I]];
    AddRow(Table, A[I].second == Other.second ? TChange::Same : TChange::Changed, A[I].first, A[I].second, Other.second);
  }
  PlaceB(B.size());
  return Table;
}

// A detail line "Label: value" as label (with its colon) and value.
TLine SplitDetail(const std::string& Line) {
  const std::size_t At = Line.find(": ");
  if (At == std::string::npos) return {Line, {}};
  return {Line.substr(0, At + 1), Line.substr(At + 2)};
}

std::vector<TLine> HeaderLines(const TKavClass& Node) {
  std::vector<TLine> Lines;
  if (HasAreaDetails(&Node)) {
    for (TDetailRow& Row : AreaDetails(Node).Rows) Lines.emplace_back(std::move(Row.Label), std::move(Row.Value));
    return Lines;
  }
  if (NodePanelOf(&Node) == TNodePanel::FontImage) {
    Lines.emplace_back("Name:", static_cast<const TFontEntry&>(Node).GetName());
    return Lines;
  }
  for (const std::string& Line : DetailLinesBeforeEntries(Node, false)) {
    // An operator list's operators are a table of their own.
    if (NodePanelOf(&Node) == TNodePanel::OperatorList && Line.starts_with("MCC ")) continue;
    Lines.push_back(SplitDetail(Line));
  }
  return Lines;
}

bool Both(const TNodeDiff& Diff, TNodePanel Panel) {
  return Diff.Node1 && Diff.Node2 && NodePanelOf(Diff.Node1) == Panel && NodePanelOf(Diff.Node2) == Panel;
}

}  // namespace

const char* ChangeSign(TChange Change) {
  switch (Change) {
    case TChange::Changed: return "~";
    case TChange::Added: return "+";
    case TChange::Removed: return "\u2212";
    case TChange::Same: return "";
  }
  return "";
}

std::string SideCounts(const TSideTable& Table) {
  return std::to_string(Table.Changed) + " changed, " + std::to_string(Table.Added) + " added, " + std::to_string(Table.Removed) +
         " removed";
}

TSideTable HeaderSideRows(const TNodeDiff& Diff) {
  if (!Diff.Node1 || !Diff.Node2) return {};
  return MatchLines(HeaderLines(*Diff.Node1), HeaderLines(*Diff.Node2));
}

TSideTable TextSideRows(const TNodeDiff& Diff) {
  TSideTable Table;
  if (!Both(Diff, TNodePanel::TextList)) return Table;
  const auto& A = static_cast<const TTextSubchunk&>(*Diff.Node1);
  const auto& B = static_cast<const TTextSubchunk&>(*Diff.Node2);
  const std::int32_t First = std::min(FirstListedEntry(A), FirstListedEntry(B));
  const std::int32_t CountA = A.GetEntryCount();
  const std::int32_t CountB = B.GetEntryCount();
  const std::int32_t Last = std::max({CountA, CountB, First});
  // Each entry's change, from the diff's entry items.
  std::vector<TChange> Changes(static_cast<std::size_t>(Last - First), TChange::Same);
  for (const TItemDiff& Item : Diff.Items) {
    constexpr std::string_view Prefix = "Entry ";
    if (Item.Kind != TItemKind::Detail || Item.Change == TChange::Same || !Item.Item.starts_with(Prefix)) continue;
    std::int32_t I = -1;
    const char* Begin = Item.Item.data() + Prefix.size();
    const char* End = Item.Item.data() + Item.Item.size();
    const auto [Ptr, Error] = std::from_chars(Begin, End, I);
    if (Error != std::errc{} || Ptr != End || I < First || I >= Last) continue;
    Changes[static_cast<std::size_t>(I - First)] = Item.Change;
  }
  Table.Rows.reserve(Changes.size());
  for (std::int32_t I = First; I < Last; ++I) {
    std::string TextA, TextB;
    if (I < CountA) A.AppendTextUtf8(I, TextA);
    if (I < CountB) B.AppendTextUtf8(I, TextB);
    AddRow(Table, Changes[static_cast<std::size_t>(I - First)], std::to_string(I), std::move(TextA), std::move(TextB));
  }
  return Table;
}

TSideTable OperatorSideRows(const TNodeDiff& Diff) {
  if (!Both(Diff, TNodePanel::OperatorList)) return {};
  const auto Lines = [](const TKavClass& Node) {
    std::vector<TLine> Out;
    for (TOperatorRow& Row : OperatorListRows(static_cast<const TPLMNSubchunk&>(Node)))
      Out.emplace_back(std::move(Row.Mcc), std::move(Row.Provider));
    return Out;
  };
  return MatchLines(Lines(*Diff.Node1), Lines(*Diff.Node2));
}

std::vector<int> DifferingGlyphCells(const TFontEntry& Font, const TNodeDiff& Diff) {
  std::vector<bool> Differs(0x10000, false);
  bool Any = false;
  for (const TItemDiff& Item : Diff.Items) {
    constexpr std::string_view Prefix = "Glyph U+";
    if (Item.Kind != TItemKind::Glyph || Item.Change == TChange::Same || !Item.Item.starts_with(Prefix)) continue;
    unsigned Code = 0;
    const char* Begin = Item.Item.data() + Prefix.size();
    const char* End = Item.Item.data() + Item.Item.size();
    const auto [Ptr, Error] = std::from_chars(Begin, End, Code, 16);
    if (Error != std::errc{} || Ptr != End || Code > 0xFFFF) continue;
    Differs[Code] = Any = true;
  }
  std::vector<int> Cells;
  if (!Any) return Cells;
  for (std::int32_t K = 0; K < Font.GetCharCount(); ++K)
    if (Differs[Font.GetCharCode(K)]) Cells.push_back(K);
  return Cells;
}

}  // namespace kavex
