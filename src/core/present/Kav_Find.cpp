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

std::u16string Utf8ToUtf16(std::string_view Text) {
  std::u16string Out;
  Out.reserve(Text.size());
  std::size_t I = 0;
  while (I < Text.size()) {
    const auto B = static_cast<std::uint8_t>(Text[I]);
    int More = 0;
    char32_t Code = 0;
    if (B < 0x80) {
      Code = B;
    } else if ((B & 0xE0) == 0xC0 && B >= 0xC2) {
      More = 1;
      Code = B & 0x1F;
    } else if ((B & 0xF0) == 0xE0) {
      More = 2;
      Code = B & 0x0F;
    } else if ((B & 0xF8) == 0xF0 && B <= 0xF4) {
      More = 3;
      Code = B & 0x07;
    } else {
      Out.push_back(u'\uFFFD');
      ++I;
      continue;
    }
    bool Good = I + static_cast<std::size_t>(More) < Text.size();
    for (int K = 1; Good && K <= More; ++K) {
      const auto C = static_cast<std::uint8_t>(Text[I + static_cast<std::size_t>(K)]);
      if ((C & 0xC0) != 0x80) Good = false;
      else Code = (Code << 6) | (C & 0x3F);
    }
    const bool Shortest = More < 2 || (More == 2 ? Code >= 0x800 : Code >= 0x10000);
    if (!Good || !Shortest || (Code >= 0xD800 && Code <= 0xDFFF) || Code > 0x10FFFF) {
      Out.push_back(u'\uFFFD');
      ++I;
      continue;
    }
    if (Code >= 0x10000) {
      Code -= 0x10000;
      Out.push_back(static_cast<char16_t>(0xD800 + (Code >> 10)));
      Out.push_back(static_cast<char16_t>(0xDC00 + (Code & 0x3FF)));
    } else {
      Out.push_back(static_cast<char16_t>(Code));
    }
    I += static_cast<std::size_t>(More) + 1;
  }
  return Out;
}

}  // namespace kavex
