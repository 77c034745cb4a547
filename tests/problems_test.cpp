// The problem marks: which built node a Warning or Error record lands on, the faint marks
// above it, the count's text, and the order in which F8 visits the marked nodes.

#include <gtest/gtest.h>

#include <map>

#include "TestSupport.h"
#include "log/Kav_LogSession.h"
#include "model/Kav_Fls.h"
#include "present/Kav_Problems.h"

using namespace kavex;
using namespace kavtest;
using M = TProblemMarker;

namespace {

Bytes CleanEnd() { return ChunkBytes({.Name = "", .Version = "END", .Data = {}, .Checksum = 0}); }
Bytes TextChunk(std::string Name = "TEXT", Bytes Subchunks = SubchunkBytes({.Id = 1, .Body = TextBody({"Hi"})})) {
  Append(Subchunks, ClosingRecord());
  return ChunkBytes({.Name = std::move(Name), .Data = Subchunks});
}
Bytes Flipped(Bytes Chunk) {
  Chunk[3] ^= 1;  // the stored checksum's last byte
  return Chunk;
}
Bytes ImageOf(std::vector<Bytes> Chunks) {
  Ppm P;
  P.Chunks = std::move(Chunks);
  return DivudImage(Mcu{}, P);
}

// An image whose marks are fed as the viewer's tree feeds them: every record as it is logged,
// every fetch bracketed. The root and its areas are fetched, as an open does.
struct Marked {
  TProblemMarks Marks;
  std::size_t Logged = 0;
  TLogSession Session{[this](int Ident, const std::string& Path, const std::string&) {
    Marks.Note(Logged++, MsgKindOf(Ident), Path);
  }};
  std::unique_ptr<TFls> Root;

  explicit Marked(const Bytes& Bytes) : Root(LoadImage(Bytes, "image.fls")) {
    Marks.SetRoot(Root.get());
    Fetch(*Root);
    for (std::size_t I = 0; I < Root->ChildCount(); ++I) Fetch(*Root->Child(I));
  }
  // False when an error ended the fetch.
  bool Fetch(TKavClass& Node) {
    TProblemMarks::TFetch Fetching(Marks, Node);
    try {
      while (TKavClass* Child = Node.ParseNextChild()) Fetching.Built(*Child);
    } catch (const EKavError&) {
      return false;
    }
    return true;
  }
  // The node at child numbers from the root: {} the root, {1, 0} the PPM area's first chunk.
  TKavClass& At(std::initializer_list<std::size_t> Rows) const {
    TKavClass* Node = Root.get();
    for (std::size_t Row : Rows) Node = Node->Child(Row);
    return *Node;
  }
};

using TPlace = std::vector<std::size_t>;
// The markers of the nodes that have one, by place.
std::map<TPlace, M> Markers(const Marked& Image) {
  std::map<TPlace, M> Out;
  for (const TKavClass* Node : Image.Marks.MarkedNodes()) {
    TPlace Place;
    for (const TKavClass* At = Node; At->Parent(); At = At->Parent()) Place.insert(Place.begin(), At->IndexInParent());
    Out[Place] = Image.Marks.MarkerOf(*Node);
  }
  return Out;
}

}  // namespace

TEST(ProblemCount, TextNamesErrorsThenWarningsWithTheirPlurals) {
  struct Case { std::size_t Errors, Warnings; const char* Text; };
  const Case Cases[] = {{0, 0, ""},         {1, 0, "1 error"},   {2, 0, "2 errors"},
                        {0, 1, "1 warning"}, {0, 3, "3 warnings"}, {1, 1, "1 error, 1 warning"},
                        {2, 1, "2 errors, 1 warning"}, {10, 12, "10 errors, 12 warnings"}};
  for (const Case& C : Cases) EXPECT_EQ(ProblemCountText(C.Errors, C.Warnings), C.Text) << C.Errors << " " << C.Warnings;
}

// Chunks named TEXT share one path, and so do two tones of ID 1: the records each logs while it
// is built mark it alone; a chunk that cannot be built marks the PPM area, where it would hang.
TEST(ProblemMarks, FindingsMarkTheNodeThatLoggedThemAndFaintlyEveryNodeAbove) {
  const Bytes Broken = SubchunkBytes({.Id = 1, .Body = TextBody({"Hi"}), .Length = 1000});
  const Bytes Tones = Concat({SubchunkBytes({.Id = 1, .Body = ToneBody("A", {1, 2})}),
                              SubchunkBytes({.Id = 1, .Body = ToneBody("B", {1, 2}, 4), .Pad = false})});
  Marked Image(ImageOf({TextChunk(), Flipped(TextChunk()), TextChunk("TEXT", Broken), TextChunk("TONE", Tones),
                        ChunkBytes({.Name = "TEXT", .Data = {}, .Length = 5000})}));
  EXPECT_EQ(Markers(Image), (std::map<TPlace, M>{{{}, M::ErrorBelow}, {{1}, M::Error}, {{1, 1}, M::Warning}}));
  EXPECT_EQ(Image.Marks.CountText(), "1 error, 1 warning");
  Image.Marks.TakeChanged();
  // The broken subchunk logs messages 37 and 38 with its chunk's path; the tone message 27.
  EXPECT_TRUE(Image.Fetch(Image.At({1, 2})));
  EXPECT_EQ(Image.Marks.TakeChanged(), std::vector<const TKavClass*>{&Image.At({1, 2})});
  EXPECT_EQ(Image.Marks.FirstRecordOf(Image.At({1, 2})), Image.Logged - 2);
  EXPECT_TRUE(Image.Fetch(Image.At({1, 3})));
  EXPECT_EQ(Markers(Image), (std::map<TPlace, M>{{{}, M::ErrorBelow}, {{1}, M::Error}, {{1, 1}, M::Warning}, {{1, 2}, M::Error},
                                                 {{1, 3}, M::ErrorBelow}, {{1, 3, 1}, M::Error}}));
  EXPECT_EQ(Image.Marks.CountText(), "4 errors, 1 warning");
  EXPECT_EQ(Image.Marks.FirstRecordOf(Image.At({1, 0})), std::nullopt);
  Image.Marks.TakeChanged();
  EXPECT_TRUE(Image.Fetch(Image.At({1, 0})));  // a clean chunk changes nothing
  EXPECT_TRUE(Image.Marks.TakeChanged().empty());
}

// Records logged outside a fetch know their node by path alone.
TEST(ProblemMarks, RecordsOutsideAFetchMarkEveryBuiltNodeOfTheirPath) {
  struct Case {
    const char* What;
    TMsgKind Kind;
    const char* Path;
    std::map<TPlace, M> Marks;
    const char* Count;
  };
  const Case Cases[] = {
      {"a shared path", TMsgKind::Warning, "/PPM/TEXT/", {{{}, M::WarningBelow}, {{1}, M::WarningBelow}, {{1, 0}, M::Warning}, {{1, 2}, M::Warning}}, "1 warning"},
      {"one node's path", TMsgKind::Error, "/PPM/LDB/", {{{}, M::ErrorBelow}, {{1}, M::ErrorBelow}, {{1, 1}, M::Error}}, "1 error"},
      {"the root's path", TMsgKind::Error, "/", {{{}, M::Error}}, "1 error"},
      {"the loader's tag", TMsgKind::Warning, "[KavObj.LoadFile]", {{{}, M::Warning}}, "1 warning"},
      {"another tag", TMsgKind::Error, "[Log]/PPM/", {}, "1 error"},
      {"no such node", TMsgKind::Warning, "/PPM/TONE/", {}, "1 warning"},
      {"a path that only begins like one", TMsgKind::Warning, "/PPM/TEX", {}, "1 warning"},
      {"a Notice", TMsgKind::Notice, "/PPM/", {}, ""},
      {"a Debug", TMsgKind::Debug, "/", {}, ""},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    Marked Image(ImageOf({TextChunk(), TextChunk("LDB"), TextChunk(), CleanEnd()}));
    ASSERT_TRUE(Image.Marks.MarkedNodes().empty());
    Image.Marks.Note(100, C.Kind, C.Path);
    EXPECT_EQ(Markers(Image), C.Marks);
    EXPECT_EQ(Image.Marks.CountText(), C.Count);
    EXPECT_EQ(Image.Marks.HasMarkedNodes(), !C.Marks.empty());
  }
}

TEST(ProblemMarks, ErrorBeatsWarningRecordsWaitForTheRootAndForgettingClearsTheMarks) {
  Marked Image(ImageOf({TextChunk(), CleanEnd()}));
  const TKavClass& Chunk = Image.At({1, 0});
  TProblemMarks Marks;
  Marks.Note(7, TMsgKind::Warning, "/PPM/TEXT/");  // no root yet: counted and kept
  Marks.Note(8, TMsgKind::Error, "/PPM/TEXT/");
  EXPECT_TRUE(Marks.MarkedNodes().empty());
  Marks.SetRoot(Image.Root.get());
  Marks.Note(9, TMsgKind::Warning, "/PPM/TEXT/");
  EXPECT_EQ(Marks.MarkerOf(Chunk), M::Error);
  EXPECT_EQ(Marks.LevelOf(Image.At({1})), TProblemLevel::None);  // a faint mark is no finding
  EXPECT_EQ(Marks.FirstRecordOf(Chunk), 7u);
  EXPECT_EQ(Marks.CountText(), "1 error, 2 warnings");
  Marks.TakeChanged();
  Marks.ForgetRecords();
  EXPECT_EQ(Marks.TakeChanged().size(), 3u);  // root, PPM, chunk
  EXPECT_TRUE(Marks.MarkedNodes().empty());
  EXPECT_EQ(Marks.CountText(), "");
  Marks.Note(10, TMsgKind::Warning, "/PPM/TEXT/");  // the root stays
  EXPECT_EQ(Marks.MarkerOf(Chunk), M::Warning);
  Marks.SetRoot(nullptr);
  EXPECT_TRUE(Marks.MarkedNodes().empty());
  EXPECT_TRUE(Marks.TakeChanged().empty());  // about nodes that may be gone
}

TEST(ProblemMarks, NextAndPreviousGoInTreeOrderRoundTheEnds) {
  // Marked: the MCU area, the chunk B and its second subchunk.
  Marked Image(ImageOf({TextChunk("A"), TextChunk("B", Concat({SubchunkBytes({.Id = 1}), SubchunkBytes({.Id = 2})})), TextChunk("C"), CleanEnd()}));
  ASSERT_TRUE(Image.Fetch(Image.At({1, 1})));
  EXPECT_EQ(Image.Marks.NextMarked(nullptr, 1), nullptr);
  EXPECT_EQ(Image.Marks.NextMarked(&Image.At({}), -1), nullptr);
  const TKavClass* Mcu = &Image.At({0});
  const TKavClass* B = &Image.At({1, 1});
  const TKavClass* B2 = &Image.At({1, 1, 1});
  for (const TKavClass* Node : {B2, Mcu, B}) Image.Marks.Note(0, TMsgKind::Warning, Node->GetPath());
  struct Case { const char* What; TPlace From; bool None; int Step; const TKavClass* Next; };
  const Case Cases[] = {
      {"nothing chosen", {}, true, 1, Mcu},   {"nothing chosen", {}, true, -1, B2},  {"the root", {}, false, 1, Mcu},
      {"the root", {}, false, -1, B2},        {"marked", {0}, false, 1, B},         {"marked", {0}, false, -1, B2},
      {"the parent", {1, 1}, false, 1, B2},   {"the last", {1, 1, 1}, false, 1, Mcu}, {"the last", {1, 1, 1}, false, -1, B},
      {"an area", {1}, false, 1, B},          {"an area", {1}, false, -1, Mcu},     {"a child", {1, 1, 0}, false, -1, B},
      {"after the last", {1, 2}, false, 1, Mcu}, {"after the last", {1, 2}, false, -1, B2},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.What) + (C.Step > 0 ? ", forward" : ", back"));
    const TKavClass* From = nullptr;
    if (!C.None) {
      From = Image.Root.get();
      for (std::size_t Row : C.From) From = From->Child(Row);
    }
    EXPECT_EQ(Image.Marks.NextMarked(From, C.Step), C.Next);
  }
  // One marked node: every step comes back to it.
  Image.Marks.ForgetRecords();
  Image.Marks.Note(0, TMsgKind::Error, B->GetPath());
  EXPECT_EQ(Image.Marks.NextMarked(B, 1), B);
  EXPECT_EQ(Image.Marks.NextMarked(B, -1), B);
}
