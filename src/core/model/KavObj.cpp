#include "model/KavObj.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "log/Log.h"

namespace kavex {

bool AllBytesEqual(TByteView Buf, std::size_t Offset, std::size_t Length, std::uint8_t Value) {
  if (Length == 0) return true;
  if (!HasBytes(Buf, Offset, Length)) return false;
  const auto Range = Buf.subspan(Offset, Length);
  return std::all_of(Range.begin(), Range.end(), [Value](std::uint8_t B) { return B == Value; });
}

namespace {

// Byte sums of a run of big-endian words, by the byte's place in its word: Sums[0] adds the
// most significant bytes. The word sum is then Sums[0] << 24 + ... (dwords) or Sums[0] << 8 +
// Sums[1] (words), wrapping as the word sum does. Checksums run over megabytes each time an
// image is opened: with SSE2 (every x86-64 has it), 16 bytes at a time are widened to 16-bit
// lanes and added, lane k holding the bytes at k and k + 8 of each 16, which share a place.
template <std::size_t Width>
std::array<std::uint32_t, Width> PlaceSums(const std::uint8_t* P, std::size_t Bytes) {
  std::array<std::uint32_t, Width> Sums{};
  std::size_t I = 0;
#if defined(__SSE2__)
  static_assert(8 % Width == 0);
  const __m128i Zero = _mm_setzero_si128();
  __m128i Low = Zero;   // 32-bit sums of lanes 0 to 3
  __m128i High = Zero;  // and of lanes 4 to 7
  while (Bytes - I >= 16) {
    // A 16-bit lane gains at most 2 * 255 a step: 128 steps cannot overflow it.
    const std::size_t Steps = std::min<std::size_t>((Bytes - I) / 16, 128);
    __m128i Lanes = Zero;
    for (std::size_t S = 0; S < Steps; ++S, I += 16) {
      const __m128i X = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P + I));
      Lanes = _mm_add_epi16(Lanes, _mm_add_epi16(_mm_unpacklo_epi8(X, Zero), _mm_unpackhi_epi8(X, Zero)));
    }
    Low = _mm_add_epi32(Low, _mm_unpacklo_epi16(Lanes, Zero));
    High = _mm_add_epi32(High, _mm_unpackhi_epi16(Lanes, Zero));
  }
  alignas(16) std::uint32_t Lane[8];
  _mm_store_si128(reinterpret_cast<__m128i*>(Lane), Low);
  _mm_store_si128(reinterpret_cast<__m128i*>(Lane + 4), High);
  for (std::size_t K = 0; K < 8; ++K) Sums[K % Width] += Lane[K];
#endif
  for (; I < Bytes; ++I) Sums[I % Width] += P[I];
  return Sums;
}

}  // namespace

std::uint16_t SumWordsBE(TByteView Buf, std::size_t Offset, std::int64_t Length) {
  if (Length <= 0 || Offset >= Buf.size()) return 0;
  const std::uint64_t Limit = static_cast<std::uint64_t>(Length);
  // The words that start before Limit and lie wholly inside the buffer, then the bounded last.
  const std::size_t Whole = static_cast<std::size_t>(std::min<std::uint64_t>((Limit + 1) / 2, (Buf.size() - Offset) / 2));
  const auto Sums = PlaceSums<2>(Buf.data() + Offset, 2 * Whole);
  std::uint32_t Sum = (Sums[0] << 8) + Sums[1];
  const std::size_t Next = Offset + 2 * Whole;
  if (2 * Whole < Limit && Next < Buf.size()) Sum += BE16OrZero(Buf, Next);  // the last word, zero-filled
  return static_cast<std::uint16_t>(Sum);
}

std::uint32_t SumDWordsBE(TByteView Buf, std::size_t Offset, std::int64_t Length) {
  if (Length <= 0 || Offset >= Buf.size()) return 0;
  const std::uint64_t Limit = static_cast<std::uint64_t>(Length);
  const std::size_t Whole = static_cast<std::size_t>(std::min<std::uint64_t>((Limit + 3) / 4, (Buf.size() - Offset) / 4));
  const auto Sums = PlaceSums<4>(Buf.data() + Offset, 4 * Whole);
  std::uint32_t Sum = (Sums[0] << 24) + (Sums[1] << 16) + (Sums[2] << 8) + Sums[3];
  const std::size_t Next = Offset + 4 * Whole;
  if (4 * Whole < Limit && Next < Buf.size()) Sum += BE32OrZero(Buf, Next);  // the last word, zero-filled
  return Sum;
}

// ---------------------------------------------------------------------------------------
namespace {
TLogProc& InstalledLogProc() {
  static TLogProc Proc;
  return Proc;
}
}  // namespace

void SetLogProc(TLogProc Proc) {
  InstalledLogProc() = std::move(Proc);
  if (InstalledLogProc()) InstalledLogProc()(msgMsgProcInitialized, "[KavObj]", TLogArgs{});
}

int CallLogProc(int Ident, const std::string& Path, const TLogArgs& Args) {
  if (!InstalledLogProc()) return 0;
  return InstalledLogProc()(Ident, Path, Args);
}

// ---------------------------------------------------------------------------------------
namespace {
std::string PathOf(const TKavClass* Node) { return Node ? Node->GetPath() : std::string("/"); }
}  // namespace

EKavError::EKavError(const TKavClass* Node, int Ident, const TLogArgs& Args) : std::runtime_error(Text) {
  CallLogProc(Ident, PathOf(Node ? Node->Parent() : nullptr), Args);
}

TKavClass::TKavClass(TKavClass* Parent, [[maybe_unused]] std::int32_t Available, [[maybe_unused]] const TReader& Reader)
    : Parent_(Parent) {
  assert(Available >= 0 && static_cast<std::size_t>(Available) == Reader.Left());
}

TKavClass::~TKavClass() { DestroyChildren(); }

void TKavClass::DestroyChildren() {
  // Children go first, last to first, so that no child outlives what it points into.
  while (!Children_.empty()) Children_.pop_back();
}

std::string TKavClass::GetCaption() const {
  const std::string Name = GetName();
  const std::string Description = GetDescription();
  if (Description.empty()) return Name;
  if (Name.empty()) return Description;
  std::string Caption;
  Caption.reserve(Name.size() + Description.size() + 3);
  return Caption.append(Name).append(" (").append(Description).append(1, ')');
}

namespace {
// The names from below the root down to Node, each followed by a slash.
void AppendNames(const TKavClass* Node, std::string& Path) {
  if (!Node || std::strcmp(Node->ClassName(), "TFls") == 0) return;
  AppendNames(Node->Parent(), Path);
  Path.append(Node->GetName()).append(1, '/');
}
}  // namespace

std::string TKavClass::GetPath() const {
  // Every finding logs its path: the names go straight into the one string (the tree is a
  // few levels deep).
  std::string Path(1, '/');
  AppendNames(this, Path);
  return Path;
}

int TKavClass::Log(int Ident, const TLogArgs& Args) const { return CallLogProc(Ident, GetPath(), Args); }

TKavClass* TKavClass::AddChild(std::unique_ptr<TKavClass> Node) {
  if (!Node) return nullptr;
  Node->IndexInParent_ = Children_.size();
  Children_.push_back(std::move(Node));
  return Children_.back().get();
}

TKavClass* TKavClass::FindChild(std::string_view ClassName) const {
  for (const auto& Child : Children_)
    if (ClassName == Child->ClassName()) return Child.get();
  return nullptr;
}

TKavClass* TKavClass::NextSibling() const {
  if (!Parent_) return nullptr;
  return Parent_->Child(IndexInParent_ + 1);
}

// ---------------------------------------------------------------------------------------
TKavContainer::TKavContainer(TKavClass* Parent, std::int32_t Available, const TReader& Reader)
    : TKavClass(Parent, Available, Reader) {}

std::int32_t TKavContainer::Left() const {
  return Size_ - static_cast<std::int32_t>(std::min<std::size_t>(Cursor_.Pos(), SizeOrZero(Size_)));
}

void TKavContainer::SetData(TByteView Source, std::size_t Offset) {
  Data_ = {};
  if (Size_ > 0) {
    Data_ = Source.first(std::min<std::size_t>(static_cast<std::size_t>(Size_), Source.size()));
    Size_ = static_cast<std::int32_t>(Data_.size());
  }
  Cursor_ = TReader(Data_, 0, Offset);
  SetImageBytes(Data_, Offset);
}

std::string JoinLines(std::string_view Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (char C : Text) {
    if (C == '\n')
      Out += ", ";
    else
      Out += C;
  }
  return Out;
}

}  // namespace kavex
