#include "cli/PngWriter.h"

#include <algorithm>
#include <zlib.h>

namespace kavex {
namespace {

void PutBE32(std::vector<std::uint8_t>& Out, std::uint32_t V) {
  for (int Shift = 24; Shift >= 0; Shift -= 8) Out.push_back(static_cast<std::uint8_t>(V >> Shift));
}

void PutChunk(std::vector<std::uint8_t>& Out, const char (&Type)[5], const std::vector<std::uint8_t>& Data) {
  PutBE32(Out, static_cast<std::uint32_t>(Data.size()));
  const std::size_t TypeAt = Out.size();
  Out.insert(Out.end(), Type, Type + 4);
  Out.insert(Out.end(), Data.begin(), Data.end());
  // The CRC covers the type and the data, not the length.
  uLong Crc = crc32(0L, Z_NULL, 0);
  Crc = crc32_z(Crc, Out.data() + TypeAt, Out.size() - TypeAt);
  PutBE32(Out, static_cast<std::uint32_t>(Crc));
}

}  // namespace

TRgbImage::TRgbImage(int Width, int Height)
    : Width_(std::max(Width, 0)),
      Height_(std::max(Height, 0)),
      Rgb_(static_cast<std::size_t>(Width_) * static_cast<std::size_t>(Height_) * 3, 0) {}

void TRgbImage::SetPixel(int X, int Y, std::uint32_t Colour) {
  if (X < 0 || Y < 0 || X >= Width_ || Y >= Height_) return;
  const std::size_t At = (static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width_) + static_cast<std::size_t>(X)) * 3;
  Rgb_[At] = static_cast<std::uint8_t>(Colour >> 16);
  Rgb_[At + 1] = static_cast<std::uint8_t>(Colour >> 8);
  Rgb_[At + 2] = static_cast<std::uint8_t>(Colour);
}

void TRgbImage::FillRect(int Left, int Top, int Width, int Height, std::uint32_t Colour) {
  const int X0 = std::max(Left, 0), Y0 = std::max(Top, 0);
  // Summed in 64 bits: a rectangle reaching past INT_MAX is cut at the picture, not wrapped.
  const int X1 = static_cast<int>(std::min<long long>(static_cast<long long>(Left) + Width, Width_));
  const int Y1 = static_cast<int>(std::min<long long>(static_cast<long long>(Top) + Height, Height_));
  for (int Y = Y0; Y < Y1; ++Y)
    for (int X = X0; X < X1; ++X) SetPixel(X, Y, Colour);
}

std::uint32_t TRgbImage::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= Width_ || Y >= Height_) return 0;
  const std::size_t At = (static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width_) + static_cast<std::size_t>(X)) * 3;
  return (std::uint32_t{Rgb_[At]} << 16) | (std::uint32_t{Rgb_[At + 1]} << 8) | Rgb_[At + 2];
}

std::vector<std::uint8_t> EncodePng(const TRgbImage& Image) {
  if (Image.Width() <= 0 || Image.Height() <= 0) return {};
  const std::size_t RowBytes = static_cast<std::size_t>(Image.Width()) * 3;
  // Each row is preceded by its filter type, 0 (none).
  std::vector<std::uint8_t> Raw;
  Raw.reserve((RowBytes + 1) * static_cast<std::size_t>(Image.Height()));
  for (int Y = 0; Y < Image.Height(); ++Y) {
    Raw.push_back(0);
    const auto Row = Image.Rgb().begin() + static_cast<std::ptrdiff_t>(RowBytes * static_cast<std::size_t>(Y));
    Raw.insert(Raw.end(), Row, Row + static_cast<std::ptrdiff_t>(RowBytes));
  }
  uLongf Packed = compressBound(static_cast<uLong>(Raw.size()));
  std::vector<std::uint8_t> Idat(Packed);
  if (compress2(Idat.data(), &Packed, Raw.data(), static_cast<uLong>(Raw.size()), Z_BEST_SPEED) != Z_OK) return {};
  Idat.resize(Packed);

  std::vector<std::uint8_t> Png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> Header;
  PutBE32(Header, static_cast<std::uint32_t>(Image.Width()));
  PutBE32(Header, static_cast<std::uint32_t>(Image.Height()));
  Header.insert(Header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter set, no interlace
  PutChunk(Png, "IHDR", Header);
  PutChunk(Png, "IDAT", Idat);
  PutChunk(Png, "IEND", {});
  return Png;
}

}  // namespace kavex
