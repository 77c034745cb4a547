#pragma once
// What Edit > Find reads: the entries of every text table built so far and, when asked, the
// operator names and tone names, each as decoded Unicode text with the node it comes from.

#include <cstdint>
#include <functional>
#include <string>

#include "model/CodePage.h"
#include "model/KavObj.h"

namespace kavex {

class TChunk;

enum class TFindSource : std::uint8_t { Text, Operator, Tone };

// Which sources a search reads besides the text tables.
struct TFindScope {
  bool Operators = false;
  bool Tones = false;
};

struct TFindEntry {
  TFindSource Source = TFindSource::Text;
  const TKavClass* Node = nullptr;  // the subchunk holding the entry
  // Text tables: the entry number as the text list shows it. Operator lists: the operator's
  // position in the list. Tones: 0.
  std::int32_t Entry = 0;
  std::int32_t ListRow = -1;  // the entry's row in the node's detail list; -1 for a tone
  std::u16string Text;        // what is searched
  // What a hit shows before Text to name the entry as its list does: "MCC 12: " for an
  // operator (the list's code and provider then read "MCC 12: DNA"); empty for the others.
  std::u16string Prefix;
};

// Whether the subchunks of Chunk are of a kind a search in Scope reads (text tables always,
// operator lists and tones when asked). The chunk's name bytes choose its subchunk class.
bool ChunkHoldsFindSources(const TChunk& Chunk, TFindScope Scope);

// Calls Visit for every entry a search in Scope reads among the nodes built so far under Root,
// in tree order (a table's entries in list order). Nothing is built here.
void ForEachFindEntry(const TKavClass& Root, TFindScope Scope, const std::function<void(const TFindEntry&)>& Visit);

// The table column of a hit: a text table's language ("(common)" for the common table), then
// its subchunk name; "Operators" or "Tone" with the subchunk name for the others.
std::string FindTableLabel(const TKavClass& Node);

// Utf8ToUtf16, the UTF-16 form of UTF-8 text that the search matches with, is in
// model/CodePage.h.
//
// The count the Find view shows beside its list: "1 hit", "12 hits".
std::string FindHitCountText(std::size_t Hits);

}  // namespace kavex
