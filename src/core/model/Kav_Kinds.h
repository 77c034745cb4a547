#pragma once
// The kinds of model node and the one table that says, for each, its class name, its tree
// icon and its detail panel. The tree, the panels, kavex-dump and the byte extraction all go
// by this table; a new node class gets a kind and a row here.

#include <cstddef>
#include <span>
#include <string_view>

namespace kavex {

class TKavClass;

// One value per row of the table, in its order: a kind's value is its row number.
enum class TNodeKind {
  Fls,
  MCU,
  PPM,
  Chunk,
  TextSubchunk,
  ToneSubchunk,
  FontSubchunk,
  PLMNSubchunk,
  LPCSSubchunk,
  LDBSubchunk,
  AORDSubchunk,
  RawSubchunk,
  ClosingSubchunk,
  GSMCSubchunk,  // no class has it: GSMC chunks hold raw subchunks; the row keeps the numbering
  WUGSSubchunk,
  FontEntry,
  EEPROM,
};
constexpr std::size_t NodeKindCount = 17;

// What the right-hand side shows for a node.
enum class TNodePanel {
  None,
  Chunk,         // the chunk header
  Subchunk,      // the subchunk header alone
  TextList,      // the subchunk header and the text entries
  OperatorList,  // the subchunk header and the MCC entries
  FontImage,     // the font's glyphs
};

// The panels that show the subchunk header.
constexpr bool IsSubchunkPanel(TNodePanel Panel) {
  return Panel == TNodePanel::Subchunk || Panel == TNodePanel::TextList || Panel == TNodePanel::OperatorList;
}

struct TNodeKindRow {
  TNodeKind Kind;
  const char* ClassName;  // what the node's ClassName() returns
  int Icon;               // tree icon index
  TNodePanel Panel;
};

// Every row, in kind order.
std::span<const TNodeKindRow> NodeKindTable();
const TNodeKindRow& NodeKindRow(TNodeKind Kind);
// The row whose class name is exactly Name; nullptr when none is.
const TNodeKindRow* NodeKindRowByName(std::string_view Name);
// The row of a node: the one named exactly as its class (a subclass that keeps its base's
// name gets the base's row), provided the node's kind agrees; nullptr for no node or no row.
const TNodeKindRow* NodeKindRowOf(const TKavClass* Node);
// The panel of a node's row; None without a row.
TNodePanel NodePanelOf(const TKavClass* Node);
// Whether a node of this kind is a subchunk (it shows the subchunk header).
bool IsSubchunkKind(TNodeKind Kind);

// Which areas the root holds: bit 0 TMCU, bit 1 TPPM, bit 2 TEEPROM.
int AreaSetBits(std::string_view ClassName);
// The root's icon for an area set 1..7; -1 for 0 (leave the icon as it is).
int AreaSetIcon(int AreaSet);

}  // namespace kavex
