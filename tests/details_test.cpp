#include <gtest/gtest.h>

#include <set>

#include "ContentFixture.h"
#include "TestSupport.h"
#include "present/Kav_Details.h"
#include "model/Kav_Kinds.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_Text.h"
#include "present/Kav_Walk.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

// A chunk built from exactly these header fields, with the bytes it views.
struct TOwnedChunk {
  Bytes Raw;
  std::unique_ptr<TChunk> Chunk;
  const TChunk* operator->() const { return Chunk.get(); }
  const TChunk& operator*() const { return *Chunk; }
};
// (A moved vector keeps its buffer, so the chunk's views stay good.)
TOwnedChunk ChunkOf(const Chunk& C) {
  TOwnedChunk Owned{ChunkBytes(C), nullptr};
  TReader Cursor{TByteView(Owned.Raw), 0};
  Owned.Chunk = std::make_unique<TChunk>(nullptr, static_cast<std::int32_t>(Owned.Raw.size()), Cursor);
  return Owned;
}

}  // namespace

TEST(ChunkPanel, ChecksumVerdictLengthAndFixedWidthTexts) {
  CapturedLog L;
  const auto Good = ChunkOf({.Name = "TEXT", .Version = "V 1.2", .Data = Bytes(280, 1)});
  EXPECT_EQ(DumpDetailLines(*Good, false),
            (Lines{"CheckSum: 0x" + FormatText("%.8x", {std::int64_t{Good->GetStoredChecksum()}}) + " (match)",
                   "Length: 0x0000012C (300)", "Name/Type: TEXT", "Version: V 1.2"}));

  const auto Bad = ChunkOf({.Name = "LDB", .Version = "12345678", .Checksum = 0x12C});
  const TChunkDetails D = ChunkDetails(*Bad);
  EXPECT_EQ(D.CheckSum, FormatText("0x0000012C (expected 0x%.8x)", {std::int64_t{Bad->GetCalculatedChecksum()}}));
  EXPECT_EQ(D.NameType, "LDB");        // ends at its zero byte
  EXPECT_EQ(D.Version, "12345678");    // no zero byte: shown in full

  // No name: no checksum computed, so the stored one is compared with 0.
  const auto Nameless = ChunkOf({.Name = "", .Version = "V9", .Length = 20, .Checksum = 0});
  EXPECT_EQ(ChunkDetails(*Nameless).CheckSum, "0x00000000 (match)");
  EXPECT_EQ(ChunkDetails(*Nameless).NameType, "");

  Bytes AllFF(20, 0xFF);
  TReader Cursor{TByteView(AllFF), 0};
  const TChunk End(nullptr, 20, Cursor);
  EXPECT_EQ(ChunkDetails(End).CheckSum, "0xFFFFFFFF (expected 0xFFFFFFFC)");
  EXPECT_EQ(ChunkDetails(End).Length, "0xFFFFFFFF (-1)");
  EXPECT_EQ(ChunkDetails(End).NameType, "\u00FF\u00FF\u00FF\u00FF");
}

TEST(SubchunkPanel, HeaderFieldsOfEverySubchunkClass) {
  const ParsedChunk P = ParseChunk("TEXT", Concat({SubchunkBytes({.Id = 0x33, .ShortName = "abcd", .Flags = 0x80000000u,
                                                                  .Body = WideTextBody({u"a", u"bc"})}),
                                                   ClosingRecord()}));
  const TSubchunkDetails D = SubchunkDetails(P.Sub<TSubchunk>(0));
  EXPECT_EQ(D.Id, "0x00000033");
  EXPECT_EQ(D.Length, "0x00000018 (24)");
  EXPECT_EQ(D.Shortname, "abcd");
  EXPECT_EQ(D.Flags, "0x80000000");
  // The closing record is a subchunk class too.
  EXPECT_EQ(DumpDetailLines(*P.Chunk->Child(1), true),
            (Lines{"Id: 0x00000000", "Length: 0x00000000 (0)", "Shortname: ", "Flags: 0x00000000"}));
  for (const char* Name : {"TTextSubchunk", "TToneSubchunk", "TFontSubchunk", "TPLMNSubchunk", "TLPCSSubchunk",
                           "TLDBSubchunk", "TAORDSubchunk", "TRawSubchunk", "TClosingSubchunk", "TGSMCSubchunk",
                           "TWUGSSubchunk"})
    EXPECT_TRUE(HasSubchunkPanel(Name)) << Name;
  for (const char* Name : {"TChunk", "TFontEntry", "TFls", "TSubchunk"}) EXPECT_FALSE(HasSubchunkPanel(Name)) << Name;
}

TEST(TextPanel, CommonTableListsFromZeroLanguageTablesFromOne) {
  const ParsedChunk P = ParseChunk(
      "TEXT", Concat({SubchunkBytes({.Id = 2, .Flags = 0x80000000u, .Body = WideTextBody({u"\u0001Fran\u00E7ais", u"Oui", u"Non"})}),
                      SubchunkBytes({.Id = 0x33, .Body = TextBody({"OK", "Menu"})}), SubchunkBytes({.Id = 3}), ClosingRecord()}));
  const TTextListDetails Language = TextListDetails(P.Sub<TTextSubchunk>(0));
  EXPECT_EQ(Language.Language, "Fran\u00E7ais");
  EXPECT_EQ(Language.Charset, "Unicode");
  ASSERT_EQ(Language.Rows.size(), 2u);
  EXPECT_EQ(Language.Rows[0].Index, "1");
  EXPECT_EQ(Language.Rows[1].Entry, "Non");

  EXPECT_EQ(DumpDetailLines(*P.Chunk->Child(1), false),
            (Lines{"Id: 0x00000033", "Length: 0x00000018 (24)", "Shortname: ", "Flags: 0x00000000", "Language: (common)",
                   "Charset: GSM alphabet", "Entry 0: OK", "Entry 1: Menu"}));

  const TTextListDetails Empty = TextListDetails(P.Sub<TTextSubchunk>(2));
  EXPECT_EQ(Empty.Charset, "Unknown");
  EXPECT_EQ(Empty.Language, "");
  EXPECT_TRUE(Empty.Rows.empty());
}

TEST(OperatorPanel, RowsInFileOrderWithDecimalCodes) {
  const ParsedChunk P = ParseChunk(
      "PLMN", Concat({SubchunkBytes({.Id = 1, .Flags = CountryFlags(250),
                                     .Body = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "Beta"}, {.B1 = 0x10, .B2 = 0xF2, .Name = "Alpha"}})}),
                      ClosingRecord()}));
  const auto Rows = OperatorListRows(P.Sub<TPLMNSubchunk>(0));
  ASSERT_EQ(Rows.size(), 2u);
  EXPECT_EQ(Rows[0].Mcc + "/" + Rows[0].Provider, "12/Beta");
  EXPECT_EQ(Rows[1].Mcc + "/" + Rows[1].Provider, "1/Alpha");
}

TEST(GlyphLines, AbsurdFontsAreListedWithoutArt) {
  // 65536 glyphs of 255 x 31 pixels would be half a gigabyte of text.
  Bytes Body = FontBody({Font{.Ranges = {{.First = 0, .Last = 0xFFFF, .Height = 31}}, .Images = {{.Width = 255}}}});
  const ParsedChunk P = ParseChunk("FONT", Concat({SubchunkBytes({.Id = 1, .Body = Body, .Pad = false}), ClosingRecord()}));
  TKavClass& Sub = *P.Chunk->Child(0);
  CapturedLog L;
  const TKavClass* Entry = Sub.ParseNextChild();
  ASSERT_NE(Entry, nullptr);
  EXPECT_EQ(DumpDetailLines(*Entry, false), Lines{});
  EXPECT_EQ(DumpDetailLines(*Entry, true), Lines{"Glyphs not drawn: 65536 chars of 255x31 are too many for the dump"});
}

namespace {

// One chunk of every kind, each closed, then the end chunk.
Bytes EveryKindImage() {
  auto Closed = [](const std::string& Name, const std::string& Version, const Bytes& Sub) {
    return ChunkBytes({.Name = Name, .Version = Version, .Data = Concat({Sub, ClosingRecord()})});
  };
  const Bytes Language = SubchunkBytes({.Id = 1, .ShortName = "en", .Flags = 0x80000000u,
                                        .Body = WideTextBody({u"\u0001English", u"Hello", u"Good\tbye"})});
  const Bytes Common = SubchunkBytes({.Id = 0x33, .Body = TextBody({"OK", "\x80uro"}, true)});
  const Bytes Fonts = SubchunkBytes(
      {.Id = 1, .ShortName = "fnt",
       .Body = FontBody({Font{.Name1 = "Small", .Name2 = "4",
                              .Ranges = {{.First = '0', .Last = '1', .FirstRow = 0, .Height = 4}},
                              .Images = {{.Width = 3, .Bitmap = BandBitmap({"###", "#.#", "#.#", "###",  //
                                                                            ".#.", "##.", ".#.", "###"})}}},
                         Font{.Name1 = "Wide", .Name2 = "B",
                              .Ranges = {{.First = 0x263A, .Last = 0x263A, .FirstRow = 6, .ImageIndex = 1, .Height = 3}},
                              .Images = {{.Width = 1}, {.Width = 4, .Bitmap = BandBitmap({"....", "....", "....", "....", "....",
                                                                                          "....", "#..#", "....", ".##."})}}}}),
       .Pad = false});
  const Bytes Tone = SubchunkBytes({.Id = 4, .Body = ToneBody("Ring", {1, 2, 3}, 1), .Pad = false});
  const Bytes Operators = SubchunkBytes({.Id = 2, .Flags = CountryFlags(250, 2),
                                         .Body = OperatorEntries({{.B1 = 0x10, .B2 = 0xF1, .Name = "MTS"},
                                                                  {.B1 = 0x20, .B2 = 0xF0, .Name = "MegaFon"}})});
  Ppm P;
  P.Chunks = {
      ChunkBytes({.Name = "TEXT", .Version = "T1", .Data = Concat({Language, Common, ClosingRecord()})}),
      Closed("FONT", "F1", Fonts),
      Closed("TONE", "R1", Tone),
      Closed("PLMN", "P1", Operators),
      Closed("LDB", "L1", SubchunkBytes({.Id = 5, .Body = {1, 2, 3}})),
      Closed("AORD", "A1", SubchunkBytes({.Id = 6, .ShortName = "ord", .Body = {4}})),
      Closed("WUGS", "W1", SubchunkBytes({.Id = 7, .Body = {5, 6}})),
      Closed("LPCS", "C1", SubchunkBytes({.Id = 8, .Body = Bytes(512, 0x22)})),
      Closed("GSMC", "G1", SubchunkBytes({.Id = 9, .Flags = 0xFFFFFFFFu})),
      Closed("QQ", "Q1", SubchunkBytes({.Id = 10, .Body = {7}})),
      EndChunk(),
  };
  return DivudImage(Mcu{}, P);
}

}  // namespace

// The whole output: tree, details of every panel kind, glyph art, and the log. @FILE@ stands
// for the file's path and @MCU@ for the MCU checksum, which the builder computes.
const char* const EveryKindDump = R"(TFls @FILE@
  TMCU MCU (V 5.00, 01-01-99, NSE-1)
  TPPM PPM (V 5.00, 01-01-99, NSE-1)
    TChunk TEXT (T1)
      - CheckSum: 0x5D725C1F (match)
      - Length: 0x00000080 (128)
      - Name/Type: TEXT
      - Version: T1
      TTextSubchunk 0x00000001, en (3 entries)
        - Id: 0x00000001
        - Length: 0x0000003D (61)
        - Shortname: en
        - Flags: 0x80000000
        - Language: English
        - Charset: Unicode
        - Entry 1: Hello
        - Entry 2: Good\x09bye
      TTextSubchunk 0x00000033 (2 entries)
        - Id: 0x00000033
        - Length: 0x00000019 (25)
        - Shortname: 
        - Flags: 0x00000000
        - Language: (common)
        - Charset: GSM alphabet
        - Entry 0: OK
        - Entry 1: €uro
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk FONT (F1)
      - CheckSum: 0x059B1E86 (match)
      - Length: 0x000000CF (207)
      - Name/Type: FONT
      - Version: F1
      TFontSubchunk 0x00000001, fnt (2 fonts)
        - Id: 0x00000001
        - Length: 0x000000AB (171)
        - Shortname: fnt
        - Flags: 0x00000000
        TFontEntry Small/4 (3x4, 2 chars)
          - Glyph 0x0030
          - ###
          - #.#
          - #.#
          - ###
          - Glyph 0x0031
          - .#.
          - ##.
          - .#.
          - ###
        TFontEntry Wide/B (4x3, 1 chars)
          - Glyph 0x263A
          - #..#
          - ....
          - .##.
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk TONE (R1)
      - CheckSum: 0x10D3BA10 (match)
      - Length: 0x0000003D (61)
      - Name/Type: TONE
      - Version: R1
      TToneSubchunk 0x00000004 (Ring)
        - Id: 0x00000004
        - Length: 0x00000019 (25)
        - Shortname: 
        - Flags: 0x00000000
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk PLMN (P1)
      - CheckSum: 0xE6C85927 (match)
      - Length: 0x00000048 (72)
      - Name/Type: PLMN
      - Version: P1
      TPLMNSubchunk 0x00000002 (250)
        - Id: 0x00000002
        - Length: 0x00000024 (36)
        - Shortname: 
        - Flags: 0x52F00200
        - MCC 1: MTS
        - MCC 2: MegaFon
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk LDB (L1)
      - CheckSum: 0x99774550 (match)
      - Length: 0x00000038 (56)
      - Name/Type: LDB
      - Version: L1
      TLDBSubchunk 0x00000005
        - Id: 0x00000005
        - Length: 0x00000013 (19)
        - Shortname: 
        - Flags: 0x00000000
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk AORD (A1)
      - CheckSum: 0xF5F2B693 (match)
      - Length: 0x00000038 (56)
      - Name/Type: AORD
      - Version: A1
      TAORDSubchunk 0x00000006, ord
        - Id: 0x00000006
        - Length: 0x00000011 (17)
        - Shortname: ord
        - Flags: 0x00000000
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk WUGS (W1)
      - CheckSum: 0xB38C47A4 (match)
      - Length: 0x00000038 (56)
      - Name/Type: WUGS
      - Version: W1
      TWUGSSubchunk 0x00000007
        - Id: 0x00000007
        - Length: 0x00000012 (18)
        - Shortname: 
        - Flags: 0x00000000
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk LPCS (C1)
      - CheckSum: 0xA092589F (match)
      - Length: 0x00000234 (564)
      - Name/Type: LPCS
      - Version: C1
      TLPCSSubchunk 0x00000008
        - Id: 0x00000008
        - Length: 0x00000210 (528)
        - Shortname: 
        - Flags: 0x00000000
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk GSMC (G1)
      - CheckSum: 0x8E844D8F (match)
      - Length: 0x00000034 (52)
      - Name/Type: GSMC
      - Version: G1
      TRawSubchunk 0x00000009
        - Id: 0x00000009
        - Length: 0x00000010 (16)
        - Shortname: 
        - Flags: 0xFFFFFFFF
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk QQ (Q1)
      - CheckSum: 0xA9820053 (match)
      - Length: 0x00000038 (56)
      - Name/Type: QQ
      - Version: Q1
      TRawSubchunk 0x0000000A
        - Id: 0x0000000A
        - Length: 0x00000011 (17)
        - Shortname: 
        - Flags: 0x00000000
      TClosingSubchunk 0x00000000
        - Id: 0x00000000
        - Length: 0x00000000 (0)
        - Shortname: 
        - Flags: 0x00000000
    TChunk ÿÿÿÿ (ÿÿÿÿÿÿÿÿ)
      - CheckSum: 0xFFFFFFFF (expected 0xFFFFFFFC)
      - Length: 0xFFFFFFFF (-1)
      - Name/Type: ÿÿÿÿ
      - Version: ÿÿÿÿÿÿÿÿ

i (  28) Loading file: @FILE@; Path: [KavObj.LoadFile]
~ (  45) Divud file format assumed; Path: /
i (  14) MCU version string: V 5.00, 01-01-99, NSE-1; Path: /MCU/
i (  19) PPM version string: V 5.00, 01-01-99, NSE-1; Path: /PPM/
i (  18) Checksum of MCU (@MCU@) match one at PPM (@MCU@); Path: /PPM/
* (  23) Chunk checksum does not math: present 0xFFFFFFFF, calculated 0xFFFFFFFC; Path: /PPM/ÿÿÿÿ/
~ (  50) Font bits ptr: 0x00000060, "Small/4", 2 char(s), table properties1: 1 entries, bit image entries from 0 to 0; Path: /PPM/FONT/0x00000001, fnt/Small/4/
~ (  50) Font bits ptr: 0x0000004B, "Wide/B", 1 char(s), table properties1: 1 entries, bit image entries from 1 to 1; Path: /PPM/FONT/0x00000001, fnt/Wide/B/
? (  25) Unknows chunk Name/Type: 0x51510000; Path: /PPM/QQ/
)";

TEST(KavexDumpDetails, EveryKindWithDetailsAndGlyphs) {
  const Bytes Image = EveryKindImage();
  const TempFile File(Image);
  const DumpResult R = RunDump({"--all", "--details", "--glyphs", File.Path()});
  std::string Expected = EveryKindDump;
  auto Replace = [&Expected](const std::string& From, const std::string& To) {
    for (std::size_t At = Expected.find(From); At != std::string::npos; At = Expected.find(From, At + To.size()))
      Expected.replace(At, From.size(), To);
  };
  Replace("@FILE@", File.Path());
  Replace("@MCU@", FormatText("0x%.4x", {std::int64_t{BE16OrZero(Image, 0x22)}}));
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Err, "");
  EXPECT_EQ(R.Out, Expected);
}

// Every node class has a kind whose row carries its own class name, and every row but the
// GSMC one (no class has it) is some built node's: a class added without its row, or a row
// without its class, fails here.
TEST(NodeKinds, EveryBuiltNodeIsTheRowOfItsKindAndEveryRowIsBuilt) {
  const std::span<const TNodeKindRow> Table = NodeKindTable();
  for (std::size_t I = 0; I < Table.size(); ++I) {
    EXPECT_EQ(static_cast<std::size_t>(Table[I].Kind), I) << Table[I].ClassName;
    EXPECT_EQ(NodeKindRowByName(Table[I].ClassName), &Table[I]) << "names are unique";
  }
  EXPECT_EQ(NodeKindRowByName("TSubchunk"), nullptr);

  CapturedLog L;
  std::set<TNodeKind> Seen;
  const Bytes WithEeprom = DivudImage(Mcu{}, Ppm{}, Bytes(32, 0xEE));
  for (const Bytes& Image : {EveryKindImage(), WithEeprom}) {
    auto Root = LoadImage(Image, "image.fls");
    ExpandAll(*Root, [&](TKavClass& Node) {
      const auto Kind = static_cast<std::size_t>(Node.Kind());
      ASSERT_LT(Kind, Table.size()) << Node.ClassName();
      EXPECT_STREQ(Table[Kind].ClassName, Node.ClassName());
      EXPECT_EQ(NodeKindRowOf(&Node), &Table[Kind]);
      Seen.insert(Node.Kind());
    });
  }
  for (const TNodeKindRow& Row : Table)
    EXPECT_EQ(Seen.count(Row.Kind), Row.Kind == TNodeKind::GSMCSubchunk ? 0u : 1u) << Row.ClassName;
}
