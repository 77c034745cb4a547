#include "model/KavObj.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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
// image is opened; this form lets the compiler use vector adds with no more than SSE2.
template <std::size_t Width>
std::array<std::uint32_t, Width> PlaceSums(const std::uint8_t* P, std::size_t Bytes) {
  std::array<std::uint32_t, Width> Sums{};
  std::size_t I = 0;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t Even = 0x00FF00FF00FF00FFull;
    // 16-bit lanes of byte sums: a lane overflows after 257 additions, so blocks stay shorter.
    constexpr std::size_t Block = 256 * 8;
    while (Bytes - I >= 8) {
      const std::size_t End = I + std::min(Block, (Bytes - I) / 8 * 8);
      std::uint64_t E = 0, O = 0;
      for (; I < End; I += 8) {
        std::uint64_t X;
        std::memcpy(&X, P + I, 8);
        E += X & Even;         // bytes 0, 2, 4, 6 of the eight
        O += (X >> 8) & Even;  // bytes 1, 3, 5, 7
      }
      const auto Lane = [](std::uint64_t V, int K) { return static_cast<std::uint32_t>((V >> (16 * K)) & 0xFFFF); };
      if constexpr (Width == 4) {
        Sums[0] += Lane(E, 0) + Lane(E, 2);
        Sums[2] += Lane(E, 1) + Lane(E, 3);
        Sums[1] += Lane(O, 0) + Lane(O, 2);
        Sums[3] += Lane(O, 1) + Lane(O, 3);
      } else {
        Sums[0] += Lane(E, 0) + Lane(E, 1) + Lane(E, 2) + Lane(E, 3);
        Sums[1] += Lane(O, 0) + Lane(O, 1) + Lane(O, 2) + Lane(O, 3);
      }
    }
  }
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

TKavClass::TKavClass(TKavClass* Parent, std::int32_t /*Available*/, TReader& /*Cursor*/) : Parent_(Parent) {}

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
  return FormatText("%s (%s)", TLogArgs{Name, Description});
}

std::string TKavClass::GetPath() const {
  std::string Path;
  for (const TKavClass* Node = this; Node && std::strcmp(Node->ClassName(), "TFls") != 0; Node = Node->Parent())
    Path = Node->GetName() + "/" + Path;
  return "/" + Path;
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
TKavContainer::TKavContainer(TKavClass* Parent, std::int32_t Available, TReader& Cursor)
    : TKavClass(Parent, Available, Cursor) {}

std::int32_t TKavContainer::Remaining() const {
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
