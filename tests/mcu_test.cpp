#include <gtest/gtest.h>

#include <cstdio>

#include "TestSupport.h"
#include "model/Kav_MCU.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

constexpr std::uint32_t Base = 0x200000;
const std::string Divud = "~ (  45) Divud file format assumed; Path: /";
const std::string Version = "i (  14) MCU version string: V 5.00, 01-01-99, NSE-1; Path: /MCU/";
const std::string PpmVersion = "i (  19) PPM version string: V 5.00, 01-01-99, NSE-1; Path: /PPM/";
const std::string NoPpm = "! (  16) PPM signature not found; Path: /PPM/";
const std::string NoAreas = "* (   7) MCU or PPM blocks not found in file; Path: /";

Bytes Image(const Mcu& M = {}) {
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "GSMC", .Data = Bytes(60, 0)}), EndChunk()};
  return DivudImage(M, P);
}

std::string Match(const Bytes& Img) {
  const std::string C = Hex(BE16OrZero(Img, 0x22), 4);
  return "i (  18) Checksum of MCU (0x" + C + ") match one at PPM (0x" + C + "); Path: /PPM/";
}

Lines Walk(const Bytes& Img) {
  CapturedLog L;
  auto Root = LoadAndExpand(Img);
  return L.Lines();
}

// The log of an image whose MCU area is refused with Error after message 14 (or before it).
Lines Refused(const std::string& Error, bool AfterVersion = true) {
  return AfterVersion ? Lines{Divud, Version, Error, NoPpm, NoAreas} : Lines{Divud, Error, NoPpm, NoAreas};
}

}  // namespace

TEST(Mcu, ValidAreaKeepsItsFieldsAndItsChecksumMatches) {
  const Bytes Img = Image();
  auto Root = LoadAndExpand(Img);
  const TMCU& M = *Root->MCU();
  EXPECT_EQ(M.Size(), 0x10000);
  EXPECT_EQ(M.BaseAddr(), 0x200000);
  EXPECT_EQ(M.InfoBase(), 0x40);
  EXPECT_EQ(M.VNext(), 0x100);
  EXPECT_EQ(M.PPMLocation(), 0x140);
  EXPECT_EQ(M.GetPPMLength(), static_cast<std::int32_t>(Img.size()) - 0x10000);
  EXPECT_EQ(M.ChecksumLength(), 0xFFC1);
  EXPECT_EQ(M.GetVersion(), "V 5.00\n01-01-99\nNSE-1");
  EXPECT_EQ(M.GetCaption(), "MCU (V 5.00, 01-01-99, NSE-1)");
  EXPECT_EQ(M.GetStoredChecksum(), M.GetCalcChecksum());
}

TEST(Mcu, FieldsStartMustBeTheBaseAddressPlus24) {
  const Lines Log = Walk(WinTesla(Image(), 0x300000));
  EXPECT_EQ(Log.at(3), "! (   9) MCU fields not started at 0x00200024 - 0x00200024; Path: /");
  EXPECT_EQ(Log.back(), NoAreas);
  Mcu M;
  M.Base = 0x300000;
  auto Root = LoadAndExpand(WinTesla(Image(M), 0x300000));
  EXPECT_EQ(ChildClasses(*Root), "TMCU TPPM");
  EXPECT_EQ(Root->MCU()->BaseAddr(), 0x300000);
}

TEST(Mcu, HeaderFillersNotAllFFAreNoticesOnly) {
  Bytes Img = Image();
  Img[0x10] = 0;
  EXPECT_EQ(Walk(Img), (Lines{Divud, "? (  13) MCU header Unk2 does not contaion only FFs; Path: /MCU/", Version,
                              PpmVersion, Match(Img)}));
  Img = Image();
  Img[0x2A] = 0;  // inside the checksum range: the word 0xFFFF becomes 0x00FF
  const std::uint16_t Stored = BE16OrZero(Img, 0x22);
  EXPECT_EQ(Walk(Img), (Lines{Divud, "? (  13) MCU header Unk3 does not contaion only FFs; Path: /MCU/", Version,
                              "* (  30) MCU checksum does not math: present 0x" + Hex(Stored, 4) + ", calculated 0x" +
                                  Hex(static_cast<std::uint16_t>(Stored + 0x100), 4) + "; Path: /MCU/",
                              PpmVersion, Match(Img)}));
}

TEST(Mcu, InfoBlockMustLieWhollyInsideTheBytes) {
  const Bytes Good = Image();
  const std::uint32_t N = static_cast<std::uint32_t>(Good.size());
  for (const auto& [Address, Shown] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
           {Base + N, N}, {Base - 1, 0xFFFFFFFF}, {Base, 0}, {Base + N - 2, N - 2}}) {
    Bytes Img = Good;
    PutBE32(Img, 0x3C, Address);
    EXPECT_EQ(Walk(Img), Refused("! (  11) MCU InfoBase points out of file - 0x" + Hex(Shown, 8) + "; Path: /", false));
  }
}

TEST(Mcu, VersionAddressMustLieInsideTheBytes) {
  Bytes Img = Image();
  PutBE32(Img, 0x3C, Base + static_cast<std::uint32_t>(Img.size()) - 4);  // info block = the last 4 zero bytes
  EXPECT_EQ(Walk(Img), Refused("! (  12) MCU version points out of MCU area - 0xFFE00000; Path: /", false));
  Img = Image();
  PutBE32(Img, 0x40, Base + static_cast<std::uint32_t>(Img.size()));
  EXPECT_EQ(Walk(Img), Refused("! (  12) MCU version points out of MCU area - 0x" + Hex(static_cast<std::uint32_t>(Img.size()), 8) +
                               "; Path: /", false));
}

TEST(Mcu, VersionWithoutZeroByteEndsWithTheBytesAndAnAreaPastTheFileIsRefusedWith8) {
  Bytes Img = McuBytes(Mcu{}, 200);
  Img.resize(0x9000);
  std::copy_n("ABC", 3, Img.end() - 3);
  PutBE32(Img, 0x40, Base + 0x8FFD);
  EXPECT_EQ(Walk(Img), (Lines{Divud, "i (  14) MCU version string: ABC; Path: /MCU/",
                              "! (   8) MCU length is too small, 36864 byte(s); Path: /", NoPpm, NoAreas}));
}

TEST(Mcu, VNextOffOddOffsetAndOddGapByteAreNoticesOnly) {
  Mcu M;
  M.VNextAt = 0x101;
  M.VNextGap = 0x51;
  const Bytes Img = Image(M);
  EXPECT_EQ(Walk(Img), (Lines{Divud, Version, "? (  32) MCU VNext location address is not aligned by 4, 0x00000101; Path: /MCU/",
                              "? (  39) There is 0x51 instead of 0x00 between \"PPM\" and \"PPMVNEXT\"; Path: /MCU/",
                              PpmVersion, Match(Img)}));
}

TEST(Mcu, FirstVNextRecordWins) {
  Bytes Img = Image();
  PutBE32(Img, 0x80, Base + 0x100000);
  std::copy_n("PPM\0PPMVNEXT", 12, Img.begin() + 0x84);
  EXPECT_EQ(Walk(Img), Refused("! (  34) MCU location of PPM location info is out of file, 0x00100000; Path: /"));
}

TEST(Mcu, VNextTagWithoutPpmBeforeItIsPassedOver) {
  Bytes Img = Image();
  PutBE32(Img, 0x80, Base + 0x100000);  // would fail with message 34 if taken
  std::copy_n("PPX\0PPMVNEXT", 12, Img.begin() + 0x84);
  auto Root = LoadAndExpand(Img);
  EXPECT_EQ(ChildClasses(*Root), "TMCU TPPM");
  EXPECT_EQ(Root->MCU()->VNext(), 0x100);
}

TEST(Mcu, VNextSearchEnds24BytesBeforeTheEndAndLocationInfoMustFit) {
  const Bytes Area = McuBytes(Mcu{}, 200);
  const std::vector<std::pair<std::size_t, std::string>> Cases = {
      {0x123, "! (  33) MCU VNext not found; Path: /"},
      {0x124, "! (  34) MCU location of PPM location info is out of file, 0x00000140; Path: /"},
      {0x144, "! (  34) MCU location of PPM location info is out of file, 0x00000140; Path: /"},
      {0x148, "! (   8) MCU length is too small, 328 byte(s); Path: /"},
  };
  for (const auto& [Length, Error] : Cases)
    EXPECT_EQ(Walk(Bytes(Area.begin(), Area.begin() + static_cast<std::ptrdiff_t>(Length))), Refused(Error)) << Length;
}

TEST(Mcu, PpmStartAboveItsEndIsRefused) {
  Bytes Img = Image();
  PutBE32(Img, 0x144, 0x20FFFF);
  EXPECT_EQ(Walk(Img), Refused("! (  35) Start of PPM is higher than end, 0x00210000, 0x0020FFFF; Path: /"));
}

TEST(Mcu, AreaOf65535BytesIsTooSmall) {
  Mcu M;
  M.Size = 0xFFFF;
  EXPECT_EQ(Walk(Image(M)), Refused("! (  20) MCU fields length is too small, 65535 byte(s); Path: /"));
}

TEST(Mcu, FieldsEndMustLieInsideTheAreaAndTheChecksumStopsAtItsEnd) {
  Mcu M;
  M.FieldsEnd = Base + 0x10000;
  EXPECT_EQ(Walk(Image(M)), Refused("! (  10) MCU fields ends out of file - 0x00010000; Path: /"));
  M.FieldsEnd = Base;
  EXPECT_EQ(Walk(Image(M)), Refused("! (  10) MCU fields ends out of file - 0x00000000; Path: /"));
  // The range then runs 0x24 bytes past the area: those bytes count as 0, never the PPM's.
  M.FieldsEnd = Base + 0xFFFF;
  const Bytes Img = Image(M);
  EXPECT_EQ(Walk(Img), (Lines{Divud, Version, PpmVersion, Match(Img)}));
  EXPECT_EQ(LoadAndExpand(Img)->MCU()->ChecksumLength(), 0x10000);
}

TEST(Mcu, WinTeslaGapBeyond24BitFlashIsNotFilled) {
  Bytes Area = McuBytes(Mcu{}, 200);
  PutBE32(Area, 0x140, Base + 0x1000001);
  PutBE32(Area, 0x144, Base + 0x1000001 + 199);
  Area.resize(0x8000);
  const Lines Log = Walk(WinTesla(Area));
  EXPECT_EQ(Lines(Log.begin() + 2, Log.end()),
            (Lines{Version, "! (   8) MCU length is too small, 32768 byte(s); Path: /", NoPpm, NoAreas}));
}
