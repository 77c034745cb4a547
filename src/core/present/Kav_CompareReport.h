#pragma once
// The reports of a comparison (Kav_Compare): as text, as one JSON document and as one
// self-contained HTML page. kavex-diff writes them, and every other front end shows the same
// strings. Every text from an image, and the sources' names, are escaped for where they go.

#include <ostream>
#include <string>

#include "present/Kav_Compare.h"

namespace kavex {

// What was compared: the names the reports give the two images (their files, as given).
struct TCompareSources {
  std::string Source1;
  std::string Source2;
};

// "3 changed, 1 added, 0 removed".
std::string CompareSummary(const TComparison& Comparison);

// A Bytes item in words: "3 bytes differ in 2 runs (512 bytes → 512 bytes)".
std::string DescribeBytes(const TItemDiff& Item);

// A run of bytes as the reports show it, in hex: the context before it, the run's shown bytes
// in brackets ("…" inside them when the run is longer), the context after it. Side 1 or 2.
std::string ShowRange(const TByteRange& Range, int Side);

// The text report, UTF-8: the two sources, then each differing node in tree order with its
// class and path, both positions and captions, and its items (old → new), and last the summary
// line. Control characters and bytes that are no UTF-8 are written as \xNN, a backslash as \\.
void WriteCompareText(const TComparison& Comparison, const TCompareSources& Sources, std::ostream& Out);

// One JSON document: {"source1", "source2", "same", "summary": {"changed", "added", "removed"},
// "differences": [...]}, one difference per changed, added or removed item or node (context
// lines are left out). Strings are UTF-8; bytes of the sources' names that are no UTF-8 become
// U+FFFD.
void WriteCompareJson(const TComparison& Comparison, const TCompareSources& Sources, std::ostream& Out);

// One HTML page with no external file and no script: the summary, then a section per
// differing node, its items side by side with the changed characters marked, glyphs drawn
// (old, new and the differing pixels).
void WriteCompareHtml(const TComparison& Comparison, const TCompareSources& Sources, std::ostream& Out);

// Text for HTML: & < > " and ' as character references, control characters and bytes that
// are no UTF-8 as \xNN (and a backslash as \\) first, as in the text report.
std::string EscapeHtml(const std::string& Text);

}  // namespace kavex
