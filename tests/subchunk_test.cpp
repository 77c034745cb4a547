#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Kav_Chunk.h"
#include "model/Kav_PPM.h"
#include "model/Kav_Subchunk.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

// The chunk of a PPM-only image holding it alone, built, its subchunks not yet.
struct OneChunk {
  std::unique_ptr<TFls> Root;
  TChunk& Chunk() const { return *static_cast<TChunk*>(Root->PPM()->Child(0)); }
  const TSubchunk& Sub(std::size_t I) const { return *static_cast<const TSubchunk*>(Chunk().Child(I)); }
  const TRawSubchunk& Raw(std::size_t I) const { return *static_cast<const TRawSubchunk*>(Chunk().Child(I)); }
};
OneChunk Load(const std::string& Name, const Bytes& Data) {
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = Name, .Data = Data}), EndChunk()};
  OneChunk C{LoadAndExpand(PpmBytes(P))};
  BuildAll(*C.Root->PPM());
  return C;
}

// A subchunk header announcing Length, followed by nothing.
Bytes Header(std::uint32_t Id, std::int32_t Length) { return SubchunkBytes({.Id = Id, .Length = Length}); }

}  // namespace

TEST(Subchunk, RawBodiesAreCopiedAndTheNextSubchunkStartsAligned) {
  const OneChunk C = Load("GSMC", Concat({Header(1, 16), SubchunkBytes({.Id = 2, .Body = {9, 8, 7, 6, 5}}), Header(3, 0),
                                          Header(4, INT32_MIN), Header(5, 16), ClosingRecord()}));
  EXPECT_EQ(BuildAll(C.Chunk()), 6u);
  std::string Ids;
  for (std::size_t I = 0; I < 6; ++I) Ids += std::to_string(C.Sub(I).GetID());
  EXPECT_EQ(Ids, "123450");
  EXPECT_EQ(C.Raw(0).RawSize(), 0);
  EXPECT_EQ(C.Raw(1).RawSize(), 5);
  EXPECT_EQ(Bytes(C.Raw(1).RawData().begin(), C.Raw(1).RawData().end()), (Bytes{9, 8, 7, 6, 5}));
  EXPECT_EQ(C.Raw(2).RawSize(), -16);
  EXPECT_LE(C.Raw(3).RawSize(), 0);
  EXPECT_TRUE(C.Raw(3).RawData().empty());
}

TEST(Subchunk, AlignmentNeverMovesPastTheChunkData) {
  const OneChunk C = Load("GSMC", SubchunkBytes({.Id = 1, .Body = {1}, .Pad = false}));  // 17 bytes of data
  CapturedLog L;
  EXPECT_EQ(BuildAll(C.Chunk()), 1u);
  EXPECT_EQ(C.Chunk().Cursor().Pos(), 17u);
  EXPECT_EQ(L.Lines(), Lines{"! (  24) Unexpected end of chunk; Path: /PPM/GSMC/"});
}

TEST(Subchunk, NameIsTheIdInEightUpperCaseDigitsAndTheShortName) {
  const OneChunk C = Load("AORD", Concat({Header(26, 16), SubchunkBytes({.Id = 0x33, .ShortName = "ab"}), ClosingRecord()}));
  BuildAll(C.Chunk());
  EXPECT_EQ(C.Sub(0).GetName(), "0x0000001A");
  EXPECT_EQ(C.Sub(1).GetCaption(), "0x00000033, ab");
  EXPECT_EQ(C.Sub(1).GetPath(), "/PPM/AORD/0x00000033, ab/");
  EXPECT_EQ(ChildClasses(C.Chunk()), "TAORDSubchunk TAORDSubchunk TClosingSubchunk");
}

TEST(Subchunk, HeaderChecksOfAKnownKindCloseTheChunkWithMessage38) {
  struct Case {
    Bytes Data;
    std::string Error;
  };
  const std::string Where = " Path: /PPM/WUGS/";
  const std::vector<Case> Cases = {
      {Concat({Header(1, 40), Bytes(16, 1)}),
       "! (  37) Number of bytes remain (32 byte(s)) smaller then subchunk length got from its header;" + Where},
      {Bytes(12, 1), "! (  36) Number of bytes remain (12 byte(s)) smaller then subchunk header length;" + Where},
  };
  for (const Case& K : Cases) {
    const OneChunk C = Load("WUGS", K.Data);
    CapturedLog L;
    EXPECT_EQ(BuildAll(C.Chunk()), 0u);
    EXPECT_TRUE(C.Chunk().Closed());
    EXPECT_EQ(L.Lines(), (Lines{K.Error, "! (  38) Error while creating WUGS subchunk;" + Where}));
  }
}

TEST(Subchunk, LpcsAlwaysTakes512BodyBytesAndIsRefusedWhenFewerRemain) {
  const OneChunk C = Load("LPCS", Concat({Header(7, 16), Bytes(512, 0x11), ClosingRecord()}));
  EXPECT_EQ(BuildAll(C.Chunk()), 2u);
  EXPECT_EQ(ChildClasses(C.Chunk()), "TLPCSSubchunk TClosingSubchunk");
  EXPECT_EQ(static_cast<const TLPCSSubchunk&>(C.Sub(0)).LPCSData().size(), 512u);

  const OneChunk Short = Load("LPCS", Concat({Header(7, 16), Bytes(100, 0x11)}));
  CapturedLog L;
  EXPECT_EQ(BuildAll(Short.Chunk()), 0u);
  EXPECT_EQ(L.Lines(), (Lines{"! (  24) Unexpected end of chunk; Path: /PPM/LPCS/",
                              "! (  38) Error while creating LPCS subchunk; Path: /PPM/LPCS/"}));
}
