#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "TestSupport.h"
#include "cli/DumpTool.h"

using namespace kavtest;
using nlohmann::json;

namespace {

// Texts with a tab and a non-ASCII letter, a font, an unknown chunk (a notice) and a chunk
// whose checksum is wrong (a warning).
Bytes JsonImage() {
  const Bytes Texts = Concat({SubchunkBytes({.Id = 2, .ShortName = "en", .Body = TextBody({"English", "Tab\there", "Caf\xE9"})}),
                              ClosingRecord()});
  const Bytes Fonts = Concat({SubchunkBytes({.Id = 1,
                                             .Body = FontBody({Font{.Name1 = "Mini",
                                                                    .Ranges = {{.First = 'A', .Last = 'A', .Height = 2}},
                                                                    .Images = {{.Width = 2, .Bitmap = BandBitmap({"#.", ".#"})}}}}),
                                             .Pad = false}),
                              ClosingRecord()});
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "TEXT", .Data = Texts}), ChunkBytes({.Name = "FONT", .Data = Fonts}),
              ChunkBytes({.Name = "ZZZZ", .Data = Concat({SubchunkBytes({.Id = 3, .Body = {1}}), ClosingRecord()})}),
              ChunkBytes({.Name = "GSMC", .Data = ClosingRecord(), .Checksum = 1}), EndChunk()};
  return DivudImage(Mcu{}, P, Bytes(4, 0xEE));
}

json Parse(const DumpResult& R) {
  json J;
  EXPECT_NO_THROW(J = json::parse(R.Out)) << R.Out;
  return J;
}

// The text output rebuilt from the JSON document: the same lines, the same escapes.
void PrintNode(const json& Node, int Depth, std::string& Out) {
  const std::string Indent(static_cast<std::size_t>(Depth) * 2, ' ');
  Out += Indent + Node.at("class").get<std::string>() + ' ' + kavex::EscapeLine(Node.at("caption")) + '\n';
  for (const json& Line : Node.at("details")) Out += Indent + "  - " + kavex::EscapeLine(Line) + '\n';
  for (const json& Child : Node.at("children")) PrintNode(Child, Depth + 1, Out);
}
std::string TextFromJson(const json& Doc) {
  std::string Out;
  PrintNode(Doc.at("tree"), 0, Out);
  Out += '\n';
  for (const json& R : Doc.at("log")) {
    char Number[16];
    std::snprintf(Number, sizeof Number, "%4d", R.at("ident").get<int>());
    Out += kavex::EscapeLine(R.at("tag").get<std::string>() + " (" + Number + ") " + R.at("text").get<std::string>() +
                             " Path: " + R.at("path").get<std::string>()) +
           '\n';
  }
  return Out;
}

}  // namespace

TEST(KavexDumpJson, HoldsTheSameTreeDetailsAndLogAsTheTextOutput) {
  const Bytes Image = JsonImage();
  TempFile File(Image);
  for (const std::vector<std::string>& Options :
       {std::vector<std::string>{}, {"--all"}, {"--all", "--details"}, {"--all", "--glyphs"}}) {
    std::vector<std::string> Args = Options;
    Args.push_back(File.Path());
    const DumpResult Text = RunDump(Args);
    Args.insert(Args.begin(), "--json");
    const DumpResult Json = RunDump(Args);
    EXPECT_EQ(Json.Status, 0);
    EXPECT_EQ(Json.Err, Text.Err);
    const json Doc = Parse(Json);
    EXPECT_EQ(TextFromJson(Doc), Text.Out) << Json.Out;
    EXPECT_EQ(Doc.at("file"), File.Path());
    EXPECT_EQ(Doc.at("status"), 0);
  }
}

TEST(KavexDumpJson, NodesCarryPathAndPositionAndRecordsTheirKind) {
  const DumpResult R = DumpImage(JsonImage(), {"--json", "--all", "--details"});
  const json Doc = Parse(R);
  const json& Tree = Doc.at("tree");
  EXPECT_EQ(Tree.at("position"), "0");
  EXPECT_EQ(Tree.at("path"), "/");
  const json& Text = Tree.at("children").at(1).at("children").at(0).at("children").at(0);
  EXPECT_EQ(Text.at("class"), "TTextSubchunk");
  EXPECT_EQ(Text.at("position"), "2.1.1");
  EXPECT_EQ(Text.at("path"), "/PPM/TEXT/0x00000002, en/");
  // Texts are plain UTF-8 in JSON: no \xNN escapes of the text output.
  EXPECT_EQ(Text.at("details").back(), "Entry 2: Caf\u00E9");
  EXPECT_EQ(Text.at("details").at(6), "Entry 1: Tab\there");
  const json& Glyph = Tree.at("children").at(1).at("children").at(1).at("children").at(0).at("children").at(0);
  EXPECT_EQ(Glyph.at("class"), "TFontEntry");
  EXPECT_EQ(Glyph.at("position"), "2.2.1.1");

  const json& Log = Doc.at("log");
  ASSERT_GE(Log.size(), 3u);
  EXPECT_EQ(Log.at(0).at("ident"), 28);
  EXPECT_EQ(Log.at(0).at("kind"), "Info");
  EXPECT_EQ(Log.at(0).at("tag"), "i");
  bool SawWarning = false, SawNotice = false;
  for (const json& Rec : Log) {
    SawWarning |= Rec.at("kind") == "Warning" && Rec.at("tag") == "*" && Rec.at("ident") == 23 && Rec.at("path") == "/PPM/GSMC/";
    SawNotice |= Rec.at("kind") == "Notice" && Rec.at("tag") == "?" && Rec.at("ident") == 25;
  }
  EXPECT_TRUE(SawWarning) << R.Out;
  EXPECT_TRUE(SawNotice) << R.Out;
}

TEST(KavexDumpJson, FailuresStillPrintOneDocumentAndKeepDiagnosticsOnStderr) {
  // A file name that is not UTF-8 and holds a control character.
  TempFile File(JsonImage(), std::string("bad\x01name\xFF.fls"));
  DumpResult R = RunDump({"--json", File.Path()});
  EXPECT_EQ(R.Status, 0);
  json Doc = Parse(R);
  EXPECT_NE(Doc.at("tree").at("caption").get<std::string>().find("bad\x01name\xEF\xBF\xBD"), std::string::npos);
  EXPECT_NE(Doc.at("file").get<std::string>().find("bad\x01name\xEF\xBF\xBD.fls"), std::string::npos);
  EXPECT_NE(Doc.at("log").at(0).at("text").get<std::string>().find("bad\x01name\xEF\xBF\xBD.fls;"), std::string::npos);

  R = RunDump({"--json", "/nonexistent/kavex.fls"});
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Err, "kavex-dump: /nonexistent/kavex.fls: No such file or directory\n");
  Doc = Parse(R);
  EXPECT_TRUE(Doc.at("tree").is_null());
  EXPECT_EQ(Doc.at("status"), 1);
  EXPECT_EQ(Doc.at("log").back().at("ident"), 4);

  // A WinTesla block chain that breaks off: no root.
  const Bytes Broken = Concat({WinTesla(Bytes(8, 1)), Bytes(5, 0)});
  R = DumpImage(Broken, {"--json"});
  EXPECT_EQ(R.Status, 2);
  EXPECT_EQ(R.Err, "kavex-dump: Problem found, for more information see messages in Log.\n");
  Doc = Parse(R);
  EXPECT_TRUE(Doc.at("tree").is_null());
  EXPECT_EQ(Doc.at("status"), 2);
}
