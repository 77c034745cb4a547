#include <iostream>

#include "cli/DiffTool.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> Args(argv + 1, argv + argc);
  const int Status = kavex::RunKavexDiff(Args, std::cout, std::cerr);
  std::cout.flush();
  return Status;
}
