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
