#include "model/Kav_PPM.h"

#include <algorithm>
#include <cstring>

#include "log/Log.h"
#include "model/Kav_Chunk.h"
#include "model/Kav_Fls.h"
#include "model/Kav_MCU.h"

namespace kavex {
namespace {

constexpr std::int32_t MinPpmSize = 118;
constexpr std::size_t VersionOffset = 4;
constexpr std::size_t VersionSize = 32;
constexpr std::int32_t TrailerSize = 6;  // checksum copy and 4 bytes the chunk walk leaves alone

bool HasSignature(TByteView Bytes) {
  return Bytes.size() >= 4 && std::memcmp(Bytes.data(), "PPM\0", 4) == 0;
}

}  // namespace

std::unique_ptr<TPPM> TPPM::Create(TKavClass* Parent, std::int32_t Available, TReader& Reader) {
  if (Available < MinPpmSize) CallLogProc(msgPpmTooSmall, "/PPM/", {std::int64_t{Available}});
  if (!HasSignature(Reader.Rest())) {
    CallLogProc(msgPpmNoSignature, "/PPM/", {});
    return nullptr;
  }
  return std::make_unique<TPPM>(Parent, Available, Reader);
}

TPPM::TPPM(TKavClass* Parent, std::int32_t Available, TReader& Reader) : TKavContainer(Parent, Available, Reader) {
  AreaOffset_ = Reader.ImageOffset();
  // A header cut short by the end of the image is read as far as it goes; the rest stays 0.
  const TByteView HeaderBytes = Reader.TakeUpTo(PpmHeaderSize);
  std::copy(HeaderBytes.begin(), HeaderBytes.end(), Header_.begin());

  Log(msgPpmVersion, {JoinLines(VersionText())});

  if (Parent) MCU_ = dynamic_cast<TMCU*>(Parent->FindChild("TMCU"));

  std::int64_t Length = MCU_ ? MCU_->GetPPMLength() : Available;
  // A length from the MCU area that runs past the image is cut to the bytes that exist; one
  // too short for the header and checksum leaves no checksum to compare.
  if (Length > Available) {
    if (Available >= MinPpmSize) Log(msgPpmTooSmall, {std::int64_t{Available}});  // else said already
    Length = Available;
  } else if (MCU_ && Length < static_cast<std::int64_t>(PpmHeaderSize) + TrailerSize) {
    Log(msgPpmTooSmall, {Length});
  }
  SetSize(static_cast<std::int32_t>(std::max<std::int64_t>(Length - static_cast<std::int64_t>(PpmHeaderSize), 0)));
  const std::size_t Offset = Reader.ImageOffset();
  SetData(Reader.TakeUpTo(SizeOrZero(Size())), Offset);
  AreaSize_ = Reader.ImageOffset() - AreaOffset_;

  TReader Trailer(Data(), SizeOrZero(Size() - TrailerSize));
  HasChecksum_ = Size() >= TrailerSize && Trailer.ReadBE16(StoredChecksum_);

  if (MCU_) {
    if (HasChecksum_) {
      const std::int64_t M = MCU_->GetStoredChecksum();
      Log(StoredChecksum_ != M ? msgPpmChecksumDiffers : msgPpmChecksumMatch, {M, std::int64_t{StoredChecksum_}});
    }
    if (VersionText() != MCU_->GetVersion()) Log(msgPpmVersionDiffers);
  }
}

std::string TPPM::VersionText() const {
  return FieldText(TByteView(Header_).subspan(VersionOffset, VersionSize));
}

std::string TPPM::GetDescription() const { return JoinLines(VersionText()); }

std::int32_t TPPM::Left() const { return std::max(TKavContainer::Left() - TrailerSize, 0); }

TKavClass* TPPM::ParseNextChild() {
  if (Done_) return nullptr;
  auto Chunk = BuildChild<TChunk>();
  const std::uint32_t Name = Chunk->GetNameCode();
  TKavClass* Added = AddChild(std::move(Chunk));
  if (Name == 0 || Name == 0xFFFFFFFFu) Done_ = true;
  return Added;
}

}  // namespace kavex
