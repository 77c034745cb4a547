#pragma once
// Builds small flash images for tests: MCU header with VNext and location info, PPM header
// and trailer, chunks and subchunks with correct checksums, Divud and WinTesla layouts. Each
// test changes only what it is about.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavtest {

using Bytes = std::vector<std::uint8_t>;

void PutBE16(Bytes& B, std::size_t Offset, std::uint32_t V);
void PutBE24(Bytes& B, std::size_t Offset, std::uint32_t V);
void PutBE32(Bytes& B, std::size_t Offset, std::uint32_t V);
void AppendBE16(Bytes& B, std::uint32_t V);
void AppendBE32(Bytes& B, std::uint32_t V);
void Append(Bytes& B, const Bytes& More);
void Append(Bytes& B, std::string_view Text);  // the characters' bytes, no terminator
Bytes Concat(std::initializer_list<Bytes> Parts);
// Text in a field of Width bytes, zero-filled (cut when longer).
Bytes Field(std::string_view Text, std::size_t Width);

// ---- subchunks and chunks --------------------------------------------------------------
struct Subchunk {
  std::uint32_t Id = 1;
  std::string ShortName;  // up to 4 characters
  std::uint32_t Flags = 0;
  Bytes Body;
  std::optional<std::int32_t> Length;  // header Length; default 16 + body size
  bool Pad = true;                      // fill with zeros up to a multiple of 4
};
Bytes SubchunkBytes(const Subchunk& S);
Bytes ClosingRecord();  // 16 zero bytes: ID 0 closes the chunk

struct Chunk {
  std::string Name = "TEXT";  // the 4 name bytes; shorter names are zero-filled ("LDB")
  std::string Version = "V1";
  Bytes Data;
  std::optional<std::int32_t> Length;         // default 20 + data size
  std::optional<std::uint32_t> Checksum;      // default: the correct one
};
Bytes ChunkBytes(const Chunk& C);
std::uint32_t ChunkChecksum(const Bytes& HeaderAndData);  // over a built chunk, checksum word left out
Bytes EndChunk();  // twenty 0xFF bytes: ends the chunk walk

// ---- subchunk bodies of the decoded kinds -------------------------------------------------
// Text table body: one length byte per entry, an optional 0xFF terminator, then the entries.
// Narrow entries are stored byte for byte; wide ones as big-endian UTF-16 (lengths in units).
Bytes TextBody(const std::vector<std::string>& Entries, bool Terminator = false);
Bytes WideTextBody(const std::vector<std::u16string>& Entries, bool Terminator = false);

// One glyph range record of a font, before packing.
struct GlyphRange {
  std::uint16_t First = 0x20;
  std::uint16_t Last = 0x20;
  std::uint32_t FirstRow = 0;
  std::uint32_t ImageIndex = 0;
  std::uint32_t Height = 8;
};
// One bit image: its width and its bitmap (bands of 8 rows, Width bytes each).
struct BitImage {
  std::uint8_t Width = 8;
  Bytes Bitmap;
};
struct Font {
  std::string Name1 = "Font";  // up to 11 bytes, runs on into Name2 when it has 11
  std::string Name2 = "";      // up to 9 bytes
  std::vector<GlyphRange> Ranges;
  std::vector<BitImage> Images;
  std::uint16_t SecondTableCount = 0;
  std::uint32_t Flags = 0x07800000;
};
// Font subchunk body: the font count, the 44-byte font headers, then each font's range
// table, bit-image table and bitmaps, with every offset pointing at them.
Bytes FontBody(const std::vector<Font>& Fonts);
// The packed word of a range record: first row, image index, glyph height.
std::uint32_t PackRange(std::uint32_t FirstRow, std::uint32_t ImageIndex, std::uint32_t Height);
// A bitmap from pixel rows drawn as text ('#' set, anything else clear); all rows as wide as
// the first. Rows run on over the bands as in a bit image.
Bytes BandBitmap(const std::vector<std::string>& Rows);

// Tone body: name length, name bytes, tune, then Fill bytes 0xFF.
Bytes ToneBody(std::string_view Name, const Bytes& Tune, std::size_t Fill = 0);

// Operator entries, each padded to a multiple of 4 (the body starts aligned).
struct Operator {
  std::uint8_t B1 = 0;
  std::uint8_t B2 = 0;
  std::string Name;
  std::optional<std::uint8_t> RecordLength;  // default 4 + name size
};
Bytes OperatorEntries(const std::vector<Operator>& Entries);
// Header flags of an operator list: country code digits in bytes 12 and 13, Count in 14.
std::uint32_t CountryFlags(int Mcc, std::uint8_t Count = 0);

// ---- areas -------------------------------------------------------------------------------
struct Ppm {
  std::string Version = "V 5.00\n01-01-99\nNSE-1";
  std::vector<Bytes> Chunks;  // in order; add EndChunk() yourself
  std::uint16_t Checksum = 0x1234;
  bool Signature = true;
};
Bytes PpmBytes(const Ppm& P);

struct Mcu {
  std::uint32_t Base = 0x200000;
  std::size_t Size = 0x10000;  // the MCU area's length: PPM start - Base
  std::string Version = "V 5.00\n01-01-99\nNSE-1";
  std::size_t InfoAt = 0x40;
  std::size_t VersionAt = 0x48;
  std::size_t VNextAt = 0x100;
  std::size_t LocationAt = 0x140;
  std::uint8_t VNextGap = 0x00;  // byte between "PPM" and "PPMVNEXT"
  std::optional<std::uint32_t> FieldsEnd;  // default Base + Size - 0x40
  std::optional<std::uint16_t> Checksum;   // default: the correct one
};
// The MCU area, with a PPM area of PpmLength bytes announced right after it.
Bytes McuBytes(const Mcu& M, std::uint32_t PpmLength);

// A whole Divud image: MCU area, PPM area (its checksum set to the MCU's), then Eeprom bytes.
Bytes DivudImage(const Mcu& M, Ppm P, const Bytes& Eeprom = {});

// WinTesla layout of Image: blocks of at most BlockSize payload bytes from FlashAddr on.
Bytes WinTesla(const Bytes& Image, std::uint32_t FlashAddr = 0x200000, std::size_t BlockSize = 0x10000);
// One WinTesla block header (marker 0x0B).
Bytes WinTeslaHeader(std::uint32_t FlashAddr, std::uint32_t BlockLength);

// ---- edits of built areas ----------------------------------------------------------------
// Stores the correct MCU checksum again after a test changed bytes of Area, an MCU area alone
// (its header's fields end decides the range, as in McuBytes).
void ResealMcu(Bytes& Area, std::uint32_t Base = 0x200000);

}  // namespace kavtest
