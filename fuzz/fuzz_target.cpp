// libFuzzer entry: built with clang and -fsanitize=fuzzer,address,undefined (make fuzz).
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  kavex::FuzzOneImage(Data, Size);
  return 0;
}
