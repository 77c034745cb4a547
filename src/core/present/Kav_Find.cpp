#include "present/Kav_Find.h"

#include <cstring>
#include <vector>

#include "model/CodePage.h"
#include "model/Kav_Chunk.h"
#include "present/Kav_Details.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_Text.h"
#include "model/Kav_Tone.h"

namespace kavex {
namespace {

bool NameIs(const TChunk& Chunk, const char (&Name)[5]) {
  const auto& Header = Chunk.GetHeader();
  return std::memcmp(Header.data() + 8, Name, 4) == 0;
}

void VisitNode(const TKavClass& Node, TFindScope Scope, const std::function<void(const TFindEntry&)>& Visit) {
  TFindEntry Entry;
  Entry.Node = &Node;
  switch (Node.Kind()) {
    case TNodeKind::TextSubchunk: {
      const auto& Text = static_cast<const TTextSubchunk&>(Node);
      // Entry 0 of a language table is its name, not one of its texts.
      const std::int32_t First = Text.GetID() == TTextSubchunk::CommonTableID ? 0 : 1;
      Entry.Source = TFindSource::Text;
      for (std::int32_t I = First; I < Text.GetEntryCount(); ++I) {
        Entry.Entry = I;
        Entry.ListRow = I - First;
        Entry.Text = Text.GetText(I);
        Visit(Entry);
      }
      break;
    }
    case TNodeKind::PLMNSubchunk: {
      if (!Scope.Operators) break;
      const auto& Operators = static_cast<const TPLMNSubchunk&>(Node);
      Entry.Source = TFindSource::Operator;
      // The rows of the operator list panel: a hit names its entry by them, not by position.
      std::int32_t I = 0;
      for (const TOperatorRow& Row : OperatorListRows(Operators)) {
        Entry.Entry = I;
        Entry.ListRow = I++;
        Entry.Text = Utf8ToUtf16(Row.Provider);
        Entry.Prefix = Utf8ToUtf16("MCC " + Row.Mcc + ": ");
        Visit(Entry);
      }
      break;
    }
    case TNodeKind::ToneSubchunk:
      if (!Scope.Tones) break;
      Entry.Source = TFindSource::Tone;
      Entry.Text = Utf8ToUtf16(Node.GetDescription());
      Visit(Entry);
      break;
    default: break;
  }
}

}  // namespace

bool ChunkHoldsFindSources(const TChunk& Chunk, TFindScope Scope) {
  // The name bytes choose the subchunk class (the chunk's subchunk table).
  if (NameIs(Chunk, "TEXT")) return true;
  if (NameIs(Chunk, "PLMN")) return Scope.Operators;
  if (NameIs(Chunk, "TONE")) return Scope.Tones;
  return false;
}

void ForEachFindEntry(const TKavClass& Root, TFindScope Scope, const std::function<void(const TFindEntry&)>& Visit) {
  // Depth first in child order, without recursion: a chunk may hold many thousands of nodes.
  std::vector<const TKavClass*> Pending{&Root};
  while (!Pending.empty()) {
    const TKavClass* Node = Pending.back();
    Pending.pop_back();
    VisitNode(*Node, Scope, Visit);
    for (std::size_t I = Node->ChildCount(); I-- > 0;) Pending.push_back(Node->Child(I));
  }
}

std::string FindHitCountText(std::size_t Hits) {
  return Hits == 1 ? std::string("1 hit") : std::to_string(Hits) + " hits";
}

std::string FindTableLabel(const TKavClass& Node) {
  switch (Node.Kind()) {
    case TNodeKind::TextSubchunk: {
      const auto& Text = static_cast<const TTextSubchunk&>(Node);
      const std::string Language =
          Text.GetID() == TTextSubchunk::CommonTableID ? std::string("(common)") : Utf16ToUtf8(Text.GetText(0));
      return Language + " (" + Node.GetName() + ")";
    }
    case TNodeKind::PLMNSubchunk: return "Operators (" + Node.GetName() + ")";
    case TNodeKind::ToneSubchunk: return "Tone (" + Node.GetName() + ")";
    default: return Node.GetName();
  }
}

}  // namespace kavex
