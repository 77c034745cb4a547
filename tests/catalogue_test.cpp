// Every message of the catalogue that the program writes is reached from a file on disk: a
// gallery of damaged images, each loaded through LoadFile and expanded down to its last node.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "TestSupport.h"
#include "model/KavObj.h"
#include "present/Kav_Walk.h"

using namespace kavex;
using namespace kavtest;

namespace {

constexpr std::uint32_t Base = 0x200000;

std::set<int> LoadFromDisk(const Bytes& Content, const TLoadFileProbe& Probe = nullptr) {
  TempFile File(Content);
  CapturedLog L;
  SetLoadFileProbe(Probe);
  try {
    if (auto Root = LoadFile(File.Path())) ExpandAll(*Root);  // as kavex-dump --all does
  } catch (const EKavError&) {
    // A broken WinTesla block chain: no root at all.
  }
  SetLoadFileProbe(nullptr);
  const std::vector<int> Idents = L.Idents();
  return {Idents.begin(), Idents.end()};
}

Bytes Sub(std::uint32_t Id, Bytes Body = {}) { return SubchunkBytes({.Id = Id, .Body = std::move(Body)}); }
// Font and tone subchunks are not aligned.
Bytes Unpadded(const Bytes& Body) { return SubchunkBytes({.Id = 5, .Body = Body, .Pad = false}); }

Bytes ImageWith(std::vector<Bytes> Chunks, const Mcu& M = {}) {
  Ppm P;
  P.Chunks = std::move(Chunks);
  return DivudImage(M, P);
}

Bytes Patched(Bytes Image, std::size_t Offset, std::uint32_t Value) {
  PutBE32(Image, Offset, Value);
  return Image;
}

Bytes Cut(const Bytes& B, std::size_t Length) { return Bytes(B.begin(), B.begin() + static_cast<std::ptrdiff_t>(Length)); }

struct Damaged {
  const char* What;
  Bytes Content;
  std::set<int> Expected;  // among the messages of its load
  TLoadFileProbe Probe = nullptr;
};

std::vector<Damaged> Gallery() {
  const Bytes Good = ImageWith({ChunkBytes({.Name = "GSMC", .Data = ClosingRecord()}), EndChunk()});
  const Font Odd{.Name1 = "Odd", .Ranges = {{}}, .Images = {{.Width = 1, .Bitmap = {0}}}, .SecondTableCount = 2,
                 .Flags = 0x12345678};
  Mcu OtherVersion;
  OtherVersion.Version = "V 6.00";
  Mcu SmallArea;
  SmallArea.Size = 0xFFFF;
  Mcu FieldsEndAtBase;
  FieldsEndAtBase.FieldsEnd = Base;
  Mcu OddVNext;
  OddVNext.VNextAt = 0x101;
  OddVNext.VNextGap = 0x51;
  Bytes NotFF = Good;
  NotFF[0x2A] = 0;  // a header filler inside the checksum range
  Ppm OwnChecksum;
  OwnChecksum.Chunks = {EndChunk()};
  OwnChecksum.Checksum = 0xBEEF;
  const Bytes PpmAlone = PpmBytes(OwnChecksum);
  const Bytes McuArea = McuBytes(Mcu{}, 200);
  Bytes PartMcu = McuArea;
  std::fill(PartMcu.begin() + 0x8000, PartMcu.end(), 0xFF);
  ResealMcu(PartMcu);
  PartMcu.resize(0x8000);

  return {
      {"empty file", {}, {28, 6}},
      {"file that shrinks while read", Good, {5},
       [](const std::string& Name) { std::filesystem::resize_file(Name, 10); }},
      {"good Divud image", Good, {28, 45, 14, 19, 18, 23}},
      {"good WinTesla image", WinTesla(Good, Base, 0x4000), {40, 44}},
      {"WinTesla stray bytes", Concat({WinTesla(Bytes(8, 1)), Bytes(5, 0)}), {42}},
      {"WinTesla hole", Concat({WinTeslaHeader(Base, 4), Bytes(4, 1), WinTeslaHeader(Base + 8, 4), Bytes(4, 2)}), {43}},
      {"WinTesla block past the end", Concat({WinTeslaHeader(Base, 4), Bytes(4, 1), WinTeslaHeader(Base + 4, 4), Bytes(3, 2)}),
       {41}},
      {"WinTesla image ending inside the MCU area", WinTesla(PartMcu), {46}},
      {"no area at all", Bytes(200, 0), {9, 16, 7}},
      {"eight bytes", Bytes(8, 0), {8, 15}},
      {"MCU filler and checksum", NotFF, {13, 30}},
      {"MCU fields end", ImageWith({EndChunk()}, FieldsEndAtBase), {10}},
      {"MCU info base", Patched(Good, 0x3C, Base - 1), {11}},
      {"MCU version address", Patched(Good, 0x40, Base + static_cast<std::uint32_t>(Good.size())), {12}},
      {"MCU area too small", ImageWith({EndChunk()}, SmallArea), {20}},
      {"VNext unaligned, odd gap byte", ImageWith({EndChunk()}, OddVNext), {32, 39}},
      {"no VNext", Cut(McuArea, 0x123), {33}},
      {"location info out of file", Cut(McuArea, 0x124), {34}},
      {"PPM start above its end", Patched(Good, 0x144, 0x20FFFF), {35}},
      {"PPM checksum and version", Concat({McuBytes(OtherVersion, static_cast<std::uint32_t>(PpmAlone.size())), PpmAlone}),
       {17, 29}},
      {"damaged content",
       ImageWith({ChunkBytes({.Name = "GSMC", .Data = Sub(1)}),
                  ChunkBytes({.Name = "ZZZZ", .Data = Concat({Sub(1), {0, 0, 1}})}),
                  ChunkBytes({.Name = "AORD", .Data = Concat({Sub(1), {1}})}),
                  ChunkBytes({.Name = "ZZZZ", .Data = SubchunkBytes({.Id = 1, .Length = 64})}),
                  ChunkBytes({.Name = "TONE", .Data = Concat({Unpadded(ToneBody("Long", {1, 2}, 5)), ClosingRecord()})}),
                  ChunkBytes({.Name = "FONT", .Data = Concat({Unpadded(FontBody({Odd})), Bytes(8, 0xAB), ClosingRecord()})}),
                  EndChunk()}),
       {24, 25, 36, 37, 38, 27, 47, 50, 51, 52}},
      {"chunk longer than the PPM area", ImageWith({ChunkBytes({.Name = "GSMC", .Length = 5000})}), {22}},
      {"chunks without an end chunk", ImageWith({ChunkBytes({.Name = "GSMC", .Data = ClosingRecord()})}), {21}},
  };
}

}  // namespace

TEST(Catalogue, EveryMessageTheProgramWritesIsReachedByADamagedImage) {
  std::set<int> Seen;
  const std::vector<Damaged> All = Gallery();
  for (const Damaged& D : All) {
    const std::set<int> Logged = LoadFromDisk(D.Content, D.Probe);
    for (int Ident : D.Expected) EXPECT_TRUE(Logged.count(Ident)) << D.What << ": no message " << Ident;
    Seen.insert(Logged.begin(), Logged.end());
  }
  {
    CapturedLog L;
    EXPECT_EQ(LoadFile("/nonexistent/kavex.fls"), nullptr);  // 4
    SetLogProc(&LogMessage);                                  // 2
    LogMessage(MsgCount, "/", {});                            // 0
    const std::vector<int> Idents = L.Idents();
    Seen.insert(Idents.begin(), Idents.end());
  }
  // 31 is the About box's welcome line, written by the viewer; its tests check it.
  Seen.insert(msgWelcome);

  // Entries no part of the program writes: 1, 3, 26, 48, 49 and 53 to 59.
  std::set<int> Written;
  for (int Ident = 0; Ident < MsgCount; ++Ident)
    if (!std::set<int>{1, 3, 26, 48, 49, 53, 54, 55, 56, 57, 58, 59}.count(Ident)) Written.insert(Ident);
  std::vector<int> Missing;
  std::set_difference(Written.begin(), Written.end(), Seen.begin(), Seen.end(), std::back_inserter(Missing));
  EXPECT_TRUE(Missing.empty()) << "never written: " << ::testing::PrintToString(Missing);
  std::vector<int> Unexpected;
  std::set_difference(Seen.begin(), Seen.end(), Written.begin(), Written.end(), std::back_inserter(Unexpected));
  EXPECT_TRUE(Unexpected.empty()) << "written although no part writes them: " << ::testing::PrintToString(Unexpected);
}
