#pragma once
// Glyph sheets as PNG files (8-bit RGB), written with libpng, or with stb's writer where the
// build has no libpng.

#include <cstdint>
#include <string>
#include <vector>

#include "model/Kav_Font.h"

namespace kavex {

// An RGB picture in memory that glyphs can be drawn onto; pixels outside it are dropped.
class TRgbImage : public TGlyphSurface {
public:
  TRgbImage(int Width, int Height);
  void SetPixel(int X, int Y, std::uint32_t Colour) override;
  void FillRect(int Left, int Top, int Width, int Height, std::uint32_t Colour) override;
  std::uint32_t Pixel(int X, int Y) const;  // 0xRRGGBB
  int Width() const { return Width_; }
  int Height() const { return Height_; }
  const std::vector<std::uint8_t>& Rgb() const { return Rgb_; }

private:
  int Width_;
  int Height_;
  std::vector<std::uint8_t> Rgb_;
};

// The PNG file of Image; empty when the writer fails or the picture has no pixels.
std::vector<std::uint8_t> EncodePng(const TRgbImage& Image);

}  // namespace kavex
