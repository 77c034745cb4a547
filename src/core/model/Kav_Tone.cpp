#include "model/Kav_Tone.h"

#include <algorithm>

#include "log/Log.h"
#include "model/Kav_Chunk.h"

namespace kavex {

TToneSubchunk::TToneSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Reader)
    : TSubchunk(Parent, Available, Reader) {
  const std::int64_t L = GetLength();
  // Length 16 announces no body. A Length below 16 cannot hold its own header and is taken the
  // same way: the cursor stays behind the header, so the chunk's walk still moves on.
  if (L <= static_cast<std::int64_t>(SubchunkHeaderSize)) return;
  const TByteView Data = Reader.Bytes();  // the chunk's data, up to the end of the reader
  const std::size_t Start = Reader.Pos() - SubchunkHeaderSize;
  // The subchunk's end, which the base checked against the bytes given (Available).
  const std::size_t End = std::min(Start + static_cast<std::size_t>(L), Data.size());

  NameLength_ = ByteOrZero(Data, Reader.Pos());
  Reader.SkipUpTo(1);
  // The name may run on past the subchunk into the chunk's next bytes; only the chunk data's
  // end cuts it.
  NameBytes_ = Reader.PeekUpTo(NameLength_);
  // The tune starts NameLength bytes on, also where the name was cut.
  const std::int64_t TuneStart = static_cast<std::int64_t>(Reader.Pos()) + NameLength_;

  // The fill is counted back from the subchunk's last byte while it is 0xFF, down to the start
  // of the chunk data at most: through the name and the header too when they hold 0xFF.
  std::size_t TuneEnd = End;  // one past the last byte that is no fill
  while (TuneEnd > 0 && Data[TuneEnd - 1] == 0xFF) {
    --TuneEnd;
    if (++Fill_ > 3) Log(msgToneNoEnd);
  }
  // The tune runs from behind the name up to the last byte that is no fill; when the fill
  // reaches back into the name, or the name runs past the end, its size is negative.
  TuneSize_ = static_cast<std::int32_t>(static_cast<std::int64_t>(TuneEnd) - TuneStart);
  if (TuneSize_ > 0) TuneData_ = Data.subspan(static_cast<std::size_t>(TuneStart), static_cast<std::size_t>(TuneSize_));
  // Tune and fill take the cursor to the subchunk's end, which lies behind the header even
  // where a long name had read beyond it.
  Reader.Seek(End);
}

std::string TToneSubchunk::GetDescription() const { return FieldText(NameBytes_); }

}  // namespace kavex
