#include "present/Kav_FindBytes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>

#include "model/CodePage.h"
#include "model/KavObj.h"
#include "present/Kav_Bytes.h"

namespace kavex {
namespace {

// Messages name at most this much of a long pattern.
constexpr std::size_t ShownBytesMax = 16;
constexpr std::size_t ShownUnitsMax = 32;

constexpr const char* HexHint = "give two hex digits a byte, like 4E 4F 4B.";

std::string CodePointName(char32_t Code) {
  char Name[16];
  std::snprintf(Name, sizeof Name, "U+%04X", static_cast<unsigned>(Code));
  return Name;
}

// A character as an error text quotes it: printable ASCII as itself, anything else also by
// its number, so that an invisible one can be told.
std::string QuotedChar(char32_t Code) {
  std::string Text = "\"";
  AppendUtf8(Text, Code);
  Text += '"';
  if (Code < 0x20 || Code >= 0x7F) Text += " (" + CodePointName(Code) + ")";
  return Text;
}

// The code point at Text[I], a surrogate pair read as one; Units says how many units it took.
char32_t CodePointAt(std::u16string_view Text, std::size_t I, std::size_t& Units) {
  const char16_t U = Text[I];
  Units = 1;
  if (U >= 0xD800 && U <= 0xDBFF && I + 1 < Text.size() && Text[I + 1] >= 0xDC00 && Text[I + 1] <= 0xDFFF) {
    Units = 2;
    return 0x10000 + ((static_cast<char32_t>(U) - 0xD800) << 10) + (Text[I + 1] - 0xDC00);
  }
  return U;
}

int HexValue(char16_t C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  return -1;
}

bool IsBlank(char16_t C) { return C == u' ' || C == u'\t'; }

void ParseHex(std::u16string_view Text, TBytePattern& P) {
  std::size_t Group = 0;  // where the digits since the last blank begin
  const auto CloseGroup = [&](std::size_t End) {
    if ((End - Group) % 2 == 0) return true;
    P.Error = "\"" + Utf16ToUtf8(Text.substr(Group, End - Group)) + "\" is not whole bytes: " + HexHint;
    return false;
  };
  for (std::size_t I = 0; I < Text.size(); ++I) {
    if (IsBlank(Text[I])) {
      if (!CloseGroup(I)) return;
      Group = I + 1;
      continue;
    }
    if (HexValue(Text[I]) < 0) {
      std::size_t Units = 1;
      P.Error = QuotedChar(CodePointAt(Text, I, Units)) + " is not a hex digit: " + HexHint;
      return;
    }
    if ((I - Group) % 2 == 1)
      P.Bytes.push_back(static_cast<std::uint8_t>(HexValue(Text[I - 1]) << 4 | HexValue(Text[I])));
  }
  if (!CloseGroup(Text.size())) return;
  P.Shown = BytesHex(TByteView(P.Bytes).first(std::min(P.Bytes.size(), ShownBytesMax)));
  if (P.Bytes.size() > ShownBytesMax) P.Shown += " ...";
}

void ParseWindows1252(std::u16string_view Text, TBytePattern& P) {
  for (std::size_t I = 0, Units = 1; I < Text.size(); I += Units) {
    const char32_t Code = CodePointAt(Text, I, Units);
    const std::optional<std::uint8_t> Byte = CodePageByte(TCodePage::Windows1252, Code);
    if (!Byte) {
      P.Error = QuotedChar(Code) + " has no byte in Windows-1252.";
      return;
    }
    P.Bytes.push_back(*Byte);
  }
}

void ParseUtf16BE(std::u16string_view Text, TBytePattern& P) {
  for (const char16_t U : Text) {
    P.Bytes.push_back(static_cast<std::uint8_t>(U >> 8));
    P.Bytes.push_back(static_cast<std::uint8_t>(U & 0xFF));
  }
}

std::string ShownText(std::u16string_view Text) {
  std::size_t Cut = std::min(Text.size(), ShownUnitsMax);
  if (Cut < Text.size() && Text[Cut - 1] >= 0xD800 && Text[Cut - 1] <= 0xDBFF) --Cut;  // not half a pair
  return "\"" + Utf16ToUtf8(Text.substr(0, Cut)) + (Cut < Text.size() ? "...\"" : "\"");
}

#if defined(__cpp_lib_boyer_moore_searcher)
template <class TIt>
auto Searcher(TIt First, TIt Last) { return std::boyer_moore_searcher(First, Last); }
#else
// Older standard libraries (libc++ 13, the browser build's) have no searchers: a plain search.
template <class TIt>
auto Searcher(TIt PatternFirst, TIt PatternLast) {
  return [=](auto First, auto Last) { return std::pair{std::search(First, Last, PatternFirst, PatternLast), Last}; };
}
#endif

// The first match starting in [First, Last) of Data, or Data's size for none.
std::size_t FirstMatch(TByteView Data, TByteView Pattern, std::size_t First, std::size_t Last) {
  if (Last <= First) return Data.size();
  // A match starting before Last ends by Last + size - 1.
  const std::size_t End = std::min(Data.size(), Last + Pattern.size() - 1);
  if (End - First < Pattern.size()) return Data.size();
  const std::uint8_t* From = Data.data() + First;
  const std::uint8_t* To = Data.data() + End;
  const std::uint8_t* At = nullptr;
  if (Pattern.size() == 1) {
    At = static_cast<const std::uint8_t*>(std::memchr(From, Pattern[0], static_cast<std::size_t>(To - From)));
    if (!At) At = To;
  } else {
    At = std::search(From, To, Searcher(Pattern.begin(), Pattern.end()));
  }
  return At == To ? Data.size() : static_cast<std::size_t>(At - Data.data());
}

// The last match starting in [First, Last) of Data, or Data's size for none: the first of the
// reversed pattern in the reversed bytes.
std::size_t LastMatch(TByteView Data, TByteView Pattern, std::size_t First, std::size_t Last) {
  if (Last <= First) return Data.size();
  const std::size_t End = std::min(Data.size(), Last + Pattern.size() - 1);
  if (End - First < Pattern.size()) return Data.size();
  const auto From = std::make_reverse_iterator(Data.data() + End);
  const auto To = std::make_reverse_iterator(Data.data() + First);
  const auto At = std::search(From, To, Searcher(Pattern.rbegin(), Pattern.rend()));
  if (At == To) return Data.size();
  // At points at the match's last byte, counted from the end.
  return static_cast<std::size_t>(At.base() - Data.data()) - Pattern.size();
}

}  // namespace

TBytePattern ParseBytePattern(std::u16string_view Text, TBytePatternKind Kind) {
  TBytePattern P;
  if (Kind == TBytePatternKind::Hex) {
    ParseHex(Text, P);
  } else {
    if (Kind == TBytePatternKind::Windows1252) ParseWindows1252(Text, P);
    else ParseUtf16BE(Text, P);
    if (P.Error.empty()) P.Shown = ShownText(Text);
  }
  if (P.Error.empty() && P.Bytes.empty()) P.Error = "The pattern is empty: give the bytes to look for.";
  if (!P.Error.empty()) {
    P.Bytes.clear();
    P.Shown.clear();
  }
  return P;
}

std::optional<TByteMatch> FindBytes(TByteView Data, TByteView Pattern, std::size_t From, TSearchDirection Direction) {
  if (Pattern.empty() || Pattern.size() > Data.size()) return std::nullopt;
  From = std::min(From, Data.size());
  const std::size_t None = Data.size();
  if (Direction == TSearchDirection::Forward) {
    if (const std::size_t At = FirstMatch(Data, Pattern, From, Data.size()); At != None) return TByteMatch{At, false};
    if (const std::size_t At = FirstMatch(Data, Pattern, 0, From); At != None) return TByteMatch{At, true};
  } else {
    if (const std::size_t At = LastMatch(Data, Pattern, 0, From); At != None) return TByteMatch{At, false};
    if (const std::size_t At = LastMatch(Data, Pattern, From, Data.size()); At != None) return TByteMatch{At, true};
  }
  return std::nullopt;
}

bool NodeHoldsBytes(const TKavClass& Node, std::size_t Offset, std::size_t Count) {
  const TByteView Bytes = Node.ImageBytes();
  return Offset >= Node.ImageOffset() && HasBytes(Bytes, Offset - Node.ImageOffset(), std::max<std::size_t>(Count, 1));
}

std::string FindBytesNoMatchText(const TBytePattern& Pattern) { return "No match for " + Pattern.Shown + "."; }

std::string FindBytesMatchText(std::size_t ImageOffset, const TByteMatch& Match, TSearchDirection Direction) {
  char Offset[32];
  std::snprintf(Offset, sizeof Offset, "0x%zX", ImageOffset);
  std::string Text = "Match at offset " + std::string(Offset) + ".";
  if (!Match.Wrapped) return Text;
  Text[0] = 'm';
  return (Direction == TSearchDirection::Forward ? "Search wrapped to the start: " : "Search wrapped to the end: ") + Text;
}

}  // namespace kavex
