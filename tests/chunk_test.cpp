#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Kav_Chunk.h"
#include "model/Kav_PPM.h"
#include "model/Kav_Subchunk.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

// A PPM-only image of Chunks (and the end chunk) with the PPM area built, its chunks not yet.
struct Area {
  std::unique_ptr<TFls> Root;
  TPPM& Ppm() const { return *Root->PPM(); }
  TChunk& Chunk(std::size_t I) const { return *static_cast<TChunk*>(Ppm().Child(I)); }
};
Area Load(std::vector<Bytes> Chunks) {
  Ppm P;
  P.Chunks = std::move(Chunks);
  P.Chunks.push_back(EndChunk());
  return {LoadAndExpand(PpmBytes(P))};
}

Bytes Sub(std::uint32_t Id, Bytes Body = {}) { return SubchunkBytes({.Id = Id, .Body = std::move(Body)}); }

}  // namespace

TEST(Chunk, ShortLengthsGiveNoDataAndTheCursorMovesByTheHeaderOnly) {
  const Area A = Load({ChunkBytes({.Name = "GSMC", .Data = {}}), ChunkBytes({.Name = "AORD", .Length = 0}),
                       ChunkBytes({.Name = "WUGS", .Length = INT32_MIN})});
  CapturedLog L;
  EXPECT_EQ(BuildAll(A.Ppm()), 4u);
  EXPECT_EQ(A.Chunk(0).Size(), 0);
  for (std::size_t I = 0; I < 3; ++I) {
    EXPECT_FALSE(A.Chunk(I).MayHaveChildren()) << I;
    EXPECT_TRUE(A.Chunk(I).Data().empty()) << I;
  }
  EXPECT_EQ(A.Chunk(2).GetName(), "WUGS");
  EXPECT_EQ(L.Idents(), std::vector<int>{23});  // the end chunk's only
}

TEST(Chunk, HeaderOfTwentyFFBytesEndsTheWalkWithAChecksumWarning) {
  const Area A = Load({});
  CapturedLog L;
  EXPECT_EQ(BuildAll(A.Ppm()), 1u);
  EXPECT_EQ(A.Chunk(0).GetCalculatedChecksum(), 0xFFFFFFFCu);
  EXPECT_EQ(A.Chunk(0).GetCaption(), "\u00FF\u00FF\u00FF\u00FF (\u00FF\u00FF\u00FF\u00FF\u00FF\u00FF\u00FF\u00FF)");
  EXPECT_EQ(L.Lines(), Lines{"* (  23) Chunk checksum does not math: present 0xFFFFFFFF, calculated 0xFFFFFFFC; Path: "
                             "/PPM/\u00FF\u00FF\u00FF\u00FF/"});
}

TEST(Chunk, ChecksumSumsWordsAndALastWordCutShortTakesZeros) {
  // Words after the checksum: 0x19 (length 25), "ABCD", 0, 0, 0x01020304 and 0x05 followed by zeros.
  const Area A = Load({ChunkBytes({.Name = "ABCD", .Version = "", .Data = {1, 2, 3, 4, 5}, .Checksum = 0})});
  CapturedLog L;
  BuildAll(A.Ppm());
  EXPECT_EQ(A.Chunk(0).GetCalculatedChecksum(), 0x47444661u);
  EXPECT_EQ(L.Lines().front(), "* (  23) Chunk checksum does not math: present 0x00000000, calculated 0x47444661; Path: /PPM/ABCD/");
}

TEST(Chunk, NamelessChunkIsNotCheckedAndShowsItsVersionAlone) {
  const Area A = Load({ChunkBytes({.Name = std::string("\0ABC", 4), .Version = "V9", .Data = {}, .Checksum = 0x12345678})});
  CapturedLog L;
  EXPECT_EQ(BuildAll(A.Ppm()), 2u);
  EXPECT_EQ(A.Chunk(0).GetCalculatedChecksum(), 0u);
  EXPECT_EQ(A.Chunk(0).GetCaption(), "V9");
  EXPECT_EQ(L.Lines().size(), 1u);  // the end chunk's warning only
}

TEST(Chunk, UnknownNamesGiveRawSubchunksWithMessage25EachButClosingRecordsDoNot) {
  const Area A = Load({ChunkBytes({.Name = "LDBX", .Data = Concat({Sub(1), Sub(2), ClosingRecord(), Sub(3)})}),
                       ChunkBytes({.Name = "LDB", .Data = Concat({Sub(4), ClosingRecord()})})});
  BuildAll(A.Ppm());
  CapturedLog L;
  EXPECT_EQ(BuildAll(A.Chunk(0)), 3u);
  EXPECT_EQ(A.Chunk(0).ParseNextChild(), nullptr);  // closed, although a record follows
  EXPECT_EQ(ChildClasses(A.Chunk(0)), "TRawSubchunk TRawSubchunk TClosingSubchunk");
  EXPECT_EQ(BuildAll(A.Chunk(1)), 2u);
  EXPECT_EQ(ChildClasses(A.Chunk(1)), "TLDBSubchunk TClosingSubchunk");
  EXPECT_EQ(L.Lines(), (Lines{"? (  25) Unknows chunk Name/Type: 0x4C444258; Path: /PPM/LDBX/",
                              "? (  25) Unknows chunk Name/Type: 0x4C444258; Path: /PPM/LDBX/"}));
}

TEST(Chunk, DataUsedUpWithoutClosingRecordLogs24OnEveryCall) {
  const Area A = Load({ChunkBytes({.Name = "GSMC", .Data = Sub(1)})});
  BuildAll(A.Ppm());
  CapturedLog L;
  EXPECT_EQ(BuildAll(A.Chunk(0)), 1u);
  EXPECT_EQ(A.Chunk(0).ParseNextChild(), nullptr);
  EXPECT_FALSE(A.Chunk(0).Closed());
  EXPECT_EQ(L.Lines(), (Lines{"! (  24) Unexpected end of chunk; Path: /PPM/GSMC/", "! (  24) Unexpected end of chunk; Path: /PPM/GSMC/"}));
}

TEST(Chunk, ClosingRecordCutShortRaisesOnceThenTheChunkIsSilent) {
  // Four zero bytes, and two zero bytes whose missing bytes count as zero too.
  for (const Bytes& Tail : {Bytes(4, 0), Bytes(2, 0)}) {
    const Area A = Load({ChunkBytes({.Name = "ZZZZ", .Data = Concat({Sub(1), Tail})})});
    BuildAll(A.Ppm());
    CapturedLog L;
    ASSERT_NE(A.Chunk(0).ParseNextChild(), nullptr);
    EXPECT_THROW(A.Chunk(0).ParseNextChild(), EKavError);
    EXPECT_EQ(A.Chunk(0).ParseNextChild(), nullptr);
    EXPECT_EQ(A.Chunk(0).ChildCount(), 1u);
    EXPECT_EQ(L.Lines().back(), "! (  36) Number of bytes remain (" + std::to_string(Tail.size()) +
                                    " byte(s)) smaller then subchunk header length; Path: /PPM/ZZZZ/");
  }
}

TEST(Chunk, FewBytesLeftFailTheSubchunkBuiltFromThem) {
  // Unknown name: the raw subchunk's error leaves ParseNextChild; known name: the chunk closes.
  const Area A = Load({ChunkBytes({.Name = "ZZZZ", .Data = Concat({Sub(1), {0, 0, 1}})}),
                       ChunkBytes({.Name = "AORD", .Data = Concat({Sub(1), {1}})})});
  BuildAll(A.Ppm());
  CapturedLog L;
  A.Chunk(0).ParseNextChild();
  EXPECT_THROW(A.Chunk(0).ParseNextChild(), EKavError);
  EXPECT_EQ(BuildAll(A.Chunk(1)), 1u);
  EXPECT_TRUE(A.Chunk(1).Closed());
  EXPECT_EQ(L.Lines(), (Lines{"? (  25) Unknows chunk Name/Type: 0x5A5A5A5A; Path: /PPM/ZZZZ/",
                              "! (  36) Number of bytes remain (3 byte(s)) smaller then subchunk header length; Path: /PPM/ZZZZ/",
                              "! (  36) Number of bytes remain (1 byte(s)) smaller then subchunk header length; Path: /PPM/AORD/",
                              "! (  38) Error while creating AORD subchunk; Path: /PPM/AORD/"}));
}

TEST(Chunk, AChunkOrSubchunkThatCannotBeBuiltLeavesTheCursorSoARetryFailsTheSameWay) {
  // A chunk announcing more bytes than the PPM area has left, behind one good chunk.
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "GSMC", .Data = ClosingRecord()}), ChunkBytes({.Name = "GSMC", .Length = 5000})};
  std::unique_ptr<TFls> Root = LoadAndExpand(PpmBytes(P));
  TPPM& Ppm = *Root->PPM();
  ASSERT_NE(Ppm.ParseNextChild(), nullptr);
  CapturedLog L;
  for (int Try = 0; Try < 2; ++Try) EXPECT_THROW(Ppm.ParseNextChild(), EKavError);
  EXPECT_EQ(L.Lines(), (Lines{"! (  22) Too few bytes remains for chunk data, 20 byte(s); Path: /PPM/",
                              "! (  22) Too few bytes remains for chunk data, 20 byte(s); Path: /PPM/"}));
  EXPECT_EQ(Ppm.ChildCount(), 1u);

  // A raw subchunk of an unknown chunk whose length runs past the chunk.
  const Area Unknown = Load({ChunkBytes({.Name = "ZZZZ", .Data = SubchunkBytes({.Id = 1, .Length = 64})})});
  ASSERT_NE(Unknown.Ppm().ParseNextChild(), nullptr);
  L.Clear();
  for (int Try = 0; Try < 2; ++Try) EXPECT_THROW(Unknown.Chunk(0).ParseNextChild(), EKavError);
  EXPECT_EQ(L.Lines(),
            (Lines{"! (  37) Number of bytes remain (16 byte(s)) smaller then subchunk length got from its header; Path: /PPM/ZZZZ/",
                   "! (  37) Number of bytes remain (16 byte(s)) smaller then subchunk length got from its header; Path: /PPM/ZZZZ/"}));
}
