#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "TestSupport.h"
#include "model/CodePage.h"
#include "model/KavObj.h"
#include "model/Kav_Chunk.h"
#include "model/Kav_EEPROM.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Subchunk.h"

using namespace kavex;
using kavtest::CapturedLog;
using Lines = std::vector<std::string>;

namespace {

TReader NoReader;

class TFake : public TKavContainer {
public:
  TFake(TKavClass* Parent, std::string Name, std::string Description = {}, std::int32_t Size = 0, TByteView Bytes = {})
      : TKavContainer(Parent, 0, NoReader), Name_(std::move(Name)), Description_(std::move(Description)) {
    SetSize(Size);
    SetData(Bytes);
  }
  const char* ClassName() const override { return "TFake"; }
  TNodeKind Kind() const override { return TNodeKind::EEPROM; }  // no row is named so: no row
  std::string GetName() const override { return Name_; }
  std::string GetDescription() const override { return Description_; }

private:
  std::string Name_, Description_;
};

class TFakeDerived : public TFake {
public:
  using TFake::TFake;
  const char* ClassName() const override { return "TFakeDerived"; }
};

// A node that cannot be built.
class TFailing : public TKavClass {
public:
  explicit TFailing(TKavClass* Parent) : TKavClass(Parent, 0, NoReader) { throw EKavError(this, 21, {5}); }
  const char* ClassName() const override { return "TFailing"; }
  TNodeKind Kind() const override { return TNodeKind::RawSubchunk; }
  std::string GetName() const override { return "F"; }
};

TKavClass& Add(TKavClass& Parent, std::unique_ptr<TKavClass> Node) { return *Parent.AddChild(std::move(Node)); }

}  // namespace

TEST(Node, CaptionIsNameDescriptionOrBoth) {
  EXPECT_EQ(TFake(nullptr, "MCU").GetCaption(), "MCU");
  EXPECT_EQ(TFake(nullptr, "", "V1").GetCaption(), "V1");
  EXPECT_EQ(TFake(nullptr, "TEXT", "V1").GetCaption(), "TEXT (V1)");
}

TEST(Node, PathsStartAtTheRootAndLeaveTheFileNameOut) {
  auto Root = LoadImage(kavtest::Bytes(4, 0), "file.fls");
  TKavClass& A = Add(*Root, std::make_unique<TFake>(Root.get(), "PPM"));
  TKavClass& B = Add(A, std::make_unique<TFake>(&A, "TEXT"));
  EXPECT_EQ(Root->GetPath(), "/");
  EXPECT_EQ(A.GetPath(), "/PPM/");
  EXPECT_EQ(B.GetPath(), "/PPM/TEXT/");
  EXPECT_EQ(Root->GetCaption(), "file.fls");
}

TEST(Node, ErrorOfANodeIsLoggedWithItsParentsPath) {
  auto Root = LoadImage(kavtest::Bytes(4, 0), "file.fls");
  TKavClass& A = Add(*Root, std::make_unique<TFake>(Root.get(), "PPM"));
  CapturedLog L;
  try {
    TFailing Node(&A);
    FAIL() << "no error raised";
  } catch (const EKavError& E) {
    EXPECT_STREQ(E.what(), "Problem found, for more information see messages in Log");
  }
  EXPECT_THROW(TFailing Orphan(nullptr), EKavError);
  EXPECT_EQ(L.Lines(), (Lines{"! (  21) Too few bytes remains for chunk header, 5 byte(s); Path: /PPM/",
                              "! (  21) Too few bytes remains for chunk header, 5 byte(s); Path: /"}));
}

TEST(Node, ChildrenKeepTheirOrderAndFindChildMatchesTheExactClass) {
  TFake Root(nullptr, "R");
  EXPECT_EQ(Root.AddChild(nullptr), nullptr);
  EXPECT_EQ(Root.FirstChild(), nullptr);
  TKavClass& A = Add(Root, std::make_unique<TFakeDerived>(&Root, "A"));
  TKavClass& B = Add(Root, std::make_unique<TFakeDerived>(&Root, "B"));
  Root.AddChild(nullptr);
  EXPECT_EQ(Root.ChildCount(), 2u);
  EXPECT_EQ(Root.FirstChild(), &A);
  EXPECT_EQ(A.NextSibling(), &B);
  EXPECT_EQ(B.NextSibling(), nullptr);
  EXPECT_EQ(Root.FindChild("TFake"), nullptr);
  EXPECT_EQ(Root.FindChild("TFakeDerived"), &A);
}

TEST(Node, SetDataViewsSizeBytesAndSizeZeroLeavesNoData) {
  const kavtest::Bytes Src{1, 2, 3, 4, 5};
  TFake Empty(nullptr, "E", "", 0, Src);
  EXPECT_TRUE(Empty.Data().empty());
  EXPECT_EQ(Empty.Left(), 0);
  TFake Three(nullptr, "T", "", 3, Src);
  EXPECT_EQ(Three.Size(), 3);
  EXPECT_EQ(kavtest::Bytes(Three.Data().begin(), Three.Data().end()), (kavtest::Bytes{1, 2, 3}));
  EXPECT_EQ(Three.Data().data(), Src.data());  // a view, not a copy
  EXPECT_EQ(Three.ImageBytes().data(), Src.data());
  Three.Cursor().SkipUpTo(2);
  EXPECT_EQ(Three.Left(), 1);
}

TEST(ByteHelpers, ReadAndTestAsTheFormatNeeds) {
  const kavtest::Bytes B{0x20, 0x00, 0x24, 0x12, 0x34, 0xFF, 0xFF};
  EXPECT_EQ(BE24OrZero(B, 0), 0x200024u);
  EXPECT_EQ(BE32OrZero(B, 5), 0xFFFF0000u);  // bytes past the end read as 0
  EXPECT_EQ(SwapWord(0x1234), 0x3412);
  EXPECT_EQ(SwapDWord(0x12345678u), 0x78563412u);
  EXPECT_FALSE(InOpenRange(0, 5));
  EXPECT_FALSE(InOpenRange(5, 5));
  EXPECT_FALSE(InOpenRange(-1, 5));
  EXPECT_TRUE(InOpenRange(4, 5));
  EXPECT_EQ(BcdDigits3(0x0162), 261);
  EXPECT_EQ(BcdDigits3(0xF162), 261);
  EXPECT_EQ(AlignUp4(0), 0u);
  EXPECT_EQ(AlignUp4(5), 8u);
  EXPECT_EQ(AlignUp4(8), 8u);

  kavtest::Bytes Ff(26, 0xFF);
  EXPECT_TRUE(AllBytesEqual(Ff, 0, 26, 0xFF));
  EXPECT_TRUE(AllBytesEqual(Ff, 26, 0, 0xFF));
  EXPECT_FALSE(AllBytesEqual(Ff, 1, 26, 0xFF));  // runs past the end
  Ff[17] = 0xFE;
  EXPECT_FALSE(AllBytesEqual(Ff, 0, 26, 0xFF));
}

TEST(ByteHelpers, SumsWrapAndCountMissingBytesOfTheLastWordAsZero) {
  EXPECT_EQ(SumWordsBE(kavtest::Bytes{0x12, 0x34, 0xFF, 0xFF}, 0, 4), 0x1233);
  EXPECT_EQ(SumWordsBE(kavtest::Bytes{0x12, 0x34, 0x56, 0x78}, 0, 3), 0x68AC);  // whole last word
  EXPECT_EQ(SumWordsBE(kavtest::Bytes{0x12, 0x34, 0x56}, 0, 3), 0x6834);
  EXPECT_EQ(SumWordsBE(kavtest::Bytes{0x12, 0x34}, 4, 2), 0);
  EXPECT_EQ(SumDWordsBE(kavtest::Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 2}, 0, 8), 1u);
  EXPECT_EQ(SumDWordsBE(kavtest::Bytes{0, 0, 0, 1, 5}, 0, 5), 0x05000001u);
  EXPECT_EQ(SumDWordsBE(kavtest::Bytes{0, 0, 0, 1, 5, 6, 7, 8}, 0, 5), 0x05060709u);
  EXPECT_EQ(SumDWordsBE(kavtest::Bytes{1}, 0, 0), 0u);
}

TEST(CodePage, BytesBecomeWindows1252CharactersInUtf8) {
  EXPECT_EQ(CodePageToUtf8("A\x80\x81\xE9\xFF"), "A\u20AC\u0081\u00E9\u00FF");
  // Runs of ASCII before, between and after the wide characters, and appending to a text.
  EXPECT_EQ(CodePageToUtf8("\x80"), "\u20AC");
  EXPECT_EQ(CodePageToUtf8("\x80" "ab\x99\x99" "cd"), "\u20ACab\u2122\u2122cd");
  EXPECT_EQ(CodePageToUtf8(std::string("x\0y", 3)), std::string("x\0y", 3));
  std::string Text = "Name: ";
  AppendCodePageUtf8(Text, "caf\xE9 \x80" "5");
  EXPECT_EQ(Text, "Name: caf\u00E9 \u20AC5");
  EXPECT_EQ(JoinLines("a\nb\n"), "a, b, ");
}

TEST(CodePage, LatinOneKeepsTheBytesAsCodePoints) {
  SetCodePage(TCodePage::Latin1);
  EXPECT_EQ(CodePageToUtf8("A\x80\x9D\xE9"), "A\u0080\u009D\u00E9");
  SetCodePage(TCodePage::Windows1252);
  EXPECT_EQ(GetCodePage(), TCodePage::Windows1252);
}

TEST(CodePage, WideTextsKeepPairedSurrogatesAndReplaceLoneOnes) {
  // A character beyond the first plane, then halves of a pair standing alone (a table cut
  // between them, or damaged).
  EXPECT_EQ(Utf16ToUtf8(u"A\U0001F600\u00E9"), "A\U0001F600\u00E9");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'x', char16_t(0xD83D)}), "x\uFFFD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDE00), u'y', char16_t(0xD83D), u'z'}), "\uFFFDy\uFFFDz");
  std::string Out;
  AppendUtf8(Out, 0x110000);
  EXPECT_EQ(Out, "\uFFFD");
}

// A child is built from a reader of its own, given the next Left bytes of its parent's cursor
// (at most those there are, which is the Available it is told); the cursor then moves past
// what the child consumed, and stays where it was when no child is made or the child raises.
TEST(Node, AChildReadsFromItsOwnReaderAndTheParentMovesPastWhatItConsumed) {
  const kavtest::Bytes B(10, 0);
  struct TCase {
    const char* Name;
    std::size_t Left;      // given to the child, from position 2
    std::size_t Consumes;  // what the child asks to read
    bool Made;
    bool Raises;
    std::int32_t Available;
    std::size_t CursorAfter;
  };
  const TCase Cases[] = {
      {"consumes part", 4, 3, true, false, 4, 5},
      {"consumes all it is given", 4, 4, true, false, 4, 6},
      {"asks for more than it is given", 4, 5, true, false, 4, 6},
      {"given more than the parent has", 9, 9, true, false, 8, 10},
      {"consumes nothing", 4, 0, true, false, 4, 2},
      {"not made", 4, 3, false, false, 4, 2},
      {"raises", 4, 3, true, true, 4, 2},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TReader Cursor(B, 2);
    std::int32_t Told = -1;
    std::size_t ReaderLeft = 0;
    const auto Make = [&](std::int32_t Available, TReader& Reader) {
      Told = Available;
      ReaderLeft = Reader.Left();
      Reader.SkipUpTo(C.Consumes);
      if (C.Raises) throw std::runtime_error("refused");
      return C.Made ? std::make_unique<int>(0) : std::unique_ptr<int>();
    };
    try {
      EXPECT_EQ(BuildFrom(Cursor, C.Left, Make) != nullptr, C.Made);
      EXPECT_FALSE(C.Raises);
    } catch (const std::runtime_error&) {
      EXPECT_TRUE(C.Raises);
    }
    EXPECT_EQ(Told, C.Available);
    EXPECT_EQ(ReaderLeft, static_cast<std::size_t>(C.Available));
    EXPECT_EQ(Cursor.Pos(), C.CursorAfter);
  }
}

// Nodes built from a reader cut one byte short of, at, and one byte past what their header
// claims: the bytes behind the cut are there, but a node never reads them. Cut short, a chunk
// or subchunk is refused with the cut as its Available and the cursor stays; otherwise it takes
// its length, and an EEPROM area takes what it is given.
TEST(Node, AChildCannotReadPastItsReaderEvenWhereTheBytesGoOn) {
  using kavtest::Bytes;
  const Bytes Chunk = kavtest::Concat({kavtest::ChunkBytes({.Name = "GSMC", .Data = Bytes(20, 7)}), Bytes(24, 9)});
  const Bytes Sub = kavtest::Concat({kavtest::SubchunkBytes({.Body = Bytes(24, 7)}), Bytes(24, 9)});
  const auto BuildChunk = [](TReader& R, std::size_t N) {
    return BuildFrom(R, N, [](std::int32_t A, TReader& Rd) { return std::make_unique<TChunk>(nullptr, A, Rd); }) != nullptr;
  };
  const auto BuildRaw = [](TReader& R, std::size_t N) {
    return BuildFrom(R, N, [](std::int32_t A, TReader& Rd) { return std::make_unique<TRawSubchunk>(nullptr, A, Rd); }) != nullptr;
  };
  const auto BuildEeprom = [](TReader& R, std::size_t N) {
    return BuildFrom(R, N, [](std::int32_t A, TReader& Rd) { return std::make_unique<TEEPROM>(nullptr, A, Rd); }) != nullptr;
  };
  struct TCase {
    const char* Name;
    const Bytes* Image;
    std::function<bool(TReader&, std::size_t)> Build;
    std::size_t Cut;
    std::vector<int> Messages;
    std::size_t CursorAfter;
  };
  const TCase Cases[] = {
      {"chunk cut short", &Chunk, BuildChunk, 39, {22}, 0},
      {"chunk cut at its end", &Chunk, BuildChunk, 40, {}, 40},
      {"chunk cut past its end", &Chunk, BuildChunk, 41, {}, 40},
      {"chunk header cut short", &Chunk, BuildChunk, 19, {21}, 0},
      {"subchunk cut short", &Sub, BuildRaw, 39, {37}, 0},
      {"subchunk cut at its end", &Sub, BuildRaw, 40, {}, 40},
      {"subchunk cut past its end", &Sub, BuildRaw, 41, {}, 40},
      {"subchunk header cut short", &Sub, BuildRaw, 15, {36}, 0},
      {"EEPROM area", &Chunk, BuildEeprom, 41, {}, 41},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TReader Cursor(*C.Image);
    kavtest::CapturedLog L;
    bool Built = false;
    try {
      Built = C.Build(Cursor, C.Cut);
    } catch (const EKavError&) {
    }
    EXPECT_EQ(Built, C.Messages.empty());
    EXPECT_EQ(L.Idents(), C.Messages);
    EXPECT_EQ(Cursor.Pos(), C.CursorAfter);
    if (!C.Messages.empty()) {
      EXPECT_NE(L.Lines().front().find(std::to_string(C.Cut) + " byte(s)"), std::string::npos);
    }
  }
}
