#include <gtest/gtest.h>

#include <random>

#include "ImageBuilder.h"
#include "model/KavObj.h"

using kavtest::Bytes;

namespace {

// The sums as the format defines them, one byte at a time: words from Offset while fewer than
// Length bytes are passed; bytes beyond the buffer count as 0.
std::uint32_t Reference(const Bytes& B, std::size_t Offset, std::int64_t Length, unsigned Width) {
  std::uint32_t Sum = 0;
  for (std::int64_t Passed = 0; Passed < Length && Offset + static_cast<std::size_t>(Passed) < B.size(); Passed += Width) {
    std::uint32_t Word = 0;
    for (unsigned K = 0; K < Width; ++K) {
      const std::size_t At = Offset + static_cast<std::size_t>(Passed) + K;
      Word = (Word << 8) | (At < B.size() ? B[At] : 0);
    }
    Sum += Word;
  }
  return Width == 2 ? Sum & 0xFFFF : Sum;
}

}  // namespace

TEST(ChecksumSums, AgreeWithTheByteWiseDefinitionForEveryOffsetLengthAndEnd) {
  std::mt19937 Random(7);
  Bytes B(5003);
  for (auto& Byte : B) Byte = static_cast<std::uint8_t>(Random());
  // Sizes past 2048 bytes cross the blocks in which byte sums are gathered.
  for (std::size_t Size : {0u, 1u, 2u, 3u, 5u, 64u, 67u, 301u, 2049u, 5003u}) {
    const Bytes Buf(B.begin(), B.begin() + static_cast<long>(Size));
    for (std::size_t Offset = 0; Offset <= Size + 1; Offset += Offset < 9 ? 1 : 97)
      for (std::int64_t Length : {std::int64_t{-1}, std::int64_t{0}, std::int64_t{1}, std::int64_t{2}, std::int64_t{3},
                                  std::int64_t{5}, std::int64_t{63}, std::int64_t{300}, std::int64_t{4097}, std::int64_t{1} << 40}) {
        EXPECT_EQ(kavex::SumWordsBE(Buf, Offset, Length), Reference(Buf, Offset, Length, 2)) << Size << " " << Offset << " " << Length;
        EXPECT_EQ(kavex::SumDWordsBE(Buf, Offset, Length), Reference(Buf, Offset, Length, 4)) << Size << " " << Offset << " " << Length;
      }
  }
  // All bytes at their largest fill every partial sum to its limit.
  const Bytes Ff(70001, 0xFF);
  for (std::int64_t Length : {std::int64_t{2047}, std::int64_t{2048}, std::int64_t{2049}, std::int64_t{70001}}) {
    EXPECT_EQ(kavex::SumWordsBE(Ff, 0, Length), Reference(Ff, 0, Length, 2)) << Length;
    EXPECT_EQ(kavex::SumDWordsBE(Ff, 0, Length), Reference(Ff, 0, Length, 4)) << Length;
  }
}
