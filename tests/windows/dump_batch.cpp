// kavex-dump over many inputs in one process, for comparing the dumps of two builds (the
// native one and the Windows one under Wine, where starting a process costs most of a
// second):
//   kavex-dump-batch OUT LABEL FOLDER [LABEL FOLDER]...
// Every regular file of each FOLDER, in byte order of the names, is dumped as
// scripts/compare-dumps.sh does it: from inside FOLDER under its bare name, as text
// (--all --details --glyphs) into OUT/LABEL/NAME.txt and as JSON into OUT/LABEL/NAME.json,
// each with stdout, then stderr, then "exit STATUS". Arguments and names are UTF-8.
// A dump larger than 1 MiB (a fuzzed font's glyphs drawn can fill hundreds) is written as
// NAME.txt.digest instead: its size and its 64-bit FNV-1a hash, so that the ~8 GB of such
// dumps are compared without being written and read back.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/DumpTool.h"
#include "cli/ToolMain.h"
#include "model/FileName.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t WholeLimit = std::size_t{1} << 20;

std::string Digest(const std::string& Bytes) {
  std::uint64_t Hash = 0xCBF29CE484222325u;
  for (const char C : Bytes) {
    Hash ^= static_cast<unsigned char>(C);
    Hash *= 0x100000001B3u;
  }
  char Hex[17];
  std::snprintf(Hex, sizeof Hex, "%016llx", static_cast<unsigned long long>(Hash));
  return "size " + std::to_string(Bytes.size()) + " fnv1a64 " + Hex + "\n";
}

bool WriteFile(const fs::path& Path, const std::string& Bytes) {
  std::ofstream Out(Path, std::ios::binary);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  return static_cast<bool>(Out.flush());
}

// Dumps the files of Folder into Out/Label; false when a folder or file cannot be had.
bool DumpFolder(const fs::path& Out, const std::string& Label, const std::string& Folder, std::size_t& Count) {
  const fs::path Start = fs::current_path();
  const fs::path Into = Start / Out / kavex::PathFromUtf8(Label);
  std::error_code Ec;
  fs::create_directories(Into, Ec);
  if (Ec) {
    std::cerr << "kavex-dump-batch: " << kavex::PathToUtf8(Into) << ": cannot be created\n";
    return false;
  }
  std::vector<std::string> Names;
  for (const fs::directory_entry& Entry : fs::directory_iterator(kavex::PathFromUtf8(Folder), Ec))
    if (Entry.is_regular_file()) Names.push_back(kavex::PathToUtf8(Entry.path().filename()));
  if (Ec) {
    std::cerr << "kavex-dump-batch: " << Folder << ": cannot be listed\n";
    return false;
  }
  std::sort(Names.begin(), Names.end());
  fs::current_path(kavex::PathFromUtf8(Folder));
  bool Ok = true;
  for (const std::string& Name : Names) {
    for (const bool Json : {false, true}) {
      std::vector<std::string> Args = {"--all", "--details", "--glyphs", Name};
      if (Json) Args.insert(Args.begin(), "--json");
      std::ostringstream Stdout, Stderr;
      const int Status = kavex::RunKavexDump(Args, Stdout, Stderr);
      const std::string Dump = Stdout.str() + Stderr.str() + "exit " + std::to_string(Status) + "\n";
      const bool Whole = Dump.size() <= WholeLimit;
      const fs::path File = Into / kavex::PathFromUtf8(Name + (Json ? ".json" : ".txt") + (Whole ? "" : ".digest"));
      if (!WriteFile(File, Whole ? Dump : Digest(Dump))) {
        std::cerr << "kavex-dump-batch: " << kavex::PathToUtf8(File) << ": cannot be written\n";
        Ok = false;
      }
      ++Count;
    }
  }
  fs::current_path(Start);
  return Ok;
}

}  // namespace

KAVEX_TOOL_MAIN {
  [[maybe_unused]] const kavex::TToolStdio Stdio;
  const std::vector<std::string> Args = kavex::ToolArgs(argc, argv);
  if (Args.size() < 3 || Args.size() % 2 == 0) {
    std::cerr << "usage: kavex-dump-batch OUT LABEL FOLDER [LABEL FOLDER]...\n";
    return 64;
  }
  const fs::path Out = kavex::PathFromUtf8(Args[0]);
  std::size_t Count = 0;
  bool Ok = true;
  for (std::size_t I = 1; I + 1 < Args.size(); I += 2) Ok &= DumpFolder(Out, Args[I], Args[I + 1], Count);
  std::cout << "wrote " << Count << " dumps to " << Args[0] << '\n';
  return Ok ? 0 : 1;
}
