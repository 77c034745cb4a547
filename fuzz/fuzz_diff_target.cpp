// libFuzzer entry of the comparison: built with clang and -fsanitize=fuzzer,address,undefined
// (make fuzz-diff).
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzDiff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kavex::FuzzTwoImages(Data, Size);
  return 0;
}
