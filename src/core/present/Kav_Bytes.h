#pragma once
// What the bytes view shows of a node: its stored bytes (ImageBytes), where its header ends,
// the flash address of an image offset, and the rows of 16 bytes as hex and as text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/Reader.h"

namespace kavex {

class TKavClass;

constexpr std::size_t BytesPerRow = 16;

// How many of the node's first stored bytes are its header: 20 for a chunk, 16 for a subchunk,
// all 44 of a font entry, none for the file and its areas; never more than it has.
std::size_t NodeHeaderSize(const TKavClass& Node);

// A field of a node's header, in bytes from the node's first one.
struct TByteField {
  std::size_t First = 0;
  std::size_t Count = 0;
};
// The header fields the detail panels show: a chunk's checksum 0-3, length 4-7, name 8-11 and
// version 12-19; a subchunk's id 0-3, length 4-7, short name 8-11 and flags 12-15.
enum class THeaderField { ChunkChecksum, ChunkLength, ChunkName, ChunkVersion, SubchunkID, SubchunkLength,
                          SubchunkShortName, SubchunkFlags };
TByteField HeaderField(THeaderField Field);

// The flash address of image offset Offset for a node of the MCU area (the image's byte 0 is
// the area's base address); -1 for a node outside it.
std::int64_t FlashAddressBase(const TKavClass& Node);

// Row Row of Bytes: its bytes as "XX" pairs split by blanks, and as text in the code page with
// every control character (below 0x20, 0x7F, and 0x80-0x9F the code page leaves unassigned) as
// a dot. A row past the end is empty.
// The offset and address columns' text: at least eight upper-case hex digits ("0001F0A0").
std::string OffsetText(std::uint64_t Offset);

// An offset typed by the user: decimal, or hex as 0x1F0, $1F0 or 1F0h; blanks around it are
// ignored, a sign or anything else is not an offset.
std::optional<std::size_t> ParseImageOffset(std::string_view Text);
// Why Text is refused as an offset, naming it as typed (blanks around it dropped).
std::string NotAnOffsetText(std::string_view Text);

std::string HexRow(TByteView Bytes, std::size_t Row);
std::string TextRow(TByteView Bytes, std::size_t Row);
// Bytes as hex pairs split by blanks, or as text as a row shows it.
std::string BytesHex(TByteView Bytes);
std::string BytesText(TByteView Bytes);

}  // namespace kavex
