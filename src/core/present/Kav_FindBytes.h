#pragma once
// Edit > Find bytes: a pattern typed as hex or as text (Windows-1252, or UTF-16BE as the
// two-byte text tables store their entries) made into bytes, the search for those bytes in a
// run of the image, forward or backward from a position and round the ends, and the texts
// that tell the outcome.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Reader.h"

namespace kavex {

class TKavClass;

enum class TBytePatternKind : std::uint8_t { Hex, Windows1252, Utf16BE };

struct TBytePattern {
  std::vector<std::uint8_t> Bytes;
  std::string Error;  // why the text makes no pattern; empty when it does
  std::string Shown;  // how messages name the pattern: its hex pairs, or the text in quotes
};

// Hex: two hex digits a byte, in either case, with blanks (spaces, tabs) between bytes or none
// ("4E 4F 4B", "4e4f4b"); a group between blanks with an odd number of digits, or any other
// character, is refused. Text: every character in Windows-1252 (one it has no byte for is
// refused), or every UTF-16 code unit as two bytes, high byte first. An empty pattern is
// refused. The error texts are for the user.
TBytePattern ParseBytePattern(std::u16string_view Text, TBytePatternKind Kind);

enum class TSearchDirection : std::uint8_t { Forward, Backward };

struct TByteMatch {
  std::size_t Start = 0;  // in bytes from the first of the run searched
  bool Wrapped = false;   // found only by going on from the run's other end
};

// The match of Pattern in Data nearest to From in Direction: going forward the first starting
// at From or after it, going backward the last starting before From (a From past the end counts
// as the end). With none on that side, the search goes round: the first match of all, or the
// last. Matches may overlap (each start is tried), and none reaches past Data's end. None for
// an empty Pattern, one longer than Data, or no match at all.
std::optional<TByteMatch> FindBytes(TByteView Data, TByteView Pattern, std::size_t From, TSearchDirection Direction);

// Whether Node's stored bytes hold all of the Count bytes (at least one) from image offset
// Offset.
bool NodeHoldsBytes(const TKavClass& Node, std::size_t Offset, std::size_t Count);

// "No match for 4E 4F 4B." / "No match for "NOK"."
std::string FindBytesNoMatchText(const TBytePattern& Pattern);
// "Match at offset 0x1F0.", or with "Search wrapped to the start: " (to the end, going
// backward) before it when the search went round.
std::string FindBytesMatchText(std::size_t ImageOffset, const TByteMatch& Match, TSearchDirection Direction);

}  // namespace kavex
