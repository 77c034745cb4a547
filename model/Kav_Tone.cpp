#include "model/Kav_Tone.h"

#include <algorithm>

#include "log/Log.h"
#include "model/Kav_Chunk.h"

namespace kavex {

TToneSubchunk::TToneSubchunk(TKavClass* Parent, std::int32_t Available, TReader& Cursor)
    : TSubchunk(Parent, Available, Cursor) {
  const std::int64_t L = GetLength();
  // Length 16 announces no body; a Length below 16 cannot hold its own header and is taken
  // the same way, so that the fill scan never starts inside the header or before it.
  if (L <= static_cast<std::int64_t>(SubchunkHeaderSize)) return;
  // Everything below is read between here and the subchunk's end, which the base checked
  // against the chunk data (the bound with Left only guards an Available larger than that).
  const std::size_t End = Cursor.Pos() + std::min(static_cast<std::size_t>(L) - SubchunkHeaderSize, Cursor.Left());

  if (End == Cursor.Pos() || !Cursor.ReadU8(NameLength_)) return;
  // A name longer than the rest of the subchunk is cut at its end.
  NameBytes_ = Cursor.TakeUpTo(std::min<std::size_t>(NameLength_, End - Cursor.Pos()));

  // The fill is taken from behind the tune only: the scan stops where the name ends, so 0xFF
  // bytes of the name stay name bytes and the tune never gets a negative size.
  std::size_t TuneEnd = End;
  while (TuneEnd > Cursor.Pos() && Cursor.Bytes()[TuneEnd - 1] == 0xFF) {
    --TuneEnd;
    if (++Fill_ > 3) Log(msgToneNoEnd);
  }
  TuneData_ = Cursor.PeekUpTo(TuneEnd - Cursor.Pos());
  Cursor.SkipUpTo(End - Cursor.Pos());
}

std::string TToneSubchunk::GetDescription() const { return FieldText(NameBytes_); }

}  // namespace kavex
