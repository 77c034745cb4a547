#include <gtest/gtest.h>

#include "ContentFixture.h"
#include "TestSupport.h"
#include "model/CodePage.h"
#include "model/Kav_Text.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

Bytes Text(std::uint32_t Flags, const Bytes& Body, std::optional<std::int32_t> Length = std::nullopt, bool Pad = true) {
  return SubchunkBytes({.Id = 1, .Flags = Flags, .Body = Body, .Length = Length, .Pad = Pad});
}

std::vector<std::u16string> AllTexts(const TTextSubchunk& T) {
  std::vector<std::u16string> Out;
  for (std::int32_t I = 0; I < T.GetEntryCount(); ++I) Out.push_back(T.GetText(I));
  return Out;
}

}  // namespace

TEST(TextTable, EntryCountComesFromTheLengthArithmetic) {
  // Lengths 3, 1, 2, six text bytes and 2 fill bytes: the first text byte ('A' = 65) is read
  // as a fourth length, tips the sum over Length and is given back.
  const Bytes Plain = Concat({TextBody({"ABC", "D", "EF"}), Bytes{0, 0}});
  // The same table with a 0xFF terminator, read as 255 and skipped.
  const Bytes Ended = Concat({TextBody({"ABC", "D", "EF"}, true), Bytes{0, 0}});
  const ParsedChunk P = ParseChunk("TEXT", Concat({Text(0, Plain), Text(0, Ended), ClosingRecord()}));
  ASSERT_EQ(P.Count(), 3u);
  for (std::size_t I = 0; I < 2; ++I) {
    const auto& T = P.Sub<TTextSubchunk>(I);
    EXPECT_EQ(T.GetLength(), I == 0 ? 27 : 28);
    EXPECT_EQ(T.GetEntryCount(), 3);
    EXPECT_EQ(T.GetCharWidth(), 1);
    EXPECT_EQ(T.GetDescription(), "3 entries");
    EXPECT_EQ(AllTexts(T), (std::vector<std::u16string>{u"ABC", u"D", u"EF"}));
    EXPECT_EQ(Bytes(T.EntryLengths().begin(), T.EntryLengths().end()), (Bytes{3, 1, 2}));
  }
  EXPECT_STREQ(P.Chunk->Child(2)->ClassName(), "TClosingSubchunk");
}

TEST(TextTable, TwoByteTablesDropTheLanguageNamesFirstCharacter) {
  const Bytes Body = WideTextBody({u"XEN", u"Hello \u20AC", u""});
  const ParsedChunk P = ParseChunk("TEXT", Concat({Text(0x80000000u, Body), Text(0, TextBody({"Xy", "z"})), ClosingRecord()}));
  ASSERT_EQ(P.Count(), 3u);
  const auto& Wide = P.Sub<TTextSubchunk>(0);
  EXPECT_EQ(Wide.GetCharWidth(), 2);
  EXPECT_EQ(AllTexts(Wide), (std::vector<std::u16string>{u"EN", u"Hello \u20AC", u""}));
  // Without bit 31 entry 0 is shown whole.
  EXPECT_EQ(P.Sub<TTextSubchunk>(1).GetText(0), u"Xy");
  for (std::int32_t Outside : {-1, 3, INT32_MAX}) EXPECT_EQ(Wide.GetText(Outside), u"") << Outside;
}

TEST(TextTable, OneByteCharactersGoThroughTheCodePage) {
  const ParsedChunk P = ParseChunk("TEXT", Concat({Text(0, TextBody({"Lang", "\x80\xE9\x9D"})), ClosingRecord()}));
  EXPECT_EQ(P.Sub<TTextSubchunk>(0).GetText(1), u"\u20AC\u00E9\u009D");
}

TEST(TextTable, WideNameInNarrowTableDecodesOnlyTheStoredBytes) {
  // Bits 31 and 26: entries of one byte per character, but entry 0 shown with two. Its 4
  // stored bytes hold code units at 0 and 2 only; position 1 is the first one shown.
  const Bytes Body = TextBody({std::string("\0L\0a", 4), "Hi"});
  const ParsedChunk P = ParseChunk("TEXT", Concat({Text(0x84000000u, Body), ClosingRecord()}));
  const auto& T = P.Sub<TTextSubchunk>(0);
  EXPECT_EQ(T.GetCharWidth(), 1);
  EXPECT_EQ(T.GetEntryCount(), 2);
  EXPECT_EQ(T.GetText(0), u"a");
  EXPECT_EQ(T.GetText(1), u"Hi");
}

TEST(TextTable, WideNameStopsBeforeAHalfCodeUnit) {
  // Names of 3, 4 and 5 stored bytes: a last byte without its partner is no code unit, in the
  // text of the node and in the UTF-8 one the panel shows alike.
  const std::vector<std::pair<std::string, std::u16string>> Cases = {
      {"ABC", u""}, {"ABCD", u"\u4344"}, {"ABCDE", u"\u4344"}};
  for (const auto& [Name, Want] : Cases) {
    const ParsedChunk P = ParseChunk("TEXT", Concat({Text(0x84000000u, TextBody({Name, "x"})), ClosingRecord()}));
    const auto& T = P.Sub<TTextSubchunk>(0);
    EXPECT_EQ(T.GetText(0), Want) << Name;
    std::string Utf8;
    T.AppendTextUtf8(0, Utf8);
    EXPECT_EQ(Utf8, Utf16ToUtf8(Want)) << Name;
  }
}

TEST(TextTable, PackedAndEmptyTablesHaveNoEntries) {
  CapturedLog L;
  const ParsedChunk P = ParseChunk("TEXT", Concat({Text(0x20000000u, Bytes{1, 2, 3, 4, 5}),  // 21 bytes, aligned to 24
                                                   Text(0x80000000u, {}),                     // Length 16
                                                   Text(0x20000000u, {}, 8),                  // packed, Length below 16
                                                   Text(0, {}, 0),                            // Length below 16
                                                   ClosingRecord()}));
  ASSERT_EQ(P.Count(), 5u);
  const auto& Packed = P.Sub<TTextSubchunk>(0);
  EXPECT_EQ(Packed.GetDescription(), "packed");
  EXPECT_EQ(Packed.GetEntryCount(), 0);
  EXPECT_EQ(Packed.GetText(0), u"");
  EXPECT_EQ(Packed.GetCharWidth(), 1);
  EXPECT_EQ(Bytes(Packed.PackedData().begin(), Packed.PackedData().end()), (Bytes{1, 2, 3, 4, 5}));
  for (std::size_t I = 1; I < 4; ++I) {
    // Lengths of 16 and below: no body, the next subchunk right behind the header.
    const auto& T = P.Sub<TTextSubchunk>(I);
    EXPECT_EQ(T.GetEntryCount(), 0) << I;
    EXPECT_EQ(T.GetCharWidth(), 0) << I;
    EXPECT_EQ(T.GetDescription(), I == 2 ? "packed" : "0 entries") << I;
  }
  EXPECT_STREQ(P.Chunk->Child(4)->ClassName(), "TClosingSubchunk");
  EXPECT_TRUE(L.Lines().empty());
}

TEST(TextTable, TwoByteCountingAndAlignmentBeforeTheNextSubchunk) {
  // Lengths 3 and 2 in UTF-16: 2 + 10 bytes of body, Length 28; then one of 1-byte entries
  // whose 7-byte body leaves the cursor to be aligned.
  const ParsedChunk P = ParseChunk("TEXT", Concat({Text(0x80000000u, WideTextBody({u"XAB", u"CD"})),
                                                   Text(0, TextBody({"abc", "d"}), 16 + 6), ClosingRecord()}));
  ASSERT_EQ(P.Count(), 3u);
  EXPECT_EQ(AllTexts(P.Sub<TTextSubchunk>(0)), (std::vector<std::u16string>{u"AB", u"CD"}));
  EXPECT_EQ(AllTexts(P.Sub<TTextSubchunk>(1)), (std::vector<std::u16string>{u"abc", u"d"}));
  EXPECT_STREQ(P.Chunk->Child(2)->ClassName(), "TClosingSubchunk");
}

TEST(TextTable, ReadsAtTheEndOfTheChunkStayInsideItsData) {
  // Only zero lengths: the scan looks at the byte behind the subchunk, here behind the chunk.
  {
    CapturedLog L;
    const ParsedChunk P = ParseChunk("TEXT", Text(0, Bytes{0, 0, 0, 0}));
    EXPECT_EQ(P.Sub<TTextSubchunk>(0).GetEntryCount(), 4);
    EXPECT_EQ(P.Chunk->Left(), 0);
    EXPECT_EQ(L.Lines(), Lines{"! (  24) Unexpected end of chunk; Path: /TEXT/"});
  }
  // A length 1 whose text byte is 0xFF: taken for the terminator, so the entry would be
  // copied from behind the subchunk, where the chunk ends. It comes out empty.
  {
    const ParsedChunk P = ParseChunk("TEXT", Text(0, Bytes{1, 0xFF}, 18, false));
    const auto& T = P.Sub<TTextSubchunk>(0);
    EXPECT_EQ(T.GetEntryCount(), 1);
    EXPECT_EQ(T.GetText(0), u"");
    EXPECT_EQ(P.Chunk->Left(), 0);
  }
  // The same inside the chunk takes the first byte of what follows, as the format has it.
  {
    const ParsedChunk P = ParseChunk("TEXT", Concat({Text(0, Bytes{1, 0xFF}, 18, false), Bytes{'Q', 0, 0, 0}, ClosingRecord()}));
    EXPECT_EQ(P.Sub<TTextSubchunk>(0).GetText(0), u"Q");
    EXPECT_STREQ(P.Chunk->Child(1)->ClassName(), "TClosingSubchunk");
  }
}
