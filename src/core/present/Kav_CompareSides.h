#pragma once
// Both sides of a compared node, row by row, as the detail area shows them while two images
// are compared: its header values, its whole text table or operator list with each row marked
// changed, added or removed, and the glyph cells of its fonts that differ. Every front end
// shows these strings.

#include <cstddef>
#include <string>
#include <vector>

#include "present/Kav_Compare.h"

namespace kavex {

class TFontEntry;

// One row of a side-by-side table. First and Second are empty on the side without the row
// (Added: the second only, Removed: the first only). Marks1 and Marks2 are the changed
// characters of a changed row (MarkChangedText), empty for any other row.
struct TSideRow {
  TChange Change = TChange::Same;
  std::string Label;  // "CheckSum:", an entry's index ("17"), an operator's code ("250")
  std::string First;
  std::string Second;
  std::vector<TTextRun> Marks1;
  std::vector<TTextRun> Marks2;
};

struct TSideTable {
  std::vector<TSideRow> Rows;
  std::size_t Changed = 0;
  std::size_t Added = 0;
  std::size_t Removed = 0;
};

// The sign column of a row, so that a mark does not rest on colour alone: "~" changed, "+"
// added, "−" removed, nothing for a row that is the same.
const char* ChangeSign(TChange Change);
// "2 changed, 1 added, 0 removed".
std::string SideCounts(const TSideTable& Table);

// The header values of both nodes: a chunk's or a subchunk's header lines (a text table's
// language and charset among them), the rows of the file and area panels, a font's name. Rows
// are matched by label, the k-th occurrence with the k-th; a row whose values differ is changed.
TSideTable HeaderSideRows(const TNodeDiff& Diff);
// Every entry of both text tables by index, from the first listed one; the marks come from the
// diff's "Entry N" items. Nothing unless both nodes are text tables.
TSideTable TextSideRows(const TNodeDiff& Diff);
// Every operator of both lists, matched by code as the comparison matches its "MCC N" lines.
// Nothing unless both nodes are operator lists.
TSideTable OperatorSideRows(const TNodeDiff& Diff);
// The cells of Font's picture (k for its k-th character code) whose character has a glyph item
// in the diff: its glyph differs, or the other font lacks it. Ascending.
std::vector<int> DifferingGlyphCells(const TFontEntry& Font, const TNodeDiff& Diff);

}  // namespace kavex
