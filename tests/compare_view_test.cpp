#include <gtest/gtest.h>

#include "TestSupport.h"
#include "present/Kav_CompareView.h"
#include "present/Kav_Walk.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

const char* const MarkNames[] = {"-", "changed", "added", "removed", "below"};

// The marks of the first tree in tree order ("1.1 changed"), then each added node with where it
// goes ("+1.1.3 at 1.1 row 2"), then the nodes a changed difference belongs to.
Lines Describe(const TCompareView& View, const TKavClass& Node) {
  Lines Out;
  if (const TCompareMark Mark = View.MarkOf(&Node); Mark != TCompareMark::None)
    Out.push_back(NodePosition(Node) + ' ' + MarkNames[static_cast<int>(Mark)]);
  if ((View.ChangedDiffOf(&Node) != nullptr) != (View.MarkOf(&Node) == TCompareMark::Changed))
    Out.push_back(NodePosition(Node) + " has a changed difference without its mark, or the other way");
  for (std::size_t I = 0; I < Node.ChildCount(); ++I)
    for (std::string& Line : Describe(View, *Node.Child(I))) Out.push_back(std::move(Line));
  return Out;
}

Bytes Sub(std::uint32_t Id, const Bytes& Body) { return SubchunkBytes({.Id = Id, .Body = Body}); }
Bytes ChunkOf(const std::string& Name, const std::vector<Bytes>& Subs) {
  Bytes Data;
  for (const Bytes& S : Subs) Append(Data, S);
  Append(Data, ClosingRecord());
  return ChunkBytes({.Name = Name, .Data = Data});
}
Bytes Table(std::uint32_t Id, const std::vector<std::string>& Entries) { return Sub(Id, TextBody(Entries, true)); }
Bytes Image(const std::vector<Bytes>& Chunks) {
  Ppm P{.Chunks = Chunks};
  P.Chunks.push_back(EndChunk());
  return PpmBytes(P);
}
Bytes Full(const std::vector<Bytes>& Chunks) {
  Ppm P{.Chunks = Chunks};
  P.Chunks.push_back(EndChunk());
  return DivudImage(Mcu{}, P, Bytes(8, 0xEE));
}

const Bytes Raw = ChunkOf("LDB", {Sub(1, {1, 2, 3, 4})});
const Bytes Raw2 = ChunkOf("LDB", {Sub(1, {1, 2, 3, 5})});
Bytes Texts(std::vector<std::uint32_t> Ids) {
  std::vector<Bytes> Subs;
  for (std::uint32_t Id : Ids) Subs.push_back(Table(Id, {"L", "t" + std::to_string(Id)}));
  return ChunkOf("TEXT", Subs);
}

}  // namespace

TEST(CompareView, MarksTheFirstTreeAndPlacesAddedNodesAmongTheirSiblings) {
  struct Case {
    const char* What;
    Bytes A, B;
    Lines Expected;
  } Cases[] = {
      {"the same image: no mark", Image({Texts({1, 2}), Raw}), Image({Texts({1, 2}), Raw}), {}},
      {"a changed subchunk: its own mark, its chunk's own, the areas and the root below", Image({Raw}), Image({Raw2}),
       {"0 below", "1 below", "1.1 changed", "1.1.1 changed"}},
      {"a removed chunk: marked, not its subchunks", Image({Texts({1}), Raw}), Image({Raw}), {"0 below", "1 below", "1.1 removed"}},
      {"an added chunk first: row 0 of the area", Image({Raw}), Image({Texts({1}), Raw}), {"0 below", "1 below", "+1.1 at 1 row 0"}},
      {"an added chunk last: after the matched chunk before it, before the end chunk", Image({Raw}), Image({Raw, Texts({1})}),
       {"0 below", "1 below", "+1.2 at 1 row 1"}},
      {"added subchunks between and after matched ones, rows counted with the added ones", Image({Texts({1, 3})}),
       Image({Texts({1, 2, 3, 4})}), {"0 below", "1 below", "1.1 changed", "+1.1.2 at 1.1 row 1", "+1.1.4 at 1.1 row 3"}},
      {"one removed and one added in its place: the added one after it", Image({Texts({1, 2})}), Image({Texts({1, 5})}),
       {"0 below", "1 below", "1.1 changed", "1.1.2 removed", "+1.1.2 at 1.1 row 2"}},
      {"areas: added before and after the PPM area", Image({Raw}), Full({Raw}), {"0 below", "+1 at 0 row 0", "+3 at 0 row 2"}},
      {"three added in a row under one parent: rows 0, 1, 2", Image({Texts({})}), Image({Texts({4, 5, 6})}),
       {"0 below", "1 below", "1.1 changed", "+1.1.1 at 1.1 row 0", "+1.1.2 at 1.1 row 1", "+1.1.3 at 1.1 row 2"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    CapturedLog L;
    const auto A = Whole(C.A), B = Whole(C.B);
    const TComparison Comparison = CompareImages(*A, *B);
    const TCompareView View = LayOutComparison(Comparison, *A, *B);
    Lines Got = Describe(View, *A);
    for (const TAddedPlace& Added : View.Added) {
      Got.push_back('+' + NodePosition(*Added.Diff->Node2) + " at " + NodePosition(*Added.Parent) + " row " + std::to_string(Added.Row));
      EXPECT_EQ(View.MarkOf(Added.Diff->Node2), TCompareMark::Added);
    }
    EXPECT_EQ(Got, C.Expected);
  }
}
