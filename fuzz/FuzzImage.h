#pragma once
// One fuzz run: load bytes as a file's content, expand every node as kavex-dump --all does,
// and read every accessor. Shared by the libFuzzer target and the plain replay driver.

#include <cstddef>
#include <cstdint>

namespace kavex {

int FuzzOneImage(const std::uint8_t* Data, std::size_t Size);

}  // namespace kavex
