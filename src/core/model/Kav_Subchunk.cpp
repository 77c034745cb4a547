#include "model/Kav_Subchunk.h"

#include <algorithm>
#include <cstdint>

#include "log/Log.h"
#include "model/Kav_Chunk.h"

namespace kavex {

TSubchunk::TSubchunk(TKavClass* Parent, std::int32_t Available, TCursor& Cursor)
    : TKavClass(Parent, Available, Cursor), Source_(Cursor.Buf), StoredStart_(Cursor.Pos), StoredEnd_(Cursor.Pos) {
  if (Available < static_cast<std::int32_t>(SubchunkHeaderSize) || Cursor.Left() < SubchunkHeaderSize)
    throw EKavError(this, msgSubchunkNoHeader, {std::int64_t{Available}});
  std::copy_n(Cursor.Here().begin(), SubchunkHeaderSize, Header_.begin());
  // As with chunks, a subchunk that cannot be built leaves the chunk's cursor where it was.
  if (GetLength() > Available) throw EKavError(this, msgSubchunkTooLong, {std::int64_t{Available}, std::int64_t{GetLength()}});
  Cursor.Advance(SubchunkHeaderSize);
}

TByteView TSubchunk::StoredBytes() const {
  if (StoredStart_ > Source_.size() || StoredEnd_ < StoredStart_) return {};
  return Source_.subspan(StoredStart_, std::min(StoredEnd_, Source_.size()) - StoredStart_);
}

std::string TSubchunk::GetShortName() const { return FieldText(TByteView(Header_).subspan(8, 4)); }

std::string TSubchunk::GetName() const {
  const std::string Short = GetShortName();
  return FormatText("0x%.8x%s", {std::int64_t{GetID()}, Short.empty() ? std::string() : ", " + Short});
}

TRawSubchunk::TRawSubchunk(TKavClass* Parent, std::int32_t Available, TCursor& Cursor) : TSubchunk(Parent, Available, Cursor) {
  // Counted in 64 bits so that a Length near the lowest 32-bit value cannot wrap into a body size.
  RawSize_ = static_cast<std::int32_t>(
      std::max<std::int64_t>(std::int64_t{GetLength()} - static_cast<std::int64_t>(SubchunkHeaderSize), INT32_MIN));
  if (RawSize_ > 0) {
    // Length was checked against the bytes left, so the body lies inside the chunk data.
    const TByteView Body = Cursor.Here().first(std::min<std::size_t>(Cursor.Left(), static_cast<std::size_t>(RawSize_)));
    RawData_.assign(Body.begin(), Body.end());
    Cursor.Advance(RawSize_);
  }
  Cursor.Align4();
}

TLPCSSubchunk::TLPCSSubchunk(TKavClass* Parent, std::int32_t Available, TCursor& Cursor) : TSubchunk(Parent, Available, Cursor) {
  // The body is 512 bytes whatever Length says. When the chunk ends before them, the subchunk
  // is refused (the chunk then closes) rather than read beyond the data.
  if (Cursor.Left() < LpcsBodySize) throw EKavError(this, msgChunkUnexpectedEnd, {});
  const TByteView Body = Cursor.Here().first(LpcsBodySize);
  LPCSData_.assign(Body.begin(), Body.end());
  Cursor.Advance(LpcsBodySize);
}

}  // namespace kavex
