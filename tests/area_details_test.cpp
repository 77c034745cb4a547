// The file and area panel: place and size of each area, the layout of the file, and the
// checksums exactly as the model checked them, for whole, damaged and cut images.

#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "model/Kav_Kinds.h"
#include "present/Kav_AreaDetails.h"
#include "present/Kav_Details.h"
#include "present/Kav_Walk.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

// The title, then "Label Value" for each row.
Lines Shown(const TAreaDetails& D) {
  Lines Out{D.Title};
  for (const TDetailRow& Row : D.Rows) Out.push_back(Row.Label + " " + Row.Value);
  return Out;
}

std::string Num(std::size_t V) { return "0x" + Hex(static_cast<std::uint32_t>(V), 8) + " (" + std::to_string(V) + ")"; }
std::string Sum(std::uint32_t V) { return "0x" + Hex(V, 4); }
std::string Place(const char* Label, std::size_t V) { return std::string(Label) + " " + Num(V); }

// A PPM area whose first chunk bytes are known, so that a checksum read from them shows where
// it was read. Chunks are not built here: the root's walk stops at the areas.
const Ppm TestPpm{.Chunks = {Bytes{0x11, 0x22, 0x33, 0x44}, EndChunk()}};
const std::size_t PpmSize = 44 + 4 + 20 + 6;
const std::size_t McuSize = 0x10000;

std::uint16_t StoredMcuChecksum(const Bytes& Image) { return BE16OrZero(Image, 0x22); }

Lines McuRows(std::uint32_t Base, std::uint32_t Stored, std::uint32_t Calculated) {
  return {"MCU area", Place("Offset:", 0), Place("Size:", McuSize),
          "Flash addresses: 0x" + Hex(Base, 8) + " \u2013 0x" + Hex(Base + McuSize - 1, 8),
          "Stored checksum: " + Sum(Stored), "Calculated checksum: " + Sum(Calculated),
          std::string("Checksum: ") + (Stored == Calculated ? "match" : "does not match")};
}

struct Case {
  const char* What;
  Bytes File;
  bool FromFile;         // through LoadFile (a WinTesla file may be joined while read) or from memory
  std::vector<Lines> Nodes;  // the root, then each area in order
};

std::unique_ptr<TFls> Load(const Case& C) {
  if (!C.FromFile) return LoadAndExpand(C.File);
  TempFile File(C.File);
  auto Root = LoadFile(File.Path());
  if (Root) BuildChildren(*Root);
  return Root;
}

// Whether the log holds message Ident with these two checksums in this order.
bool Logged(const CapturedLog& L, int Ident, std::uint32_t First, std::uint32_t Second) {
  const std::string A = Hex(First, 4), B = Hex(Second, 4);
  for (const std::string& Line : L.Lines())
    if (Line.find("(" + std::string(Ident < 10 ? "   " : "  ") + std::to_string(Ident) + ")") != std::string::npos) {
      const std::size_t At = Line.find(A);
      if (At != std::string::npos && Line.find(B, At + 4) != std::string::npos) return true;
    }
  return false;
}

}  // namespace

TEST(AreaPanel, PlacesSizesLayoutsAndChecksumsOfWholeAndCutImages) {
  const Bytes Good = DivudImage({}, TestPpm, {1, 2, 3});
  const std::uint16_t GoodSum = StoredMcuChecksum(Good);
  const std::size_t GoodSize = McuSize + PpmSize + 3;
  const Lines GoodPpm = {"PPM area", Place("Offset:", McuSize), Place("Size:", PpmSize), Place("Chunks from:", McuSize + 44), "Checksum at PPM: " + Sum(GoodSum),
                         "Checksum of MCU: " + Sum(GoodSum), "Checksum: match"};
  const Lines GoodEeprom = {"EEPROM area", Place("Offset:", McuSize + PpmSize), Place("Size:", 3)};
  const auto DivudRoot = [](std::size_t Size) {
    return Lines{"File", "Layout: Divud", Place("File size:", Size), Place("Offset:", 0), Place("Size:", Size)};
  };
  const auto WinTeslaRoot = [](std::size_t File, std::size_t Blocks, std::size_t Image) {
    return Lines{"File", "Layout: WinTesla", Place("File size:", File), "WinTesla blocks: " + std::to_string(Blocks),
                 Place("Offset:", 0), Place("Size:", Image)};
  };

  // The stored MCU checksum one bit off in each byte; the PPM copy follows it, so only the MCU
  // area disagrees.
  const Bytes Flipped = DivudImage({.Checksum = static_cast<std::uint16_t>(GoodSum ^ 0x0101)}, TestPpm);
  // The PPM copy differs from the MCU checksum, which itself is good.
  Bytes BadCopy = DivudImage({}, TestPpm);
  BadCopy[McuSize + PpmSize - 6] ^= 0x80;
  // Fields end at the area's last byte: the checksum range runs 0x24 bytes past the area.
  const Bytes LongRange = DivudImage({.FieldsEnd = 0x200000 + McuSize - 1}, TestPpm);
  // A WinTesla file that ends halfway into the MCU area, filled up to the PPM start.
  const Mcu HighMcu{.Base = 0x300000};
  Bytes HalfMcu = McuBytes(HighMcu, PpmSize);
  HalfMcu.resize(0x8000);
  Bytes Filled = HalfMcu;
  Filled.resize(McuSize, 0xFF);
  ResealMcu(Filled, HighMcu.Base);
  const Bytes High = DivudImage(HighMcu, TestPpm, {9});
  const std::size_t HighSize = McuSize + PpmSize + 1;
  const Lines HighPpm = {"PPM area", Place("Offset:", McuSize), Place("Size:", PpmSize), Place("Chunks from:", McuSize + 44),
                         "Checksum at PPM: " + Sum(StoredMcuChecksum(High)), "Checksum of MCU: " + Sum(StoredMcuChecksum(High)),
                         "Checksum: match"};
  const Lines HighRows = McuRows(HighMcu.Base, StoredMcuChecksum(High), StoredMcuChecksum(High));
  const Lines HighEeprom = {"EEPROM area", Place("Offset:", McuSize + PpmSize), Place("Size:", 1)};
  // The MCU area whole, then only the first K bytes of the PPM area it announces.
  const auto Cut = [&](std::size_t K) {
    Bytes Image(Good.begin(), Good.begin() + static_cast<std::ptrdiff_t>(McuSize + K));
    return Image;
  };
  const auto CutPpm = [&](std::size_t K, const std::string& Copy, const std::string& Verdict) {
    return Lines{"PPM area", Place("Offset:", McuSize), Place("Size:", K), Place("Chunks from:", McuSize + std::min<std::size_t>(K, 44)),
                 "Checksum at PPM: " + Copy,
                 "Checksum of MCU: " + Sum(GoodSum), "Checksum: " + Verdict};
  };
  const std::string NoCopy = "none (area too short)", NotCompared = "not compared (no checksum at PPM)";

  const Case Cases[] = {
      {"Divud, all three areas", Good, false, {DivudRoot(GoodSize), McuRows(0x200000, GoodSum, GoodSum), GoodPpm, GoodEeprom}},
      {"Divud read from a file", Good, true, {DivudRoot(GoodSize), McuRows(0x200000, GoodSum, GoodSum), GoodPpm, GoodEeprom}},
      {"MCU checksum flipped",
       Flipped,
       false,
       {DivudRoot(McuSize + PpmSize), McuRows(0x200000, GoodSum ^ 0x0101, GoodSum),
        {"PPM area", Place("Offset:", McuSize), Place("Size:", PpmSize), Place("Chunks from:", McuSize + 44), "Checksum at PPM: " + Sum(GoodSum ^ 0x0101),
         "Checksum of MCU: " + Sum(GoodSum ^ 0x0101), "Checksum: match"}}},
      {"PPM copy differs",
       BadCopy,
       false,
       {DivudRoot(McuSize + PpmSize), McuRows(0x200000, GoodSum, GoodSum),
        {"PPM area", Place("Offset:", McuSize), Place("Size:", PpmSize), Place("Chunks from:", McuSize + 44), "Checksum at PPM: " + Sum(GoodSum ^ 0x8000),
         "Checksum of MCU: " + Sum(GoodSum), "Checksum: does not match"}}},
      {"checksum range past the MCU area",
       LongRange,
       false,
       {DivudRoot(McuSize + PpmSize), McuRows(0x200000, StoredMcuChecksum(LongRange), StoredMcuChecksum(LongRange)),
        {"PPM area", Place("Offset:", McuSize), Place("Size:", PpmSize), Place("Chunks from:", McuSize + 44), "Checksum at PPM: " + Sum(StoredMcuChecksum(LongRange)),
         "Checksum of MCU: " + Sum(StoredMcuChecksum(LongRange)), "Checksum: match"}}},
      {"PPM area alone",
       PpmBytes(TestPpm),
       false,
       {DivudRoot(PpmSize),
        {"PPM area", Place("Offset:", 0), Place("Size:", PpmSize), Place("Chunks from:", 44), "Checksum at PPM: 0x1234", "Checksum: not compared (no MCU area)"}}},
      // WinTesla: joined in memory, joined while read (blocks of 16 KiB), read whole and joined
      // in memory (blocks too small to read one by one). The file holds a header per block.
      {"WinTesla in memory", WinTesla(High, 0x300000, 0x4000), false,
       {WinTeslaRoot(HighSize + 5 * 9, 5, HighSize), HighRows, HighPpm, HighEeprom}},
      {"WinTesla joined while read", WinTesla(High, 0x300000, 0x4000), true,
       {WinTeslaRoot(HighSize + 5 * 9, 5, HighSize), HighRows, HighPpm, HighEeprom}},
      {"WinTesla of small blocks read whole", WinTesla(High, 0x300000, 0x100), true,
       {WinTeslaRoot(HighSize + 257 * 9, 257, HighSize), HighRows, HighPpm, HighEeprom}},
      {"WinTesla filled up to the PPM start",
       WinTesla(HalfMcu, 0x300000, 0x8000),
       true,
       {WinTeslaRoot(0x8000 + 9, 1, McuSize), McuRows(HighMcu.Base, StoredMcuChecksum(HalfMcu), StoredMcuChecksum(Filled))}},
      // Cut PPM areas: the header alone cut short, then the checksum copy's limit (it needs 6
      // bytes behind the header) below, at and above; the copy is read from what is there.
      {"PPM header cut short", Cut(43), false, {DivudRoot(McuSize + 43), McuRows(0x200000, GoodSum, GoodSum), CutPpm(43, NoCopy, NotCompared)}},
      {"PPM 5 bytes past its header", Cut(49), false, {DivudRoot(McuSize + 49), McuRows(0x200000, GoodSum, GoodSum), CutPpm(49, NoCopy, NotCompared)}},
      {"PPM 6 bytes past its header", Cut(50), false,
       {DivudRoot(McuSize + 50), McuRows(0x200000, GoodSum, GoodSum), CutPpm(50, "0x1122", GoodSum == 0x1122 ? "match" : "does not match")}},
      {"PPM 7 bytes past its header", Cut(51), false,
       {DivudRoot(McuSize + 51), McuRows(0x200000, GoodSum, GoodSum), CutPpm(51, "0x2233", GoodSum == 0x2233 ? "match" : "does not match")}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    CapturedLog L;
    const auto Root = Load(C);
    ASSERT_NE(Root, nullptr);
    ASSERT_EQ(Root->ChildCount() + 1, C.Nodes.size()) << ChildClasses(*Root);
    EXPECT_EQ(Shown(AreaDetails(*Root)), C.Nodes[0]);
    for (std::size_t I = 0; I < Root->ChildCount(); ++I) {
      const TKavClass& Area = *Root->Child(I);
      const Lines Rows = Shown(AreaDetails(Area));
      EXPECT_EQ(Rows, C.Nodes[I + 1]) << Area.ClassName();
      // The verdict is the model's own: message 30 for the MCU area, 17 or 18 for the PPM copy,
      // with the values the panel shows.
      const auto Value = [&](std::size_t Row) { return static_cast<std::uint32_t>(std::stoul(Rows[Row].substr(Rows[Row].rfind("0x") + 2), nullptr, 16)); };
      if (Area.Kind() == TNodeKind::MCU) {
        EXPECT_EQ(Logged(L, 30, Value(4), Value(5)), Rows[6] == "Checksum: does not match");
      } else if (Area.Kind() == TNodeKind::PPM && Rows.back() == "Checksum: match") {
        EXPECT_TRUE(Logged(L, 18, Value(5), Value(4)));
      } else if (Area.Kind() == TNodeKind::PPM && Rows.back() == "Checksum: does not match") {
        EXPECT_TRUE(Logged(L, 17, Value(5), Value(4)));
      }
    }
  }
}

// Only the file and its areas have the panel; kavex-dump's detail lines still leave them out.
TEST(AreaPanel, OnlyTheFileAndItsAreasHaveIt) {
  CapturedLog L;
  const auto Root = LoadImage(DivudImage({}, {.Chunks = {ChunkBytes({.Data = Concat({SubchunkBytes({.Body = TextBody({"a"})}), ClosingRecord()})}), EndChunk()}}, {7}), "x.fls");
  int Areas = 0;
  ExpandAll(*Root, [&](TKavClass& Node) {
    const bool Area = Node.Kind() == TNodeKind::Fls || Node.Kind() == TNodeKind::MCU || Node.Kind() == TNodeKind::PPM ||
                      Node.Kind() == TNodeKind::EEPROM;
    Areas += Area;
    EXPECT_EQ(HasAreaDetails(&Node), Area) << Node.ClassName();
    EXPECT_EQ(AreaDetails(Node).Rows.empty(), !Area) << Node.ClassName();
    EXPECT_EQ(AreaDetails(Node).Title.empty(), !Area) << Node.ClassName();
    if (Area) {
      EXPECT_TRUE(DumpDetailLines(Node, true).empty()) << Node.ClassName();
    }
  });
  EXPECT_EQ(Areas, 4);
  EXPECT_FALSE(HasAreaDetails(nullptr));
}
