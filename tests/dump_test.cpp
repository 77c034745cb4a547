#include <gtest/gtest.h>

#include <cstdio>

#include "TestSupport.h"
#include "model/KavObj.h"

using namespace kavtest;
using kavex::BE16OrZero;
using Lines = std::vector<std::string>;

namespace {

const std::string Problem = "kavex-dump: Problem found, for more information see messages in Log.\n";
const std::string FF4 = "\u00FF\u00FF\u00FF\u00FF";

std::string Join(const Lines& L) {
  std::string Out;
  for (const std::string& Line : L) Out += Line + "\n";
  return Out;
}

Bytes Sub(std::uint32_t Id, const std::string& Short, Bytes Body) {
  return SubchunkBytes({.Id = Id, .ShortName = Short, .Body = std::move(Body)});
}

// MCU, PPM with a raw (GSMC), an LPCS and an unknown chunk, each closed, the end chunk, EEPROM.
Bytes FullImage() {
  Ppm P;
  P.Chunks = {
      ChunkBytes({.Name = "GSMC", .Version = "V1", .Data = Concat({Sub(1, "gs", {1, 2, 3, 4, 5, 6}), ClosingRecord()})}),
      ChunkBytes({.Name = "LPCS", .Version = "V2",
                  .Data = Concat({SubchunkBytes({.Id = 7, .Body = Bytes(512, 0x11)}), ClosingRecord()})}),
      ChunkBytes({.Name = "ZZZZ", .Version = "V3", .Data = Concat({Sub(3, "abc", {1, 2, 3, 4, 5}), ClosingRecord()})}),
      EndChunk(),
  };
  return DivudImage(Mcu{}, P, Bytes(10, 0xEE));
}

Lines LoadLog(const std::string& Path, const Bytes& Image) {
  const std::string C = "0x" + Hex(BE16OrZero(Image, 0x22), 4);
  return {"i (  28) Loading file: " + Path + "; Path: [KavObj.LoadFile]",
          "~ (  45) Divud file format assumed; Path: /",
          "i (  14) MCU version string: V 5.00, 01-01-99, NSE-1; Path: /MCU/",
          "i (  19) PPM version string: V 5.00, 01-01-99, NSE-1; Path: /PPM/",
          "i (  18) Checksum of MCU (" + C + ") match one at PPM (" + C + "); Path: /PPM/",
          "* (  23) Chunk checksum does not math: present 0xFFFFFFFF, calculated 0xFFFFFFFC; Path: /PPM/" + FF4 + "/"};
}

}  // namespace

TEST(KavexDump, AllPrintsTheWholeTreeABlankLineAndTheLog) {
  const Bytes Image = FullImage();
  TempFile File(Image);
  const DumpResult R = RunDump({"--all", File.Path()});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Err, "");
  Lines Expected = {"TFls " + File.Path(),
                    "  TMCU MCU (V 5.00, 01-01-99, NSE-1)",
                    "  TPPM PPM (V 5.00, 01-01-99, NSE-1)",
                    "    TChunk GSMC (V1)",
                    "      TRawSubchunk 0x00000001, gs",
                    "      TClosingSubchunk 0x00000000",
                    "    TChunk LPCS (V2)",
                    "      TLPCSSubchunk 0x00000007",
                    "      TClosingSubchunk 0x00000000",
                    "    TChunk ZZZZ (V3)",
                    "      TRawSubchunk 0x00000003, abc",
                    "      TClosingSubchunk 0x00000000",
                    "    TChunk " + FF4 + " (" + FF4 + FF4 + ")",
                    "  TEEPROM EEPROM",
                    ""};
  for (const std::string& Line : LoadLog(File.Path(), Image)) Expected.push_back(Line);
  Expected.push_back("? (  25) Unknows chunk Name/Type: 0x5A5A5A5A; Path: /PPM/ZZZZ/");
  EXPECT_EQ(R.Out, Join(Expected));
}

TEST(KavexDump, WithoutAllOnlyTheRootAndTheAreasThatMayHaveChildrenAreExpanded) {
  const Bytes Image = FullImage();
  TempFile File(Image);
  const DumpResult R = RunDump({File.Path()});
  EXPECT_EQ(R.Status, 0);
  Lines Expected = {"TFls " + File.Path(),        "  TMCU MCU (V 5.00, 01-01-99, NSE-1)",
                    "  TPPM PPM (V 5.00, 01-01-99, NSE-1)", "    TChunk GSMC (V1)",
                    "    TChunk LPCS (V2)",         "    TChunk ZZZZ (V3)",
                    "    TChunk " + FF4 + " (" + FF4 + FF4 + ")", "  TEEPROM EEPROM",
                    ""};
  for (const std::string& Line : LoadLog(File.Path(), Image)) Expected.push_back(Line);
  EXPECT_EQ(R.Out, Join(Expected));
}

TEST(KavexDump, ErrorsWhileExpandingGoToStderrAndTheRunGoesOn) {
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "ZZZZ", .Data = Bytes(12, 1)})};  // no end chunk, no room for a subchunk
  TempFile File(PpmBytes(P));
  const DumpResult R = RunDump({"--all", File.Path()});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Err, Problem + Problem);
  const Lines Out = SplitLines(R.Out);
  EXPECT_EQ(Lines(Out.begin(), Out.begin() + 3), (Lines{"TFls " + File.Path(), "  TPPM PPM (V 5.00, 01-01-99, NSE-1)",
                                                         "    TChunk ZZZZ (V1)"}));
  EXPECT_EQ(Lines(Out.end() - 2, Out.end()),
            (Lines{"! (  21) Too few bytes remains for chunk header, 0 byte(s); Path: /PPM/",
                   "! (  36) Number of bytes remain (12 byte(s)) smaller then subchunk header length; Path: /PPM/ZZZZ/"}));
}

TEST(KavexDump, ControlCharactersAndBackslashesAreEscapedInTreeAndLog) {
  Mcu M;
  M.Version = "V\r1";
  Ppm P;
  P.Version = "V\r1";
  P.Chunks = {ChunkBytes({.Name = "A\tB\\", .Data = Concat({Sub(1, "x\ny", {}), ClosingRecord()})}), EndChunk()};
  const DumpResult R = DumpImage(DivudImage(M, P));
  const Lines Out = SplitLines(R.Out);
  EXPECT_EQ(Out.at(1), "  TMCU MCU (V\\x0D1)");
  EXPECT_EQ(Out.at(3), "    TChunk A\\x09B\\\\ (V1)");
  EXPECT_EQ(Out.at(4), "      TRawSubchunk 0x00000001, x\\x0Ay");
  EXPECT_EQ(Out.at(10), "i (  14) MCU version string: V\\x0D1; Path: /MCU/");
  EXPECT_EQ(Out.back(), "? (  25) Unknows chunk Name/Type: 0x4109425C; Path: /PPM/A\\x09B\\\\/");
}

// Without a root the tree is empty: the output starts with the empty line that ends it.
TEST(KavexDump, BrokenWinTeslaFileExits2WithAnEmptyTree) {
  TempFile File(Concat({WinTesla(Bytes(8, 1)), Bytes(5, 0)}));
  const DumpResult R = RunDump({"--all", File.Path()});
  EXPECT_EQ(R.Status, 2);
  EXPECT_EQ(R.Err, Problem);
  EXPECT_EQ(R.Out, Join({"", "i (  28) Loading file: " + File.Path() + "; Path: [KavObj.LoadFile]",
                         "~ (  40) WinTesla header found at start of file, FlashAddr: 0x00200000, BlockLength: 0x00000008; Path: /",
                         "~ (  44) WinTesla block found, FlashAddr: 0x00200000, BlockLength: 0x00000008; Path: /",
                         "! (  42) Not enough bytes remain for WinTesla header, (5 byte(s)); Path: /"}));
}

TEST(KavexDump, UnreadableFilesExit1WithTheirMessages) {
  TempFile Empty(Bytes{});
  const std::string Dir = Empty.Path().substr(0, Empty.Path().rfind('/'));
  const std::string Missing = Dir + "/none.fls";
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {Empty.Path(), "! (   6) File length is zero: " + Empty.Path() + ";"},
      {Missing, "! (   4) File open error: Cannot open file " + Missing + ";"},
      {Dir, "! (   4) File open error: Cannot open file " + Dir + ";"},
  };
  for (const auto& [Path, Error] : Cases) {
    const DumpResult R = RunDump({Path});
    EXPECT_EQ(R.Status, 1) << Path;
    EXPECT_EQ(R.Out, Join({"", "i (  28) Loading file: " + Path + "; Path: [KavObj.LoadFile]", Error + " Path: [KavObj.LoadFile]"}));
  }
}

TEST(KavexDump, RootWithoutChildrenIsStillPrinted) {
  TempFile File(Bytes(3, 0x5C));
  const DumpResult R = RunDump({File.Path()});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(SplitLines(R.Out).at(0), "TFls " + File.Path());
  EXPECT_EQ(SplitLines(R.Out).at(1), "");
}

TEST(KavexDump, WrongCommandLinesExit64AndHelpExits0) {
  for (const Lines& Args : {Lines{}, Lines{"--bogus", "x"}, Lines{"a", "b"}}) {
    const DumpResult R = RunDump(Args);
    EXPECT_EQ(R.Status, 64);
    EXPECT_EQ(R.Out, "");
    EXPECT_NE(R.Err.find("Usage: kavex-dump"), std::string::npos);
  }
  const DumpResult Help = RunDump({"--help"});
  EXPECT_EQ(Help.Status, 0);
  EXPECT_EQ(Help.Out.rfind("Usage: kavex-dump [--all] [--details] [--glyphs] FILE\n", 0), 0u);
}
