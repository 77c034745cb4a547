// The texts and the loading the browser's page takes from the core (and the viewer with it):
// offsets typed by the user, the offset column, Find's count, and images handed over as bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "log/Kav_LogSession.h"
#include "log/Log.h"
#include "model/Kav_Fls.h"
#include "present/Kav_Bytes.h"
#include "present/Kav_Find.h"
#include "present/Kav_Walk.h"

namespace {

TEST(OffsetTexts, TypedOffsetsInEveryFormAndTheirLimits) {
  const struct {
    const char* Text;
    std::optional<std::size_t> Want;
  } Cases[] = {
      {"100", 100},      {" 7 ", 7},         {"0x1F", 0x1F},   {"0X1f", 0x1F}, {"$ff", 0xFF},
      {"20h", 0x20},     {"20H", 0x20},      {"0", 0},         {"", {}},       {"   ", {}},
      {"0x", {}},        {"$", {}},          {"h", {}},        {"-1", {}},     {"+1", {}},
      {"zz", {}},        {"1F", {}},         {"12 34", {}},    {"0x-1", {}},   {"$0x10", {}},
      {"18446744073709551615", std::size_t(18446744073709551615ull)},  // the largest there is
      {"18446744073709551616", {}},                                     // one more
      {"0xFFFFFFFFFFFFFFFF", std::size_t(0xFFFFFFFFFFFFFFFFull)},
      {"0x10000000000000000", {}},
  };
  for (const auto& C : Cases) EXPECT_EQ(kavex::ParseImageOffset(C.Text), C.Want) << '"' << C.Text << '"';
  EXPECT_EQ(kavex::NotAnOffsetText("  zz "), "zz is not an offset: give it in decimal or hex (0x1F0, $1F0, 1F0h)");
}

TEST(OffsetTexts, ColumnOfEightHexDigitsOrMore) {
  const std::pair<std::uint64_t, const char*> Cases[] = {
      {0, "00000000"}, {0x1F0, "000001F0"}, {0xFFFFFFFF, "FFFFFFFF"}, {0x100000000, "100000000"}};
  for (const auto& [Offset, Want] : Cases) EXPECT_EQ(kavex::OffsetText(Offset), Want);
  const std::pair<std::size_t, const char*> Hits[] = {{0, "0 hits"}, {1, "1 hit"}, {2, "2 hits"}, {1000, "1000 hits"}};
  for (const auto& [Count, Want] : Hits) EXPECT_EQ(kavex::FindHitCountText(Count), Want);
}

// Bytes handed over are loaded and logged as a file of them would be: message 28 first, an
// empty file refused with its reason, bytes without an area give a root without children.
TEST(LoadFileBytes, LogsAndRefusesAsLoadFileDoes) {
  kavex::TMsgCollection Store;
  kavex::TLogSession Session(Store);
  const struct {
    std::size_t Size;
    bool Loaded;
    std::vector<int> Idents;  // the records from message 28 on, at most this many
    const char* Reason;
  } Cases[] = {
      {0, false, {kavex::msgLoadingFile, kavex::msgFileLengthZero}, "the file is empty"},
      {1, true, {kavex::msgLoadingFile}, ""},
      {4096, true, {kavex::msgLoadingFile}, ""},
  };
  for (const auto& C : Cases) {
    Store.Clear();
    std::string Reason;
    auto Root = kavex::LoadFileBytes(kavex::TImageBytes(C.Size, 0), "given.fls", &Reason);
    EXPECT_EQ(Root != nullptr, C.Loaded) << C.Size;
    EXPECT_EQ(Reason, C.Reason) << C.Size;
    ASSERT_GE(Store.Count(), C.Idents.size()) << C.Size;
    for (std::size_t I = 0; I < C.Idents.size(); ++I) EXPECT_EQ(Store.At(I).Ident, C.Idents[I]) << C.Size;
    EXPECT_EQ(Store.At(0).Text.find("given.fls") != std::string::npos, true);
    if (Root) {
      kavex::ExpandAll(*Root);
      EXPECT_TRUE(kavex::HoldsNoArea(*Root)) << C.Size;
      EXPECT_EQ(Root->FileName(), "given.fls");
    } else {
      EXPECT_EQ(Store.Count(), C.Idents.size()) << "nothing more is logged of a refused file";
    }
  }
}

}  // namespace
