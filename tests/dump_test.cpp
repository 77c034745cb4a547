#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace kavtest;

TEST(KavexDump, DivudImageWithRawLpcsAndUnknownChunks) {
  Bytes Lpcs = SubchunkBytes({.Id = 7, .ShortName = "", .Body = Bytes(512, 0x11), .Length = 16 + 512});
  Ppm P;
  P.Chunks = {
      ChunkBytes({.Name = "LPCS", .Version = "V1", .Data = Concat({Lpcs, ClosingRecord()})}),
      ChunkBytes({.Name = "ZZZZ", .Version = "V2", .Data = Concat({SubchunkBytes({.Id = 3, .ShortName = "abc", .Body = {1, 2, 3, 4, 5}}), ClosingRecord()})}),
      EndChunk(),
  };
  Mcu M;
  const Bytes Image = DivudImage(M, P, Bytes(10, 0xEE));
  const DumpResult R = DumpImage(Image);
  EXPECT_EQ(R.Status, 0) << R.Err;
  std::cout << R.Out << R.Err;
}
