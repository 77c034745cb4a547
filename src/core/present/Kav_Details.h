#pragma once
// Display strings of the detail panels, computed here so that the viewer and kavex-dump
// show the same text.

#include <string>
#include <string_view>
#include <vector>

#include "model/KavObj.h"
#include "model/Kav_Font.h"

namespace kavex {

class TChunk;
class TSubchunk;
class TTextSubchunk;
class TPLMNSubchunk;

// The "Chunk" panel.
struct TChunkDetails {
  std::string CheckSum;  // "0x%.8x (match)" or "0x%.8x (expected 0x%.8x)"
  std::string Length;    // "0x%.8x (%0:d)"
  std::string NameType;
  std::string Version;
};
TChunkDetails ChunkDetails(const TChunk& Chunk);

// The "Subchunk" panel, shown for every subchunk class.
struct TSubchunkDetails {
  std::string Id;
  std::string Length;
  std::string Shortname;
  std::string Flags;
};
TSubchunkDetails SubchunkDetails(const TSubchunk& Subchunk);

// The "Text entries" panel. Entry 0 of a language table is its name; the common table (ID
// 0x33) has none, so its list starts at 0 and its language reads "(common)".
struct TTextRow {
  std::string Index;
  std::string Entry;
};
struct TTextListDetails {
  std::string Language;
  std::string Charset;  // "GSM alphabet", "Unicode" or "Unknown"
  std::vector<TTextRow> Rows;
};
TTextListDetails TextListDetails(const TTextSubchunk& Text);

// The "MCC entries" panel: one row per operator, in file order.
struct TOperatorRow {
  std::string Mcc;  // the operator's code in decimal
  std::string Provider;
};
std::vector<TOperatorRow> OperatorListRows(const TPLMNSubchunk& Operators);

// Whether a class has the subchunk panel: the subchunk rows of the tree's class table.
bool HasSubchunkPanel(std::string_view ClassName);

// A glyph canvas of characters: '-' where nothing was drawn, '#' for ink, '.' for paper.
// Pixels outside it are dropped.
class TTextCanvas : public TGlyphSurface {
public:
  TTextCanvas(int Width, int Height);
  void Clear();  // back to '-' everywhere
  void SetPixel(int X, int Y, std::uint32_t Colour) override;
  const std::vector<std::string>& Rows() const { return Rows_; }

private:
  std::vector<std::string> Rows_;
};

// The detail lines kavex-dump prints under a node ("CheckSum: ...", "Entry 3: ...");
// with Glyphs, font entries add their glyphs drawn as text. Empty for nodes without details.
std::vector<std::string> DumpDetailLines(const TKavClass& Node, bool Glyphs);

// The same lines in two parts, for callers that go through a text table's entries one by one:
// the lines before the entry lines (all the lines of any other node), then each entry's line
// ("Entry 3: ..."), appended to Line. The entries are listed from FirstListedEntry (0 for the
// common table, whose entry 0 is no language name) up to the last.
std::vector<std::string> DetailLinesBeforeEntries(const TKavClass& Node, bool Glyphs);
std::int32_t FirstListedEntry(const TTextSubchunk& Text);
void AppendEntryLine(const TTextSubchunk& Text, std::int32_t Index, std::string& Line);

}  // namespace kavex
