#include <gtest/gtest.h>

#include <cstdio>

#include "TestSupport.h"
#include "model/Kav_Chunk.h"
#include "model/Kav_MCU.h"
#include "model/Kav_PPM.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

const std::string Divud = "~ (  45) Divud file format assumed; Path: /";
const std::string McuVersion = "i (  14) MCU version string: V 5.00, 01-01-99, NSE-1; Path: /MCU/";
const std::string PpmVersion = "i (  19) PPM version string: V 5.00, 01-01-99, NSE-1; Path: /PPM/";
const std::string NoMcu = "! (   9) MCU fields not started at 0x00200024 - 0x00000000; Path: /";

// A PPM area of 190 bytes: a GSMC chunk of 100 zero data bytes (at 44) and the end chunk (at 164).
Ppm ZeroPpm() {
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "GSMC", .Data = Bytes(100, 0)}), EndChunk()};
  return P;
}

struct Walked {
  std::unique_ptr<TFls> Root;
  Lines Log;
};
Walked Walk(const Bytes& Img) {
  CapturedLog L;
  Walked W{LoadAndExpand(Img), {}};
  W.Log = L.Lines();
  return W;
}

}  // namespace

TEST(Ppm, SignatureIsPpmAndAZeroByte) {
  Bytes Img = PpmBytes(ZeroPpm());
  Img[3] = 'X';
  const Walked W = Walk(Img);
  EXPECT_EQ(W.Log, (Lines{Divud, "! (   9) MCU fields not started at 0x00200024 - 0x00000000; Path: /",
                          "! (  16) PPM signature not found; Path: /PPM/", "* (   7) MCU or PPM blocks not found in file; Path: /"}));
}

TEST(Ppm, WithoutMcuTheAreaTakesAllBytesAndComparesNothing) {
  const Walked W = Walk(PpmBytes(ZeroPpm()));
  EXPECT_EQ(W.Log, (Lines{Divud, NoMcu, PpmVersion}));
  EXPECT_EQ(ChildClasses(*W.Root), "TPPM");
  EXPECT_EQ(W.Root->PPM()->Size(), 190 - 44);
  EXPECT_EQ(W.Root->PPM()->StoredChecksum(), 0x1234);
  EXPECT_EQ(W.Root->PPM()->GetCaption(), "PPM (V 5.00, 01-01-99, NSE-1)");
}

TEST(Ppm, ChecksumCopyDifferingFromTheMcusIsAWarning) {
  Bytes Img = DivudImage(Mcu{}, ZeroPpm());
  PutBE16(Img, Img.size() - 6, 0xBEEF);
  EXPECT_EQ(Walk(Img).Log.back(), "* (  17) Checksum of MCU (0x" + Hex(BE16OrZero(Img, 0x22), 4) +
                                      ") does not match one at PPM (0xBEEF); Path: /PPM/");
}

TEST(Ppm, VersionsAreComparedAsStoredWithTheirLineFeeds) {
  struct Case {
    std::string McuVersion, PpmVersion;
    bool Differs;
  };
  const std::string V32 = "0123456789abcdefghijklmnopqrstuv";
  for (const Case& C : {Case{"A\nB", "A, B", true}, Case{V32, V32, false}, Case{V32 + "w", V32 + "w", true},
                        Case{"a", "A", true}}) {
    Mcu M;
    M.Version = C.McuVersion;
    Ppm P = ZeroPpm();
    P.Version = C.PpmVersion;
    const Walked W = Walk(DivudImage(M, P));
    EXPECT_EQ(W.Log.back() == "* (  29) PPM version string does not match one of MCU; Path: /PPM/", C.Differs) << C.McuVersion;
    EXPECT_EQ(W.Root->PPM()->VersionText(), C.PpmVersion.substr(0, 32));
  }
}

TEST(Ppm, EndChunkAsFirstChunkIsTheOnlyChild) {
  Ppm P;
  P.Chunks = {EndChunk(), ChunkBytes({.Name = "GSMC", .Data = Bytes(100, 0)})};
  const Walked W = Walk(PpmBytes(P));
  TPPM& Area = *W.Root->PPM();
  EXPECT_EQ(BuildAll(Area), 1u);
  EXPECT_EQ(Area.ParseNextChild(), nullptr);
  EXPECT_EQ(static_cast<TChunk*>(Area.Child(0))->GetNameCode(), 0xFFFFFFFFu);
}

TEST(Ppm, RunningOutOfChunksBeforeTheEndChunkRaisesEveryTime) {
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "GSMC", .Data = Bytes(100, 0)})};
  const Walked W = Walk(PpmBytes(P));
  TPPM& Area = *W.Root->PPM();
  CapturedLog L;
  ASSERT_NE(Area.ParseNextChild(), nullptr);
  EXPECT_THROW(Area.ParseNextChild(), EKavError);
  EXPECT_THROW(Area.ParseNextChild(), EKavError);
  EXPECT_EQ(L.Lines(), (Lines{"! (  21) Too few bytes remains for chunk header, 0 byte(s); Path: /PPM/",
                              "! (  21) Too few bytes remains for chunk header, 0 byte(s); Path: /PPM/"}));
}

TEST(Ppm, LengthFromTheMcuPastTheImageIsCutToTheBytesThatExist) {
  Bytes Img = DivudImage(Mcu{}, ZeroPpm());
  const std::string Mcu = "0x" + Hex(BE16OrZero(Img, 0x22), 4);
  Img.resize(Img.size() - 10);  // 180 bytes left; the checksum word now falls inside the end chunk
  Walked W = Walk(Img);
  EXPECT_EQ(W.Log, (Lines{Divud, McuVersion, PpmVersion, "! (  15) PPM length is too small, 180 byte(s); Path: /PPM/",
                          "* (  17) Checksum of MCU (" + Mcu + ") does not match one at PPM (0xFFFF); Path: /PPM/"}));
  EXPECT_EQ(W.Root->PPM()->Size(), 136);
  EXPECT_EQ(ChildClasses(*W.Root), "TMCU TPPM");

  Img.resize(0x10000 + 100);  // below 118: message 15 once, from the first check
  W = Walk(Img);
  EXPECT_EQ(W.Log, (Lines{Divud, McuVersion, "! (  15) PPM length is too small, 100 byte(s); Path: /PPM/", PpmVersion,
                          "* (  17) Checksum of MCU (" + Mcu + ") does not match one at PPM (0x0000); Path: /PPM/"}));
  EXPECT_EQ(W.Root->PPM()->Size(), 56);
}

TEST(Ppm, LengthFromTheMcuBelow50LeavesNoChecksumToCompare) {
  for (const std::uint32_t Length : {1u, 49u}) {
    const Bytes Img = Concat({McuBytes(Mcu{}, Length), PpmBytes(ZeroPpm())});
    const Walked W = Walk(Img);
    EXPECT_EQ(W.Log, (Lines{Divud, McuVersion, PpmVersion,
                            "! (  15) PPM length is too small, " + std::to_string(Length) + " byte(s); Path: /PPM/"}));
    EXPECT_EQ(W.Root->MCU()->GetPPMLength(), static_cast<std::int32_t>(Length));
    EXPECT_EQ(W.Root->PPM()->Size(), Length > 44 ? static_cast<std::int32_t>(Length) - 44 : 0);
    EXPECT_EQ(ChildClasses(*W.Root), "TMCU TPPM TEEPROM");
  }
}

TEST(Ppm, HeaderCutShortIsReadAsFarAsItGoes) {
  const Walked W = Walk(Bytes{'P', 'P', 'M', 0, 'A', 'B'});
  EXPECT_EQ(W.Log, (Lines{Divud, "! (   8) MCU length is too small, 6 byte(s); Path: /",
                          "! (  15) PPM length is too small, 6 byte(s); Path: /PPM/",
                          "i (  19) PPM version string: AB; Path: /PPM/"}));
  TPPM& Area = *W.Root->PPM();
  EXPECT_EQ(Area.Size(), 0);
  EXPECT_EQ(Area.Left(), 0);
  CapturedLog L;
  EXPECT_THROW(Area.ParseNextChild(), EKavError);
  EXPECT_EQ(L.Lines(), Lines{"! (  21) Too few bytes remains for chunk header, 0 byte(s); Path: /PPM/"});
}
