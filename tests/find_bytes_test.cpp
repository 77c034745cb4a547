// What Find reads and what the bytes view shows, straight from the model: the entries a
// search visits, their names and table labels, the header sizes and fields of the nodes, the
// flash addresses, and the rows of bytes as hex and as text.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/CodePage.h"
#include "present/Kav_Bytes.h"
#include "model/Kav_Chunk.h"
#include "present/Kav_Details.h"
#include "present/Kav_Find.h"
#include "model/Kav_Kinds.h"
#include "present/Kav_Export.h"
#include "model/Kav_PPM.h"
#include "present/Kav_Walk.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

// Every kind Find reads, and two it does not, each chunk closed.
const Mcu TestMcu{};

Bytes FindImage() {
  const auto Closed = [](const std::string& Name, std::initializer_list<Bytes> Subs) {
    Bytes Data;
    for (const Bytes& Sub : Subs) Append(Data, Sub);
    Append(Data, ClosingRecord());
    return ChunkBytes({.Name = Name, .Data = Data});
  };
  Ppm P;
  P.Chunks = {
      Closed("TEXT", {SubchunkBytes({.Id = 1, .ShortName = "en", .Body = TextBody({"English", "Hello", "Bye"})}),
                      SubchunkBytes({.Id = 0x33, .Body = TextBody({"OK", "No"})}),
                      SubchunkBytes({.Id = 2, .ShortName = "de", .Flags = 0x80000000u,
                                     .Body = WideTextBody({u"\u0001Deutsch", u"Gr\u00fc\u00dfe"})})}),
      Closed("FONT", {SubchunkBytes({.Id = 1, .Body = FontBody({Font{.Ranges = {{.First = '0', .Last = '0', .Height = 1}},
                                                                     .Images = {{.Width = 1, .Bitmap = {0x80}}}}}),
                                     .Pad = false})}),
      Closed("TONE", {SubchunkBytes({.Id = 4, .Body = ToneBody("Ring", {1, 2}), .Pad = false})}),
      Closed("PLMN", {SubchunkBytes({.Id = 2, .Flags = CountryFlags(244, 3),
                                     .Body = OperatorEntries({{.B1 = 0x10, .B2 = 0x20, .Name = "DNA"},
                                                              {.B1 = 0x10, .B2 = 0xF2, .Name = "\xC4lisa"},
                                                              {.B1 = 0x10, .B2 = 0x00, .Name = "Telia"}})})}),
      Closed("LDB", {SubchunkBytes({.Id = 5, .Body = {1, 2, 3}})}),
      EndChunk()};
  return DivudImage(TestMcu, P);
}

void BuildTree(TKavClass& Node) {
  BuildAll(Node);
  for (std::size_t I = 0; I < Node.ChildCount(); ++I) BuildTree(*Node.Child(I));
}

// The image with every node built, or with its chunks built and none of their subchunks.
std::unique_ptr<TFls> LoadFindImage(bool Build) {
  auto Root = LoadAndExpand(FindImage());
  if (Build) BuildTree(*Root);
  else if (Root->PPM()) BuildAll(*Root->PPM());
  return Root;
}

// Each entry as "source|entry|list row|prefix and text".
Lines Entries(const TKavClass& Root, TFindScope Scope) {
  static const char* const Sources[] = {"text", "operator", "tone"};
  Lines Out;
  ForEachFindEntry(Root, Scope, [&Out](const TFindEntry& E) {
    Out.push_back(std::string(Sources[static_cast<int>(E.Source)]) + "|" + std::to_string(E.Entry) + "|" +
                  std::to_string(E.ListRow) + "|" + Utf16ToUtf8(E.Prefix + E.Text));
  });
  return Out;
}

// The first node of Kind under Node, depth first.
const TKavClass* FirstOf(const TKavClass& Node, TNodeKind Kind) {
  if (Node.Kind() == Kind) return &Node;
  for (std::size_t I = 0; I < Node.ChildCount(); ++I)
    if (const TKavClass* Found = FirstOf(*Node.Child(I), Kind)) return Found;
  return nullptr;
}

}  // namespace

// Text tables always (a language table without its name, entry 0; the common table from 0),
// operators and tones only when asked, in tree order.
TEST(FindEntries, TablesAlwaysOperatorsAndTonesWhenAsked) {
  CapturedLog L;
  const auto Root = LoadFindImage(true);
  const Lines Texts{"text|1|0|Hello", "text|2|1|Bye", "text|0|0|OK", "text|1|1|No", "text|1|0|Gr\u00fc\u00dfe"};
  const Lines Tone{"tone|0|-1|Ring"};
  const Lines Operators{"operator|0|0|MCC 12: DNA", "operator|1|1|MCC 1: \u00C4lisa", "operator|2|2|MCC 10: Telia"};
  const auto Join = [](std::initializer_list<Lines> Parts) {
    Lines Out;
    for (const Lines& P : Parts) Out.insert(Out.end(), P.begin(), P.end());
    return Out;
  };
  const struct {
    TFindScope Scope;
    Lines Want;
  } Cases[] = {{{false, false}, Texts},
               {{true, false}, Join({Texts, Operators})},
               {{false, true}, Join({Texts, Tone})},
               {{true, true}, Join({Texts, Tone, Operators})}};
  for (const auto& C : Cases)
    EXPECT_EQ(Entries(*Root, C.Scope), C.Want) << C.Scope.Operators << C.Scope.Tones;
  // Only what is built: the chunks' subchunks not read yet give nothing, and nothing is read.
  const auto Unbuilt = LoadFindImage(false);
  EXPECT_EQ(Entries(*Unbuilt, {true, true}), Lines{});
  EXPECT_EQ(Unbuilt->PPM()->Child(0)->ChildCount(), 0u);
}

// An operator entry reads as the operator list and the dump show it: "MCC 12: DNA"; only its
// provider is searched.
TEST(FindEntries, OperatorsAreNamedAsTheirListRows) {
  CapturedLog L;
  const auto Root = LoadFindImage(true);
  const TKavClass* List = FirstOf(*Root, TNodeKind::PLMNSubchunk);
  ASSERT_NE(List, nullptr);
  Lines Named, Searched;
  ForEachFindEntry(*List, {true, false}, [&](const TFindEntry& E) {
    EXPECT_EQ(E.Node, List);
    Named.push_back(Utf16ToUtf8(E.Prefix + E.Text));
    Searched.push_back(Utf16ToUtf8(E.Text));
  });
  Lines Dumped;
  for (const std::string& Line : DumpDetailLines(*List, false))
    if (Line.rfind("MCC ", 0) == 0) Dumped.push_back(Line);
  EXPECT_EQ(Named, Dumped);
  EXPECT_EQ(Searched, (Lines{"DNA", "\u00C4lisa", "Telia"}));
  // Text entries and tones have no prefix.
  ForEachFindEntry(*Root, {false, true}, [](const TFindEntry& E) { EXPECT_TRUE(E.Prefix.empty()); });
}

// The chunk's name bytes, with the scope, decide whether a search reads its subchunks.
TEST(FindSources, ChunkNameAndScopeChooseWhatIsRead) {
  CapturedLog L;
  const auto Root = LoadFindImage(false);
  const TPPM& Ppm = *Root->PPM();
  ASSERT_EQ(Ppm.ChildCount(), 6u);
  const struct {
    std::size_t Chunk;
    bool None, Operators, Tones;
  } Cases[] = {{0, true, true, true}, {1, false, false, false}, {2, false, false, true},
               {3, false, true, false}, {4, false, false, false}, {5, false, false, false}};
  for (const auto& C : Cases) {
    const auto& Chunk = static_cast<const TChunk&>(*Ppm.Child(C.Chunk));
    EXPECT_EQ(ChunkHoldsFindSources(Chunk, {false, false}), C.None) << C.Chunk;
    EXPECT_EQ(ChunkHoldsFindSources(Chunk, {true, false}), C.Operators) << C.Chunk;
    EXPECT_EQ(ChunkHoldsFindSources(Chunk, {false, true}), C.Tones) << C.Chunk;
    EXPECT_EQ(ChunkHoldsFindSources(Chunk, {true, true}), C.None || C.Operators || C.Tones) << C.Chunk;
  }
}

// A hit's table: the language (or "(common)") before the subchunk's name, "Operators" and
// "Tone" before theirs, and other nodes by their name alone.
TEST(FindLabels, LanguageCommonOperatorsToneAndOthers) {
  CapturedLog L;
  const auto Root = LoadFindImage(true);
  const TKavClass& Text = *Root->PPM()->Child(0);
  EXPECT_EQ(FindTableLabel(*Text.Child(0)), "English (0x00000001, en)");
  EXPECT_EQ(FindTableLabel(*Text.Child(1)), "(common) (0x00000033)");
  EXPECT_EQ(FindTableLabel(*Text.Child(2)), "Deutsch (0x00000002, de)");
  EXPECT_EQ(FindTableLabel(*FirstOf(*Root, TNodeKind::PLMNSubchunk)), "Operators (0x00000002)");
  EXPECT_EQ(FindTableLabel(*FirstOf(*Root, TNodeKind::ToneSubchunk)), "Tone (0x00000004)");
  EXPECT_EQ(FindTableLabel(Text), Text.GetName());
}

// Rows of 16: a row's hex pairs and text, short last rows, nothing past the end; control
// characters as dots, at each edge of the ranges.
TEST(BytesRows, HexAndTextAtTheRowLimits) {
  const struct {
    std::size_t Size;
    std::size_t Rows;
    std::size_t LastRowBytes;
  } Sizes[] = {{0, 0, 0}, {1, 1, 1}, {15, 1, 15}, {16, 1, 16}, {17, 2, 1}, {32, 2, 16}, {33, 3, 1}};
  for (const auto& C : Sizes) {
    Bytes B(C.Size);
    for (std::size_t I = 0; I < C.Size; ++I) B[I] = static_cast<std::uint8_t>(0x41 + I % 26);
    std::size_t Rows = 0;
    std::string AllText;
    for (std::size_t R = 0;; ++R) {
      const std::string Hex = HexRow(B, R), Text = TextRow(B, R);
      if (Hex.empty()) {
        EXPECT_EQ(Text, "") << C.Size;
        break;
      }
      ++Rows;
      AllText += Text;
      const std::size_t Count = std::min<std::size_t>(16, C.Size - R * 16);
      EXPECT_EQ(Hex.size(), Count * 3 - 1) << C.Size << " row " << R;
      EXPECT_EQ(Text.size(), Count) << C.Size << " row " << R;
      EXPECT_EQ(Hex.substr(0, 2), BytesHex(TByteView(B).subspan(R * 16, 1))) << C.Size;
    }
    EXPECT_EQ(Rows, C.Rows) << C.Size;
    EXPECT_EQ(AllText, BytesText(B)) << C.Size;
    if (C.Rows) {
      EXPECT_EQ(TextRow(B, C.Rows - 1).size(), C.LastRowBytes) << C.Size;
    }
  }
  EXPECT_EQ(HexRow(Bytes(16, 0), ~std::size_t{0} / 16), "");  // no overflow far past the end

  const struct {
    std::uint8_t Byte;
    const char* Text;
  } Chars[] = {{0x00, "."},           {0x1F, "."},      {0x20, " "},      {0x41, "A"},      {0x7E, "~"},
               {0x7F, "."},           {0x80, "\u20AC"}, {0x81, "."},      {0x8D, "."},      {0x9C, "\u0153"},
               {0x9F, "\u0178"},      {0xA0, "\u00A0"}, {0xE4, "\u00E4"}, {0xFF, "\u00FF"}};
  for (const auto& C : Chars) {
    const std::uint8_t One[] = {C.Byte};
    EXPECT_EQ(BytesText(One), C.Text) << int(C.Byte);
    EXPECT_EQ(BytesHex(One), Hex(C.Byte, 2)) << int(C.Byte);
  }
  const std::uint8_t Pair[] = {0x0A, 0xF0};
  EXPECT_EQ(BytesHex(Pair), "0A F0");
  EXPECT_EQ(BytesHex({}), "");
}

// How much of each node is its header, the header fields the detail panels select, and which
// nodes have flash addresses.
TEST(BytesNodes, HeaderSizesFieldsAndFlashAddresses) {
  CapturedLog L;
  const auto Root = LoadFindImage(true);
  const struct {
    TNodeKind Kind;
    std::size_t Header;
    bool Flash;
  } Cases[] = {{TNodeKind::Fls, 0, false},          {TNodeKind::MCU, 0, true},          {TNodeKind::PPM, 0, false},
               {TNodeKind::Chunk, 20, false},       {TNodeKind::TextSubchunk, 16, false}, {TNodeKind::PLMNSubchunk, 16, false},
               {TNodeKind::ToneSubchunk, 16, false}, {TNodeKind::FontSubchunk, 16, false}, {TNodeKind::FontEntry, 44, false},
               {TNodeKind::ClosingSubchunk, 16, false}, {TNodeKind::LDBSubchunk, 16, false}};
  for (const auto& C : Cases) {
    const TKavClass* Node = FirstOf(*Root, C.Kind);
    ASSERT_NE(Node, nullptr) << static_cast<int>(C.Kind);
    EXPECT_EQ(NodeHeaderSize(*Node), C.Header) << Node->ClassName();
    EXPECT_GE(Node->ImageBytes().size(), C.Header) << Node->ClassName();
    EXPECT_EQ(FlashAddressBase(*Node), C.Flash ? std::int64_t{TestMcu.Base} : -1) << Node->ClassName();
  }
  // The fields lie side by side over the whole header, as the panels list them.
  const struct {
    std::initializer_list<THeaderField> Fields;
    std::size_t Header;
  } Headers[] = {{{THeaderField::ChunkChecksum, THeaderField::ChunkLength, THeaderField::ChunkName, THeaderField::ChunkVersion}, 20},
                 {{THeaderField::SubchunkID, THeaderField::SubchunkLength, THeaderField::SubchunkShortName, THeaderField::SubchunkFlags}, 16}};
  for (const auto& H : Headers) {
    std::size_t At = 0;
    for (const THeaderField F : H.Fields) {
      EXPECT_EQ(HeaderField(F).First, At) << static_cast<int>(F);
      EXPECT_GE(HeaderField(F).Count, 4u);
      At += HeaderField(F).Count;
    }
    EXPECT_EQ(At, H.Header);
  }
  // The chunk's name field holds its name bytes.
  const TKavClass& Chunk = *Root->PPM()->Child(0);
  const TByteField Name = HeaderField(THeaderField::ChunkName);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Chunk.ImageBytes().data() + Name.First), Name.Count), "TEXT");
}

// Positions: every built node is found again at its own position; the child counts are the
// limit (the last child found, one more not); what has not the form of a position is refused
// as such, and nodes on the way are built as an expansion builds them.
TEST(NodePositions, EveryNodeAtItsPositionAndNothingPastTheLastChild) {
  const auto Root = LoadFindImage(true);
  std::size_t Seen = 0;
  WalkPositions(*Root, [&](const TKavClass& Node, const std::string& Position) {
    std::string Error;
    EXPECT_EQ(NodeAtPosition(*Root, Position, Error), &Node) << Position << ": " << Error;
    ++Seen;
  });
  EXPECT_GT(Seen, 12u);
  EXPECT_EQ(NodePosition(*Root), "0");
  EXPECT_EQ(NodePosition(*Root->PPM()->Child(0)->Child(2)), "2.1.3");

  const auto Fresh = LoadFindImage(false);  // chunks built, none of their subchunks
  const std::string Areas = std::to_string(Fresh->ChildCount());
  const std::string Chunks = std::to_string(Fresh->PPM()->ChildCount());
  struct Case {
    std::string Position;
    std::string Error;  // empty: a node stands there
  };
  const Case Cases[] = {
      {"", NodePositionForm},          {".", NodePositionForm},   {"2.", NodePositionForm},
      {"2..1", NodePositionForm},      {"a", NodePositionForm},   {"-1", NodePositionForm},
      {" 2", NodePositionForm},        {"0", ""},                 {Areas, ""},
      {std::to_string(Fresh->ChildCount() + 1), "no such node (/ has " + Areas + " children)"},
      {"0.1", "no such node (/ has " + Areas + " children)"},
      {"2." + Chunks, ""},
      {"2." + std::to_string(Fresh->PPM()->ChildCount() + 1), "no such node (/PPM/ has " + Chunks + " children)"},
      {"2.1.4", ""},                   {"2.1.5", "no such node (/PPM/TEXT/ has 4 children)"},
      {"99999999999", "no such node (/ has " + Areas + " children)"},
  };
  for (const Case& C : Cases) {
    std::string Error;
    const TKavClass* Node = NodeAtPosition(*Fresh, C.Position, Error);
    EXPECT_EQ(Node == nullptr, !C.Error.empty()) << C.Position;
    EXPECT_EQ(Node ? std::string() : Error, C.Error) << C.Position;
    if (Node) {
      EXPECT_EQ(NodePosition(*Node), C.Position);
    }
    EXPECT_EQ(IsNodePosition(C.Position), C.Error != NodePositionForm) << C.Position;
  }
}
