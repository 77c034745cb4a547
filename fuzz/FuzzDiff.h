#pragma once
// One fuzz run of the comparison: the input holds two images, which are built whole and
// compared both ways round, and each with a second copy of itself; every report is written.
// Shared by the libFuzzer target and the plain replay driver.
//
// The input's first four bytes (big-endian) say where the first image ends: that number,
// modulo the bytes that follow plus one, is the first image's length; the second image is the
// rest.

#include <cstddef>
#include <cstdint>

namespace kavex {

int FuzzTwoImages(const std::uint8_t* Data, std::size_t Size);

}  // namespace kavex
