#include "model/Kav_Font.h"

#include <algorithm>
#include <climits>

#include "log/Log.h"
#include "model/Kav_Chunk.h"

namespace kavex {

// ---------------------------------------------------------------------------------------
// Font subchunk

TFontSubchunk::TFontSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader)
    : TSubchunk(Parent, Available, Reader) {
  std::int64_t L = GetLength();
  if (L == static_cast<std::int64_t>(SubchunkHeaderSize)) return;
  // A font subchunk is followed by a 16-byte terminator and nothing else, so the chunk's rest
  // is trusted over the stored length.
  if (L + 16 != Available) {
    Log(msgFontLength);
    L = std::int64_t{Available} - 16;
  }
  // A body too short for its 4-byte font count holds no fonts; the subchunk still ends where
  // its length says, so the terminator is looked for in its place.
  if (L < 20) {
    Reader.SkipUpTo(SizeOrZero(L - static_cast<std::int64_t>(SubchunkHeaderSize)));
    return;
  }
  // The count's missing bytes, past the end of the chunk data, read as 0 (a zero-filled read).
  FontCount_ = static_cast<std::int32_t>(Reader.PeekBE32OrZero());
  Reader.SkipUpTo(4);
  const std::size_t Offset = Reader.ImageOffset();
  FontData_ = Reader.TakeUpTo(static_cast<std::size_t>(L - 20));
  NextFontHeader_ = TReader(FontData_, 0, Offset);
}

std::string TFontSubchunk::GetDescription() const { return FormatText("%d fonts", {std::int64_t{FontCount_}}); }

TKavClass* TFontSubchunk::ParseNextChild() {
  if (FontsBuilt_ >= FontCount_ || HeadersCut_) return nullptr;
  // FontCount comes from the file: a header that does not lie wholly inside the font data
  // ends the list, reported once, and the fonts before it stay.
  if (!NextFontHeader_.Peek(FontHeaderSize)) {
    HeadersCut_ = true;
    Log(msgChunkUnexpectedEnd);
    return nullptr;
  }
  auto Entry = BuildFrom(NextFontHeader_, NextFontHeader_.Left(), [this](std::int32_t Available, TReader& Reader) {
    return std::make_unique<TFontEntry>(this, Available, Reader);
  });
  ++FontsBuilt_;
  return AddChild(std::move(Entry));
}

// ---------------------------------------------------------------------------------------
// Font entry

TFontEntry::TFontEntry(TFontSubchunk* Parent, std::int32_t Available, TReader& Reader)
    : TKavClass(Parent, Available, Reader), FontData_(Reader.Bytes()) {
  HeaderPos_ = Reader.Pos();
  const std::size_t Offset = Reader.ImageOffset();
  const TByteView Header = Reader.TakeUpTo(FontHeaderSize);
  std::copy(Header.begin(), Header.end(), Header_.begin());
  // The entry's own bytes are its header, when all of it lies inside the font data.
  if (Header.size() == FontHeaderSize) SetImageBytes(Header, Offset);

  // Offsets come from the file: only the range records that lie inside the font data count.
  if (Locate(RangeTableOffset(), 0, RangeTablePos_))
    StoredRanges_ = std::min<std::size_t>(RangeCount(), (FontData_.size() - RangeTablePos_) / GlyphRangeSize);

  std::int64_t Chars = 0;
  std::uint32_t Lowest = 0;
  std::uint32_t Highest = 0;
  for (std::size_t I = 0; I < StoredRanges_; ++I) {
    const TGlyphRange R = Range(I);
    Chars += R.Size();
    MaxHeight_ = std::max(MaxHeight_, static_cast<std::int32_t>(R.GlyphHeight));
    Lowest = I == 0 ? R.ImageIndex : std::min(Lowest, R.ImageIndex);
    Highest = I == 0 ? R.ImageIndex : std::max(Highest, R.ImageIndex);
  }
  CharCount_ = static_cast<std::int32_t>(std::min<std::int64_t>(Chars, MaxFontChars));

  Log(msgFontInfo, {std::int64_t{BitImageTableOffset()}, Name1(), Name2(), std::int64_t{CharCount_},
                    std::int64_t{RangeCount()}, std::int64_t{Lowest}, std::int64_t{Highest}});
  if (SecondTableCount() != 0) Log(msgFontSecondTable, {std::int64_t{SecondTableCount()}});
  if (EntryFlags() != ExpectedFontFlags) Log(msgFontFlags, {std::int64_t{EntryFlags()}});

  // Every bit image of the span counts, also one that no range uses; an image entry outside
  // the font data has no width.
  if (StoredRanges_ > 0) {
    for (std::uint32_t K = Lowest; K <= Highest; ++K) {
      std::size_t Pos = 0;
      if (Locate(std::uint64_t{BitImageTableOffset()} + BitImageEntrySize * K, 8, Pos))
        MaxWidth_ = std::max<std::int32_t>(MaxWidth_, FontData_[Pos + 7]);
    }
  }
}

bool TFontEntry::Locate(std::uint64_t Offset, std::size_t Length, std::size_t& Pos) const {
  const std::uint64_t At = std::uint64_t{HeaderPos_} + Offset;
  if (At > FontData_.size() || !HasBytes(FontData_, static_cast<std::size_t>(At), Length)) return false;
  Pos = static_cast<std::size_t>(At);
  return true;
}

TGlyphRange TFontEntry::Range(std::size_t Index) const {
  // Records up to StoredRangeCount() lie inside the font data; one asked for past them reads
  // as zeros (a zero-filled read).
  const std::size_t Pos = RangeTablePos_ + GlyphRangeSize * Index;
  const std::uint32_t Packed = BE32OrZero(FontData_, Pos + 4);
  TGlyphRange R;
  R.FirstChar = BE16OrZero(FontData_, Pos);
  R.LastChar = BE16OrZero(FontData_, Pos + 2);
  R.FirstRow = Packed >> 14;
  R.ImageIndex = (Packed >> 10) & 0xF;
  R.GlyphHeight = (Packed >> 5) & 0x1F;
  return R;
}

std::string TFontEntry::Name1() const { return FieldText(TByteView(Header_).subspan(24, 20)); }
std::string TFontEntry::Name2() const { return FieldText(TByteView(Header_).subspan(35, 9)); }

std::string TFontEntry::GetName() const { return FormatText("%s/%s", {Name1(), Name2()}); }

std::string TFontEntry::GetDescription() const {
  return FormatText("%dx%d, %d chars", {std::int64_t{MaxWidth_}, std::int64_t{MaxHeight_}, std::int64_t{CharCount_}});
}

std::uint16_t TFontEntry::GetCharCode(std::int32_t Index) const {
  if (Index < 0 || Index >= CharCount_) return 0;
  if (Index < LookupStart_) {
    LookupRange_ = 0;
    LookupStart_ = 0;
  }
  for (; LookupRange_ < StoredRanges_; ++LookupRange_) {
    const TGlyphRange R = Range(LookupRange_);
    if (Index < LookupStart_ + R.Size()) return static_cast<std::uint16_t>(R.FirstChar + (Index - LookupStart_));
    LookupStart_ += R.Size();
  }
  return 0;  // not reached: CharCount never exceeds the ranges' total
}

bool TFontEntry::LayOutGlyph(std::uint16_t Char, TGlyphLayout& Layout) const {
  // The first range that covers Char, found by its first and last character alone.
  std::size_t I = 0;
  for (; I < StoredRanges_; ++I) {
    const std::size_t Pos = RangeTablePos_ + GlyphRangeSize * I;
    if (BE16OrZero(FontData_, Pos) <= Char && Char <= BE16OrZero(FontData_, Pos + 2)) break;
  }
  if (I == StoredRanges_) return false;
  const TGlyphRange R = Range(I);
  Layout.Height = R.GlyphHeight;
  Layout.Row0 = std::int64_t{R.FirstRow} + std::int64_t{Char - R.FirstChar} * Layout.Height;

  std::size_t EntryPos = 0;
  if (!Locate(std::uint64_t{BitImageTableOffset()} + BitImageEntrySize * R.ImageIndex, 8, EntryPos)) return false;
  Layout.Width = FontData_[EntryPos + 7];
  // Without columns the walk over the rows would never meet the glyph's last row.
  if (Layout.Width == 0 || Layout.Height == 0) return false;
  Layout.Bitmap = std::uint64_t{EntryPos} + BE32OrZero(FontData_, EntryPos);  // located above: all there
  return true;
}

TFontEntry::TGlyphRow TFontEntry::GlyphRow(const TGlyphLayout& Layout, std::int64_t J) const {
  // Bands of 8 rows, Width bytes each, bit 0 the band's top row; the glyph may start and end
  // inside a band. Bitmap bytes outside the font data leave their pixels undrawn.
  const std::uint64_t Row = static_cast<std::uint64_t>(Layout.Row0 + J);
  const std::uint64_t RowStart = Layout.Bitmap + Row / 8 * Layout.Width;
  const std::uint64_t Columns =
      RowStart < FontData_.size() ? std::min<std::uint64_t>(Layout.Width, FontData_.size() - RowStart) : 0;
  return {FontData_.data() + (Columns ? RowStart : 0), Columns, static_cast<int>(Row % 8)};
}

void TFontEntry::DrawGlyph(std::uint16_t Char, TGlyphSurface& Surface, int Left, int Top) const {
  TGlyphLayout Layout;
  if (!LayOutGlyph(Char, Layout)) return;
  // Drawn row by row; pixels whose place no int can hold are left undrawn.
  for (std::int64_t J = 0; J < Layout.Height; ++J) {
    const std::int64_t Y = std::int64_t{Top} + J;
    if (Y > INT_MAX) break;
    const TGlyphRow Row = GlyphRow(Layout, J);
    // The columns whose X an int holds.
    const std::uint64_t Columns =
        std::min<std::uint64_t>(Row.Columns, static_cast<std::uint64_t>(std::max<std::int64_t>(std::int64_t{INT_MAX} - Left + 1, 0)));
    for (std::uint64_t C = 0; C < Columns; ++C) {
      const bool Ink = (Row.Bytes[C] >> Row.Bit) & 1;
      Surface.SetPixel(static_cast<int>(Left + static_cast<std::int64_t>(C)), static_cast<int>(Y), Ink ? GlyphInk : GlyphPaper);
    }
  }
}

TFontEntry::TGlyphBox TFontEntry::GlyphBox(std::uint16_t Char) const {
  TGlyphLayout Layout;
  if (!LayOutGlyph(Char, Layout)) return {};
  return {static_cast<int>(Layout.Width), static_cast<int>(Layout.Height)};
}

bool TFontEntry::SameGlyph(std::uint16_t Char, const TFontEntry& Other) const {
  TGlyphLayout A;
  TGlyphLayout B;
  const bool DrawsA = LayOutGlyph(Char, A);
  const bool DrawsB = Other.LayOutGlyph(Char, B);
  if (!DrawsA || !DrawsB) return DrawsA == DrawsB;
  if (A.Width != B.Width || A.Height != B.Height) return false;
  // The bands a glyph's rows lie in follow one another: when they all lie inside the font data
  // on both sides, the glyphs start at the same row of their first band and the bands hold the
  // same bytes, the glyphs are the same.
  if (A.Row0 % 8 == B.Row0 % 8) {
    const auto Bands = [](const TGlyphLayout& L, std::uint64_t& Start) {
      Start = L.Bitmap + static_cast<std::uint64_t>(L.Row0) / 8 * L.Width;
      return (static_cast<std::uint64_t>(L.Row0 % 8 + L.Height) + 7) / 8 * L.Width;
    };
    std::uint64_t StartA = 0, StartB = 0;
    const std::uint64_t Size = Bands(A, StartA);
    Bands(B, StartB);
    if (StartA <= FontData_.size() && Size <= FontData_.size() - StartA && StartB <= Other.FontData_.size() &&
        Size <= Other.FontData_.size() - StartB &&
        std::equal(FontData_.begin() + static_cast<std::ptrdiff_t>(StartA), FontData_.begin() + static_cast<std::ptrdiff_t>(StartA + Size),
                   Other.FontData_.begin() + static_cast<std::ptrdiff_t>(StartB)))
      return true;
  }
  for (std::int64_t J = 0; J < A.Height; ++J) {
    const TGlyphRow RowA = GlyphRow(A, J);
    const TGlyphRow RowB = Other.GlyphRow(B, J);
    if (RowA.Columns != RowB.Columns) return false;
    unsigned Differs = 0;
    for (std::uint64_t C = 0; C < RowA.Columns; ++C) Differs |= ((RowA.Bytes[C] >> RowA.Bit) ^ (RowB.Bytes[C] >> RowB.Bit)) & 1u;
    if (Differs) return false;
  }
  return true;
}

}  // namespace kavex
