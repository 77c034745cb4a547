#include "model/Kav_Subchunk.h"

#include <algorithm>
#include <cstdint>

#include "log/Log.h"
#include "model/Kav_Chunk.h"

namespace kavex {

TSubchunk::TSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader)
    : TKavClass(Parent, Available, Reader),
      Source_(Reader.Bytes()),
      SourceOffset_(Reader.BaseOffset()),
      StoredStart_(Reader.Pos()),
      StoredEnd_(Reader.Pos()) {
  // As with chunks, a subchunk that cannot be built leaves the chunk's cursor where it was.
  const auto Header = Reader.Take(SubchunkHeaderSize);
  if (!Header) throw EKavError(this, msgSubchunkNoHeader, {std::int64_t{Available}});
  std::copy(Header->begin(), Header->end(), Header_.begin());
  if (GetLength() > Available) throw EKavError(this, msgSubchunkTooLong, {std::int64_t{Available}, std::int64_t{GetLength()}});
}

void TSubchunk::SetStoredEnd(std::size_t End) {
  StoredEnd_ = End;
  SetImageBytes(StoredBytes(), SourceOffset_ + StoredStart_);
}

TByteView TSubchunk::StoredBytes() const {
  if (StoredStart_ > Source_.size() || StoredEnd_ < StoredStart_) return {};
  return Source_.subspan(StoredStart_, std::min(StoredEnd_, Source_.size()) - StoredStart_);
}

std::string TSubchunk::GetShortName() const { return FieldText(TByteView(Header_).subspan(8, 4)); }

std::string TSubchunk::GetName() const {
  // "0x%.8x" of the ID, made by hand: every log line of a subchunk's path asks for it.
  std::string Name = "0x00000000";
  const std::uint32_t Id = GetID();
  for (int D = 0; D < 8; ++D) Name[9 - D] = "0123456789ABCDEF"[(Id >> (4 * D)) & 0xF];
  const std::string Short = GetShortName();
  if (!Short.empty()) Name.append(", ").append(Short);
  return Name;
}

TRawSubchunk::TRawSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader) : TSubchunk(Parent, Available, Reader) {
  // Counted in 64 bits so that a Length near the lowest 32-bit value cannot wrap into a body size.
  RawSize_ = static_cast<std::int32_t>(
      std::max<std::int64_t>(std::int64_t{GetLength()} - static_cast<std::int64_t>(SubchunkHeaderSize), INT32_MIN));
  // Length was checked against the bytes left, so the body lies inside the chunk data.
  RawData_ = Reader.TakeUpTo(SizeOrZero(RawSize_));
  Reader.AlignUp4UpToEnd();
}

TLPCSSubchunk::TLPCSSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader) : TSubchunk(Parent, Available, Reader) {
  // The body is 512 bytes whatever Length says. When the chunk ends before them, the subchunk
  // is refused (the chunk then closes) rather than read beyond the data.
  const auto Body = Reader.Take(LpcsBodySize);
  if (!Body) throw EKavError(this, msgChunkUnexpectedEnd, {});
  LPCSData_ = *Body;
}

}  // namespace kavex
