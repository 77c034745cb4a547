#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <png.h>

#include "TestSupport.h"
#include "cli/DumpTool.h"
#include "cli/PngWriter.h"
#include "present/Kav_FontSheet.h"

using namespace kavtest;
namespace fs = std::filesystem;

namespace {

const Bytes LanguageSub = SubchunkBytes({.Id = 2, .Body = TextBody({"Fr/an:\xE7" "ais", "Un\tdeux", "L1\r\nL2\\"})});
const Bytes CommonSub = SubchunkBytes({.Id = 0x33, .Body = TextBody({"OK"})});
const Bytes RawSub = SubchunkBytes({.Id = 9, .ShortName = "raw", .Body = {1, 2, 3, 4, 5}});  // padded to 24
const Font Mini{.Name1 = "Mini", .Name2 = "B",
                .Ranges = {{.First = 'A', .Last = 'B', .Height = 2}},
                .Images = {{.Width = 2, .Bitmap = BandBitmap({"#.", ".#", "##", ".."})}}};

Bytes ExportImage() {
  Ppm P;
  P.Chunks = {
      ChunkBytes({.Name = "TEXT", .Data = Concat({LanguageSub, CommonSub, ClosingRecord()})}),
      ChunkBytes({.Name = "GSMC", .Data = Concat({RawSub, ClosingRecord()})}),
      ChunkBytes({.Name = "FONT", .Data = Concat({SubchunkBytes({.Id = 1, .Body = FontBody({Mini}), .Pad = false}), ClosingRecord()})}),
      EndChunk(),
  };
  return DivudImage(Mcu{}, P, Bytes(6, 0xEE));
}

std::string ReadAll(const fs::path& Path) {
  std::ifstream F(Path, std::ios::binary);
  std::stringstream S;
  S << F.rdbuf();
  return S.str();
}
Bytes ReadBytes(const fs::path& Path) {
  const std::string S = ReadAll(Path);
  return {S.begin(), S.end()};
}

std::vector<std::string> Listing(const fs::path& Dir) {
  std::vector<std::string> Names;
  for (const auto& E : fs::directory_iterator(Dir)) Names.push_back(E.path().filename().string());
  std::sort(Names.begin(), Names.end());
  return Names;
}

// Decodes the PNGs kavex-dump writes with libpng (which checks every chunk's CRC): 8-bit RGB.
kavex::TRgbImage DecodePng(const Bytes& Png) {
  const Bytes Signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(Png.size() > 8 && std::equal(Signature.begin(), Signature.end(), Png.begin()));
  png_image Info{};
  Info.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&Info, Png.data(), Png.size())) {
    ADD_FAILURE() << Info.message;
    return kavex::TRgbImage(0, 0);
  }
  EXPECT_EQ(Info.format, static_cast<png_uint_32>(PNG_FORMAT_RGB));  // 8 bits a sample, no alpha
  Bytes Rgb(PNG_IMAGE_SIZE(Info));
  EXPECT_TRUE(png_image_finish_read(&Info, nullptr, Rgb.data(), 0, nullptr)) << Info.message;
  const int Width = static_cast<int>(Info.width), Height = static_cast<int>(Info.height);
  kavex::TRgbImage Image(Width, Height);
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      const std::size_t P = (static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(X)) * 3;
      Image.SetPixel(X, Y, (std::uint32_t{Rgb[P]} << 16) | (std::uint32_t{Rgb[P + 1]} << 8) | Rgb[P + 2]);
    }
  return Image;
}

}  // namespace

TEST(KavexDumpExport, TextTablesBecomeTsvFilesNamedByPositionIdAndLanguage) {
  TempFile File(ExportImage());
  const fs::path Dir = fs::path(File.Path()).parent_path() / "texts";
  const DumpResult R = RunDump({"--export-texts", Dir.string(), File.Path()});
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Err, "");
  const std::vector<std::string> Names = {"2.1.1_00000002_Fr_an_ais.tsv", "2.1.2_00000033_common.tsv"};
  EXPECT_EQ(Listing(Dir), Names);
  EXPECT_EQ(R.Out, (Dir / Names[0]).string() + "\n" + (Dir / Names[1]).string() + "\n");
  // Every entry with its index, the language name too; texts as UTF-8, escaped where TSV must.
  EXPECT_EQ(ReadAll(Dir / Names[0]), "Index\tText\n0\tFr/an:\u00E7ais\n1\tUn\\tdeux\n2\tL1\\r\\nL2\\\\\n");
  EXPECT_EQ(ReadAll(Dir / Names[1]), "Index\tText\n0\tOK\n");
}

TEST(KavexDumpExport, ExistingFilesAreRefusedUnlessForced) {
  TempFile File(ExportImage());
  const fs::path Dir = fs::path(File.Path()).parent_path() / "out";
  fs::create_directories(Dir);
  const fs::path Taken = Dir / "2.1.2_00000033_common.tsv";
  std::ofstream(Taken) << "mine";
  DumpResult R = RunDump({"--export-texts", Dir.string(), File.Path()});
  EXPECT_EQ(R.Status, 3);
  EXPECT_EQ(R.Out, "");
  EXPECT_EQ(R.Err, "kavex-dump: " + Taken.string() + ": exists; not overwritten (use --force)\n");
  // Nothing of the export was written, and the file is untouched.
  EXPECT_EQ(Listing(Dir), std::vector<std::string>{"2.1.2_00000033_common.tsv"});
  EXPECT_EQ(ReadAll(Taken), "mine");

  const fs::path Out = Dir / "chunk.bin";
  std::ofstream(Out) << "old";
  R = RunDump({"--extract", "2.1", "--out", Out.string(), File.Path()});
  EXPECT_EQ(R.Status, 3);
  EXPECT_EQ(ReadAll(Out), "old");

  R = RunDump({"--force", "--export-texts", Dir.string(), "--extract", "2.1", "--out", Out.string(), File.Path()});
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(ReadAll(Taken), "Index\tText\n0\tOK\n");
  EXPECT_EQ(ReadAll(Out).size(), 20 + LanguageSub.size() + CommonSub.size() + 16);

  // A folder that cannot be made: a file stands in its way.
  R = RunDump({"--export-texts", (Out / "sub").string(), File.Path()});
  EXPECT_EQ(R.Status, 4);
}

TEST(KavexDumpExport, ExtractWritesTheStoredBytesOfTheNodeAtAPosition) {
  const Bytes Image = ExportImage();
  TempFile File(Image);
  const fs::path Dir = fs::path(File.Path()).parent_path();
  const auto Extract = [&](const std::string& Position) {
    const fs::path Out = Dir / ("node-" + Position + ".bin");
    const DumpResult R = RunDump({"--extract", Position, "--out", Out.string(), File.Path()});
    EXPECT_EQ(R.Status, 0) << Position << ": " << R.Err;
    EXPECT_EQ(R.Out, Out.string() + "\n");
    return ReadBytes(Out);
  };
  EXPECT_EQ(Extract("0"), Image);
  const Bytes GsmcChunk = ChunkBytes({.Name = "GSMC", .Data = Concat({RawSub, ClosingRecord()})});
  EXPECT_EQ(Extract("2.2"), GsmcChunk);
  EXPECT_EQ(Extract("2.2.1"), RawSub);  // header, body and padding
  EXPECT_EQ(Extract("2.2.2"), ClosingRecord());
  EXPECT_EQ(Extract("2.1.1"), LanguageSub);
  EXPECT_EQ(Extract("3"), Bytes(6, 0xEE));
  const Bytes FontHeader = Extract("2.3.1.1");
  ASSERT_EQ(FontHeader.size(), 44u);
  EXPECT_EQ(std::string(FontHeader.begin() + 24, FontHeader.begin() + 28), "Mini");

  // Standard output takes the bytes alone.
  const DumpResult Stdout = RunDump({"--extract", "2.2.1", "--out", "-", File.Path()});
  EXPECT_EQ(Stdout.Status, 0);
  EXPECT_EQ(Stdout.Out, std::string(RawSub.begin(), RawSub.end()));

  // Numbers joined by dots that name no node: below the first child, past the last, too deep.
  for (const std::string Bad : {"4", "2.9", "2.2.1.1", "2.0", "00", "0.1", "2.00", "1234567890", "2.2.1234567890"}) {
    const DumpResult R = RunDump({"--extract", Bad, "--out", (Dir / "bad.bin").string(), File.Path()});
    EXPECT_EQ(R.Status, 5) << Bad;
    EXPECT_EQ(R.Err.rfind("kavex-dump: --extract " + Bad + ": no such node", 0), 0u) << R.Err;
    EXPECT_FALSE(fs::exists(Dir / "bad.bin"));
  }
  // Anything else is a wrong command line, refused before the file is read.
  for (const std::string Bad : {"2..1", "x", "2.", ".2", "-1", "2.a", "\xFF"}) {
    const DumpResult R = RunDump({"--extract", Bad, "--out", (Dir / "bad.bin").string(), File.Path()});
    EXPECT_EQ(R.Status, 64) << Bad;
    EXPECT_EQ(R.Out, "");
    EXPECT_EQ(R.Err.rfind("kavex-dump: --extract " + kavex::EscapeLine(Bad) + ": a position is \"0\" or child numbers", 0), 0u) << R.Err;
    EXPECT_FALSE(fs::exists(Dir / "bad.bin"));
  }
}

// With the node's bytes on stdout, the list of written files moves to stderr, whichever
// exports come with it.
TEST(KavexDumpExport, ExtractToStdoutListsTheOtherExportsOnStderr) {
  TempFile File(ExportImage());
  const fs::path Dir = fs::path(File.Path()).parent_path();
  const std::string Texts = (Dir / "texts").string(), Fonts = (Dir / "fonts").string();
  const std::string TextFiles = Texts + "/2.1.1_00000002_Fr_an_ais.tsv\n" + Texts + "/2.1.2_00000033_common.tsv\n";
  const std::string FontFiles = Fonts + "/2.3.1.1_Mini_B.png\n";
  const std::vector<std::pair<std::vector<std::string>, std::string>> Cases = {
      {{"--export-texts", Texts}, TextFiles},
      {{"--export-fonts", Fonts}, FontFiles},
      {{"--export-texts", Texts, "--export-fonts", Fonts}, TextFiles + FontFiles},
  };
  for (const auto& [Exports, Listed] : Cases) {
    fs::remove_all(Texts);
    fs::remove_all(Fonts);
    std::vector<std::string> Args = Exports;
    for (const std::string& A : {std::string("--extract"), std::string("2.2.1"), std::string("--out"), std::string("-"), File.Path()})
      Args.push_back(A);
    const DumpResult R = RunDump(Args);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(R.Out, std::string(RawSub.begin(), RawSub.end()));
    EXPECT_EQ(R.Err, Listed);
    std::istringstream Files(Listed);
    for (std::string Line; std::getline(Files, Line);) EXPECT_TRUE(fs::is_regular_file(Line)) << Line;
  }
}

// Every control character has one form in a TSV field; the rest of the text passes unchanged.
TEST(KavexDumpExport, TsvFieldsEscapeEachControlCharacterOnce) {
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"a\tb", "a\\tb"},     {"a\nb", "a\\nb"},     {"a\rb", "a\\rb"},         {"\r\n", "\\r\\n"},
      {"a\\b", "a\\\\b"},   {std::string("\0", 1), "\\x00"}, {"\x01", "\\x01"},   {"\x0B\x0C", "\\x0B\\x0C"},
      {"\x1F", "\\x1F"},     {" ~\x7F", " ~\x7F"},   {"\xC3\xA9\xE2\x82\xAC", "\xC3\xA9\xE2\x82\xAC"},
  };
  for (const auto& [Raw, Field] : Cases) EXPECT_EQ(kavex::TsvField(Raw), Field) << Field;
}

TEST(KavexDumpExport, FontsBecomePngSheetsDrawnLikeTheViewersPicture) {
  TempFile File(ExportImage());
  const fs::path Dir = fs::path(File.Path()).parent_path() / "fonts";
  const DumpResult R = RunDump({"--export-fonts", Dir.string(), File.Path()});
  EXPECT_EQ(R.Status, 0) << R.Err;
  ASSERT_EQ(Listing(Dir), std::vector<std::string>{"2.3.1.1_Mini_B.png"});
  const kavex::TRgbImage Sheet = DecodePng(ReadBytes(Dir / "2.3.1.1_Mini_B.png"));
  // 16 columns of 4 x 4 cells, one row; glyph A at (1, 1), B at (5, 1), the rest grey.
  ASSERT_EQ(Sheet.Width(), 64);
  ASSERT_EQ(Sheet.Height(), 4);
  const auto Row = [&Sheet](int Y) {
    std::string S;
    for (int X = 0; X < 9; ++X) {
      const std::uint32_t C = Sheet.Pixel(X, Y);
      S += C == kavex::FontSheetGrey ? ' ' : C == kavex::GlyphInk ? '#' : C == kavex::GlyphPaper ? '.' : '?';
    }
    return S;
  };
  EXPECT_EQ(Row(0), "         ");
  EXPECT_EQ(Row(1), " #.  ##  ");
  EXPECT_EQ(Row(2), " .#  ..  ");
  EXPECT_EQ(Row(3), "         ");
  EXPECT_EQ(Sheet.Pixel(63, 2), kavex::FontSheetGrey);
}

TEST(KavexDumpExport, AbsurdFontSheetsAreCutWithAMessageAndTheirOwnStatus) {
  const Bytes Body = FontBody({Font{.Name1 = "Huge", .Ranges = {{.First = 0, .Last = 0xFFFF, .Height = 31}}, .Images = {{.Width = 255}}}});
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "FONT", .Data = Concat({SubchunkBytes({.Id = 1, .Body = Body, .Pad = false}), ClosingRecord()})}),
              EndChunk()};
  TempFile File(DivudImage(Mcu{}, P));
  const fs::path Dir = fs::path(File.Path()).parent_path() / "fonts";
  const DumpResult R = RunDump({"--export-fonts", Dir.string(), File.Path()});
  EXPECT_EQ(R.Status, 6);
  const int Kept = kavex::LayoutFontSheet(0x10000, 255, 31, 16 * 257).Cells;
  EXPECT_NE(R.Err.find("the font has 65536 glyphs of 255x31; the sheet holds only the first " + std::to_string(Kept)), std::string::npos)
      << R.Err;
  const kavex::TRgbImage Sheet = DecodePng(ReadBytes(Dir / "2.1.1.1_Huge.png"));
  EXPECT_EQ(Sheet.Width(), 16 * 257);
  EXPECT_LE(std::int64_t{Sheet.Width()} * Sheet.Height(), kavex::FontSheetPixelBudget);
}

TEST(KavexDumpExport, ExportsRejectOptionsThatPrintTheTree) {
  EXPECT_EQ(RunDump({"--json", "--export-texts", "d", "f.fls"}).Status, 64);
  EXPECT_EQ(RunDump({"--glyphs", "--export-fonts", "d", "f.fls"}).Status, 64);
  EXPECT_EQ(RunDump({"--extract", "1", "f.fls"}).Status, 64);
  EXPECT_EQ(RunDump({"--out", "x", "f.fls"}).Status, 64);
  EXPECT_EQ(RunDump({"--export-texts", "f.fls"}).Status, 64);
  EXPECT_EQ(RunDump({"--all=yes", "f.fls"}).Status, 64);
  EXPECT_EQ(RunDump({"--export-texts=", "f.fls"}).Status, 64);
}

TEST(SafeNames, KeepLettersDigitsAndDashesOnly) {
  EXPECT_EQ(kavex::SafeNamePart("Fran\xC3\xA7" "ais", 40, "x"), "Fran_ais");
  EXPECT_EQ(kavex::SafeNamePart("../../etc/passwd", 40, "x"), "etc_passwd");
  EXPECT_EQ(kavex::SafeNamePart("\xD0\xA0\xD1\x83", 40, "language"), "language");
  EXPECT_EQ(kavex::SafeNamePart("", 40, "font"), "font");
  EXPECT_EQ(kavex::SafeNamePart(std::string(100, 'a'), 40, "x"), std::string(40, 'a'));
  EXPECT_EQ(kavex::SafeNamePart("CON:NUL?*", 40, "x"), "CON_NUL");
}

TEST(KavexDumpExport, PngFilesDecodeToTheSamePixelsAndEmptyPicturesGiveNoFile) {
  struct Case {
    int Width, Height;
  };
  for (const Case C : {Case{0, 3}, Case{5, 0}, Case{1, 1}, Case{7, 3}, Case{1, 300}}) {
    SCOPED_TRACE(std::to_string(C.Width) + "x" + std::to_string(C.Height));
    kavex::TRgbImage Image(C.Width, C.Height);
    for (int Y = 0; Y < C.Height; ++Y)
      for (int X = 0; X < C.Width; ++X) Image.SetPixel(X, Y, static_cast<std::uint32_t>(X * 0x2F0B01 + Y * 0x010DA7) & 0xFFFFFF);
    const Bytes Png = kavex::EncodePng(Image);
    if (C.Width == 0 || C.Height == 0) {
      EXPECT_TRUE(Png.empty());
      continue;
    }
    const kavex::TRgbImage Back = DecodePng(Png);
    ASSERT_EQ(Back.Width(), C.Width);
    ASSERT_EQ(Back.Height(), C.Height);
    EXPECT_EQ(Back.Rgb(), Image.Rgb());
  }
}
