#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "cli/DiffTool.h"
#include "present/Kav_CompareReport.h"
#include "present/Kav_Walk.h"

using namespace kavex;
using namespace kavtest;
using nlohmann::json;

namespace {

Bytes Table(const std::vector<std::string>& Entries) { return SubchunkBytes({.Id = 2, .ShortName = "DEU", .Body = TextBody(Entries, true)}); }
Bytes Closed(const std::string& Name, const Bytes& Sub) { return ChunkBytes({.Name = Name, .Data = Concat({Sub, ClosingRecord()})}); }
Bytes Fonts(const std::vector<std::string>& A) {
  const Font F{.Name1 = "Mini", .Ranges = {{.First = 'A', .Last = 'A', .Height = 2}}, .Images = {{.Width = 2, .Bitmap = BandBitmap(A)}}};
  return ChunkBytes({.Name = "FONT", .Data = Concat({SubchunkBytes({.Id = 1, .Body = FontBody({F}), .Pad = false}), ClosingRecord()})});
}
// The image the reports show, and a changed copy: an entry grown (into an attack on the
// page), a glyph, raw bytes, and a chunk more. The text chunk's stored checksum is wrong in
// both.
Bytes Image(bool Changed) {
  const std::vector<std::string> Texts = {"Deutsch", "Eins", "Zwei", Changed ? "Drei & <script>alert(1)</script>" : "Drei", "Vier", "F\x01nf"};
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "TEXT", .Data = Concat({Table(Texts), ClosingRecord()}), .Checksum = 7}),
              Fonts(Changed ? std::vector<std::string>{"#.", "##"} : std::vector<std::string>{"#.", ".#"}),
              Closed("LDB", SubchunkBytes({.Id = 1, .Body = Changed ? Bytes{1, 2, 3, 9, 5, 6, 7, 8} : Bytes{1, 2, 3, 4, 5, 6, 7, 8}}))};
  if (Changed) P.Chunks.push_back(Closed("AORD", SubchunkBytes({.Id = 1, .Body = {1}})));
  P.Chunks.push_back(EndChunk());
  return PpmBytes(P);
}

TComparison CompareImages(bool Changed, std::size_t Context) {
  CapturedLog L;
  auto A = LoadImage(Image(false), "a.fls"), B = LoadImage(Image(Changed), "b.fls");
  ExpandAll(*A);
  ExpandAll(*B);
  TComparison C = kavex::CompareImages(*A, *B, {Context});
  for (TNodeDiff& N : C.Nodes) N.Node1 = N.Node2 = nullptr;  // the trees go now
  return C;
}

template <class TWrite>
std::string Render(TWrite Write, const TComparison& C, const TCompareSources& S = {"a.fls", "b.fls"}) {
  std::ostringstream Out;
  Write(C, S, Out);
  return Out.str();
}

struct DiffRun {
  int Status;
  std::string Out, Err;
};
DiffRun RunDiff(const std::vector<std::string>& Args) {
  std::ostringstream Out, Err;
  const int Status = RunKavexDiff(Args, Out, Err);
  return {Status, Out.str(), Err.str()};
}

}  // namespace

TEST(DiffReport, TextListsEachNodeWithBothSidesAndItsItems) {
  const std::string Text = Render(WriteCompareText, CompareImages(true, 1));
  EXPECT_EQ(Text,
            "1: a.fls\n2: b.fls\n"
            "\nchanged TChunk /PPM/TEXT/\n"
            "  1: 1.1 TEXT (V1)\n  2: 1.1 TEXT (V1)\n"
            "  ~ CheckSum: 0x00000007 (expected 0xCFC0A657) \xE2\x86\x92 0x00000007 (expected 0x1428D821)\n"
            "  ~ Length: 0x00000058 (88) \xE2\x86\x92 0x00000074 (116)\n"
            "    Name/Type: TEXT\n"
            "\nchanged TTextSubchunk /PPM/TEXT/0x00000002, DEU/\n"
            "  1: 1.1.1 0x00000002, DEU (6 entries)\n  2: 1.1.1 0x00000002, DEU (6 entries)\n"
            "    Id: 0x00000002\n"
            "  ~ Length: 0x00000032 (50) \xE2\x86\x92 0x0000004E (78)\n"
            "    Shortname: DEU\n"
            "    \xE2\x80\xA6\n"
            "    Entry 2: Zwei\n"
            "  ~ Entry 3: Drei \xE2\x86\x92 Drei & <script>alert(1)</script>\n"
            "    Entry 4: Vier\n"
            "\nchanged TChunk /PPM/FONT/\n"
            "  1: 1.2 FONT (V1)\n  2: 1.2 FONT (V1)\n"
            "  ~ CheckSum: 0xF2ACBE7F (match) \xE2\x86\x92 0xF4ACBE7F (match)\n"
            "    Length: 0x0000007A (122)\n"
            "\nchanged TFontEntry /PPM/FONT/0x00000001/Mini//\n"
            "  1: 1.2.1.1 Mini/ (2x2, 1 chars)\n  2: 1.2.1.1 Mini/ (2x2, 1 chars)\n"
            "  ~ Glyph U+0041: 2x2 \xE2\x86\x92 2x2\n"
            "      #.   #.\n"
            "      .#   ##\n"
            "\nchanged TChunk /PPM/LDB/\n"
            "  1: 1.3 LDB (V1)\n  2: 1.3 LDB (V1)\n"
            "  ~ CheckSum: 0xA87D4C61 (match) \xE2\x86\x92 0xA87D4C66 (match)\n"
            "    Length: 0x0000003C (60)\n"
            "\nchanged TLDBSubchunk /PPM/LDB/0x00000001/\n"
            "  1: 1.3.1 0x00000001\n  2: 1.3.1 0x00000001\n"
            "  ~ Bytes: 1 byte differs in 1 run (24 bytes \xE2\x86\x92 24 bytes)\n"
            "      0x00000125 | 0x00000141: 03 [04] 05 \xE2\x86\x92 03 [09] 05\n"
            "\nadded TChunk /PPM/AORD/\n"
            "  1: -\n  2: 1.4 AORD (V1)\n"
            "\n8 changed, 1 added, 0 removed\n");
  EXPECT_EQ(Render(WriteCompareText, CompareImages(false, 3)), "1: a.fls\n2: b.fls\n\n0 changed, 0 added, 0 removed\n");
}

TEST(DiffReport, JsonHoldsOneDifferenceForEachChangedItemOrNode) {
  const json Doc = json::parse(Render(WriteCompareJson, CompareImages(true, 2), {"a\xFF.fls", "b.fls"}));
  EXPECT_EQ(Doc.at("source1"), "a\xEF\xBF\xBD.fls");  // U+FFFD for the byte that is no UTF-8
  EXPECT_EQ(Doc.at("same"), false);
  EXPECT_EQ(Doc.at("summary"), json({{"changed", 8}, {"added", 1}, {"removed", 0}}));
  struct Expected {
    const char* Class;
    json Item, Old, New;
  };
  const Expected Rows[] = {
      {"TChunk", "CheckSum", "0x00000007 (expected 0xCFC0A657)", "0x00000007 (expected 0x1428D821)"},
      {"TChunk", "Length", "0x00000058 (88)", "0x00000074 (116)"},
      {"TTextSubchunk", "Length", "0x00000032 (50)", "0x0000004E (78)"},
      {"TTextSubchunk", "Entry 3", "Drei", "Drei & <script>alert(1)</script>"},
      {"TChunk", "CheckSum", "0xF2ACBE7F (match)", "0xF4ACBE7F (match)"},
      {"TFontEntry", "Glyph U+0041", {{"width", 2}, {"height", 2}, {"rows", {"#.", ".#"}}}, {{"width", 2}, {"height", 2}, {"rows", {"#.", "##"}}}},
      {"TChunk", "CheckSum", "0xA87D4C61 (match)", "0xA87D4C66 (match)"},
      {"TLDBSubchunk", "Bytes", "24 bytes", "24 bytes"},
      {"TChunk", nullptr, nullptr, nullptr},
  };
  const json& D = Doc.at("differences");
  ASSERT_EQ(D.size(), std::size(Rows));  // the context lines are left out
  for (std::size_t I = 0; I < D.size(); ++I) {
    SCOPED_TRACE(I);
    EXPECT_EQ(D[I].at("change"), I + 1 < D.size() ? "changed" : "added");
    EXPECT_EQ(D[I].at("class"), Rows[I].Class);
    EXPECT_EQ(D[I].at("item"), Rows[I].Item);
    EXPECT_EQ(D[I].at("old"), Rows[I].Old);
    EXPECT_EQ(D[I].at("new"), Rows[I].New);
    for (const char* Key : {"path", "position1", "position2", "caption1", "caption2", "kind"}) EXPECT_TRUE(D[I].contains(Key)) << Key;
  }
  EXPECT_EQ(D[3].at("path"), "/PPM/TEXT/0x00000002, DEU/");
  EXPECT_EQ(D[3].at("position1"), "1.1.1");
  EXPECT_EQ(D[8].at("position1"), nullptr);
  EXPECT_EQ(D[8].at("caption1"), nullptr);
  EXPECT_EQ(D[8].at("position2"), "1.4");
  EXPECT_EQ(D[8].at("caption2"), "AORD (V1)");
  EXPECT_EQ(D[7].at("count"), 1);
  EXPECT_EQ(D[7].at("range_count"), 1);
  EXPECT_EQ(D[7].at("ranges"), json::parse(R"([{"offset1": 293, "length1": 1, "offset2": 321, "length2": 1}])"));
}

TEST(DiffReport, HtmlEscapesEveryTextAndHoldsNoScriptAndNothingFromOutside) {
  const std::string Page = Render(WriteCompareHtml, CompareImages(true, 5), {"<b>a</b>.fls", "it's \"b\".fls"});
  std::string Lower = Page;
  std::transform(Lower.begin(), Lower.end(), Lower.begin(), [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  for (const char* Never : {"<script", "<b>", "src=", "href=", "<link", "url(", "@import"}) EXPECT_EQ(Lower.find(Never), std::string::npos) << Never;
  for (const char* Shown : {"&lt;b&gt;a&lt;/b&gt;.fls", "it&#39;s &quot;b&quot;.fls", "Drei<ins> &amp; &lt;script&gt;alert(1)&lt;/script&gt;</ins>",
                            "F\\x01nf", "differing pixels: 1", "<del>04</del>", "<ins>09</ins>", "<section class=\"added\">"})
    EXPECT_NE(Page.find(Shown), std::string::npos) << Shown;
  EXPECT_EQ(Page.find("\x01"), std::string::npos);
  EXPECT_EQ(Page.rfind("<!DOCTYPE html>", 0), 0u);
}

TEST(KavexDiff, ExitStatusSaysSameDifferentUnreadableOrWrongCommandLine) {
  const TempFile A(Image(false), "a.fls"), B(Image(true), "b.fls"), Notes(Bytes(40, 'x'), "notes.txt");
  const TempFile Broken(Concat({WinTeslaHeader(0x200000, 4), Bytes(4, 1), Bytes(3, 0)}), "broken.wt");
  const std::string Folder = std::filesystem::path(A.Path()).parent_path().string();
  struct StatusCase {
    std::vector<std::string> Args;
    int Status;
    std::string Said;  // on stderr
  };
  const StatusCase Cases[] = {
      {{A.Path(), A.Path()}, 0, ""},
      {{A.Path(), B.Path()}, 1, ""},
      {{"--json", "--context=2", A.Path(), B.Path()}, 1, ""},
      {{Folder, A.Path()}, 2, "kavex-diff: " + Folder + ": Is a directory\n"},
      {{A.Path(), Folder + "/gone.fls"}, 2, "kavex-diff: " + Folder + "/gone.fls: No such file or directory\n"},
      {{A.Path(), Notes.Path()}, 2, "kavex-diff: " + Notes.Path() + ": no MCU, PPM or EEPROM area was found\n"},
      {{Broken.Path(), A.Path()}, 2, "kavex-diff: " + Broken.Path() + ": the image cannot be built\n"},
      {{}, 64, "two images are needed"},
      {{A.Path()}, 64, "two images are needed"},
      {{A.Path(), A.Path(), A.Path()}, 64, "only two images"},
      {{"--jsn", A.Path(), B.Path()}, 64, "unknown option --jsn"},
      {{"--json=yes", A.Path(), B.Path()}, 64, "takes no value"},
      {{"--html", A.Path(), B.Path()}, 64, "two images are needed"},
      {{"--context", "-1", A.Path(), B.Path()}, 64, "--context -1: a number"},
      {{"--context", "999999999", A.Path(), B.Path()}, 1, ""},
      {{"--context", "1000000000", A.Path(), B.Path()}, 64, "--context 1000000000: a number"},
      {{"--context", "2x", A.Path(), B.Path()}, 64, "--context 2x: a number"},
      {{"--help", A.Path()}, 64, "take no A or B"},
  };
  for (const StatusCase& C : Cases) {
    SCOPED_TRACE(C.Args.empty() ? "" : C.Args[0]);
    const DiffRun R = RunDiff(C.Args);
    EXPECT_EQ(R.Status, C.Status) << R.Err;
    if (C.Said.empty())
      EXPECT_EQ(R.Err, "");
    else
      EXPECT_NE(R.Err.find(C.Said), std::string::npos) << R.Err;
  }
  EXPECT_EQ(RunDiff({"--version"}).Out.rfind("kavex-diff ", 0), 0u);
  EXPECT_NE(RunDiff({"--help"}).Out.find("Usage: kavex-diff"), std::string::npos);
}

TEST(KavexDiff, WritesTheHtmlPageBesideTheReportOrSaysWhyNot) {
  const TempFile A(Image(false), "a.fls"), B(Image(true), "b.fls");
  const std::filesystem::path Page = std::filesystem::path(A.Path()).parent_path() / "report.html";
  std::ofstream(Page) << "old";
  DiffRun R = RunDiff({"--html", Page.string(), A.Path(), B.Path()});
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Out.find("8 changed, 1 added, 0 removed"), std::string::npos);
  std::ifstream In(Page);
  const std::string Written((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  EXPECT_EQ(Written, Render(WriteCompareHtml, CompareImages(true, 0), {A.Path(), B.Path()}));
  R = RunDiff({"--html=-", A.Path(), B.Path()});
  EXPECT_EQ(R.Out, Written);
  R = RunDiff({"--html", (Page.parent_path() / "no" / "page.html").string(), A.Path(), B.Path()});
  EXPECT_EQ(R.Status, 4);
  EXPECT_NE(R.Err.find("page.html: cannot be written (No such file or directory)"), std::string::npos) << R.Err;
  EXPECT_EQ(R.Out, "");
}
