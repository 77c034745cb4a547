#pragma once
// Bounded reads of untrusted bytes: one reader type for every walk over an image, and the few
// reads that the format wants zero-filled, each under a name that says so.
//
// A TReader is a view of some bytes, a position in them and the offset of the view's first
// byte in the loaded image. A read that cannot be satisfied returns nothing (an empty optional
// or false) and leaves the position where it was. Every length is a std::size_t; a signed
// number from the file becomes a size once, through SizeOrZero, where it enters.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kavex {

using TByteView = std::span<const std::uint8_t>;

// A signed count as a size: a negative one counts as no bytes at all.
constexpr std::size_t SizeOrZero(std::int64_t Value) { return Value > 0 ? static_cast<std::size_t>(Value) : 0; }

// True when Buf[Offset, Offset + Length) lies inside Buf (checked without overflow).
constexpr bool HasBytes(TByteView Buf, std::size_t Offset, std::size_t Length) {
  return Offset <= Buf.size() && Length <= Buf.size() - Offset;
}

// ---------------------------------------------------------------------------------------
// Zero-filled reads: a byte that does not exist reads as 0. Only where the format really
// means it (a checksum's last word, a probe that must fail all the same on a short rest).
constexpr std::uint8_t ByteOrZero(TByteView Buf, std::size_t Offset) { return Offset < Buf.size() ? Buf[Offset] : 0; }
// (An Offset past the end returns at once, so that Offset + 1 ... cannot wrap round.)
constexpr std::uint16_t BE16OrZero(TByteView Buf, std::size_t Offset) {
  if (Offset >= Buf.size()) return 0;
  return static_cast<std::uint16_t>((ByteOrZero(Buf, Offset) << 8) | ByteOrZero(Buf, Offset + 1));
}
constexpr std::uint32_t BE24OrZero(TByteView Buf, std::size_t Offset) {
  if (Offset >= Buf.size()) return 0;
  return (std::uint32_t{ByteOrZero(Buf, Offset)} << 16) | (std::uint32_t{ByteOrZero(Buf, Offset + 1)} << 8) |
         ByteOrZero(Buf, Offset + 2);
}
constexpr std::uint32_t BE32OrZero(TByteView Buf, std::size_t Offset) {
  if (Offset >= Buf.size()) return 0;
  return (std::uint32_t{ByteOrZero(Buf, Offset)} << 24) | BE24OrZero(Buf, Offset + 1);
}

// Fields of a fixed-size header: the bound is checked when the program is compiled.
template <std::size_t At, std::size_t N>
constexpr std::uint16_t FieldBE16(const std::array<std::uint8_t, N>& Header) {
  static_assert(At + 2 <= N, "field outside the header");
  return static_cast<std::uint16_t>((Header[At] << 8) | Header[At + 1]);
}
template <std::size_t At, std::size_t N>
constexpr std::uint32_t FieldBE24(const std::array<std::uint8_t, N>& Header) {
  static_assert(At + 3 <= N, "field outside the header");
  return (std::uint32_t{Header[At]} << 16) | (std::uint32_t{Header[At + 1]} << 8) | Header[At + 2];
}
template <std::size_t At, std::size_t N>
constexpr std::uint32_t FieldBE32(const std::array<std::uint8_t, N>& Header) {
  static_assert(At + 4 <= N, "field outside the header");
  return (std::uint32_t{Header[At]} << 24) | (std::uint32_t{Header[At + 1]} << 16) | (std::uint32_t{Header[At + 2]} << 8) |
         Header[At + 3];
}

// ---------------------------------------------------------------------------------------
class TReader {
public:
  TReader() = default;
  // Reads Bytes from Pos on (a Pos past the end stands at the end). Offset is where Bytes[0]
  // stands in the loaded image.
  TReader(TByteView Bytes, std::size_t Pos = 0, std::size_t Offset = 0)
      : Bytes_(Bytes), Pos_(Pos < Bytes.size() ? Pos : Bytes.size()), Offset_(Offset) {}

  TByteView Bytes() const { return Bytes_; }  // all of them, also those already read
  std::size_t Size() const { return Bytes_.size(); }
  std::size_t Pos() const { return Pos_; }
  std::size_t Left() const { return Bytes_.size() - Pos_; }
  TByteView Rest() const { return Bytes_.subspan(Pos_); }
  // Where the position stands in the loaded image.
  std::size_t ImageOffset() const { return Offset_ + Pos_; }
  std::size_t BaseOffset() const { return Offset_; }

  // The next N bytes, and the position behind them.
  [[nodiscard]] std::optional<TByteView> Take(std::size_t N) {
    if (N > Left()) return std::nullopt;
    const TByteView Out = Bytes_.subspan(Pos_, N);
    Pos_ += N;
    return Out;
  }
  std::optional<TByteView> Peek(std::size_t N) const {
    if (N > Left()) return std::nullopt;
    return Bytes_.subspan(Pos_, N);
  }
  // A reader of its own for a child node: these bytes up to N past the position (or up to their
  // end), standing at this position. Nothing past the cut can be read through it; positions,
  // the 4-byte alignment and image offsets count as they do here, and the bytes before the
  // position (already read) stay in Bytes(). The parent then moves on to the child's Pos().
  TReader CutUpTo(std::size_t N) const { return TReader(Bytes_.first(Pos_ + (N < Left() ? N : Left())), Pos_, Offset_); }
  // The next N bytes as a reader of their own (its offsets stay image offsets).
  [[nodiscard]] std::optional<TReader> Sub(std::size_t N) {
    if (N > Left()) return std::nullopt;
    TReader Out(Bytes_.subspan(Pos_, N), 0, ImageOffset());
    Pos_ += N;
    return Out;
  }
  bool Skip(std::size_t N) {
    if (N > Left()) return false;
    Pos_ += N;
    return true;
  }
  // Moves to Pos of the same bytes; false (and no move) past the end.
  bool Seek(std::size_t Pos) {
    if (Pos > Size()) return false;
    Pos_ = Pos;
    return true;
  }

  [[nodiscard]] bool ReadU8(std::uint8_t& Out) {
    if (Left() < 1) return false;
    Out = Bytes_[Pos_++];
    return true;
  }
  [[nodiscard]] bool ReadBE16(std::uint16_t& Out) {
    if (Left() < 2) return false;
    Out = BE16OrZero(Bytes_, Pos_);
    Pos_ += 2;
    return true;
  }
  [[nodiscard]] bool ReadBE24(std::uint32_t& Out) {
    if (Left() < 3) return false;
    Out = BE24OrZero(Bytes_, Pos_);
    Pos_ += 3;
    return true;
  }
  [[nodiscard]] bool ReadBE32(std::uint32_t& Out) {
    if (Left() < 4) return false;
    Out = BE32OrZero(Bytes_, Pos_);
    Pos_ += 4;
    return true;
  }

  // Reads whose shortfall is a decision of the caller's, visible in the name: the bytes that
  // exist up to N, a move that stops at the end, a word whose missing bytes read as 0.
  TByteView TakeUpTo(std::size_t N) {
    const TByteView Out = Bytes_.subspan(Pos_, N < Left() ? N : Left());
    Pos_ += Out.size();
    return Out;
  }
  TByteView PeekUpTo(std::size_t N) const { return Bytes_.subspan(Pos_, N < Left() ? N : Left()); }
  TReader SubUpTo(std::size_t N) {
    const std::size_t Start = ImageOffset();
    return TReader(TakeUpTo(N), 0, Start);
  }
  void SkipUpTo(std::size_t N) { Pos_ += N < Left() ? N : Left(); }
  // To the next multiple of 4 counted from the start of the bytes, or to their end.
  void AlignUp4UpToEnd() {
    const std::size_t Aligned = (Pos_ + 3) & ~static_cast<std::size_t>(3);
    Pos_ = Aligned < Size() ? Aligned : Size();
  }
  std::uint8_t PeekU8OrZero() const { return ByteOrZero(Bytes_, Pos_); }
  std::uint32_t PeekBE32OrZero() const { return BE32OrZero(Bytes_, Pos_); }

private:
  TByteView Bytes_;
  std::size_t Pos_ = 0;
  std::size_t Offset_ = 0;
};

}  // namespace kavex
