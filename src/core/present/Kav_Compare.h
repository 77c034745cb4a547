#pragma once
// The structural comparison of two images: their nodes are matched by what they are (the areas
// by class, chunks by name, subchunks by Id, font entries by order), not aligned by offset, and
// each pair found in both says what of it differs: its detail lines, its glyphs, its tune, or,
// where the bytes are not decoded, its bytes. kavex-diff and the viewer show the same result
// through the renderers of Kav_CompareReport.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/KavObj.h"

namespace kavex {

// What a difference is. Same marks a line kept only as context around a change: it is no
// difference and is counted nowhere.
enum class TChange { Changed, Added, Removed, Same };
// "changed", "added", "removed", "same".
const char* ChangeName(TChange Change);

// What an item of a node stands for.
enum class TItemKind {
  Detail,   // a detail line ("Entry 17", "CheckSum", "MCC 12"), as kavex-dump --details prints it
  Glyph,    // the glyph of one character of a font ("Glyph U+0041")
  Tune,     // a tone's tune bytes, in hex
  Name,     // a tone's or a font's name, which no detail line shows
  Version,  // the PPM area's version, which no detail line shows
  Bytes,    // the stored bytes of a node whose bytes are not decoded
  Layout,   // the root's layout: "Divud" or "WinTesla"
};

// A glyph as DrawGlyph draws it: Width by Height pixels, each row '#' for ink, '.' for paper
// and '-' where nothing is drawn. Rows is empty for a side without the glyph, and for a
// picture left out because the comparison holds too many pixels already (Width and Height
// are still given).
struct TGlyphPicture {
  int Width = 0;
  int Height = 0;
  std::vector<std::string> Rows;
};

// A run of differing bytes: its offsets in each loaded image and its length on each side (the
// same, except for the bytes one node has beyond the end of the other, where the shorter side's
// length is 0 and its offset is where its node ends). Around1 and Around2 hold the bytes the
// text and HTML reports show: up to the context's bytes before the run (Lead of them), up to
// ShownBytes of the run itself (Shown1 and Shown2), and up to the context's bytes after it.
struct TByteRange {
  std::size_t Offset1 = 0;
  std::size_t Length1 = 0;
  std::size_t Offset2 = 0;
  std::size_t Length2 = 0;
  TBytes Around1;
  TBytes Around2;
  std::size_t Lead = 0;
  std::size_t Shown1 = 0;
  std::size_t Shown2 = 0;
};

// Of a differing run, at most this many bytes are kept to be shown, and at most this many
// bytes of context on either side.
constexpr std::size_t ShownBytes = 16;
constexpr std::size_t MaxByteContext = 16;
// A Bytes item lists at most this many runs; Count and RangeCount count them all.
constexpr std::size_t MaxListedRanges = 100;
// Glyph pictures of one comparison hold at most this many pixels; later ones are left out.
constexpr std::size_t GlyphPictureBudget = std::size_t{1} << 22;

struct TItemDiff {
  TChange Change = TChange::Changed;
  TItemKind Kind = TItemKind::Detail;
  std::string Item;  // the label: "Entry 17", "Glyph U+0041", "Tune", "Name", "Version", "Bytes", "Layout"
  // The values on each side, as the item's kind has them: a detail line's value, a glyph's size
  // ("5x7"), a tune in hex, a name, the layout; for Bytes the sizes of the nodes ("512 bytes").
  // Empty on the side that lacks the item (Added: Old, Removed: New).
  std::string Old;
  std::string New;
  // Detail lines: where the line stands in the node's merged list of lines, counting from 0,
  // so that a report can tell adjacent lines from a gap between them.
  std::size_t Line = 0;
  // Glyph items: the pictures of each side.
  TGlyphPicture Glyph1;
  TGlyphPicture Glyph2;
  // Bytes items: how many bytes differ (those one side has beyond the other's end included),
  // how many runs they make, and the first MaxListedRanges of those runs.
  std::uint64_t Count = 0;
  std::size_t RangeCount = 0;
  std::vector<TByteRange> Ranges;
};

// A node that differs: found in one image only (Added: the second only, Removed: the first
// only; reported for itself, not for its children), or found in both with Items saying what
// differs. Node1 and Node2 point into the compared trees (null on the side without the node),
// valid as long as they are; everything else is a copy, so reports need no tree.
struct TNodeDiff {
  TChange Change = TChange::Changed;
  const TKavClass* Node1 = nullptr;
  const TKavClass* Node2 = nullptr;
  std::string Class;  // ClassName() ("TTextSubchunk")
  std::string Path;   // GetPath() in the first image, or in the second for an added node
  std::string Position1;  // NodePosition() in each image; empty on the side without the node
  std::string Position2;
  std::string Caption1;  // GetCaption() in each image; empty on the side without the node
  std::string Caption2;
  std::vector<TItemDiff> Items;  // in the node's order; context lines (Same) among them
};

struct TComparison {
  std::vector<TNodeDiff> Nodes;  // in tree order
  std::size_t Changed = 0;  // items changed
  std::size_t Added = 0;    // items and nodes added
  std::size_t Removed = 0;  // items and nodes removed
  bool Same() const { return Changed == 0 && Added == 0 && Removed == 0; }
};

struct TCompareOptions {
  // Unchanged detail lines kept around each changed one (as Same items), and unchanged bytes
  // kept around each differing run of bytes (at most MaxByteContext).
  std::size_t Context = 0;
};

// Compares the trees below Root1 and Root2 as far as they are built; build both whole first
// (ExpandAll), as kavex-dump --all does. Neither tree is changed.
//
// Matching: the roots with each other; areas by class; chunks by name and subchunks by Id,
// each in order of occurrence (the second FONT chunk with the second FONT chunk); font entries
// by order; closing records, whose Id is 0, by order as well. For a pair:
// - every detail line whose value differs is one changed item labelled as the line is ("Entry
//   17"); a label found on one side only is added or removed; a label that occurs more than
//   once is matched in order;
// - a font entry: each character whose glyph differs in size or pixels ("Glyph U+0041"), and
//   characters in one font only; its name when it differs;
// - a tone: its tune ("Tune"), and its name when it differs;
// - the MCU and EEPROM areas, raw, LDB, AORD, WUGS, GSMC, LPCS and unknown subchunks, and text
//   tables kept packed, whose bytes are not decoded: their stored bytes ("Bytes");
// - the root: its layout; the PPM area: its version. Containers report no bytes of their own.
TComparison CompareImages(const TKavClass& Root1, const TKavClass& Root2, const TCompareOptions& Options = {});

// How CompareImages matches the children of A with those of B: every child of either once, in
// the order the comparison reports them (one found in B only just before the pair of the next
// B child found in both). A and B are places among the children; NoChild on the side without.
constexpr std::size_t NoChild = static_cast<std::size_t>(-1);
struct TChildPair {
  std::size_t A = NoChild;
  std::size_t B = NoChild;
};
std::vector<TChildPair> MatchChildren(const TKavClass& A, const TKavClass& B);

// The parts of Old and New that a change made, for marking them: both texts as runs of bytes
// (whole UTF-8 characters), each run kept or changed. Characters common to both (their longest
// common subsequence, or for long texts their common start and end) are kept.
struct TTextRun {
  std::size_t Offset = 0;
  std::size_t Length = 0;
  bool Changed = false;
};
struct TMarkedTexts {
  std::vector<TTextRun> Old;
  std::vector<TTextRun> New;
};
TMarkedTexts MarkChangedText(const std::string& Old, const std::string& New);

}  // namespace kavex
