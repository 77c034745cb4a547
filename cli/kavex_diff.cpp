#include <iostream>

#include "cli/DiffTool.h"
#include "cli/ToolMain.h"

KAVEX_TOOL_MAIN {
  [[maybe_unused]] const kavex::TToolStdio Stdio;  // for the whole run
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> Args = kavex::ToolArgs(argc, argv);
  const int Status = kavex::RunKavexDiff(Args, std::cout, std::cerr);
  std::cout.flush();
  return Status;
}
