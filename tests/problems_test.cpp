// The problem marks: which built node a Warning or Error record lands on, the faint marks
// above it, the count's text, and the order in which F8 visits the marked nodes.

#include <gtest/gtest.h>

#include <map>
#include <set>

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
  M Marker(std::initializer_list<std::size_t> Rows) const { return Marks.MarkerOf(At(Rows)); }
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

// Three chunks named TEXT share one path: the records each logs while it is built mark it alone.
TEST(ProblemMarks, FindingsMarkTheSiblingThatLoggedThemAndFaintlyEveryNodeAbove) {
  const Bytes Broken = SubchunkBytes({.Id = 1, .Body = TextBody({"Hi"}), .Length = 1000});
  Marked Image(ImageOf({TextChunk(), Flipped(TextChunk()), TextChunk("TEXT", Broken), CleanEnd()}));
  // The open: the checksum warning of the second chunk.
  EXPECT_EQ(Markers(Image), (std::map<TPlace, M>{{{}, M::WarningBelow}, {{1}, M::WarningBelow}, {{1, 1}, M::Warning}}));
  EXPECT_EQ(Image.Marks.CountText(), "1 warning");
  EXPECT_EQ(Image.Marks.TakeChanged().size(), 3u);

  // The third chunk's broken subchunk logs two errors with the chunk's path (where it would hang).
  EXPECT_TRUE(Image.Fetch(Image.At({1, 2})));
  EXPECT_EQ(Markers(Image), (std::map<TPlace, M>{{{}, M::ErrorBelow}, {{1}, M::ErrorBelow}, {{1, 1}, M::Warning}, {{1, 2}, M::Error}}));
  EXPECT_EQ(Image.Marks.CountText(), "2 errors, 1 warning");
  const std::vector<const TKavClass*> Changed = Image.Marks.TakeChanged();
  EXPECT_EQ(std::set<const TKavClass*>(Changed.begin(), Changed.end()),
            (std::set<const TKavClass*>{&Image.At({}), &Image.At({1}), &Image.At({1, 2})}));
  EXPECT_EQ(Image.Marks.FirstRecordOf(Image.At({1, 2})), Image.Logged - 2);
  EXPECT_EQ(Image.Marks.FirstRecordOf(Image.At({1, 0})), std::nullopt);
  // A clean chunk's fetch changes nothing.
  EXPECT_TRUE(Image.Fetch(Image.At({1, 0})));
  EXPECT_TRUE(Image.Marks.TakeChanged().empty());
}

TEST(ProblemMarks, SubchunksOfOneIdAndAChunkThatCannotBeBuiltMarkTheirOwnNodes) {
  // Two tones with ID 1; the second runs into its fill (message 27, an Error of its own).
  const Bytes Tones = Concat({SubchunkBytes({.Id = 1, .Body = ToneBody("A", {1, 2})}),
                              SubchunkBytes({.Id = 1, .Body = ToneBody("B", {1, 2}, 4), .Pad = false})});
  Marked Image(ImageOf({TextChunk("TONE", Tones), ChunkBytes({.Name = "TEXT", .Data = {}, .Length = 5000})}));
  // The chunk that cannot be built logs message 22 with the PPM area's path.
  EXPECT_EQ(Markers(Image), (std::map<TPlace, M>{{{}, M::ErrorBelow}, {{1}, M::Error}}));
  EXPECT_TRUE(Image.Fetch(Image.At({1, 0})));
  EXPECT_EQ(Image.At({1, 0, 0}).GetPath(), Image.At({1, 0, 1}).GetPath());
  EXPECT_EQ(Markers(Image), (std::map<TPlace, M>{{{}, M::ErrorBelow}, {{1}, M::Error}, {{1, 0}, M::ErrorBelow}, {{1, 0, 1}, M::Error}}));
  EXPECT_EQ(Image.Marks.CountText(), "2 errors");
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
      {"an Info", TMsgKind::Info, "/", {}, ""},
      {"a Debug", TMsgKind::Debug, "/MCU/", {}, ""},
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

TEST(ProblemMarks, ErrorBeatsWarningTheFirstRecordIsKeptAndForgettingClearsAll) {
  Marked Image(ImageOf({TextChunk(), CleanEnd()}));
  const TKavClass& Chunk = Image.At({1, 0});
  Image.Marks.Note(7, TMsgKind::Warning, "/PPM/TEXT/");
  Image.Marks.Note(8, TMsgKind::Error, "/PPM/TEXT/");
  Image.Marks.Note(9, TMsgKind::Warning, "/PPM/TEXT/");
  EXPECT_EQ(Image.Marks.MarkerOf(Chunk), M::Error);
  EXPECT_EQ(Image.Marks.LevelOf(Chunk), TProblemLevel::Error);
  EXPECT_EQ(Image.Marks.LevelOf(Image.At({1})), TProblemLevel::None);  // a faint mark is no finding
  EXPECT_EQ(Image.Marks.FirstRecordOf(Chunk), 7u);
  EXPECT_EQ(Image.Marks.CountText(), "1 error, 2 warnings");
  // A warning below an error of the node above leaves it as it is.
  Image.Marks.Note(10, TMsgKind::Error, "/PPM/");
  Image.Marks.TakeChanged();
  Image.Marks.Note(11, TMsgKind::Warning, "/PPM/TEXT/");
  EXPECT_TRUE(Image.Marks.TakeChanged().empty());

  Image.Marks.ForgetRecords();
  EXPECT_EQ(Image.Marks.TakeChanged().size(), 3u);  // root, PPM, chunk
  EXPECT_TRUE(Markers(Image).empty());
  EXPECT_FALSE(Image.Marks.HasMarkedNodes());
  EXPECT_EQ(Image.Marks.CountText(), "");
  EXPECT_EQ(Image.Marks.FirstRecordOf(Chunk), std::nullopt);
  // The root stays: new records mark again.
  Image.Marks.Note(12, TMsgKind::Warning, "/PPM/TEXT/");
  EXPECT_EQ(Image.Marks.MarkerOf(Chunk), M::Warning);
}

TEST(ProblemMarks, RecordsBeforeTheRootArePlacedWhenItComesAndANewRootDropsTheMarks) {
  Marked Image(ImageOf({TextChunk(), CleanEnd()}));
  TProblemMarks Early;
  Early.Note(0, TMsgKind::Error, "/");
  Early.Note(1, TMsgKind::Warning, "/PPM/TEXT/");
  EXPECT_TRUE(Early.MarkedNodes().empty());  // counted and kept
  Early.SetRoot(Image.Root.get());
  EXPECT_EQ(Early.MarkerOf(*Image.Root), M::Error);
  EXPECT_EQ(Early.MarkerOf(Image.At({1})), M::WarningBelow);
  EXPECT_EQ(Early.MarkerOf(Image.At({1, 0})), M::Warning);
  EXPECT_EQ(Early.MarkedNodes().size(), 3u);
  EXPECT_EQ(Early.CountText(), "1 error, 1 warning");
  Early.SetRoot(nullptr);
  EXPECT_TRUE(Early.MarkedNodes().empty());
  EXPECT_TRUE(Early.TakeChanged().empty());  // about nodes that may be gone
  EXPECT_EQ(Early.CountText(), "1 error, 1 warning");
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
      {"nothing chosen, forward", {}, true, 1, Mcu},     {"nothing chosen, back", {}, true, -1, B2},
      {"the root, forward", {}, false, 1, Mcu},          {"the root, back round", {}, false, -1, B2},
      {"a marked node, forward", {0}, false, 1, B},      {"a marked node, back round", {0}, false, -1, B2},
      {"a parent before its child", {1, 1}, false, 1, B2}, {"the last, forward round", {1, 1, 1}, false, 1, Mcu},
      {"the last, back", {1, 1, 1}, false, -1, B},       {"an area, forward", {1}, false, 1, B},
      {"an area, back", {1}, false, -1, Mcu},            {"a child, back to its parent", {1, 1, 0}, false, -1, B},
      {"after the last, forward round", {1, 2}, false, 1, Mcu}, {"after the last, back", {1, 2}, false, -1, B2},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
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
