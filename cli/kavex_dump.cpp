#include <iostream>

#include <unistd.h>

#include "cli/DumpTool.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> Args(argv + 1, argv + argc);
  const int Status = kavex::RunKavexDump(Args, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
  std::cout.flush();
  return Status;
}
