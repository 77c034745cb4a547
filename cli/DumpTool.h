#pragma once
// kavex-dump: loads an image with the model code and prints what the viewer would show.

#include <ostream>
#include <string>
#include <vector>

namespace kavex {

enum TDumpExit : int {
  dumpOk = 0,          // a root was built
  dumpUnreadable = 1,  // the file could not be opened or read, or was empty
  dumpNoRoot = 2,      // the root could not be built
  dumpUsage = 64,      // the command line was wrong
};

// Runs the tool with Args (without the program name); returns the exit status.
int RunKavexDump(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);

// A control character below 0x20 as \xNN and a backslash as \\, so no text read from an
// image can break a line.
std::string EscapeLine(const std::string& Text);

}  // namespace kavex
