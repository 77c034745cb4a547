// kavex-dump's code run over a list of inputs in one Node process, for holding the WebAssembly
// core against the native tool without starting Node once per dump.
//
//   node kavex-dump-batch.js JOBS
//
// JOBS has one line per dump: FOLDER, NAME, MODE ("text" or "json") and OUT, split by tabs. Each
// dump runs from inside FOLDER with the arguments scripts/compare-dumps.sh gives (--all
// --details --glyphs, --json first for "json"), and writes its standard output to OUT.1, its
// standard error to OUT.2 and its exit status to OUT.3 (a line).
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/DumpTool.h"

namespace {

bool WriteFile(const std::string& Path, const std::string& Text) {
  std::ofstream File(Path, std::ios::binary);
  File << Text;
  return static_cast<bool>(File.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: kavex-dump-batch JOBS\n";
    return 64;
  }
  std::ifstream Jobs(argv[1]);
  if (!Jobs) {
    std::cerr << "kavex-dump-batch: cannot read " << argv[1] << '\n';
    return 1;
  }
  std::string Line;
  int Failures = 0;
  while (std::getline(Jobs, Line)) {
    std::vector<std::string> Fields;
    std::istringstream Split(Line);
    for (std::string Field; std::getline(Split, Field, '\t');) Fields.push_back(Field);
    if (Fields.size() != 4) {
      std::cerr << "kavex-dump-batch: not a job: " << Line << '\n';
      return 64;
    }
    if (::chdir(Fields[0].c_str()) != 0) {
      std::cerr << "kavex-dump-batch: no folder " << Fields[0] << '\n';
      return 1;
    }
    std::vector<std::string> Args{"--all", "--details", "--glyphs", Fields[1]};
    if (Fields[2] == "json") Args.insert(Args.begin(), "--json");
    std::ostringstream Out, Err;
    const int Status = kavex::RunKavexDump(Args, Out, Err, false);
    const std::string& Prefix = Fields[3];
    if (!WriteFile(Prefix + ".1", Out.str()) || !WriteFile(Prefix + ".2", Err.str()) ||
        !WriteFile(Prefix + ".3", std::to_string(Status) + "\n"))
      ++Failures;
  }
  if (Failures > 0) std::cerr << "kavex-dump-batch: " << Failures << " results could not be written\n";
  return Failures > 0 ? 4 : 0;
}
