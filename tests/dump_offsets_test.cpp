#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "cli/DumpTool.h"

using namespace kavtest;
using nlohmann::json;
using Lines = std::vector<std::string>;

namespace {

// Text tables, two fonts, a raw subchunk with its padding, a chunk of odd length (so the end
// chunk starts at an odd offset) and an EEPROM area: 19 nodes, each where a slip would show.
Bytes PlacesImage(std::uint32_t Base) {
  const Bytes Texts = Concat({SubchunkBytes({.Id = 2, .Body = TextBody({"English", "One"})}),
                              SubchunkBytes({.Id = 0x33, .Body = TextBody({"OK"})}), ClosingRecord()});
  const Bytes Fonts = Concat({SubchunkBytes({.Id = 1,
                                             .Body = FontBody({Font{.Name1 = "Mini",
                                                                    .Ranges = {{.First = 'A', .Last = 'B', .Height = 2}},
                                                                    .Images = {{.Width = 2, .Bitmap = BandBitmap({"#.", ".#"})}}},
                                                               Font{.Name1 = "Two",
                                                                    .Ranges = {{.First = 'C', .Last = 'C', .Height = 2}},
                                                                    .Images = {{.Width = 1, .Bitmap = BandBitmap({"#", "#"})}}}}),
                                             .Pad = false}),
                              ClosingRecord()});
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "TEXT", .Data = Texts}), ChunkBytes({.Name = "FONT", .Data = Fonts}),
              ChunkBytes({.Name = "GSMC", .Data = Concat({SubchunkBytes({.Id = 5, .Body = {1, 2, 3, 4, 5}}), ClosingRecord()})}),
              ChunkBytes({.Name = "ZZZZ", .Data = Concat({SubchunkBytes({.Id = 3, .Body = {9}, .Pad = false}), ClosingRecord()})}),
              EndChunk()};
  return DivudImage(Mcu{.Base = Base}, P, Bytes(7, 0xEE));
}

json JsonOf(const std::string& Path, const Lines& Options) {
  Lines Args = Options;
  Args.push_back(Path);
  const DumpResult R = RunDump(Args);
  EXPECT_EQ(R.Status, 0) << R.Err;
  return json::parse(R.Out);
}

void Walk(const json& Node, const std::function<void(const json&)>& Visit) {
  Visit(Node);
  for (const json& Child : Node.at("children")) Walk(Child, Visit);
}

Bytes Extract(const std::string& Path, const std::string& Position) {
  const DumpResult R = RunDump({"--extract", Position, "--out", "-", Path});
  EXPECT_EQ(R.Status, 0) << Position << ": " << R.Err;
  return {R.Out.begin(), R.Out.end()};
}

std::string Place(std::size_t Offset, std::size_t Size) { return " @" + Hex(static_cast<std::uint32_t>(Offset), 8) + " +" + Hex(static_cast<std::uint32_t>(Size), 8); }

}  // namespace

// Every node's offset and size pick out of the loaded image exactly the bytes --extract writes:
// the file itself for a Divud file, the joined blocks for a WinTesla one, whatever the blocks'
// size (a block border inside a chunk, a subchunk, a font header). The MCU area alone has an
// address: its base plus the offset.
TEST(KavexDumpOffsets, EveryNodesOffsetAndSizeHoldTheBytesItsExtractWrites) {
  const Bytes Divud = PlacesImage(0x200000);
  const Bytes Based = PlacesImage(0x340000);
  struct Case {
    const char* What;
    Bytes File;
    Bytes Loaded;  // the image as the loader holds it
    const char* Layout;
    std::int64_t Base;
  };
  const Case Cases[] = {
      {"Divud", Divud, Divud, "Divud", 0x200000},
      {"WinTesla, one block", WinTesla(Divud), Divud, "WinTesla", 0x200000},
      {"WinTesla, blocks of 100 bytes at 0x340000", WinTesla(Based, 0x340000, 100), Based, "WinTesla", 0x340000},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    TempFile File(C.File);
    const json Tree = JsonOf(File.Path(), {"--json", "--all"}).at("tree");
    EXPECT_EQ(Tree.at("layout"), C.Layout);
    EXPECT_EQ(Tree.at("offset"), 0);
    EXPECT_EQ(Tree.at("size"), C.Loaded.size());
    std::size_t Nodes = 0, Addressed = 0;
    Walk(Tree, [&](const json& Node) {
      const std::string Position = Node.at("position");
      SCOPED_TRACE(Position);
      ++Nodes;
      EXPECT_EQ(Node.contains("layout"), Position == "0");
      const std::size_t Offset = Node.at("offset"), Size = Node.at("size");
      ASSERT_LE(Size, C.Loaded.size());
      ASSERT_LE(Offset, C.Loaded.size() - Size);
      const Bytes Extracted = Extract(File.Path(), Position);
      EXPECT_EQ(Extracted.size(), Size);
      EXPECT_EQ(Bytes(C.Loaded.begin() + static_cast<std::ptrdiff_t>(Offset), C.Loaded.begin() + static_cast<std::ptrdiff_t>(Offset + Size)), Extracted);
      EXPECT_EQ(Node.contains("address"), Node.at("class") == "TMCU");
      if (Node.contains("address")) {
        ++Addressed;
        EXPECT_EQ(Node.at("address"), C.Base + static_cast<std::int64_t>(Offset));
      }
    });
    EXPECT_EQ(Nodes, 19u);
    EXPECT_EQ(Addressed, 1u);
  }
}

// --offsets adds the place to each tree line and to nothing else, with any other option of the
// text output; the numbers are the JSON's. Options that do not print the text tree refuse it,
// and --json takes it as said already.
TEST(KavexDumpOffsets, OffsetsEndEachTreeLineAndChangeNothingElse) {
  const Bytes Image = PlacesImage(0x200000);
  TempFile File(Image);
  for (const Lines& Options : {Lines{}, Lines{"--all"}, Lines{"--details"}, Lines{"--all", "--glyphs"}}) {
    std::string Shown;
    for (const std::string& O : Options) Shown += O + ' ';
    SCOPED_TRACE(Shown);
    Lines Args = Options;
    Args.push_back(File.Path());
    const DumpResult Plain = RunDump(Args);
    Args.insert(Args.begin(), "--offsets");
    const DumpResult Placed = RunDump(Args);
    EXPECT_EQ(Placed.Status, 0);
    EXPECT_EQ(Placed.Err, Plain.Err);

    Lines JsonArgs = Options;
    JsonArgs.insert(JsonArgs.begin(), "--json");
    std::vector<std::string> Places;
    Walk(JsonOf(File.Path(), JsonArgs).at("tree"), [&](const json& Node) { Places.push_back(Place(Node.at("offset"), Node.at("size"))); });

    // Tree lines are those not indented by a detail's "- "; the log starts after the empty line.
    Lines Expected;
    std::size_t Next = 0;
    bool InLog = false;
    for (const std::string& Line : SplitLines(Plain.Out)) {
      InLog |= Line.empty();
      const bool Detail = Line.find_first_not_of(' ') != std::string::npos && Line[Line.find_first_not_of(' ')] == '-';
      if (InLog || Detail || Next >= Places.size()) {
        Expected.push_back(Line);
      } else {
        Expected.push_back(Line + Places[Next++]);
      }
    }
    EXPECT_EQ(Next, Places.size());
    EXPECT_EQ(SplitLines(Placed.Out), Expected);
  }
  // The MCU area of the builder starts the file and is 0x10000 bytes long.
  EXPECT_EQ(SplitLines(RunDump({"--offsets", File.Path()}).Out).at(1), "  TMCU MCU (V 5.00, 01-01-99, NSE-1) @00000000 +00010000");

  const DumpResult Json = RunDump({"--json", "--offsets", File.Path()});
  EXPECT_EQ(Json.Status, 0);
  EXPECT_EQ(Json.Out, RunDump({"--json", File.Path()}).Out);
  for (const Lines& Args : {Lines{"--offsets", "--export-texts", "d", "f.fls"}, Lines{"--offsets", "--extract", "1", "--out", "-", "f.fls"},
                            Lines{"--offsets", "--check", "f.fls"}, Lines{"--offsets=yes", "f.fls"}}) {
    const DumpResult R = RunDump(Args);
    EXPECT_EQ(R.Status, 64) << Args.front() << ' ' << Args.at(1);
    EXPECT_EQ(R.Out, "");
  }
}
