#include <gtest/gtest.h>

#include <functional>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "cli/DumpTool.h"

using namespace kavtest;
using nlohmann::json;

namespace {

// Text tables, two fonts, a raw subchunk with its padding, a chunk of odd length (the end chunk
// starts at an odd offset) and an EEPROM area.
Bytes PlacesImage(std::uint32_t Base) {
  const Font F{.Name1 = "Mini", .Ranges = {{.First = 'A', .Last = 'B', .Height = 2}},
               .Images = {{.Width = 2, .Bitmap = BandBitmap({"#.", ".#"})}}};
  const auto Closed = [](Subchunk S) { return Concat({SubchunkBytes(S), ClosingRecord()}); };
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "TEXT", .Data = Closed({.Id = 2, .Body = TextBody({"English", "One"})})}),
              ChunkBytes({.Name = "FONT", .Data = Closed({.Id = 1, .Body = FontBody({F, F}), .Pad = false})}),
              ChunkBytes({.Name = "GSMC", .Data = Closed({.Id = 5, .Body = {1, 2, 3, 4, 5}})}),
              ChunkBytes({.Name = "ZZZZ", .Data = Closed({.Id = 3, .Body = {9}, .Pad = false})}), EndChunk()};
  return DivudImage(Mcu{.Base = Base}, P, Bytes(7, 0xEE));
}

void Walk(const json& Node, const std::function<void(const json&)>& Visit) {
  Visit(Node);
  for (const json& Child : Node.at("children")) Walk(Child, Visit);
}

}  // namespace

// Every node's offset and size pick out of the loaded image (a Divud file itself, a WinTesla
// file's blocks joined, block borders inside nodes) exactly the bytes --extract writes; only
// the MCU area has an address, its base plus the offset. --offsets ends each tree line, and no
// detail or log line, with the same numbers.
TEST(KavexDumpOffsets, OffsetAndSizeHoldTheBytesExtractWritesAndEndEachTreeLine) {
  const Bytes Divud = PlacesImage(0x200000), Based = PlacesImage(0x340000);
  struct Case {
    const char* What;
    Bytes File, Loaded;
    const char* Layout;
    std::int64_t Base;
  };
  const Case Cases[] = {{"Divud", Divud, Divud, "Divud", 0x200000},
                        {"WinTesla, one block", WinTesla(Divud), Divud, "WinTesla", 0x200000},
                        {"WinTesla, blocks of 100 bytes", WinTesla(Based, 0x340000, 100), Based, "WinTesla", 0x340000}};
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    TempFile File(C.File);
    const json Tree = json::parse(RunDump({"--json", "--all", "--offsets", File.Path()}).Out).at("tree");
    EXPECT_EQ(Tree.at("layout"), C.Layout);
    std::vector<std::string> Places;
    Walk(Tree, [&](const json& Node) {
      const std::size_t Offset = Node.at("offset"), Size = Node.at("size");
      ASSERT_LE(Size, C.Loaded.size() - std::min(Offset, C.Loaded.size()));
      const DumpResult Extract = RunDump({"--extract", Node.at("position"), "--out", "-", File.Path()});
      EXPECT_EQ(Extract.Out, std::string(C.Loaded.begin() + Offset, C.Loaded.begin() + Offset + Size)) << Node.at("position");
      EXPECT_EQ(Node.value("address", std::int64_t{-1}), Node.at("class") == "TMCU" ? C.Base + std::int64_t(Offset) : -1);
      Places.push_back(" @" + Hex(std::uint32_t(Offset), 8) + " +" + Hex(std::uint32_t(Size), 8));
    });
    ASSERT_EQ(Places.size(), 18u);
    const std::vector<std::string> Plain = SplitLines(RunDump({"--all", "--glyphs", File.Path()}).Out);
    std::vector<std::string> Expected;
    std::size_t Next = 0;
    for (const std::string& Line : Plain) {
      const std::size_t At = Line.find_first_not_of(' ');  // class names start with T, details with "- "
      Expected.push_back(At != std::string::npos && Line[At] == 'T' && Next < Places.size() ? Line + Places[Next++] : Line);
    }
    EXPECT_EQ(SplitLines(RunDump({"--all", "--glyphs", "--offsets", File.Path()}).Out), Expected);
  }
}
