#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "model/Reader.h"

using namespace kavex;
using kavtest::Bytes;

// Every bounded read at a limit: one byte below the bytes left, exactly at them, one above.
// A read that succeeds moves the reader by its width; one that fails returns nothing and
// leaves the reader where it was.
TEST(Reader, BoundedReadsSucceedUpToTheBytesLeftAndMoveNothingWhenTheyFail) {
  const Bytes B{0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19};
  struct TCase {
    const char* Name;
    std::size_t Width;
    std::function<bool(TReader&, std::uint64_t&)> Read;  // the value read, as a number
  };
  const auto Value = [](TByteView V) {
    std::uint64_t N = 0;
    for (std::uint8_t Byte : V) N = N << 8 | Byte;
    return N;
  };
  const TCase Cases[] = {
      {"ReadU8", 1, [](TReader& R, std::uint64_t& V) { std::uint8_t X = 0; const bool Ok = R.ReadU8(X); V = X; return Ok; }},
      {"ReadBE16", 2, [](TReader& R, std::uint64_t& V) { std::uint16_t X = 0; const bool Ok = R.ReadBE16(X); V = X; return Ok; }},
      {"ReadBE24", 3, [](TReader& R, std::uint64_t& V) { std::uint32_t X = 0; const bool Ok = R.ReadBE24(X); V = X; return Ok; }},
      {"ReadBE32", 4, [](TReader& R, std::uint64_t& V) { std::uint32_t X = 0; const bool Ok = R.ReadBE32(X); V = X; return Ok; }},
      {"Take(5)", 5, [&](TReader& R, std::uint64_t& V) { const auto X = R.Take(5); V = X ? Value(*X) : 0; return X.has_value(); }},
      {"Sub(6)", 6, [&](TReader& R, std::uint64_t& V) { const auto X = R.Sub(6); V = X ? Value(X->Bytes()) : 0; return X.has_value(); }},
      {"Skip(7)", 7, [&](TReader& R, std::uint64_t& V) { const TByteView Before = R.Rest(); const bool Ok = R.Skip(7); V = Ok ? Value(Before.first(7)) : 0; return Ok; }},
  };
  for (const TCase& C : Cases)
    for (std::size_t Left : {C.Width - 1, C.Width, C.Width + 1}) {
      const std::size_t Pos = B.size() - Left;
      TReader R(B, Pos, 100);
      std::uint64_t Got = 0;
      const bool Ok = C.Read(R, Got);
      EXPECT_EQ(Ok, Left >= C.Width) << C.Name << " with " << Left << " left";
      EXPECT_EQ(R.Pos(), Ok ? Pos + C.Width : Pos) << C.Name << " with " << Left << " left";
      EXPECT_EQ(R.ImageOffset(), 100 + R.Pos()) << C.Name;
      if (Ok) {
        EXPECT_EQ(Got, Value(TByteView(B).subspan(Pos, C.Width))) << C.Name << " with " << Left << " left";
      }
    }
}

TEST(Reader, PeeksSeeksAndSubReadersKeepTheirBoundsAndImageOffsets) {
  const Bytes B{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  TReader R(B, 2, 1000);
  EXPECT_EQ(R.Peek(8)->size(), 8u);
  EXPECT_FALSE(R.Peek(9));
  EXPECT_EQ(R.Pos(), 2u);  // peeks never move
  auto Sub = R.Sub(4);
  ASSERT_TRUE(Sub);
  EXPECT_EQ(R.Pos(), 6u);
  EXPECT_EQ(Sub->Size(), 4u);
  EXPECT_EQ(Sub->ImageOffset(), 1002u);  // where its bytes stand in the image
  EXPECT_FALSE(Sub->Take(5));           // a sub-reader ends where its bytes do
  EXPECT_EQ(Sub->Take(4)->front(), 3);
  EXPECT_TRUE(R.Seek(10));
  EXPECT_EQ(R.Left(), 0u);
  EXPECT_FALSE(R.Seek(11));
  EXPECT_EQ(R.Pos(), 10u);
  EXPECT_EQ(TReader(B, 50).Pos(), 10u);  // a start past the end stands at the end
  TReader Empty;
  EXPECT_FALSE(Empty.Take(1));
  EXPECT_TRUE(Empty.Take(0));
}

// The reads that settle for less: each stops at the end, and what is missing reads as 0.
TEST(Reader, ReadsThatSettleForLessStopAtTheEndOrReadZeros) {
  const Bytes B{0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
  for (std::size_t N : {2u, 3u, 4u}) {  // below, at and above the 3 bytes left
    TReader R(B, 4);
    EXPECT_EQ(R.PeekUpTo(N).size(), std::min<std::size_t>(N, 3)) << N;
    EXPECT_EQ(R.TakeUpTo(N).size(), std::min<std::size_t>(N, 3)) << N;
    EXPECT_EQ(R.Pos(), 4 + std::min<std::size_t>(N, 3)) << N;
    TReader S(B, 4, 20);
    const TReader Part = S.SubUpTo(N);
    EXPECT_EQ(Part.Size(), std::min<std::size_t>(N, 3)) << N;
    EXPECT_EQ(Part.ImageOffset(), 24u) << N;
    TReader K(B, 4);
    K.SkipUpTo(N);
    EXPECT_EQ(K.Pos(), 4 + std::min<std::size_t>(N, 3)) << N;
  }
  // Alignment counts from the start of the bytes and stops at their end.
  for (const auto& [From, To] : {std::pair<std::size_t, std::size_t>{0, 0}, {1, 4}, {4, 4}, {5, 7}, {7, 7}}) {
    TReader R(B, From);
    R.AlignUp4UpToEnd();
    EXPECT_EQ(R.Pos(), To) << From;
  }
  // A word of which 4, 3 or no bytes exist.
  EXPECT_EQ(TReader(B, 3).PeekBE32OrZero(), 0xA4A5A6A7u);
  EXPECT_EQ(TReader(B, 4).PeekBE32OrZero(), 0xA5A6A700u);
  EXPECT_EQ(TReader(B, 7).PeekBE32OrZero(), 0u);
  EXPECT_EQ(TReader(B, 6).PeekU8OrZero(), 0xA7);
  EXPECT_EQ(TReader(B, 7).PeekU8OrZero(), 0);
  EXPECT_EQ(BE16OrZero(B, 5), 0xA6A7);
  EXPECT_EQ(BE16OrZero(B, 6), 0xA700);
  EXPECT_EQ(BE24OrZero(B, 5), 0xA6A700u);
  EXPECT_EQ(BE32OrZero(B, std::size_t(-2)), 0u);  // an offset near the top does not wrap round
  EXPECT_TRUE(HasBytes(B, 7, 0));
  EXPECT_FALSE(HasBytes(B, 8, 0));
  EXPECT_FALSE(HasBytes(B, 1, std::size_t(-1)));
  EXPECT_EQ(SizeOrZero(-5), 0u);
  EXPECT_EQ(SizeOrZero(0), 0u);
  EXPECT_EQ(SizeOrZero(7), 7u);
}

// A reader cut for a child, N bytes below, at and above the bytes left: it stands where its
// parent does, with the parent's positions and image offsets, and reads nothing past the cut;
// a zero-filled read there gives 0, not the parent's next byte.
TEST(Reader, ACutReaderStandsWhereItsParentDoesAndReadsNothingPastTheCut) {
  const Bytes B{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  for (const std::size_t N : {3u, 6u, 7u}) {  // the parent stands at 4, with 6 bytes left
    SCOPED_TRACE(N);
    const TReader Parent(B, 4, 100);
    TReader Child = Parent.CutUpTo(N);
    const std::size_t Cut = std::min<std::size_t>(N, 6);
    EXPECT_EQ(Child.Pos(), 4u);
    EXPECT_EQ(Child.Left(), Cut);
    EXPECT_EQ(Child.ImageOffset(), 104u);
    EXPECT_EQ(Child.Bytes().data(), B.data());  // the bytes before the position are the parent's
    EXPECT_FALSE(Child.Peek(Cut + 1));
    EXPECT_EQ(Child.TakeUpTo(10).size(), Cut);
    EXPECT_EQ(Child.PeekU8OrZero(), 0);
    EXPECT_EQ(Parent.Pos(), 4u);
  }
  // Alignment counts from the start of the parent's bytes, and stops at the cut.
  for (const auto& [N, To] : {std::pair<std::size_t, std::size_t>{2, 7}, {3, 8}, {4, 8}}) {
    TReader Child = TReader(B, 5).CutUpTo(N);
    Child.AlignUp4UpToEnd();
    EXPECT_EQ(Child.Pos(), To) << N;
  }
}
