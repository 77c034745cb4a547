// Edit > Find bytes in the core: patterns typed as hex or text made into bytes (and refused with
// their reasons), the code page the other way round, the search forward and backward round the
// ends, which node holds a match, and the texts that tell the outcome.

#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "model/CodePage.h"
#include "model/Kav_Fls.h"
#include "model/Kav_PPM.h"
#include "present/Kav_FindBytes.h"

using namespace kavex;
using namespace kavtest;

namespace {

constexpr const char* Hint = "give two hex digits a byte, like 4E 4F 4B.";
const std::string Empty = "The pattern is empty: give the bytes to look for.";

TByteView View(std::string_view Text) { return {reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size()}; }
Bytes Range(int Count) {
  Bytes Out;
  for (int B = 0; B < Count; ++B) Out.push_back(static_cast<std::uint8_t>(B));
  return Out;
}
std::string Quoted(const std::string& Text) { return "\"" + Text + "\""; }
// Count 'a's as UTF-16BE, then Tail.
Bytes Wide(int Count, Bytes Tail) {
  Bytes Out;
  for (int I = 0; I < Count; ++I) Append(Out, Bytes{0x00, 'a'});
  Append(Out, Tail);
  return Out;
}

TEST(BytePattern, HexAndTextBecomeBytesOrAreRefusedWithTheirReason) {
  using K = TBytePatternKind;
  struct Case {
    const char* What;
    std::u16string Text;
    K Kind;
    Bytes Out;
    std::string Shown;  // or the error, for no bytes
  };
  const Case Cases[] = {
      {"hex with blanks", u"4E 4F 4B", K::Hex, {0x4E, 0x4F, 0x4B}, "4E 4F 4B"},
      {"hex run, lower case", u"4e4f4b", K::Hex, {0x4E, 0x4F, 0x4B}, "4E 4F 4B"},
      {"mixed case, tabs, blanks round", u" \t4e4F\t 4b  ", K::Hex, {0x4E, 0x4F, 0x4B}, "4E 4F 4B"},
      {"the lowest and highest byte", u"00ff", K::Hex, {0x00, 0xFF}, "00 FF"},
      {"a digit left over at the end", u"4E 4F 4", K::Hex, {}, "\"4\" is not whole bytes: " + std::string(Hint)},
      {"an odd run", u"4E4 F4B", K::Hex, {}, "\"4E4\" is not whole bytes: " + std::string(Hint)},
      {"a pair split by a blank", u"4 E", K::Hex, {}, "\"4\" is not whole bytes: " + std::string(Hint)},
      {"a letter past F", u"4G", K::Hex, {}, "\"G\" is not a hex digit: " + std::string(Hint)},
      {"a C prefix", u"0x4E", K::Hex, {}, "\"x\" is not a hex digit: " + std::string(Hint)},
      {"a character beyond ASCII", u"4E\u00c4", K::Hex, {}, "\"\u00c4\" (U+00C4) is not a hex digit: " + std::string(Hint)},
      {"a control character", u"4E\u0001", K::Hex, {}, "\"\u0001\" (U+0001) is not a hex digit: " + std::string(Hint)},
      {"no hex", u"", K::Hex, {}, Empty},
      {"blanks only", u"  \t ", K::Hex, {}, Empty},
      {"ASCII text", u"NOK", K::Windows1252, {0x4E, 0x4F, 0x4B}, "\"NOK\""},
      {"the code page's own characters", u"\u20ac\u00e4\u00ff\u0178", K::Windows1252, {0x80, 0xE4, 0xFF, 0x9F},
       "\"\u20ac\u00e4\u00ff\u0178\""},
      {"an undefined byte as Windows reads it", u"\u0081", K::Windows1252, {0x81}, "\"\u0081\""},
      {"a C1 control the code page replaced", u"a\u0080", K::Windows1252, {}, "\"\u0080\" (U+0080) has no byte in Windows-1252."},
      {"Cyrillic", u"\u0416x", K::Windows1252, {}, "\"\u0416\" (U+0416) has no byte in Windows-1252."},
      {"beyond the BMP", u"\U0001F600", K::Windows1252, {}, "\"\U0001F600\" (U+1F600) has no byte in Windows-1252."},
      {"two-byte text beyond Latin", u"\u00fc\u20ac", K::Utf16BE, {0x00, 0xFC, 0x20, 0xAC}, "\"\u00fc\u20ac\""},
      {"a surrogate pair, unit by unit", u"\U0001F600", K::Utf16BE, {0xD8, 0x3D, 0xDE, 0x00}, "\"\U0001F600\""},
      // Messages name at most 16 bytes or 32 characters of a pattern, never half a pair.
      {"16 bytes named whole", u"000102030405060708090A0B0C0D0E0F", K::Hex, Range(16),
       "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"},
      {"17 bytes named by 16", u"000102030405060708090A0B0C0D0E0F10", K::Hex, Range(17),
       "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ..."},
      {"32 characters named whole", std::u16string(32, u'a'), K::Windows1252, Bytes(32, 'a'), Quoted(std::string(32, 'a'))},
      {"33 named by 32", std::u16string(33, u'a'), K::Windows1252, Bytes(33, 'a'), Quoted(std::string(32, 'a') + "...")},
      {"a pair at the cut left out", std::u16string(31, u'a') + u"\U0001F600", K::Utf16BE, Wide(31, {0xD8, 0x3D, 0xDE, 0x00}),
       Quoted(std::string(31, 'a') + "...")},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    const TBytePattern P = ParseBytePattern(C.Text, C.Kind);
    EXPECT_EQ(P.Bytes, C.Out);
    EXPECT_EQ(C.Out.empty() ? P.Error : P.Shown, C.Shown);
    EXPECT_EQ(C.Out.empty() ? P.Shown : P.Error, "");
  }
}

TEST(CodePage, EveryByteComesBackFromItsCharacterAndOthersHaveNone) {
  const TCodePage Was = GetCodePage();
  for (const TCodePage Page : {TCodePage::Windows1252, TCodePage::Latin1}) {
    SetCodePage(Page);
    for (int B = 0; B < 256; ++B) EXPECT_EQ(CodePageByte(Page, CodePageChar(static_cast<std::uint8_t>(B))), B) << B;
  }
  SetCodePage(Was);
  struct Case {
    char32_t Code;
    int Cp1252, Latin1;  // -1: no byte
  };
  const Case Cases[] = {{0x7F, 0x7F, 0x7F},  {0x80, -1, 0x80},     {0x9F, -1, 0x9F},      {0xA0, 0xA0, 0xA0},
                        {0x100, -1, -1},     {0x20AC, 0x80, -1},   {0x120AC, -1, -1},     {0x2122, 0x99, -1}};
  for (const Case& C : Cases) {
    const auto Byte = [](std::optional<std::uint8_t> B) { return B ? int{*B} : -1; };
    EXPECT_EQ(Byte(CodePageByte(TCodePage::Windows1252, C.Code)), C.Cp1252) << std::hex << static_cast<unsigned>(C.Code);
    EXPECT_EQ(Byte(CodePageByte(TCodePage::Latin1, C.Code)), C.Latin1) << std::hex << static_cast<unsigned>(C.Code);
  }
}

TEST(ByteSearch, FindsTheNearestMatchEitherWayAndGoesRoundTheEnds) {
  using D = TSearchDirection;
  constexpr long None = -1;
  struct Case {
    const char* What;
    std::string_view Data, Pattern;
    std::size_t From;
    D Dir;
    long Start;  // None: no match
    bool Wrapped = false;
  };
  const Case Cases[] = {
      {"at the start", "NOKxxxx", "NOK", 0, D::Forward, 0},
      {"at the end", "xxxxNOK", "NOK", 0, D::Forward, 4},
      {"from the last start it can have", "xxxxNOK", "NOK", 4, D::Forward, 4},
      {"one past it: round to the start", "xxxxNOK", "NOK", 5, D::Forward, 4, true},
      {"across the end: none", "xxxxNO", "NOK", 0, D::Forward, None},
      {"across the end, round: none", "NOxxNO", "NOK", 3, D::Forward, None},
      {"past the last: the first", "NOKxxNOK", "NOK", 6, D::Forward, 0, true},
      {"From far past the end", "NOKxxNOK", "NOK", 1000, D::Forward, 0, true},
      {"overlapping, 1", "AAAA", "AA", 1, D::Forward, 1},
      {"overlapping, past the last", "AAAA", "AA", 3, D::Forward, 0, true},
      {"the whole data", "NOK", "NOK", 0, D::Forward, 0},
      {"longer than the data", "NO", "NOK", 0, D::Forward, None},
      {"empty pattern", "NOK", "", 0, D::Forward, None},
      {"empty data", "", "N", 0, D::Forward, None},
      {"one byte", "abcabc", "c", 3, D::Forward, 5},
      {"one byte, round", "abcabc", "a", 4, D::Forward, 0, true},
      {"back: the last before From", "AAAA", "AA", 3, D::Backward, 2},
      {"back: the first", "AAAA", "AA", 1, D::Backward, 0},
      {"back from the start: round to the last", "AAAA", "AA", 0, D::Backward, 2, true},
      {"back from far past the end", "NOKxxNOK", "NOK", 1000, D::Backward, 5},
      {"back: a match may end after From", "xNOK", "NOK", 2, D::Backward, 1},
      {"back: the one at From is not before it", "xNOK", "NOK", 1, D::Backward, 1, true},
      {"back: across the end never", "NOKxNO", "NOK", 6, D::Backward, 0},
      {"back, one byte, round", "abcabc", "a", 0, D::Backward, 3, true},
      {"back, none", "abcabc", "x", 3, D::Backward, None},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    const std::optional<TByteMatch> M = FindBytes(View(C.Data), View(C.Pattern), C.From, C.Dir);
    ASSERT_EQ(M.has_value(), C.Start != None);
    if (!M) continue;
    EXPECT_EQ(static_cast<long>(M->Start), C.Start);
    EXPECT_EQ(M->Wrapped, C.Wrapped);
  }
}

// Against the plainest search there is, on bytes of a small alphabet (many near misses and
// overlaps), every pattern length from one to past the data's, from every position.
TEST(ByteSearch, AgreesWithAPlainScanEverywhere) {
  std::mt19937 Random(7);
  for (int Round = 0; Round < 40; ++Round) {
    Bytes Data(1 + Random() % 60);
    for (auto& B : Data) B = static_cast<std::uint8_t>(Random() % 3);
    const std::size_t Length = 1 + Random() % 6;
    Bytes Pattern(Length);
    for (auto& B : Pattern) B = static_cast<std::uint8_t>(Random() % 3);
    std::vector<std::size_t> Starts;
    for (std::size_t S = 0; S + Length <= Data.size(); ++S)
      if (std::equal(Pattern.begin(), Pattern.end(), Data.begin() + static_cast<long>(S))) Starts.push_back(S);
    for (std::size_t From = 0; From <= Data.size() + 1; ++From) {
      SCOPED_TRACE(testing::Message() << "round " << Round << " from " << From);
      const auto Next = std::find_if(Starts.begin(), Starts.end(), [&](std::size_t S) { return S >= From; });
      const auto Before = std::find_if(Starts.rbegin(), Starts.rend(), [&](std::size_t S) { return S < From; });
      const auto Forward = FindBytes(Data, Pattern, From, TSearchDirection::Forward);
      const auto Backward = FindBytes(Data, Pattern, From, TSearchDirection::Backward);
      ASSERT_EQ(Forward.has_value(), !Starts.empty());
      ASSERT_EQ(Backward.has_value(), !Starts.empty());
      if (Starts.empty()) continue;
      EXPECT_EQ(Forward->Start, Next != Starts.end() ? *Next : Starts.front());
      EXPECT_EQ(Forward->Wrapped, Next == Starts.end());
      EXPECT_EQ(Backward->Start, Before != Starts.rend() ? *Before : Starts.back());
      EXPECT_EQ(Backward->Wrapped, Before == Starts.rend());
    }
  }
}

TEST(ByteSearch, ANodeHoldsOnlyRunsWithinItsBytes) {
  const auto Root = LoadAndExpand(DivudImage(Mcu{}, Ppm{.Chunks = {EndChunk()}}));
  ASSERT_TRUE(Root->PPM());
  const TKavClass& Area = *Root->PPM();
  const std::size_t First = Area.ImageOffset(), Size = Area.ImageBytes().size();
  ASSERT_GT(First, 0u);
  struct Case {
    const char* What;
    std::size_t Offset, Count;
    bool Holds;
  };
  const Case Cases[] = {
      {"from the byte before", First - 1, 2, false},  {"all of them", First, Size, true},
      {"one more than all", First, Size + 1, false},   {"the last and one past", First + Size - 1, 2, false},
      {"no count counts as one", First + Size - 1, 0, true}, {"no count past the end", First + Size, 0, false},
      {"a count that would wrap round", First + 1, SIZE_MAX, false},
  };
  for (const Case& C : Cases) EXPECT_EQ(NodeHoldsBytes(Area, C.Offset, C.Count), C.Holds) << C.What;
}

TEST(ByteSearch, TheOutcomeTextsSayWhereAndWhetherTheSearchWentRound) {
  EXPECT_EQ(FindBytesMatchText(0x1F0, {.Start = 3, .Wrapped = false}, TSearchDirection::Forward), "Match at offset 0x1F0.");
  EXPECT_EQ(FindBytesMatchText(0, {.Start = 0, .Wrapped = false}, TSearchDirection::Backward), "Match at offset 0x0.");
  EXPECT_EQ(FindBytesMatchText(0xABCDEF, {.Start = 0, .Wrapped = true}, TSearchDirection::Forward),
            "Search wrapped to the start: match at offset 0xABCDEF.");
  EXPECT_EQ(FindBytesMatchText(0x10, {.Start = 0, .Wrapped = true}, TSearchDirection::Backward),
            "Search wrapped to the end: match at offset 0x10.");
  EXPECT_EQ(FindBytesNoMatchText(ParseBytePattern(u"4e 4f 4b", TBytePatternKind::Hex)), "No match for 4E 4F 4B.");
  EXPECT_EQ(FindBytesNoMatchText(ParseBytePattern(u"NOK", TBytePatternKind::Windows1252)), "No match for \"NOK\".");
}

}  // namespace
