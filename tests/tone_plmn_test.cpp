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

TEST(Tone, NamesAndFillAreReadFromTheChunkDataAsLaidOut) {
  // A name may run on into the next subchunk, and the fill scan runs back through 0xFF bytes of
  // the name; the tune size is then negative, and the next subchunk starts at the length's end.
  // Length 0 has no body. Fill of 3 bytes is quiet, each byte beyond reports message 27.
  Bytes Long = ToneBody("abc", {});
  Long[0] = 200;
  struct Case {
    Bytes Sub;
    std::string Name;
    std::size_t NameBytes;
    std::int32_t Tune, Fill;
    int Reports;
  };
  const Bytes Next = Tone(9, ToneBody("n", {1}));  // 19 bytes, then the closing record
  const std::vector<Case> Cases = {
      {Tone(2, Long), "abc", 3 + 19 + 16, -197, 0, 0},
      {Tone(3, ToneBody("\xFF\xFF\xFF\xFF\xFF", {})), "\u00FF\u00FF\u00FF\u00FF\u00FF", 5, -5, 5, 2},
      {Tone(4, {0xFF}), "", 19 + 16, -256, 1, 0},  // name length 0xFF: the fill scan counts it
      {Tone(5, ToneBody("x", {7}, 3)), "x", 1, 1, 3, 0},
      {Tone(6, ToneBody("x", {7}, 4)), "x", 1, 1, 4, 1},
      {Tone(7, {}, 0), "", 0, 0, 0, 0},
  };
  for (const Case& C : Cases) {
    CapturedLog L;
    const ParsedChunk P = ParseChunk("TONE", Concat({C.Sub, Next, ClosingRecord()}));
    SCOPED_TRACE(&C - Cases.data());
    ASSERT_EQ(P.Count(), 3u);
    const auto& T = P.Sub<TToneSubchunk>(0);
    EXPECT_EQ(T.GetDescription(), C.Name);
    EXPECT_EQ(T.NameBytes().size(), C.NameBytes);
    EXPECT_EQ(T.TuneSize(), C.Tune);
    EXPECT_EQ(T.FillSize(), C.Fill);
    EXPECT_EQ(L.Idents(), std::vector<int>(static_cast<std::size_t>(C.Reports), 27));
    EXPECT_EQ(P.Sub<TToneSubchunk>(1).GetID(), 9u);
  }
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
  TReader Reader{Zero, 0};
  EXPECT_EQ(TPLMNSubchunk(nullptr, static_cast<std::int32_t>(Zero.size()), Reader).GetDescription(), "");
}

TEST(OperatorList, EntriesAreAligned) {
  // Record length 9 from a multiple of 4: the next entry 12 bytes later, whatever lies between.
  Bytes Body = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "abcde", .RecordLength = 9}});
  Body.resize(12, 0xEE);
  Append(Body, OperatorEntries({{.B1 = 0x30, .B2 = 0x40, .Name = "x"}}));
  const ParsedChunk P = ParseChunk("PLMN", Concat({Plmn(1, 0, Body), ClosingRecord()}));
  EXPECT_EQ(OperatorsOf(P.Sub<TPLMNSubchunk>(0)),
            (std::vector<std::pair<std::int32_t, std::string>>{{12, "abcde"}, {34, "x"}}));
}

TEST(OperatorList, EntriesAreReadFromTheChunkDataAsLaidOut) {
  // Entries are read while the cursor is before the subchunk's end: the last may take bytes of
  // the next subchunk, so may its name, and its record length may carry the cursor past the
  // end, where the chunk's walk goes on. Record length 0 ends the list at the subchunk's end.
  using List = std::vector<std::pair<std::int32_t, std::string>>;
  Bytes LongName = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "abcd"}});
  LongName[3] = 250;
  const Bytes Stub = Concat({OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "s"}}), Bytes{4, 0x21, 0x43}});
  const Bytes Zero = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "z", .RecordLength = 0}, {.Name = "never"}});
  const Bytes Over = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "o", .RecordLength = 12}});
  struct Case {
    Bytes Sub;
    List Operators;
  };
  const std::vector<Case> Cases = {
      {Plmn(1, 0, LongName), {{12, "abcdABCD"}}},                        // the next subchunk's ID
      {Plmn(2, 0, Stub), {{12, "s"}, {24, ""}}},                          // 3 bytes left: an entry
      {Plmn(3, 0, Concat({Stub, Bytes{1}})), {{12, "s"}, {24, "A"}}},    // 4 bytes left, name read on
      {Concat({Plmn(4, 0, Over), Bytes(4, 0xEE)}), {{12, "o"}}},          // 4 bytes past the end
      {Plmn(5, 0, Zero), {{12, "z"}}},
      {Plmn(6, 0, {}, 0), {}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(&C - Cases.data());
    CapturedLog L;
    const ParsedChunk P = ParseChunk("PLMN", Concat({C.Sub, Plmn(0x41424344, 0, OperatorEntries({{.Name = "last"}})), ClosingRecord()}));
    ASSERT_EQ(P.Count(), 3u);
    EXPECT_EQ(OperatorsOf(P.Sub<TPLMNSubchunk>(0)), C.Operators);
    EXPECT_EQ(P.Sub<TPLMNSubchunk>(1).GetID(), 0x41424344u);
    EXPECT_EQ(OperatorsOf(P.Sub<TPLMNSubchunk>(1)), (List{{0, "last"}}));
    EXPECT_TRUE(L.Lines().empty());
  }
}
