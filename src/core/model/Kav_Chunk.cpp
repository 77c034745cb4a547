#include "model/Kav_Chunk.h"

#include <algorithm>
#include <cstdint>

#include "log/Log.h"
#include "model/CodePage.h"
#include "model/Kav_Font.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_Subchunk.h"
#include "model/Kav_Text.h"
#include "model/Kav_Tone.h"

namespace kavex {
namespace {

std::unique_ptr<TSubchunk> MakeClosing(TKavClass* Parent, std::int32_t Available, TReader& Reader) {
  return MakeSubchunk<TClosingSubchunk>(Parent, Available, Reader);
}

}  // namespace

std::span<const TSubchunkKind> SubchunkKinds() {
  // GSMC subchunks have no class of their own: they stay raw.
  static const TSubchunkKind Kinds[] = {
      {{'L', 'P', 'C', 'S'}, &MakeSubchunk<TLPCSSubchunk>},
      {{'G', 'S', 'M', 'C'}, &MakeSubchunk<TRawSubchunk>},
      {{'F', 'O', 'N', 'T'}, &MakeSubchunk<TFontSubchunk>},
      {{'T', 'E', 'X', 'T'}, &MakeSubchunk<TTextSubchunk>},
      {{'A', 'O', 'R', 'D'}, &MakeSubchunk<TAORDSubchunk>},
      {{'T', 'O', 'N', 'E'}, &MakeSubchunk<TToneSubchunk>},
      {{'P', 'L', 'M', 'N'}, &MakeSubchunk<TPLMNSubchunk>},
      {{'L', 'D', 'B', 0}, &MakeSubchunk<TLDBSubchunk>},
      {{'W', 'U', 'G', 'S'}, &MakeSubchunk<TWUGSSubchunk>},
  };
  return Kinds;
}

std::string FieldText(TByteView Field) {
  const auto End = std::find(Field.begin(), Field.end(), std::uint8_t{0});
  return CodePageToUtf8(std::string_view(reinterpret_cast<const char*>(Field.data()),
                                         static_cast<std::size_t>(End - Field.begin())));
}

TChunk::TChunk(TKavClass* Parent, std::int32_t Available, TReader& Reader) : TKavContainer(Parent, Available, Reader) {
  const std::size_t Start = Reader.Pos();
  const auto Header = Reader.Take(ChunkHeaderSize);
  if (!Header) throw EKavError(this, msgChunkNoHeader, {std::int64_t{Available}});
  std::copy(Header->begin(), Header->end(), Header_.begin());

  // A chunk refused here leaves the PPM area's cursor where it was, so that expanding the area
  // again meets the same damaged chunk instead of reading from inside it.
  const std::int32_t Length = GetLength();
  if (Length > Available) throw EKavError(this, msgChunkNoData, {std::int64_t{Available}});
  // Counted in 64 bits: a Length near the lowest 32-bit value must not wrap round into a huge
  // positive size; any Length below 20 leaves no data.
  const std::int64_t DataSize = std::int64_t{Length} - static_cast<std::int64_t>(ChunkHeaderSize);
  SetSize(static_cast<std::int32_t>(std::max<std::int64_t>(DataSize, INT32_MIN)));
  const std::size_t Offset = Reader.ImageOffset();
  SetData(Reader.TakeUpTo(SizeOrZero(Size())), Offset);
  // The chunk's own bytes are its header and its data, which follow one another.
  SetImageBytes(Reader.Bytes().subspan(Start, ChunkHeaderSize + Data().size()), Offset - ChunkHeaderSize);

  if (!NameText().empty()) {
    // The word sum over header and data, less the stored checksum word; a last data word cut
    // short by the end of the data takes zeros for its missing bytes (the zero-filled last word).
    CalculatedChecksum_ = SumDWordsBE(Header_, 0, ChunkHeaderSize) + SumDWordsBE(Data(), 0, std::max(Size(), 0)) -
                          GetStoredChecksum();
    if (GetStoredChecksum() != CalculatedChecksum_)
      Log(msgChunkChecksum, {std::int64_t{GetStoredChecksum()}, std::int64_t{CalculatedChecksum_}});
  }
}

std::string TChunk::NameText() const { return FieldText(TByteView(Header_).subspan(8, 4)); }
std::string TChunk::VersionText() const { return FieldText(TByteView(Header_).subspan(12, 8)); }

std::string TChunk::GetName() const {
  std::string Name = NameText();
  return Name.empty() ? VersionText() : Name;
}

std::string TChunk::GetDescription() const { return NameText().empty() ? std::string() : VersionText(); }

TKavClass* TChunk::ParseNextChild() {
  if (Closed_) return nullptr;
  if (Left() <= 0) {
    Log(msgChunkUnexpectedEnd);
    return nullptr;
  }
  // Each subchunk is given the rest of the chunk data.
  const auto Build = [this](TSubchunkFactory Create) {
    return BuildChild([this, Create](std::int32_t Available, TReader& Reader) { return Create(this, Available, Reader); });
  };
  std::unique_ptr<TSubchunk> Sub;
  // With fewer than 4 bytes left, the missing bytes of the closing test read as zero; the
  // subchunk built then fails its header check all the same.
  if (Cursor().PeekBE32OrZero() == 0) {
    Closed_ = true;
    Sub = Build(&MakeClosing);
  } else {
    const auto Kinds = SubchunkKinds();
    const auto Row = std::find_if(Kinds.begin(), Kinds.end(), [this](const TSubchunkKind& K) {
      return std::equal(K.Name.begin(), K.Name.end(), Header_.begin() + 8);
    });
    if (Row != Kinds.end()) {
      try {
        Sub = Build(Row->Create);
      } catch (const EKavError&) {
        Closed_ = true;
      }
    } else {
      Sub = Build(&MakeSubchunk<TRawSubchunk>);
      Log(msgChunkUnknownName, {std::int64_t{GetNameCode()}});
    }
  }
  if (!Sub) {
    Log(msgSubchunkCreateError, {NameText()});
    return nullptr;
  }
  Sub->SetStoredEnd(Cursor().Pos());
  return AddChild(std::move(Sub));
}

}  // namespace kavex
