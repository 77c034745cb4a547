#include "model/Kav_Kinds.h"

#include "model/KavObj.h"

namespace kavex {
namespace {

using enum TNodeKind;
using P = TNodePanel;

constexpr TNodeKindRow Table[] = {
    {Fls, "TFls", 0, P::None},
    {MCU, "TMCU", 1, P::None},
    {PPM, "TPPM", 2, P::None},
    {Chunk, "TChunk", 3, P::Chunk},
    {TextSubchunk, "TTextSubchunk", 4, P::TextList},
    {ToneSubchunk, "TToneSubchunk", 5, P::Subchunk},
    {FontSubchunk, "TFontSubchunk", 6, P::Subchunk},
    {PLMNSubchunk, "TPLMNSubchunk", 7, P::OperatorList},
    {LPCSSubchunk, "TLPCSSubchunk", 8, P::Subchunk},
    {LDBSubchunk, "TLDBSubchunk", 9, P::Subchunk},
    {AORDSubchunk, "TAORDSubchunk", 10, P::Subchunk},
    {RawSubchunk, "TRawSubchunk", 12, P::Subchunk},
    {ClosingSubchunk, "TClosingSubchunk", 13, P::Subchunk},
    {GSMCSubchunk, "TGSMCSubchunk", 12, P::Subchunk},
    {WUGSSubchunk, "TWUGSSubchunk", 12, P::Subchunk},
    {FontEntry, "TFontEntry", 11, P::FontImage},
    {EEPROM, "TEEPROM", 19, P::None},
};
static_assert(std::size(Table) == NodeKindCount);

constexpr bool InKindOrder() {
  for (std::size_t I = 0; I < std::size(Table); ++I)
    if (static_cast<std::size_t>(Table[I].Kind) != I) return false;
  return true;
}
static_assert(InKindOrder(), "a kind's value is its row number");

}  // namespace

std::span<const TNodeKindRow> NodeKindTable() { return Table; }

const TNodeKindRow& NodeKindRow(TNodeKind Kind) { return Table[static_cast<std::size_t>(Kind)]; }

const TNodeKindRow* NodeKindRowByName(std::string_view Name) {
  for (const TNodeKindRow& Row : Table)
    if (Name == Row.ClassName) return &Row;
  return nullptr;
}

const TNodeKindRow* NodeKindRowOf(const TKavClass* Node) {
  if (!Node) return nullptr;
  const TNodeKindRow* Row = NodeKindRowByName(Node->ClassName());
  return Row && Row->Kind == Node->Kind() ? Row : nullptr;
}

TNodePanel NodePanelOf(const TKavClass* Node) {
  const TNodeKindRow* Row = NodeKindRowOf(Node);
  return Row ? Row->Panel : P::None;
}

bool IsSubchunkKind(TNodeKind Kind) { return IsSubchunkPanel(NodeKindRow(Kind).Panel); }

int AreaSetBits(std::string_view ClassName) {
  if (ClassName == "TMCU") return 1;
  if (ClassName == "TPPM") return 2;
  if (ClassName == "TEEPROM") return 4;
  return 0;
}

int AreaSetIcon(int AreaSet) {
  static constexpr int AreaIcons[8] = {-1, 14, 15, 16, 0, 0, 0, 17};
  return AreaSet >= 0 && AreaSet < 8 ? AreaIcons[AreaSet] : -1;
}

}  // namespace kavex
