#include "model/Kav_MCU.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <utility>

#include "log/Log.h"
#include "model/CodePage.h"
#include "model/Kav_Fls.h"

namespace kavex {
namespace {

constexpr std::int64_t McuHeaderSize = 64;
constexpr std::size_t FieldsStartOffset = 0x24;
constexpr std::int64_t MinMcuSize = 0x10000;
// WinTesla flash addresses are 24-bit, so no MCU area can be larger than this; a gap to fill
// beyond it comes from a damaged header and is not worth megabytes of 0xFF.
constexpr std::int64_t MaxFlashSpan = 0x1000000;

constexpr char VNextTag[] = "PPMVNEXT";
constexpr std::size_t VNextTagSize = 8;

// The first VNext record at an offset from 0x40 up to Available - 0x24: "PPMVNEXT" at o + 8
// and "PPM" at o + 4. Returns -1 when there is none.
std::int64_t FindVNext(TByteView Area) {
  if (Area.size() < 0x24 + 0x40) return -1;
  const std::size_t Last = Area.size() - 0x24;
  auto From = Area.begin() + 0x40 + 8;
  const auto To = Area.begin() + static_cast<std::ptrdiff_t>(Last + 8 + VNextTagSize);
#if defined(__cpp_lib_boyer_moore_searcher)
  const std::boyer_moore_horspool_searcher Searcher(VNextTag, VNextTag + VNextTagSize);
#else
  // Older standard libraries (libc++ 13, the browser build's) have no searchers.
  const auto Searcher = [](auto First, auto Last) {
    return std::pair{std::search(First, Last, VNextTag, VNextTag + VNextTagSize), Last};
  };
#endif
  for (;;) {
    const auto Hit = std::search(From, To, Searcher);
    if (Hit == To) return -1;
    const std::size_t O = static_cast<std::size_t>(Hit - Area.begin()) - 8;
    if (std::memcmp(Area.data() + O + 4, "PPM", 3) == 0) return static_cast<std::int64_t>(O);
    From = Hit + 1;
  }
}

std::string TextUpToZero(TByteView Bytes) {
  const auto End = std::find(Bytes.begin(), Bytes.end(), std::uint8_t{0});
  return CodePageToUtf8(std::string_view(reinterpret_cast<const char*>(Bytes.data()),
                                         static_cast<std::size_t>(End - Bytes.begin())));
}

}  // namespace

TMCU::TMCU(TKavClass* Parent, std::int32_t Available, TReader& Reader) : TKavContainer(Parent, Available, Reader) {
  auto* Root = dynamic_cast<TFls*>(Parent);
  BaseAddr_ = (Root && Root->FlashBase() != -1) ? Root->FlashBase() : DivudBaseAddr;
  const std::int64_t Base = BaseAddr_;

  // Until the area has its size, it is read in all the bytes it is given.
  const TByteView Area = Reader.Rest();
  if (Area.size() < static_cast<std::size_t>(McuHeaderSize)) throw EKavError(this, msgMcuTooSmall, {std::int64_t{Available}});
  std::array<std::uint8_t, McuHeaderSize> Header{};
  std::copy_n(Area.begin(), Header.size(), Header.begin());

  const std::uint32_t FieldsStart = FieldBE24<FieldsStartOffset>(Header);
  if (FieldsStart != Base + 0x24) throw EKavError(this, msgMcuFieldsStart, {std::int64_t{FieldsStart}});

  if (!AllBytesEqual(Area, 0x08, 26, 0xFF)) Log(msgMcuHeaderNotFF, {std::string("Unk2")});
  if (!AllBytesEqual(Area, 0x2A, 14, 0xFF)) Log(msgMcuHeaderNotFF, {std::string("Unk3")});

  // The info block's 4-byte address must lie inside the bytes too, not just start there.
  const std::int64_t Info = std::int64_t{FieldBE32<0x3C>(Header)} - Base;
  TReader At(Area);
  std::uint32_t VersionAddr = 0;
  if (!InOpenRange(Info, Available) || !At.Seek(static_cast<std::size_t>(Info)) || !At.ReadBE32(VersionAddr))
    throw EKavError(this, msgMcuInfoBase, {Info});
  InfoBase_ = static_cast<std::int32_t>(Info);

  const std::int64_t VersionAt = std::int64_t{VersionAddr} - Base;
  if (!InOpenRange(VersionAt, Available)) throw EKavError(this, msgMcuVersionOut, {VersionAt});
  // A version without a zero byte ends with the bytes available.
  Version_ = TextUpToZero(TReader(Area, static_cast<std::size_t>(VersionAt)).Rest());
  Log(msgMcuVersion, {JoinLines(Version_)});

  const std::int64_t VNextAt = FindVNext(Area);
  // The record found lies 0x24 bytes or more before the end: its first 8 bytes are there.
  std::uint32_t LocationAddr = 0;
  if (VNextAt < 0 || !At.Seek(static_cast<std::size_t>(VNextAt)) || !At.ReadBE32(LocationAddr))
    throw EKavError(this, msgVNextNotFound, {});
  VNext_ = static_cast<std::int32_t>(VNextAt);
  const std::size_t O = static_cast<std::size_t>(VNextAt);
  if (O % 4 != 0) Log(msgVNextUnaligned, {VNextAt});
  if (Area[O + 7] != 0x00) Log(msgVNextGapByte, {std::int64_t{Area[O + 7]}});

  const std::int64_t Location = std::int64_t{LocationAddr} - Base;
  std::uint32_t PpmStart = 0;
  std::uint32_t PpmEnd = 0;
  if (!InOpenRange(Location, Available) || !At.Seek(static_cast<std::size_t>(Location)) || !At.ReadBE32(PpmStart) ||
      !At.ReadBE32(PpmEnd))
    throw EKavError(this, msgPpmLocationOut, {Location});
  PPMLocation_ = static_cast<std::int32_t>(Location);

  if (PpmStart > PpmEnd) throw EKavError(this, msgPpmStartAboveEnd, {std::int64_t{PpmStart}, std::int64_t{PpmEnd}});
  const std::int64_t PpmLength = static_cast<std::int64_t>(PpmEnd) - PpmStart + 1;
  // The PPM area reads this length back; one that no signed 32-bit size can hold is as good
  // as "to the end of the image", which is what the PPM area makes of a length past the end.
  PPMLength_ = static_cast<std::int32_t>(std::min<std::int64_t>(PpmLength, 0x7FFFFFFF));

  std::int64_t McuSize = static_cast<std::int64_t>(PpmStart) - Base;
  if (Root && Root->IsWinTesla() && McuSize <= MaxFlashSpan) {
    // The image may grow behind the area (and move): the area is read on from the reader the
    // root gives back, which stands where this one did.
    Reader = Root->FillGap(static_cast<std::int64_t>(Reader.Pos()) + McuSize);
  }
  if (McuSize < MinMcuSize) throw EKavError(this, msgMcuFieldsTooSmall, {McuSize});
  // An MCU area that runs past the image (a Divud file cut short, or a PPM start beyond any
  // flash) cannot be viewed; it is refused as too small for the length its header claims.
  if (McuSize > static_cast<std::int64_t>(Reader.Left()))
    throw EKavError(this, msgMcuTooSmall, {std::int64_t(Reader.Left())});
  SetSize(static_cast<std::int32_t>(McuSize));

  // The area starts where it did before any fill, so its header is the one read above.
  const std::int64_t FieldsEnd = std::int64_t{FieldBE24<0x27>(Header)} - Base;
  if (!InOpenRange(FieldsEnd, McuSize)) throw EKavError(this, msgMcuFieldsEnd, {FieldsEnd});
  ChecksumLength_ = static_cast<std::int32_t>(FieldsEnd + 1);

  const std::size_t Offset = Reader.ImageOffset();
  SetData(Reader.TakeUpTo(static_cast<std::size_t>(McuSize)), Offset);

  const std::uint16_t Stored = GetStoredChecksum();
  const std::uint16_t Calculated = GetCalcChecksum();
  if (Stored != Calculated) Log(msgMcuChecksum, {std::int64_t{Stored}, std::int64_t{Calculated}});
}

std::uint16_t TMCU::GetCalcChecksum() const {
  // The range may reach up to 0x25 bytes past the area; bytes beyond it count as 0 (the
  // sum's zero-filled last word).
  return SumWordsBE(Data(), FieldsStartOffset, ChecksumLength_);
}

}  // namespace kavex
