#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "TestSupport.h"
#include "cli/DumpTool.h"

using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

// A chunk whose checksum is wrong gives a warning (23) as it is read; one without its closing
// record an error (24) when it is expanded, after every chunk's warning. An unknown chunk gives
// notices only, and the nameless end chunk is not summed.
Bytes BadSum(const std::string& Name) { return ChunkBytes({.Name = Name, .Data = ClosingRecord(), .Checksum = 7}); }
Bytes Unclosed(const std::string& Name) { return ChunkBytes({.Name = Name, .Data = SubchunkBytes({.Id = 4, .Body = {1}})}); }
Bytes Image(std::vector<Bytes> Chunks) {
  Ppm P;
  P.Chunks = std::move(Chunks);
  P.Chunks.push_back(ChunkBytes({.Name = "ZZZZ", .Data = Concat({SubchunkBytes({.Id = 3, .Body = {1}}), ClosingRecord()})}));
  P.Chunks.push_back(ChunkBytes({.Name = "", .Version = ""}));
  return DivudImage(Mcu{}, P, Bytes(120, 0xEE));
}
std::string SumLine(const std::string& Name, const std::string& Shown) {
  return "* (  23) Chunk checksum does not math: present 0x00000007, calculated 0x" + Hex(ChunkChecksum(BadSum(Name)), 8) +
         "; Path: /PPM/" + Shown + "/";
}

DumpResult Check(const Lines& Files, bool ErrIsTerminal = false) {
  Lines Args = {"--check"};
  Args.insert(Args.end(), Files.begin(), Files.end());
  std::ostringstream Out, Err;
  const int Status = kavex::RunKavexDump(Args, Out, Err, ErrIsTerminal);
  return {Status, Out.str(), Err.str()};
}

}  // namespace

// Each file alone gives its line and status; all in one run the same lines, each from a log of
// its own (an ok file follows each), and status 7.
TEST(KavexDumpCheck, EachFileGetsOneLineCountingItsWarningsAndErrors) {
  TempFile Empty(Bytes{});
  const std::string Dir = std::filesystem::path(Empty.Path()).parent_path().string();
  const auto Made = [](const Bytes& Content, const std::string& Name = "i.fls") { return std::make_shared<TempFile>(Content, Name); };
  const std::vector<std::pair<std::shared_ptr<TempFile>, std::string>> Cases = {
      {Made(Image({})), "ok"},
      {Made(Image({BadSum("GSMC")})), "1 warning; first: " + SumLine("GSMC", "GSMC")},
      {Made(Image({BadSum("AORD"), BadSum("GSMC")})), "2 warnings; first: " + SumLine("AORD", "AORD")},
      {Made(Image({Unclosed("GSMC")})), "1 error; first: ! (  24) Unexpected end of chunk; Path: /PPM/GSMC/"},
      {Made(Image({Unclosed("GSMC"), Unclosed("LDB"), BadSum("A\tB\\")}), "n\x01\xFF.fls"),
       "2 errors, 1 warning; first: " + SumLine("A\tB\\", "A\\x09B\\\\")},
      {Made(Concat({WinTesla(Bytes(8, 1)), Bytes(5, 0)})),
       "Problem found, for more information see messages in Log; first: ! (  42) Not enough bytes remain for WinTesla header, "
       "(5 byte(s)); Path: /"},
      {Made(Bytes(3, 0x5C)), "no MCU, PPM or EEPROM area was found"},
      {nullptr, "the file is empty"},
      {nullptr, "Is a directory"},
  };
  Lines All;
  std::string Expected;
  for (const auto& [File, Verdict] : Cases) {
    const std::string Path = File ? File->Path() : Verdict == "Is a directory" ? Dir : Empty.Path();
    const std::string Line = kavex::EscapeLine(Path) + ": " + Verdict + "\n";
    const DumpResult R = Check({Path});
    EXPECT_EQ(R.Out, Line);
    EXPECT_EQ(R.Status, Verdict == "ok" ? 0 : 7) << Line;
    All.insert(All.end(), {Path, Cases.front().first->Path()});
    Expected += Line + Cases.front().first->Path() + ": ok\n";
  }
  const DumpResult R = Check(All);
  EXPECT_EQ(R.Out, Expected);
  EXPECT_EQ(R.Status, 7);
  EXPECT_EQ(R.Err, "");
}

// On a terminal, more than ten files show their progress, wiped at the end; fewer, or a file, none.
TEST(KavexDumpCheck, ProgressShowsOnATerminalForMoreThanTenFiles) {
  TempFile File(Image({}));
  for (const auto& [Count, Terminal, Err] : {std::tuple<std::size_t, bool, std::string>{10, true, ""}, {11, false, ""},
                                             {11, true, "\rkavex-dump: checking 11 of 11\r\x1B[K"}}) {
    const DumpResult R = Check(Lines(Count, File.Path()), Terminal);
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(SplitLines(R.Out).size(), Count);
    EXPECT_EQ(R.Err.substr(R.Err.size() - std::min(R.Err.size(), Err.size())), Err) << Count;
    EXPECT_EQ(R.Err.empty(), Err.empty());
  }
}

TEST(KavexDumpCheck, CheckAndOffsetsRefuseWhatTheyCannotGoWith) {
  for (const Lines& Args : {Lines{"--check"}, Lines{"--check", "--all", "f"}, Lines{"--details", "--check", "f"},
                            Lines{"--check", "--json", "f"}, Lines{"--check", "--offsets", "f"}, Lines{"--check", "--force", "f"},
                            Lines{"--check", "--export-texts", "d", "f"}, Lines{"--check", "--extract", "1", "--out", "o", "f"},
                            Lines{"--check=1", "f"}, Lines{"--offsets", "--export-fonts", "d", "f"}, Lines{"--offsets=1", "f"}}) {
    const DumpResult R = RunDump(Args);
    EXPECT_EQ(R.Status, 64) << Args.at(1);
    EXPECT_EQ(R.Out, "");
  }
}
