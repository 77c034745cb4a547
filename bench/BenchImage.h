#pragma once
// A realistic synthetic flash image for the benchmarks, built with the tests' image builder:
// at Scale 1 a 4 MiB Divud image of a 2 MiB MCU area, 40 language text tables of 1,500
// entries and a common table, 3 font subchunks of 5 fonts with 400 glyphs each, 300 tones,
// 250 operator lists, raw and LPCS subchunks filling the PPM area, and a small EEPROM. Scale 2
// doubles every count and size. Content multiplies the text tables, tones and operator lists
// once more; the image then grows to the next whole MiB that holds them.

#include <cstddef>

#include "ImageBuilder.h"

namespace kavbench {

kavtest::Bytes RealisticImage(int Scale, int Content = 1);
// The same image as a modified copy of it, to compare with it: 1 % of the text entries
// reworded (most grow), 5 glyphs in different fonts with one pixel changed, 10 operators
// renamed and 100 bytes of the MCU area changed.
kavtest::Bytes RealisticImageChanged(int Scale);
// The same image as a WinTesla file of 64 KiB blocks.
kavtest::Bytes RealisticWinTesla(int Scale);

constexpr std::size_t MiB = std::size_t{1} << 20;

}  // namespace kavbench
