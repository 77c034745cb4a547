// File names between the program's UTF-8 and the system: the conversion to UTF-16 at its
// limits, the paths made of it, and the file seam and the exports on names that are not ASCII.
// These run in the native build and in the Windows one under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "cli/DumpTool.h"
#include "model/CodePage.h"
#include "model/FileName.h"
#include "model/ImageFile.h"
#include "present/Kav_Export.h"

using namespace kavtest;
namespace fs = std::filesystem;

namespace {

// A name of two scripts, as an image might be called anywhere.
const std::string ImageName = "n\xC3\xA4yte-\xD0\xBE\xD0\xB1\xD1\x80\xD0\xB0\xD0\xB7.fls";  // näyte-образ.fls
const std::string FolderName = "\xD1\x8D\xD0\xBA\xD1\x81\xD0\xBF\xD0\xBE\xD1\x80\xD1\x82-\xC3\xA4";  // экспорт-ä

std::string ReadAll(const fs::path& Path) {
  std::ifstream F(Path, std::ios::binary);
  std::stringstream S;
  S << F.rdbuf();
  return S.str();
}

std::vector<std::string> Listing(const fs::path& Dir) {
  std::vector<std::string> Names;
  for (const auto& E : fs::directory_iterator(Dir)) Names.push_back(kavex::PathToUtf8(E.path().filename()));
  std::sort(Names.begin(), Names.end());
  return Names;
}

}  // namespace

// Each length of sequence at its lowest and highest code point, and one past either limit,
// which is ill-formed: every byte of it becomes one U+FFFD.
TEST(FileName, Utf8BecomesUtf16AtEveryLimit) {
  const std::u16string R = u"\uFFFD";
  const std::vector<std::pair<std::string, std::u16string>> Cases = {
      {"", u""},
      {"image.fls", u"image.fls"},
      {"\x7F", u"\x7F"},
      {"\xC2\x80", u"\u0080"},                      // the lowest of two bytes
      {"\xDF\xBF", u"\u07FF"},                      // the highest of two bytes
      {"\xC1\xBF", R + R},                          // overlong for U+007F
      {"\xE0\xA0\x80", u"\u0800"},                  // the lowest of three bytes
      {"\xE0\x9F\xBF", R + R + R},                  // overlong for U+07FF
      {"\xED\x9F\xBF", u"\uD7FF"},                  // just below the surrogates
      {"\xED\xA0\x80", R + R + R},                  // a surrogate
      {"\xEF\xBF\xBF", u"\uFFFF"},                  // the highest of three bytes
      {"\xF0\x90\x80\x80", u"\U00010000"},          // the lowest of four bytes: a pair
      {"\xF0\x8F\xBF\xBF", R + R + R + R},          // overlong for U+FFFF
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},          // the highest code point
      {"\xF4\x90\x80\x80", R + R + R + R},          // above it
      {"\xF5\x80\x80\x80", R + R + R + R},          // a lead byte that is never used
      {"\x80x", R + u"x"},                          // a continuation byte alone
      {"\xE2\x82", R + R},                          // cut short by the end
      {"\xE2\x82x", R + R + u"x"},                  // cut short by another character
      {ImageName, u"n\u00E4yte-\u043E\u0431\u0440\u0430\u0437.fls"},
  };
  for (const auto& [Utf8, Utf16] : Cases) {
    EXPECT_EQ(kavex::Utf8ToUtf16(Utf8), Utf16) << kavex::EscapeLine(Utf8);
    // Well-formed text comes back as it was.
    if (Utf16.find(u'\uFFFD') == std::u16string::npos) {
      EXPECT_EQ(kavex::Utf16ToUtf8(Utf16), Utf8) << kavex::EscapeLine(Utf8);
    }
  }
}

// A path made of a UTF-8 name gives that name back; on Windows the path holds its UTF-16.
// Bytes that are no UTF-8 stay as they are on POSIX, where a name is bytes, and are U+FFFD on
// Windows, where a name is UTF-16.
TEST(FileName, PathsKeepUtf8NamesBothWays) {
  const std::string Bad = "x\xFF.fls";
#ifdef _WIN32
  const std::string BadBack = "x\xEF\xBF\xBD.fls";
#else
  const std::string BadBack = Bad;
#endif
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"image.fls", "image.fls"},
      {ImageName, ImageName},
      {FolderName + "/" + ImageName, FolderName + "/" + ImageName},
      {"\xF0\x9F\x98\x80.fls", "\xF0\x9F\x98\x80.fls"},  // four bytes, a surrogate pair on Windows
      {Bad, BadBack},
  };
  for (const auto& [Name, Back] : Cases) {
    const fs::path Path = kavex::PathFromUtf8(Name);
    EXPECT_EQ(kavex::PathToUtf8(Path), Back) << kavex::EscapeLine(Name);
#ifdef _WIN32
    const std::u16string Units = kavex::Utf8ToUtf16(Name);
    EXPECT_EQ(Path.native(), std::wstring(Units.begin(), Units.end())) << kavex::EscapeLine(Name);
#endif
  }
  EXPECT_EQ(kavex::PathToUtf8(kavex::PathFromUtf8(FolderName) / kavex::PathFromUtf8(ImageName)).substr(FolderName.size() + 1),
            ImageName);
}

// The file seam on a name that is not ASCII: open, size, reads at offsets up to the end and
// past it, a folder told as one, a missing file with the system's words for it.
TEST(FileName, ImageFileOpensNamesThatAreNotAscii) {
  const TempFile File(Bytes{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}, ImageName);
  kavex::TImageFile Image;
  ASSERT_TRUE(Image.Open(File.Path())) << kavex::TImageFile::ErrorText(Image.Error());
  EXPECT_EQ(Image.Kind(), kavex::TImageFile::TKind::Regular);
  EXPECT_EQ(Image.Size(), 10);
  struct TRead {
    std::size_t Size;
    std::uint64_t Offset;
    bool Ok;
  };
  for (const TRead& R : {TRead{10, 0, true}, TRead{3, 7, true}, TRead{4, 7, false}, TRead{1, 10, false}, TRead{1, 1ull << 33, false}}) {
    std::vector<std::uint8_t> To(R.Size, 0);
    EXPECT_EQ(Image.ReadAt(To.data(), R.Size, R.Offset), R.Ok) << R.Size << " at " << R.Offset;
    EXPECT_EQ(Image.Error(), 0) << "the end of the file is no failure of the device";
    if (R.Ok) {
      EXPECT_EQ(std::string(To.begin(), To.end()), std::string("0123456789").substr(R.Offset, R.Size));
    }
  }

  const std::string Folder = kavex::PathToUtf8(kavex::PathFromUtf8(File.Path()).parent_path() / kavex::PathFromUtf8(FolderName));
  fs::create_directory(kavex::PathFromUtf8(Folder));
  kavex::TImageFile Dir;
  ASSERT_TRUE(Dir.Open(Folder));
  EXPECT_EQ(Dir.Kind(), kavex::TImageFile::TKind::Directory);

  kavex::TImageFile Missing;
  EXPECT_FALSE(Missing.Open(Folder + "/" + ImageName));
  EXPECT_NE(Missing.Error(), 0);
  // The dump names the file and gives the system's reason, which is never empty.
  const DumpResult R = RunDump({Folder + "/" + ImageName});
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Err, "kavex-dump: " + kavex::EscapeLine(Folder + "/" + ImageName) + ": " +
                       kavex::TImageFile::ErrorText(Missing.Error()) + "\n");
}

// The system's words for its errors read as one clause: UTF-8, no line end, no full stop; a
// number the system has no words for is named as a number.
TEST(FileName, SystemErrorTextsAreOneClause) {
#ifdef _WIN32
  const std::vector<int> Known = {2 /* file not found */, 3 /* path not found */, 5 /* access denied */,
                                  8 /* not enough memory */, 112 /* disk full */};
  const int Unknown = 0x2FFFFFF0;
  const std::string UnknownText = "system error 805306352";
  const int NoMemory = 8;
#else
  const std::vector<int> Known = {ENOENT, EACCES, ENOMEM, ENOSPC, EISDIR};
  const int Unknown = 99999;
  const std::string UnknownText = "Unknown error 99999";
  const int NoMemory = ENOMEM;
#endif
  for (const int Code : Known) {
    const std::string Text = kavex::TImageFile::ErrorText(Code);
    ASSERT_FALSE(Text.empty()) << Code;
    EXPECT_EQ(Text.find_first_of("\r\n"), std::string::npos) << Code << ": " << kavex::EscapeLine(Text);
    EXPECT_NE(Text.back(), '.') << Code << ": " << Text;
    EXPECT_NE(Text.back(), ' ') << Code << ": " << Text;
    EXPECT_EQ(kavex::EscapeLine(Text), Text) << Code;  // well-formed UTF-8, no control characters
  }
  EXPECT_EQ(kavex::TImageFile::ErrorText(Unknown), UnknownText);
  EXPECT_EQ(kavex::TImageFile::ErrorText(kavex::TImageFile::OutOfMemoryError()), kavex::TImageFile::ErrorText(NoMemory));
}

// An image of that name exported into a folder of that kind: the files are there under their
// names, listed in UTF-8, and a second run without --force overwrites none of them.
TEST(FileName, ExportsGoIntoFoldersNamedInAnyScript) {
  const Bytes Text = SubchunkBytes({.Id = 2, .Body = TextBody({"Suomi", "Yksi"})});
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "TEXT", .Data = Concat({Text, ClosingRecord()})}), EndChunk()};
  const TempFile File(DivudImage(Mcu{}, P, Bytes(6, 0xEE)), ImageName);
  const std::string Folder = kavex::PathToUtf8(kavex::PathFromUtf8(File.Path()).parent_path()) + "/" + FolderName;
  const std::string Written = kavex::PathToUtf8(kavex::PathFromUtf8(Folder) / "2.1.1_00000002_Suomi.tsv");

  const DumpResult First = RunDump({"--export-texts", Folder, File.Path()});
  EXPECT_EQ(First.Status, 0) << First.Err;
  EXPECT_EQ(First.Out, Written + "\n");
  EXPECT_EQ(Listing(kavex::PathFromUtf8(Folder)), std::vector<std::string>{"2.1.1_00000002_Suomi.tsv"});
  EXPECT_EQ(ReadAll(kavex::PathFromUtf8(Written)), "Index\tText\n0\tSuomi\n1\tYksi\n");

  const DumpResult Again = RunDump({"--export-texts", Folder, File.Path()});
  EXPECT_EQ(Again.Status, 3);
  EXPECT_EQ(Again.Err, "kavex-dump: " + Written + ": exists; not overwritten (use --force)\n");
  const DumpResult Forced = RunDump({"--force", "--export-texts", Folder, File.Path()});
  EXPECT_EQ(Forced.Status, 0) << Forced.Err;
  // Replacing leaves no temporary file behind.
  EXPECT_EQ(Listing(kavex::PathFromUtf8(Folder)), std::vector<std::string>{"2.1.1_00000002_Suomi.tsv"});
}
