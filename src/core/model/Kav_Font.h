#pragma once
// A font subchunk with its fonts, and the font entry that knows its characters and draws any
// glyph from the banded bit images.

#include <array>

#include "model/Kav_Subchunk.h"

namespace kavex {

// Where glyphs are drawn: the viewer's picture, a text canvas in kavex-dump.
class TGlyphSurface {
public:
  virtual ~TGlyphSurface() = default;
  // Colour is 0xRRGGBB. Pixels outside the surface are the surface's to drop.
  virtual void SetPixel(int X, int Y, std::uint32_t Colour) = 0;
  // Sets every pixel of the rectangle; a surface with a faster way overrides it.
  virtual void FillRect(int Left, int Top, int Width, int Height, std::uint32_t Colour) {
    for (int Y = Top; Y < Top + Height; ++Y)
      for (int X = Left; X < Left + Width; ++X) SetPixel(X, Y, Colour);
  }
};

constexpr std::uint32_t GlyphInk = 0x000000;    // a set bit
constexpr std::uint32_t GlyphPaper = 0x00FF00;  // a clear bit inside the glyph's box

constexpr std::size_t FontHeaderSize = 44;
constexpr std::size_t GlyphRangeSize = 8;
constexpr std::size_t BitImageEntrySize = 12;
constexpr std::uint32_t ExpectedFontFlags = 0x07800000u;
// A font lists at most this many character codes, the size of the 16-bit code space; only
// overlapping ranges could ask for more.
constexpr std::int32_t MaxFontChars = 0x10000;

class TFontSubchunk : public TSubchunk {
public:
  TFontSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader);

  const char* ClassName() const override { return "TFontSubchunk"; }
  TNodeKind Kind() const override { return TNodeKind::FontSubchunk; }
  std::string GetDescription() const override;  // "%d fonts"
  bool MayHaveChildren() const override { return FontCount_ > 0; }
  TKavClass* ParseNextChild() override;

  std::int32_t GetFontCount() const { return FontCount_; }
  TByteView FontData() const { return FontData_; }
  std::int32_t FontDataSize() const { return static_cast<std::int32_t>(FontData_.size()); }
  std::int32_t FontsBuilt() const { return FontsBuilt_; }

private:
  std::int32_t FontCount_ = 0;
  TByteView FontData_;
  TReader NextFontHeader_;
  std::int32_t FontsBuilt_ = 0;
  bool HeadersCut_ = false;  // the next header ran past the font data
};

// One glyph range record as stored.
struct TGlyphRange {
  std::uint16_t FirstChar = 0;
  std::uint16_t LastChar = 0;
  std::uint32_t FirstRow = 0;   // bitmap row of the range's first glyph
  std::uint32_t ImageIndex = 0;  // bit-image table entry holding the glyphs
  std::uint32_t GlyphHeight = 0;
  // Characters in the range (0 when LastChar < FirstChar).
  std::int64_t Size() const { return LastChar >= FirstChar ? std::int64_t{LastChar} - FirstChar + 1 : 0; }
};

class TFontEntry final : public TKavClass {
public:
  // Reader stands at the entry's header in the parent's font data and ends with it; the entry
  // takes the 44 header bytes.
  TFontEntry(TFontSubchunk* Parent, std::int32_t Available, TReader& Reader);

  const char* ClassName() const override { return "TFontEntry"; }
  TNodeKind Kind() const override { return TNodeKind::FontEntry; }
  std::string GetName() const override;         // "%s/%s" of the two names
  std::string GetDescription() const override;  // "%dx%d, %d chars"

  std::int32_t GetMaxWidth() const { return MaxWidth_; }
  std::int32_t GetMaxHeight() const { return MaxHeight_; }
  std::int32_t GetCharCount() const { return CharCount_; }
  // The code at position Index of the font's characters, in range order; 0 past the end.
  std::uint16_t GetCharCode(std::int32_t Index) const;
  // Draws the glyph of Char with its top-left pixel at (Left, Top): ink black on green paper
  // over the glyph's whole box. Nothing when no range covers Char.
  void DrawGlyph(std::uint16_t Char, TGlyphSurface& Surface, int Left, int Top) const;
  // The box DrawGlyph fills for Char: its bit image's width by its range's height; 0 by 0 when
  // it draws nothing for Char.
  struct TGlyphBox {
    int Width = 0;
    int Height = 0;
  };
  TGlyphBox GlyphBox(std::uint16_t Char) const;
  // Whether DrawGlyph draws the same for Char here as for Char in Other: the same box, with ink,
  // paper and the pixels it leaves undrawn at the same places. Reads the bits without drawing.
  bool SameGlyph(std::uint16_t Char, const TFontEntry& Other) const;

  std::uint32_t BitImageTableOffset() const { return FieldBE32<0>(Header_); }
  std::uint32_t RangeTableOffset() const { return FieldBE32<8>(Header_); }
  std::uint16_t SecondTableCount() const { return FieldBE16<12>(Header_); }
  std::uint16_t RangeCount() const { return FieldBE16<14>(Header_); }
  std::uint32_t EntryFlags() const { return FieldBE32<20>(Header_); }
  std::string Name1() const;
  std::string Name2() const;
  std::size_t HeaderPos() const { return HeaderPos_; }
  TByteView FontData() const { return FontData_; }  // the parent's font data (the reader's bytes)
  // The range records that lie inside the font data (a table running past it is cut there).
  std::size_t StoredRangeCount() const { return StoredRanges_; }
  TGlyphRange Range(std::size_t Index) const;

private:
  // Position in the font data of an offset counted from this font's header; none when the
  // Length bytes there are not all inside the font data.
  bool Locate(std::uint64_t Offset, std::size_t Length, std::size_t& Pos) const;
  // Where the glyph of a character is stored: Height rows from Row0 of the bit image whose
  // bands of Width bytes start at Bitmap in the font data.
  struct TGlyphLayout {
    std::uint64_t Width = 0;
    std::int64_t Height = 0;
    std::uint64_t Bitmap = 0;
    std::int64_t Row0 = 0;
  };
  // False when DrawGlyph draws nothing for Char.
  bool LayOutGlyph(std::uint16_t Char, TGlyphLayout& Layout) const;
  // Row J of a laid-out glyph: bit Bit of Columns bytes from Bytes, the columns whose byte lies
  // inside the font data (those behind it are not drawn).
  struct TGlyphRow {
    const std::uint8_t* Bytes;
    std::uint64_t Columns;
    int Bit;
  };
  TGlyphRow GlyphRow(const TGlyphLayout& Layout, std::int64_t J) const;

  TByteView FontData_;  // the parent's; it lives as long as this entry
  std::array<std::uint8_t, FontHeaderSize> Header_{};
  std::size_t HeaderPos_ = 0;
  std::size_t RangeTablePos_ = 0;
  std::size_t StoredRanges_ = 0;
  std::int32_t CharCount_ = 0;
  std::int32_t MaxWidth_ = 0;
  std::int32_t MaxHeight_ = 0;
  // GetCharCode is asked for positions 0, 1, 2 ... in turn; the range found last is kept so
  // that such a walk does not search the table from its start every time.
  mutable std::size_t LookupRange_ = 0;
  mutable std::int64_t LookupStart_ = 0;
};

}  // namespace kavex
