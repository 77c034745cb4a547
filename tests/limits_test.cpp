// Every size check of the loader and the model, tried one step below, at and above its limit,
// through kavex-dump's listing (tree and log), so that the cases hold whatever the internals.

#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"
#include "model/CodePage.h"
#include "present/Kav_Details.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

struct Case {
  std::string What;
  Bytes Image;
  Lines Has;           // lines of the listing, each matched as the start of a line
  Lines Lacks = {};    // starts of lines that must not occur
  int Status = 0;      // kavex-dump's: 2 also for a root that holds no area
};

bool Listed(const Lines& Out, const std::string& Start) {
  return std::any_of(Out.begin(), Out.end(), [&](const std::string& L) { return L.rfind(Start, 0) == 0; });
}

void Check(const std::vector<Case>& Cases, const std::vector<std::string>& Options = {"--all"}) {
  for (const Case& C : Cases) {
    const DumpResult R = DumpImage(C.Image, Options);
    const Lines Out = SplitLines(R.Out);
    EXPECT_EQ(R.Status, C.Status) << C.What;
    for (const std::string& H : C.Has) EXPECT_TRUE(Listed(Out, H)) << C.What << ": no line " << H << "\n" << R.Out;
    for (const std::string& N : C.Lacks) EXPECT_FALSE(Listed(Out, N)) << C.What << ": line " << N << "\n" << R.Out;
  }
}

Bytes Cut(Bytes B, std::size_t Size) {
  B.resize(Size);
  return B;
}

// A Divud image whose PPM area holds Chunks and then the end chunk.
Bytes WithChunks(std::vector<Bytes> Chunks, bool End = true) {
  Ppm P;
  P.Chunks = std::move(Chunks);
  if (End) P.Chunks.push_back(EndChunk());
  return DivudImage(Mcu{}, P);
}

const std::string Divud = "~ (  45) Divud";
const std::string NoEnd = "! (  24) Unexpected end of chunk;";

}  // namespace

TEST(Limits, WinTeslaBlocks) {
  const Bytes Payload(8, 0x11);
  const Bytes One = Concat({WinTeslaHeader(0x200000, 8), Payload});  // 17 bytes
  const auto Found = [](std::uint32_t Addr, std::uint32_t Length) {
    return "~ (  44) WinTesla block found, FlashAddr: 0x" + Hex(Addr, 8) + ", BlockLength: 0x" + Hex(Length, 8) + ";";
  };
  const std::string TooLong = "! (  41) WinTesla header BlockLength > remains, ";
  Check({
      {"8 bytes: shorter than a header", Cut(WinTeslaHeader(0x200000, 0), 8), {Divud}, {}, 2},
      {"9 bytes: one empty block", WinTeslaHeader(0x200000, 0), {Found(0x200000, 0)}, {Divud}, 2},
      {"10 bytes: one block of 1", Concat({WinTeslaHeader(0x200000, 1), Bytes{1}}), {Found(0x200000, 1)}, {}, 2},
      {"first length = file - 9", One, {Found(0x200000, 8)}, {}, 2},
      {"first length = file - 8", Concat({WinTeslaHeader(0x200000, 9), Payload}),
       {TooLong + "(0x00000009 > 0x00000011);"}, {Divud}, 2},
      {"first length = file", Concat({WinTeslaHeader(0x200000, 17), Payload}),
       {TooLong + "(0x00000011 > 0x00000011);"}, {Divud}, 2},
      {"first length = file + 1", Concat({WinTeslaHeader(0x200000, 18), Payload}), {Divud}, {}, 2},
      {"8 bytes after a block", Concat({One, Cut(WinTeslaHeader(0x200008, 0), 8)}),
       {"! (  42) Not enough bytes remain for WinTesla header, (8 byte(s));"}, {}, 2},
      {"9 bytes after a block", Concat({One, WinTeslaHeader(0x200008, 0)}), {Found(0x200008, 0)}, {}, 2},
      {"10 bytes after a block", Concat({One, WinTeslaHeader(0x200008, 1), Bytes{2}}), {Found(0x200008, 1)}, {}, 2},
      {"later length one past the rest", Concat({One, WinTeslaHeader(0x200008, 2), Bytes{2}}),
       {TooLong + "(0x00000002 > 0x0000000A);"}, {}, 2},
      {"later block overlapping", Concat({One, WinTeslaHeader(0x200007, 1), Bytes{2}}),
       {"! (  43) WinTesla FlashAddr of current block"}, {}, 2},
  });
}

TEST(Limits, WinTeslaGapBeforeThePpmArea) {
  // The MCU area takes 0x10000 bytes; an image of exactly that needs no fill, one byte less a
  // fill of one.
  const Bytes Area = McuBytes(Mcu{}, 200);
  const std::string Fill = "~ (  46) Fill gap at MCU end with 0xFF (0x";
  Check({
      {"image one byte short", WinTesla(Cut(Area, Area.size() - 1)), {Fill + "00000001 byte(s));", "  TMCU MCU"}},
      {"image exactly the MCU area", WinTesla(Area), {"  TMCU MCU"}, {Fill}},
  });
}

TEST(Limits, McuArea) {
  Mcu Small;  // the VNext record at the very first offset searched, in the smallest area searched
  Small.VNextAt = 0x40;
  Small.InfoAt = 0x50;
  Small.VersionAt = 0x54;
  Small.Version = "V";
  Small.LocationAt = 0x58;
  const Bytes SmallArea = McuBytes(Small, 200);
  Ppm P;
  P.Chunks = {EndChunk()};
  const auto Image = [&P](const Mcu& M) { return DivudImage(M, P); };
  Mcu Aligned2, Gap1;
  Aligned2.VNextAt = 0x102;
  Gap1.VNextGap = 0x01;
  Bytes Point = Image(Mcu{});
  PutBE32(Point, 0x144, 0x210000);  // PPM start = PPM end
  ResealMcu(Point);
  const Bytes McuOnly = McuBytes(Mcu{}, 200);
  Check({
      {"63 bytes", Cut(SmallArea, 63), {"! (   8) MCU length is too small, 63 byte(s);"}, {}, 2},
      {"64 bytes", Cut(SmallArea, 64), {"! (  11) MCU InfoBase points out of file - 0x00000050;"}, {}, 2},
      {"0x63 bytes: no room for a VNext record", Cut(SmallArea, 0x63), {"! (  33) MCU VNext not found;"}, {}, 2},
      {"0x64 bytes: VNext at 0x40", Cut(SmallArea, 0x64), {"! (   8) MCU length is too small, 100 byte(s);"}, {}, 2},
      {"VNext at 2 past a multiple of 4", Image(Aligned2), {"? (  32) MCU VNext location address is not aligned by 4, 0x00000102;"}},
      {"gap byte 0x01", Image(Gap1), {"? (  39) There is 0x01 instead of 0x00"}},
      {"PPM start = PPM end", Point, {"! (  15) PPM length is too small, 1 byte(s);"}, {"! (  35)"}},
      {"image ends at the PPM start", McuOnly, {"  TMCU MCU"}, {"! (   8)", "* (   7)"}},
      {"image ends a byte before", Cut(McuOnly, McuOnly.size() - 1), {"! (   8) MCU length is too small, 65535 byte(s);"}, {}, 2},
  });
  // The info block's 4 bytes and the location info's 8 must lie inside the image: the last
  // ones fit, one byte further does not.
  const Bytes Good = Image(Mcu{});
  const auto N = static_cast<std::uint32_t>(Good.size());
  const auto At = [&Good](std::size_t Offset, std::uint32_t Address) {
    Bytes B = Good;
    PutBE32(B, Offset, 0x200000 + Address);
    return B;
  };
  const std::string Info = "! (  11) MCU InfoBase points out of file - 0x", Location = "! (  34) MCU location of PPM location info is out of file, 0x";
  Check({
      {"info block in the last 4 bytes", At(0x3C, N - 4), {"! (  12) MCU version points"}, {Info}, 2},
      {"info block 3 bytes before the end", At(0x3C, N - 3), {Info + Hex(N - 3, 8) + ";"}, {}, 2},
      {"location info in the last 8 bytes", At(0x100, N - 8), {"! (  35) Start of PPM is higher"}, {Location}, 2},
      {"location info 7 bytes before the end", At(0x100, N - 7), {Location + Hex(N - 7, 8) + ";"}, {}, 2},
  });
}

TEST(Limits, McuHeaderFillers) {
  // The last byte of each filler counts.
  Bytes Unk2 = McuBytes(Mcu{}, 200), Unk3 = Unk2;
  Unk2[0x21] = 0;
  Unk3[0x37] = 0;
  ResealMcu(Unk2);
  ResealMcu(Unk3);
  Check({{"Unk2", Unk2, {"? (  13) MCU header Unk2 does not"}, {"? (  13) MCU header Unk3"}},
         {"Unk3", Unk3, {"? (  13) MCU header Unk3 does not"}, {"? (  13) MCU header Unk2"}}});
}

TEST(Limits, PpmArea) {
  // Without an MCU area: 118 bytes are enough. With one: a length of 50 holds the checksum; a
  // length past the image with exactly 118 bytes there is reported once, with 118.
  const auto Alone = [](std::size_t Filler) {
    Ppm P;
    P.Chunks = {EndChunk(), Bytes(Filler, 0)};
    return PpmBytes(P);
  };
  const auto Length = [](std::uint32_t L) {
    Bytes Img = WithChunks({});
    PutBE32(Img, 0x144, 0x210000 + L - 1);
    ResealMcu(Img);
    return Img;
  };
  Bytes Past = Cut(Length(1000), 0x10000 + 118);
  Check({
      {"117 bytes alone", Alone(47), {"! (  15) PPM length is too small, 117 byte(s);"}},
      {"118 bytes alone", Alone(48), {"  TPPM PPM"}, {"! (  15)"}},
      {"length 49", Length(49), {"! (  15) PPM length is too small, 49 byte(s);"}, {"* (  17)", "i (  18)"}},
      {"length 50", Length(50), {"* (  17) Checksum of MCU"}, {"! (  15) PPM length is too small, 50 byte(s);"}},
      {"length 51", Length(51), {"* (  17) Checksum of MCU"}, {"! (  15) PPM length is too small, 51 byte(s);"}},
      {"118 bytes of a longer area", Past, {"! (  15) PPM length is too small, 118 byte(s);"}},
  });
}

TEST(Limits, ChunksAndSubchunks) {
  const Bytes Gsmc = ChunkBytes({.Name = "GSMC", .Data = Bytes(60, 0)});
  Bytes OneOver = Gsmc;
  PutBE32(OneOver, 4, 81);  // one byte into the PPM trailer
  const auto Raw = [](const Bytes& Subchunks) {
    return WithChunks({ChunkBytes({.Name = "GSMC", .Data = Subchunks})});
  };
  const Bytes Lpcs = SubchunkBytes({.Id = 7, .Body = Bytes(512, 0x11)});
  const Bytes Rest17 = SubchunkBytes({.Id = 3, .Body = Bytes(4, 0), .Length = 20});
  Check({
      {"chunk length = the bytes left", WithChunks({Gsmc}, false),
       {"    TChunk GSMC", "! (  21) Too few bytes remains for chunk header, 0 byte(s);"}, {"! (  22)"}},
      {"chunk length one past them", WithChunks({OneOver}, false),
       {"! (  22) Too few bytes remains for chunk data, 80 byte(s);"}},
      {"a nameless chunk ends the walk", WithChunks({ChunkBytes({.Name = "", .Version = "Z"}), Gsmc}), {"    TChunk Z"}, {"    TChunk GSMC"}},
      {"chunk version in the last header word", WithChunks({ChunkBytes({.Name = "GSMC", .Version = "VERSION8", .Data = Bytes(8, 1)})}, false),
       {"    TChunk GSMC (VERSION8)"}, {"* (  23)"}},
      {"subchunk length = the bytes left", Raw(Rest17), {"      TRawSubchunk 0x00000003", NoEnd}, {"! (  37)"}},
      {"subchunk of 16 bytes left", Raw(ClosingRecord()), {"      TClosingSubchunk"}, {"! (  36)"}},
      {"raw body of 1 byte", Raw(Concat({SubchunkBytes({.Id = 4, .Body = Bytes{9}}), SubchunkBytes({.Id = 5}), ClosingRecord()})),
       {"      TRawSubchunk 0x00000004", "      TRawSubchunk 0x00000005"}},
      {"LPCS, 511 bytes left", WithChunks({ChunkBytes({.Name = "LPCS", .Data = Cut(Lpcs, 16 + 511)})}),
       {"! (  38) Error while creating LPCS subchunk;"}},
      {"LPCS, 512 bytes left", WithChunks({ChunkBytes({.Name = "LPCS", .Data = Lpcs})}),
       {"      TLPCSSubchunk 0x00000007", NoEnd}, {"! (  38)"}},
  });
}

TEST(Limits, SubchunkContents) {
  const auto In = [](const std::string& Name, const Bytes& Subchunk) {
    return WithChunks({ChunkBytes({.Name = Name, .Data = Concat({Subchunk, ClosingRecord()})})});
  };
  const Bytes FontCountOnly = SubchunkBytes({.Id = 1, .Body = {0, 0, 0, 1}, .Pad = false});
  // A font header that ends with the font data; image index 8 and a second table of 1 entry.
  const Bytes OneHeader = SubchunkBytes({.Id = 2, .Body = FontBody({Font{.SecondTableCount = 1}}), .Pad = false});
  const Bytes Index8 = SubchunkBytes({.Id = 3, .Body = FontBody({Font{.Ranges = {{.ImageIndex = 8}}}}), .Pad = false});
  // 0xFE behind a length table is text, not its terminator. A name of 2-byte characters in a
  // table of 1-byte ones ("A", "BC" stored) shows only the code units stored whole.
  const Bytes Fe = SubchunkBytes({.Id = 1, .Body = {1, 0xFE}});
  const Bytes Narrow = SubchunkBytes({.Id = 1, .Flags = 0x84000000, .Body = TextBody({"ABC", "x"})});
  Check({
      {"text byte 0xFE", In("TEXT", Fe), {"        - Language: \u00FE"}},
      {"2-byte name of 3 bytes", In("TEXT", Narrow), {"        - Language: "}, {"        - Language: \u4300"}},
      {"font header up to the end", In("FONT", OneHeader), {"        TFontEntry Font/", "? (  51) Table properites 2 count != 0, 1 entries;"}, {NoEnd}},
      {"image index 8", In("FONT", Index8), {"~ (  50) Font bits ptr: 0x00000034, \"Font/\", 1 char(s), table properties1: 1 entries, bit image entries from 8 to 8;"}},
      {"text of 1 body byte", In("TEXT", SubchunkBytes({.Id = 1, .Body = {0}})), {"      TTextSubchunk 0x00000001 (1 entries)"}},
      {"font body of 4 bytes", In("FONT", FontCountOnly), {"      TFontSubchunk 0x00000001 (1 fonts)"}},
      {"operator code byte 0xE2", In("PLMN", SubchunkBytes({.Id = 1, .Body = OperatorEntries({{.B1 = 0x10, .B2 = 0xE2, .Name = "E"}})})),
       {"        - MCC 24: E"}},
  }, {"--all", "--details"});
}

TEST(Limits, CodePageAndUnicode) {
  // The last byte of Windows-1252's own block, the first code units beyond one and two UTF-8
  // bytes, the last code point, and a high surrogate that ends a view into a longer text.
  EXPECT_EQ(CodePageToUtf8("\x9E\x9F\xA0"), "\u017E\u0178\u00A0");
  EXPECT_EQ(Utf16ToUtf8(u"\u007F\u0080\u07FF\u0800"), "\u007F\u0080\u07FF\u0800");
  std::string Last;
  AppendUtf8(Last, 0x10FFFF);
  AppendUtf8(Last, 0x110000);
  EXPECT_EQ(Last, "\U0010FFFF\uFFFD");
  const std::u16string Pair = u"a\U0001F600";
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(Pair).substr(0, 2)), "a\uFFFD");
  // The character of one byte (node texts) and the UTF-8 of a whole text (panel and dump)
  // agree on every byte, 0x7F to 0xA0 included, in both code pages.
  for (const TCodePage Page : {TCodePage::Windows1252, TCodePage::Latin1}) {
    SetCodePage(Page);
    for (int B = 0; B < 256; ++B) {
      std::string One;
      AppendUtf8(One, CodePageChar(static_cast<std::uint8_t>(B)));
      EXPECT_EQ(One, CodePageToUtf8(std::string(1, static_cast<char>(B)))) << B;
    }
  }
  SetCodePage(TCodePage::Windows1252);
  EXPECT_EQ(CodePageChar(0x9F), U'\u0178');
}

TEST(Limits, GlyphArtAtTheDrawingBudget) {
  // 16,384 glyphs of 64 x 16 pixels are exactly the budget and are drawn; one more column is
  // not. In a child process: the art takes megabytes that the heap would keep for later tests.
  for (const std::uint8_t Width : {64, 65}) {
    const Bytes Body = FontBody({Font{.Ranges = {{.First = 0, .Last = 0x3FFF, .Height = 16}}, .Images = {{.Width = Width}}}});
    const Bytes Image = WithChunks({ChunkBytes({.Name = "FONT", .Data = Concat({SubchunkBytes({.Id = 1, .Body = Body, .Pad = false}), ClosingRecord()})})});
    const auto Drawn = [&Image] { return DumpImage(Image, {"--all", "--glyphs"}).Out.find("Glyphs not drawn") == std::string::npos; };
    EXPECT_EXIT(std::exit(Drawn() ? 0 : 1), ::testing::ExitedWithCode(Width == 64 ? 0 : 1), "") << int{Width};
  }
}
