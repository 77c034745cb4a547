#include "present/Kav_Png.h"

#include <algorithm>
#include <new>

#if KAVEX_PNG_STB
// Where libpng is not to be had (the browser and Windows builds), stb's writer does the same.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
#include <climits>
#else
#include <png.h>
#include <zlib.h>
#endif

namespace kavex {
namespace {

#if KAVEX_PNG_STB
void AppendToVector(void* Context, void* Data, int Length) {
  auto* Out = static_cast<std::vector<std::uint8_t>*>(Context);
  const auto* Bytes = static_cast<const std::uint8_t*>(Data);
  Out->insert(Out->end(), Bytes, Bytes + Length);
}

// Unfiltered rows and fast deflate, as the libpng writer does. False when stb gave up or the
// picture is too large for its int sizes.
bool WritePng(const TRgbImage& Image, std::vector<std::uint8_t>* Out) {
  if (static_cast<long long>(Image.Width()) * 3 * Image.Height() >= INT_MAX) return false;
  stbi_write_force_png_filter = 0;
  stbi_write_png_compression_level = 1;
  return stbi_write_png_to_func(&AppendToVector, Out, Image.Width(), Image.Height(), 3, Image.Rgb().data(),
                                Image.Width() * 3) != 0;
}
#else

void AppendToVector(png_structp Png, png_bytep Data, png_size_t Length) {
  auto* Out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(Png));
  try {
    Out->insert(Out->end(), Data, Data + Length);
  } catch (const std::bad_alloc&) {
    png_error(Png, "out of memory");  // no C++ exception may pass through libpng
  }
}

// libpng reports errors by longjmp back into this frame, so it holds no object with a
// destructor; Out is the caller's. False when libpng gave up.
bool WritePng(const TRgbImage& Image, std::vector<std::uint8_t>* Out) {
  png_structp Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!Png) return false;
  png_infop Info = png_create_info_struct(Png);
  if (!Info) {
    png_destroy_write_struct(&Png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(Png))) {
    png_destroy_write_struct(&Png, &Info);
    return false;
  }
  png_set_write_fn(Png, Out, &AppendToVector, nullptr);
  // A sheet may be taller than libpng's default limit of a million rows, never more than PNG's.
  png_set_user_limits(Png, 0x7FFFFFFF, 0x7FFFFFFF);
  png_set_IHDR(Png, Info, static_cast<png_uint_32>(Image.Width()), static_cast<png_uint_32>(Image.Height()), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Sheets are flat colours in large runs: unfiltered rows and fast deflate keep big fonts quick.
  png_set_filter(Png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(Png, Z_BEST_SPEED);
  png_write_info(Png, Info);
  const std::size_t RowBytes = static_cast<std::size_t>(Image.Width()) * 3;
  for (int Y = 0; Y < Image.Height(); ++Y) png_write_row(Png, Image.Rgb().data() + RowBytes * static_cast<std::size_t>(Y));
  png_write_end(Png, nullptr);
  png_destroy_write_struct(&Png, &Info);
  return true;
}
#endif

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
  std::vector<std::uint8_t> Png;
  if (!WritePng(Image, &Png)) return {};
  return Png;
}

}  // namespace kavex
