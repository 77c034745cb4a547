#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "TestSupport.h"
#include "cli/DumpTool.h"
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

// Beside the loader's message, stderr says why in the system's words, as the viewer's status
// line does; in every form of output.
TEST(KavexDump, UnreadableFilesAreNamedOnStderrWithTheSystemsReason) {
  TempFile Empty(Bytes{});
  const std::string Dir = Empty.Path().substr(0, Empty.Path().rfind('/'));
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {Empty.Path(), "the file is empty"},
      {Dir + "/none.fls", "No such file or directory"},
      {Dir, "Is a directory"},
      {"/dev/null", "it is not a regular file"},
      {Empty.Path() + "/x", "Not a directory"},
  };
  for (const auto& [Path, Reason] : Cases) {
    for (const Lines& Options : {Lines{}, Lines{"--json"}, Lines{"--export-texts", Dir + "/texts"}}) {
      Lines Args = Options;
      Args.push_back(Path);
      const DumpResult R = RunDump(Args);
      EXPECT_EQ(R.Status, 1) << Path;
      const std::string Said = "kavex-dump: " + Path + ": " + Reason + "\n";
      ASSERT_GE(R.Err.size(), Said.size()) << R.Err;
      EXPECT_EQ(R.Err.substr(R.Err.size() - Said.size()), Said) << R.Err;
      EXPECT_EQ(R.Err.find("kavex-dump: " + Path), R.Err.size() - Said.size()) << "said once: " << R.Err;
    }
  }
}

// A root that is built but holds no area is no flash image: the tree and the log are listed
// as for any file, stderr says so, the status is 2 and no export is written. One area is enough.
TEST(KavexDump, FilesWithoutAnyAreaAreListedButExit2AndExportNothing) {
  std::uint32_t Seed = 12345;
  Bytes Random(4000);
  for (std::uint8_t& B : Random) B = static_cast<std::uint8_t>((Seed = Seed * 1103515245u + 12345u) >> 24);
  Ppm P;
  P.Chunks = {EndChunk()};
  const Bytes Full = FullImage();
  struct Case {
    std::string Name;
    Bytes Image;
    bool HasArea;
  };
  const std::vector<Case> Cases = {
      {"three bytes", Bytes(3, 0x5C), false},
      {"random bytes", Random, false},
      {"random bytes in WinTesla blocks", WinTesla(Random), false},
      {"an image cut inside its MCU header", Bytes(Full.begin(), Full.begin() + 0x20), false},
      {"a PPM area alone", PpmBytes(P), true},
      {"a whole image", Full, true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TempFile File(C.Image);
    const std::string NoArea = "kavex-dump: " + File.Path() + ": no MCU, PPM or EEPROM area was found\n";
    const int Expected = C.HasArea ? 0 : 2;

    const DumpResult Text = RunDump({File.Path()});
    EXPECT_EQ(Text.Status, Expected);
    EXPECT_EQ(SplitLines(Text.Out).at(0), "TFls " + File.Path());
    if (!C.HasArea) {
      EXPECT_EQ(SplitLines(Text.Out).at(1), "");  // the root alone, then the log
    }
    EXPECT_EQ(Text.Err, C.HasArea ? "" : NoArea);
    const DumpResult All = RunDump({"--all", File.Path()});
    EXPECT_EQ(All.Status, Expected);
    EXPECT_EQ(All.Err.find("no MCU, PPM or EEPROM area") != std::string::npos, !C.HasArea);

    const DumpResult Json = RunDump({"--json", File.Path()});
    EXPECT_EQ(Json.Status, Expected);
    EXPECT_EQ(Json.Err, Text.Err);
    EXPECT_NE(Json.Out.find("\"status\": " + std::to_string(Expected) + ","), std::string::npos) << Json.Out;
    EXPECT_NE(Json.Out.find("\"class\": \"TFls\""), std::string::npos);

    const std::string Dir = File.Path() + ".out";
    const DumpResult Export = RunDump({"--export-texts", Dir, "--extract", "0", "--out", Dir + ".bin", File.Path()});
    EXPECT_EQ(Export.Status, Expected) << Export.Err;
    EXPECT_EQ(std::filesystem::exists(Dir + ".bin"), C.HasArea);
    if (!C.HasArea) {
      EXPECT_EQ(Export.Out, "");
      EXPECT_FALSE(std::filesystem::exists(Dir));
      ASSERT_GE(Export.Err.size(), NoArea.size());
      EXPECT_EQ(Export.Err.substr(Export.Err.size() - NoArea.size()), NoArea);
    }
  }
}

TEST(KavexDump, RootWithoutChildrenIsStillPrinted) {
  TempFile File(Bytes(3, 0x5C));
  const DumpResult R = RunDump({File.Path()});
  EXPECT_EQ(R.Status, 2);
  EXPECT_EQ(SplitLines(R.Out).at(0), "TFls " + File.Path());
  EXPECT_EQ(SplitLines(R.Out).at(1), "");
  EXPECT_EQ(R.Err, "kavex-dump: " + File.Path() + ": no MCU, PPM or EEPROM area was found\n");
}

TEST(KavexDump, WrongCommandLinesExit64AndHelpExits0) {
  for (const Lines& Args : {Lines{}, Lines{"--bogus", "x"}, Lines{"a", "b"},
                            // Help and version take no operand, before or after them.
                            Lines{"--help", "x"}, Lines{"--version", "x"}, Lines{"x", "--help"}, Lines{"--version", "--all", "x"},
                            // A position that is not numbers joined by dots, whatever the file.
                            Lines{"--extract", "x", "--out", "o", "f"}, Lines{"--extract", "2..1", "--out", "o", "f"},
                            Lines{"--extract", "2.", "--out", "o", "f"}, Lines{"--extract", ".2", "--out", "o", "f"},
                            Lines{"--extract", "-1", "--out", "o", "f"}, Lines{"--extract", "+1", "--out", "o", "f"},
                            Lines{"--extract", "1 ", "--out", "o", "f"}, Lines{"--extract=2.a", "--out", "o", "f"}}) {
    std::string Shown;
    for (const std::string& Arg : Args) Shown += Arg + ' ';
    const DumpResult R = RunDump(Args);
    EXPECT_EQ(R.Status, 64) << Shown;
    EXPECT_EQ(R.Out, "") << Shown;
    EXPECT_NE(R.Err.find("Usage: kavex-dump"), std::string::npos) << Shown;
  }
  for (const Lines& Args : {Lines{"--help"}, Lines{"--help", "--all"}, Lines{"-h"}}) {
    const DumpResult Help = RunDump(Args);
    EXPECT_EQ(Help.Status, 0);
    EXPECT_EQ(Help.Out.rfind("Usage: kavex-dump [--all] [--details] [--glyphs] [--offsets] FILE\n", 0), 0u);
  }
  EXPECT_EQ(RunDump({"--version"}).Status, 0);
}

// Bytes that are no part of a well-formed UTF-8 sequence are escaped one by one; the sequences
// at either side of each limit of the encoding show where the rule cuts.
TEST(KavexDump, BytesThatAreNotUtf8AreEscapedOneByOne) {
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},  // 2, 3, 4 bytes
      {"\x7F", "\x7F"},
      {"\x80", "\\x80"},                                   // a continuation byte alone
      {"\xC1\xBF", "\\xC1\\xBF"},                          // overlong two bytes
      {"\xC2\x80", "\xC2\x80"},                              // U+0080, the first two-byte one
      {"\xE0\x9F\xBF", "\\xE0\\x9F\\xBF"},                  // overlong three bytes
      {"\xE0\xA0\x80", "\xE0\xA0\x80"},                      // U+0800
      {"\xED\x9F\xBF", "\xED\x9F\xBF"},                      // U+D7FF
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},                  // a surrogate
      {"\xF0\x8F\xBF\xBF", "\\xF0\\x8F\\xBF\\xBF"},          // overlong four bytes
      {"\xF0\x90\x80\x80", "\xF0\x90\x80\x80"},              // U+10000
      {"\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},              // U+10FFFF
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},          // above U+10FFFF
      {"\xF5\xFE\xFF", "\\xF5\\xFE\\xFF"},
      {"a\xC3", "a\\xC3"},                                  // cut at the end
      {"\xE2\x82x\xC3\xA9", "\\xE2\\x82x\xC3\xA9"},          // cut before a letter; then a good one
      {"\xC3\xC3\xA9", "\\xC3\xC3\xA9"},                    // a lead byte cut by another sequence
      {"\xF0\x9F\x98\\", "\\xF0\\x9F\\x98\\\\"},            // cut by a backslash
      {"\x1F\x0D", "\\x1F\\x0D"},
  };
  for (const auto& [Raw, Escaped] : Cases) EXPECT_EQ(kavex::EscapeLine(Raw), Escaped) << Escaped;

  // End to end: a file name that is not UTF-8, in the root's line and the loader's message.
  TempFile File(FullImage(), "n\xFF\xC3\xA9.fls");
  const DumpResult R = RunDump({File.Path()});
  const std::string Shown = File.Path().substr(0, File.Path().rfind('/') + 1) + "n\\xFF\xC3\xA9.fls";
  EXPECT_EQ(SplitLines(R.Out).at(0), "TFls " + Shown);
  EXPECT_NE(R.Out.find("Loading file: " + Shown + ";"), std::string::npos) << R.Out;
}
