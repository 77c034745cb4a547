#pragma once
// kavex-diff: loads two images with the model code, builds both whole and prints their
// structural comparison (present/Kav_Compare) as text or JSON, and as an HTML page.

#include <ostream>
#include <string>
#include <vector>

namespace kavex {

// Exit statuses; scripts rely on them, so numbers are never reused for something else.
enum TDiffExit : int {
  diffSame = 0,         // both images were read and are the same
  diffDiffer = 1,       // both images were read and differ
  diffUnreadable = 2,   // either could not be read, could not be built, or is no flash image
  diffWriteFailed = 4,  // the HTML file could not be written
  diffUsage = 64,       // the command line was wrong
};

// Runs the tool with Args (without the program name); returns the exit status.
int RunKavexDiff(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);

}  // namespace kavex
