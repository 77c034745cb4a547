// The file and area panel: where each area lies, the file's layout, and the checksums as the
// model checked them, for whole, damaged and cut images.

#include <gtest/gtest.h>

#include <algorithm>

#include "ContentFixture.h"
#include "TestSupport.h"
#include "present/Kav_AreaDetails.h"
#include "present/Kav_Details.h"
#include "present/Kav_Walk.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

std::string N(std::size_t V) { return "0x" + Hex(static_cast<std::uint32_t>(V), 8) + " (" + std::to_string(V) + ")"; }

struct Case {
  const char* What;
  Bytes File;
  bool FromFile;  // through LoadFile, which joins a WinTesla file of large blocks while reading it
  std::size_t Count;  // rows of the root and its areas together
  Lines Rows;         // "Title: Label Value", each among them
};

}  // namespace

TEST(AreaPanel, PlacesLayoutsAndChecksumsOfWholeDamagedAndCutImages) {
  const Ppm P{.Chunks = {Bytes{0x11, 0x22, 0x33, 0x44}}};  // 54 bytes; its chunks are not built here
  const Bytes Good = DivudImage({}, P, {7});
  const std::string Sum = "0x" + Hex(BE16OrZero(Good, 0x22), 4), Flip = "0x" + Hex(BE16OrZero(Good, 0x22) ^ 0x100, 4);
  Bytes Flipped = Good, BadCopy = Good, Half = McuBytes({}, 54);
  Flipped[0x22] ^= 1;
  BadCopy[0x10000 + 48] ^= 0x80;
  Half.resize(0x8000);  // a WinTesla file ending inside the MCU area is filled with 0xFF
  Bytes Filled = Half;
  Filled.resize(0x10000, 0xFF);
  ResealMcu(Filled);
  const auto Cut = [&](std::size_t K) { return Bytes(Good.begin(), Good.begin() + 0x10000 + static_cast<std::ptrdiff_t>(K)); };
  const Case Cases[] = {
      {"Divud", Good, false, 18, {"File: Layout: Divud", "File: File size: " + N(0x10037), "File: Offset: " + N(0), "File: Size: " + N(0x10037),
        "MCU area: Offset: " + N(0), "MCU area: Size: " + N(0x10000), "MCU area: Flash addresses: 0x00200000 \u2013 0x0020FFFF",
        "MCU area: Stored checksum: " + Sum, "MCU area: Calculated checksum: " + Sum, "MCU area: Checksum: match",
        "PPM area: Offset: " + N(0x10000), "PPM area: Size: " + N(54), "PPM area: Chunks from: " + N(0x1002C),
        "PPM area: Checksum at PPM: " + Sum, "PPM area: Checksum of MCU: " + Sum, "PPM area: Checksum: match",
        "EEPROM area: Offset: " + N(0x10036), "EEPROM area: Size: " + N(1)}},
      {"WinTesla joined while read", WinTesla(Good, 0x200000, 0x4000), true, 19,
       {"File: Layout: WinTesla", "File: File size: " + N(0x10037 + 5 * 9), "File: WinTesla blocks: 5", "File: Size: " + N(0x10037)}},
      {"WinTesla joined in memory, filled up to the PPM start", WinTesla(Half, 0x200000, 0x8000), false, 11,
       {"File: File size: " + N(0x8009), "File: WinTesla blocks: 1", "File: Size: " + N(0x10000), "MCU area: Stored checksum: " + Sum,
        "MCU area: Calculated checksum: 0x" + Hex(BE16OrZero(Filled, 0x22), 4), "MCU area: Checksum: does not match"}},
      {"MCU checksum flipped", Flipped, false, 18,
       {"MCU area: Stored checksum: " + Flip, "MCU area: Calculated checksum: " + Sum, "MCU area: Checksum: does not match",
        "PPM area: Checksum at PPM: " + Sum, "PPM area: Checksum of MCU: " + Flip, "PPM area: Checksum: does not match"}},
      {"PPM copy differs", BadCopy, false, 18,
       {"MCU area: Checksum: match", "PPM area: Checksum at PPM: 0x" + Hex(BE16OrZero(Good, 0x22) ^ 0x8000, 4), "PPM area: Checksum: does not match"}},
      {"PPM area alone", PpmBytes(P), false, 9,
       {"File: Size: " + N(54), "PPM area: Offset: " + N(0), "PPM area: Checksum at PPM: 0x1234", "PPM area: Checksum: not compared (no MCU area)"}},
      // The header cut short, then the copy's limit: 6 bytes behind the header, read from there.
      {"PPM header cut short", Cut(43), false, 16,
       {"PPM area: Size: " + N(43), "PPM area: Chunks from: " + N(0x1002B), "PPM area: Checksum at PPM: none (area too short)"}},
      {"PPM 5 bytes past its header", Cut(49), false, 16,
       {"PPM area: Size: " + N(49), "PPM area: Checksum at PPM: none (area too short)", "PPM area: Checksum: not compared (no checksum at PPM)"}},
      {"PPM 6 bytes past its header", Cut(50), false, 16, {"PPM area: Checksum at PPM: 0x1122", "PPM area: Checksum: does not match"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    CapturedLog L;
    TempFile File(C.File);
    const auto Root = C.FromFile ? LoadFile(File.Path()) : LoadImage(C.File, "x.fls");
    ASSERT_TRUE(Root && BuildChildren(*Root));
    Lines Rows;
    for (const TKavClass* Node = Root.get(); Node; Node = Node == Root.get() ? Root->FirstChild() : Node->NextSibling()) {
      for (const TAreaDetails D = AreaDetails(*Node); const TDetailRow& R : D.Rows) Rows.push_back(D.Title + ": " + R.Label + " " + R.Value);
      EXPECT_TRUE(DumpDetailLines(*Node, true).empty()) << Node->ClassName();  // kavex-dump leaves them out still
    }
    EXPECT_EQ(Rows.size(), C.Count);
    for (const std::string& Row : C.Rows) EXPECT_NE(std::find(Rows.begin(), Rows.end(), Row), Rows.end()) << Row;
    // The verdicts are the model's own: message 30 for the MCU area, 17 for the PPM copy.
    const std::vector<int> Ids = L.Idents();
    EXPECT_EQ(std::count(Ids.begin(), Ids.end(), 30), std::count(Rows.begin(), Rows.end(), "MCU area: Checksum: does not match"));
    EXPECT_EQ(std::count(Ids.begin(), Ids.end(), 17), std::count(Rows.begin(), Rows.end(), "PPM area: Checksum: does not match"));
  }
  const ParsedChunk Chunk = ParseChunk("TEXT", ClosingRecord());  // no other node has the panel
  EXPECT_TRUE(!HasAreaDetails(nullptr) && !HasAreaDetails(Chunk.Chunk->Child(0)) && AreaDetails(*Chunk.Chunk).Title.empty());
}
