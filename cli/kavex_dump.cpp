#include <iostream>

#include "cli/DumpTool.h"
#include "cli/ToolMain.h"

KAVEX_TOOL_MAIN {
  [[maybe_unused]] const kavex::TToolStdio Stdio;  // for the whole run
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> Args = kavex::ToolArgs(argc, argv);
  const int Status = kavex::RunKavexDump(Args, std::cout, std::cerr, kavex::TToolStdio::ErrIsTerminal());
  std::cout.flush();
  return Status;
}
