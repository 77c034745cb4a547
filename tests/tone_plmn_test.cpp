#include <gtest/gtest.h>

#include "ContentFixture.h"
#include "TestSupport.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_Tone.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

// Tone subchunks are not aligned: the next one follows right behind.
Bytes Tone(std::uint32_t Id, const Bytes& Body, std::optional<std::int32_t> Length = std::nullopt) {
  return SubchunkBytes({.Id = Id, .Body = Body, .Length = Length, .Pad = false});
}

Bytes Plmn(std::uint32_t Id, std::uint32_t Flags, const Bytes& Body, std::optional<std::int32_t> Length = std::nullopt) {
  return SubchunkBytes({.Id = Id, .Flags = Flags, .Body = Body, .Length = Length});
}

Bytes TuneOf(const TToneSubchunk& T) { return Bytes(T.TuneData().begin(), T.TuneData().end()); }

std::vector<std::pair<std::int32_t, std::string>> OperatorsOf(const TPLMNSubchunk& P) {
  std::vector<std::pair<std::int32_t, std::string>> Out;
  for (std::int32_t I = 0; I < P.GetOperatorCount(); ++I) Out.emplace_back(P.GetOperatorCode(I), P.GetOperatorName(I));
  return Out;
}

}  // namespace

TEST(Tone, NameTuneAndFillFollowTheLength) {
  CapturedLog L;
  const ParsedChunk P = ParseChunk("TONE", Concat({Tone(1, {}),                                           // no body
                                                   Tone(2, ToneBody("Ring", {1, 2, 3}, 2)),              // 2 fill bytes
                                                   Tone(3, ToneBody(std::string("Bip\0xy", 6), {9}, 0)),  // name ends at its zero
                                                   Tone(4, ToneBody(std::string("\0A", 2), {7, 0xFF, 8}, 3)),
                                                   ClosingRecord()}));
  ASSERT_EQ(P.Count(), 5u);
  const auto& Empty = P.Sub<TToneSubchunk>(0);
  EXPECT_EQ(Empty.GetDescription(), "");
  EXPECT_EQ(Empty.TuneSize(), 0);
  const auto& Ring = P.Sub<TToneSubchunk>(1);
  EXPECT_EQ(Ring.GetCaption(), "0x00000002 (Ring)");
  EXPECT_EQ(TuneOf(Ring), (Bytes{1, 2, 3}));
  EXPECT_EQ(Ring.FillSize(), 2);
  EXPECT_EQ(P.Sub<TToneSubchunk>(2).GetDescription(), "Bip");
  EXPECT_EQ(TuneOf(P.Sub<TToneSubchunk>(2)), (Bytes{9}));
  // A name of 2-byte characters shows empty; a 0xFF inside the tune is tune data.
  EXPECT_EQ(P.Sub<TToneSubchunk>(3).GetDescription(), "");
  EXPECT_EQ(TuneOf(P.Sub<TToneSubchunk>(3)), (Bytes{7, 0xFF, 8}));
  EXPECT_STREQ(P.Chunk->Child(4)->ClassName(), "TClosingSubchunk");
  EXPECT_TRUE(L.Lines().empty());
}

TEST(Tone, EveryFillByteBeyondTheThirdIsReported) {
  CapturedLog L;
  const ParsedChunk P = ParseChunk("TONE", Concat({Tone(5, ToneBody("Long", {1, 2}, 5)), ClosingRecord()}));
  ASSERT_EQ(P.Count(), 2u);
  EXPECT_EQ(TuneOf(P.Sub<TToneSubchunk>(0)), (Bytes{1, 2}));
  const std::string Line = "! (  27) End of music not found at the end of subchunk; Path: /TONE/0x00000005/";
  EXPECT_EQ(L.Lines(), (Lines{Line, Line}));
}

TEST(Tone, ShortLengthsAndLongNamesStayInsideTheSubchunk) {
  CapturedLog L;
  // Length 0: no body, the next subchunk right behind the header. A name of 200 bytes in a
  // subchunk of 4 body bytes: cut at the subchunk's end. A name of 0xFF bytes is no fill.
  Bytes Long = ToneBody("abc", {});
  Long[0] = 200;
  const ParsedChunk P = ParseChunk("TONE", Concat({Tone(1, {}, 0), Tone(2, Long), Tone(3, ToneBody("\xFF\xFF\xFF\xFF\xFF", {})),
                                                   ClosingRecord()}));
  ASSERT_EQ(P.Count(), 4u);
  EXPECT_EQ(P.Sub<TToneSubchunk>(0).GetDescription(), "");
  EXPECT_EQ(P.Sub<TToneSubchunk>(1).GetDescription(), "abc");
  EXPECT_EQ(P.Sub<TToneSubchunk>(1).TuneSize(), 0);
  EXPECT_EQ(P.Sub<TToneSubchunk>(2).NameBytes().size(), 5u);
  EXPECT_EQ(P.Sub<TToneSubchunk>(2).FillSize(), 0);
  EXPECT_STREQ(P.Chunk->Child(3)->ClassName(), "TClosingSubchunk");
  EXPECT_TRUE(L.Lines().empty());
}

TEST(OperatorList, CountryCodeAndBothCodeRules) {
  const Bytes Entries = OperatorEntries({{.B1 = 0x10, .B2 = 0xF2, .Name = "Three"},
                                         {.B1 = 0x10, .B2 = 0x20, .Name = "Two"},
                                         {.B1 = 0x99, .B2 = 0x99, .Name = std::string("Cut\0off", 7)},
                                         {.B1 = 0x00, .B2 = 0x00, .Name = "\xE9t\xE9"}});
  const ParsedChunk P = ParseChunk("PLMN", Concat({Plmn(7, 0x52F00200, Entries), Plmn(8, CountryFlags(1), {}), ClosingRecord()}));
  ASSERT_EQ(P.Count(), 3u);
  const auto& List = P.Sub<TPLMNSubchunk>(0);
  EXPECT_EQ(List.GetCaption(), "0x00000007 (250)");
  EXPECT_EQ(OperatorsOf(List), (std::vector<std::pair<std::int32_t, std::string>>{
                                   {1, "Three"}, {12, "Two"}, {99, "Cut"}, {0, "\u00E9t\u00E9"}}));
  EXPECT_EQ(List.GetOperatorCode(4), 0);
  EXPECT_EQ(List.GetOperatorName(4), "");
  EXPECT_EQ(List.GetOperatorCode(-1), 0);
  EXPECT_EQ(P.Sub<TPLMNSubchunk>(1).GetDescription(), "001");
  // ID 0 only occurs outside a chunk walk, which takes it for the closing record.
  const Bytes Zero = Plmn(0, 0x52F00000, {});
  TCursor Cursor{Zero, 0};
  EXPECT_EQ(TPLMNSubchunk(nullptr, static_cast<std::int32_t>(Zero.size()), Cursor).GetDescription(), "");
}

TEST(OperatorList, EntriesAreAlignedAndBoundByTheSubchunk) {
  // Record length 9 from a multiple of 4: the next entry 12 bytes later, whatever lies between.
  Bytes Body = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "abcde", .RecordLength = 9}});
  Body.resize(12, 0xEE);
  Append(Body, OperatorEntries({{.B1 = 0x30, .B2 = 0x40, .Name = "x"}}));
  const ParsedChunk P = ParseChunk("PLMN", Concat({Plmn(1, 0, Body), ClosingRecord()}));
  EXPECT_EQ(OperatorsOf(P.Sub<TPLMNSubchunk>(0)),
            (std::vector<std::pair<std::int32_t, std::string>>{{12, "abcde"}, {34, "x"}}));
}

TEST(OperatorList, UntrustedLengthsEndTheListInsideTheSubchunk) {
  // Record length 0 ends the list with that entry; a name longer than the subchunk is cut at
  // its end; a record length past the end does not carry the cursor past it; fewer than 4
  // bytes left are no entry. Each time the next subchunk is found where the length says.
  const Bytes Zero = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "z", .RecordLength = 0}, {.Name = "never"}});
  Bytes LongName = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "abcd"}});
  LongName[3] = 250;  // the next subchunk's ID would read on as "ABCD"
  const Bytes Overshoot = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "o", .RecordLength = 255}});
  const Bytes Stub = Concat({OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "s"}}), Bytes{8, 1, 2}});
  CapturedLog L;
  const ParsedChunk P = ParseChunk("PLMN", Concat({Plmn(1, 0, Zero), Plmn(2, 0, LongName), Plmn(0x41424344, 0, Overshoot), Plmn(4, 0, Stub),
                                                   Plmn(5, 0, {}, 0), Plmn(6, 0, OperatorEntries({{.Name = "last"}})),
                                                   ClosingRecord()}));
  ASSERT_EQ(P.Count(), 7u);
  using List = std::vector<std::pair<std::int32_t, std::string>>;
  EXPECT_EQ(OperatorsOf(P.Sub<TPLMNSubchunk>(0)), (List{{12, "z"}}));
  EXPECT_EQ(OperatorsOf(P.Sub<TPLMNSubchunk>(1)), (List{{12, "abcd"}}));
  EXPECT_EQ(OperatorsOf(P.Sub<TPLMNSubchunk>(2)), (List{{12, "o"}}));
  EXPECT_EQ(OperatorsOf(P.Sub<TPLMNSubchunk>(3)), (List{{12, "s"}}));
  EXPECT_EQ(P.Sub<TPLMNSubchunk>(4).GetOperatorCount(), 0);
  EXPECT_EQ(OperatorsOf(P.Sub<TPLMNSubchunk>(5)), (List{{0, "last"}}));
  EXPECT_STREQ(P.Chunk->Child(6)->ClassName(), "TClosingSubchunk");
  EXPECT_TRUE(L.Lines().empty());
}
