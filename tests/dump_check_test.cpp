#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "TestSupport.h"
#include "cli/DumpTool.h"

using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

const std::string FF4 = "\u00FF\u00FF\u00FF\u00FF";

// A chunk whose stored checksum is wrong (a warning), one that ends without its closing record
// (an error), an unknown one (a notice) and one that is fine.
Bytes BadSum(const std::string& Name) { return ChunkBytes({.Name = Name, .Data = ClosingRecord(), .Checksum = 7}); }
Bytes Unclosed(const std::string& Name) {
  return ChunkBytes({.Name = Name, .Data = SubchunkBytes({.Id = 4, .Body = {1, 2, 3, 4}})});
}
Bytes Unknown() { return ChunkBytes({.Name = "ZZZZ", .Data = Concat({SubchunkBytes({.Id = 3, .Body = {1}}), ClosingRecord()})}); }
Bytes Fine() { return ChunkBytes({.Name = "GSMC", .Data = Concat({SubchunkBytes({.Id = 1, .Body = {5, 6, 7, 8}}), ClosingRecord()})}); }
// The chunk walk ends at a nameless chunk too, which is not summed: no warning of its own, as
// the end chunk of twenty 0xFF bytes gives.
Bytes QuietEnd() { return ChunkBytes({.Name = "", .Version = ""}); }

// With fewer than 118 bytes from the PPM area to the end of the image, the PPM area is too
// small: an error logged before any chunk's.
Bytes Image(std::vector<Bytes> Chunks, std::size_t EepromSize = 120) {
  Ppm P;
  P.Chunks = std::move(Chunks);
  return DivudImage(Mcu{}, P, Bytes(EepromSize, 0xEE));
}

std::string SumLine(const std::string& Name, const std::string& Shown) {
  const Bytes C = BadSum(Name);
  return "* (  23) Chunk checksum does not math: present 0x00000007, calculated 0x" + Hex(ChunkChecksum(C), 8) +
         "; Path: /PPM/" + Shown + "/";
}
std::string EndLine(const std::string& Name) { return "! (  24) Unexpected end of chunk; Path: /PPM/" + Name + "/"; }

struct CheckRun {
  int Status;
  Lines Out;
  std::string Err;
};
CheckRun Check(const Lines& Files, bool ErrIsTerminal = false) {
  Lines Args = {"--check"};
  Args.insert(Args.end(), Files.begin(), Files.end());
  std::ostringstream Out, Err;
  const int Status = kavex::RunKavexDump(Args, Out, Err, ErrIsTerminal);
  return {Status, SplitLines(Out.str()), Err.str()};
}

}  // namespace

// Each file alone gives its line and the status; all of them in one run give the same lines in
// order, each from a log of its own, and the status of the worst.
TEST(KavexDumpCheck, EachFileGetsOneLineCountingItsWarningsAndErrors) {
  TempFile Empty(Bytes{});
  const std::filesystem::path Dir = std::filesystem::path(Empty.Path()).parent_path();
  struct Case {
    const char* What;
    std::shared_ptr<TempFile> File;  // none: Path names what is there already, or nothing
    std::string Path;
    std::string Verdict;  // after "FILE: "
  };
  const Bytes Small = Image({BadSum("AORD"), QuietEnd()}, 0);
  const auto Made = [](const Bytes& Content, const std::string& Name = "image.fls") { return std::make_shared<TempFile>(Content, Name); };
  const std::vector<Case> Cases = {
      {"no warning or error: notices, infos and debug lines do not count", Made(Image({Fine(), Unknown(), QuietEnd()})), "", "ok"},
      {"one warning", Made(Image({Fine(), BadSum("GSMC"), QuietEnd()})), "", "1 warning; first: " + SumLine("GSMC", "GSMC")},
      {"two warnings", Made(Image({BadSum("AORD"), BadSum("GSMC"), QuietEnd()})), "", "2 warnings; first: " + SumLine("AORD", "AORD")},
      {"the end chunk's warning", Made(Image({Fine(), EndChunk()})), "",
       "1 warning; first: * (  23) Chunk checksum does not math: present 0xFFFFFFFF, calculated 0xFFFFFFFC; Path: /PPM/" + FF4 + "/"},
      {"one error", Made(Image({Unclosed("GSMC"), QuietEnd()})), "", "1 error; first: " + EndLine("GSMC")},
      {"two errors, one warning, the warning first", Made(Image({BadSum("AORD"), Unclosed("GSMC"), Unclosed("LDB"), QuietEnd()})), "",
       "2 errors, 1 warning; first: " + SumLine("AORD", "AORD")},
      {"one error, two warnings, the warning first", Made(Image({Unclosed("GSMC"), BadSum("AORD"), BadSum("WUGS"), QuietEnd()})), "",
       "1 error, 2 warnings; first: " + SumLine("AORD", "AORD")},
      {"one error, one warning, the error first", Made(Small), "",
       "1 error, 1 warning; first: ! (  15) PPM length is too small, " + std::to_string(Small.size() - Mcu{}.Size) + " byte(s); Path: /PPM/"},
      {"a control character and a backslash in the first line", Made(Image({BadSum("A\tB\\"), QuietEnd()})), "",
       "1 warning; first: " + SumLine("A\tB\\", "A\\x09B\\\\")},
      {"a file name with a control character", Made(Image({Fine(), QuietEnd()}), "bad\x01name\xFF.fls"), "", "ok"},
      {"a broken WinTesla block chain: no root", Made(Concat({WinTesla(Bytes(8, 1)), Bytes(5, 0)})), "",
       "Problem found, for more information see messages in Log; first: ! (  42) Not enough bytes remain for WinTesla "
       "header, (5 byte(s)); Path: /"},
      {"no area", Made(Bytes(3, 0x5C)), "", "no MCU, PPM or EEPROM area was found"},
      {"empty", nullptr, Empty.Path(), "the file is empty"},
      {"missing", nullptr, (Dir / "none.fls").string(), "No such file or directory"},
      {"a directory", nullptr, Dir.string(), "Is a directory"},
  };
  Lines All, Expected, Ok;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    const std::string Path = C.File ? C.File->Path() : C.Path;
    const std::string Line = kavex::EscapeLine(Path) + ": " + C.Verdict;
    const CheckRun R = Check({Path});
    EXPECT_EQ(R.Out, Lines{Line});
    EXPECT_EQ(R.Status, C.Verdict == "ok" ? 0 : 7);
    EXPECT_EQ(R.Err, "");
    All.push_back(Path);
    Expected.push_back(Line);
    // An ok file behind each one: a record of the file before must not reach its log.
    All.push_back(Cases.front().File->Path());
    Expected.push_back(Cases.front().File->Path() + ": ok");
    if (C.Verdict == "ok") Ok.push_back(Path);
  }
  const CheckRun R = Check(All);
  EXPECT_EQ(R.Out, Expected);
  EXPECT_EQ(R.Status, 7);
  EXPECT_EQ(Check(Ok).Status, 0);
  EXPECT_EQ(Check({Ok.front(), Ok.front()}).Out, (Lines{Ok.front() + ": ok", Ok.front() + ": ok"}));
}

// Progress goes to a terminal only, and only for more than ten files; it leaves the line clean.
TEST(KavexDumpCheck, ProgressShowsOnATerminalForMoreThanTenFiles) {
  TempFile File(Image({Fine(), QuietEnd()}));
  struct Case {
    std::size_t Files;
    bool Terminal;
    bool Shown;
  };
  for (const Case C : {Case{10, true, false}, Case{11, true, true}, Case{11, false, false}, Case{1, true, false}}) {
    SCOPED_TRACE(std::to_string(C.Files) + (C.Terminal ? " on a terminal" : " to a file"));
    const CheckRun R = Check(Lines(C.Files, File.Path()), C.Terminal);
    EXPECT_EQ(R.Out.size(), C.Files);
    EXPECT_EQ(R.Status, 0);
    if (!C.Shown) {
      EXPECT_EQ(R.Err, "");
      continue;
    }
    const std::string Last = "\rkavex-dump: checking 11 of 11\r\x1B[K";
    ASSERT_GE(R.Err.size(), Last.size());
    EXPECT_EQ(R.Err.substr(R.Err.size() - Last.size()), Last);
    EXPECT_EQ(R.Err.rfind("\rkavex-dump: checking 1 of 11\r\x1B[K", 0), 0u);
  }
}

TEST(KavexDumpCheck, CheckTakesFilesAndNoOtherOption) {
  for (const Lines& Args : {Lines{"--check"}, Lines{"--check", "--all", "f"}, Lines{"--check", "--details", "f"},
                            Lines{"--glyphs", "--check", "f"}, Lines{"--check", "--json", "f"}, Lines{"--check", "--offsets", "f"},
                            Lines{"--check", "--force", "f"}, Lines{"--check", "--export-texts", "d", "f"},
                            Lines{"--check", "--export-fonts", "d", "f"}, Lines{"--check", "--extract", "1", "--out", "o", "f"},
                            Lines{"--check=yes", "f"}, Lines{"--check", "--help", "f"}, Lines{"f", "g", "--all"}}) {
    std::string Shown;
    for (const std::string& Arg : Args) Shown += Arg + ' ';
    const DumpResult R = RunDump(Args);
    EXPECT_EQ(R.Status, 64) << Shown;
    EXPECT_EQ(R.Out, "") << Shown;
    EXPECT_NE(R.Err.find("Usage: kavex-dump"), std::string::npos) << Shown;
  }
  // Files may stand before and after the option.
  TempFile File(Image({Fine(), QuietEnd()}));
  EXPECT_EQ(RunDump({File.Path(), "--check", File.Path()}).Out, File.Path() + ": ok\n" + File.Path() + ": ok\n");
}
