#include <gtest/gtest.h>

#include "TestSupport.h"
#include "log/Log.h"
#include "model/KavObj.h"
#include "log/Kav_LogSession.h"

using namespace kavex;
using kavtest::CapturedLog;
using Lines = std::vector<std::string>;

namespace {
std::string F(std::string_view Text, const TLogArgs& Args) { return FormatText(Text, Args); }
}  // namespace

TEST(Formatter, WidthPadsWithBlanksAndALeadingZeroIsPartOfTheWidth) {
  EXPECT_EQ(F("[%02d]", {5}), "[ 5]");
  EXPECT_EQ(F("[%02d]", {10}), "[10]");
  EXPECT_EQ(F("[%2d]", {7}), "[ 7]");
  EXPECT_EQ(F("[%4d]", {7}), "[   7]");
  EXPECT_EQ(F("[%3d]", {12345}), "[12345]");
  EXPECT_EQ(F("[%5s]", {"ab"}), "[   ab]");
}

TEST(Formatter, PrecisionIsAMinimumDigitCountAndTheSignIsNotCounted) {
  EXPECT_EQ(F("%.4d", {-5}), "-0005");
  EXPECT_EQ(F("[%6.3d]", {7}), "[   007]");
  EXPECT_EQ(F("%.2d", {12345}), "12345");
  EXPECT_EQ(F("%d", {-2147483648LL}), "-2147483648");
}

TEST(Formatter, HexIsUpperCaseAndNegativeValuesPrintAsUnsigned32Bit) {
  EXPECT_EQ(F("0x%.8x", {11259375}), "0x00ABCDEF");
  EXPECT_EQ(F("0x%.8x", {4660}), "0x00001234");
  EXPECT_EQ(F("0x%.8x", {-1}), "0xFFFFFFFF");
  EXPECT_EQ(F("0x%.4x", {65244}), "0xFEDC");
  EXPECT_EQ(F("%x", {0}), "0");
  EXPECT_EQ(F("%x", {0x1FFFFFFFELL}), "FFFFFFFE");
}

TEST(Formatter, IndexSelectsAnArgumentAndLaterDirectivesGoOnAfterIt) {
  EXPECT_EQ(F("%1:d %0:d %d", {1, 2}), "2 1 2");
  EXPECT_EQ(F("%d %d %0:d %d", {3, 4}), "3 4 3 4");
  EXPECT_EQ(F("%0:s/%0:s", {"a"}), "a/a");
}

TEST(Formatter, ArgumentListsOfAnyLengthKeepTheirOrderAndTexts) {
  // Six arguments live in the list itself; the seventh and later are kept elsewhere.
  const std::string Long(40, 'L');
  TLogArgs Seven{1, "two", 3, "four", 5, Long, 7};
  EXPECT_EQ(Seven.size(), 7u);
  EXPECT_EQ(F("%d %s %d %s %d %s %d", Seven), "1 two 3 four 5 " + Long + " 7");
  EXPECT_EQ(F("%6:d %5:s", Seven), "7 " + Long);
  TLogArgs Chained;
  for (int I = 0; I < 9; ++I) Chained.Int(I).Str(std::string(static_cast<std::size_t>(I), 'x'));
  EXPECT_EQ(F("%16:d%17:s|%5:s|%0:d", Chained), "8xxxxxxxx|xx|0");
  const TLogArgs Copy = Chained;  // copies keep every argument
  EXPECT_EQ(F("%17:s", Copy), "xxxxxxxx");
  // Results just below, at and above the length a string keeps without allocating.
  EXPECT_EQ(F("%s", {std::string(15, 'a')}), std::string(15, 'a'));
  EXPECT_EQ(F("%s!", {std::string(15, 'a')}), std::string(15, 'a') + "!");
  EXPECT_EQ(F("%20s", {"z"}), std::string(19, ' ') + "z");
  // Results just below, at and above 256 characters, crossed by a text, padding or digits.
  for (const std::size_t Before : {250u, 251u, 252u, 253u, 256u, 300u}) {
    const std::string Head(Before, 'h');
    EXPECT_EQ(F("%s%s", {Head, "12345"}), Head + "12345") << Before;
    EXPECT_EQ(F("%s%8d", {Head, 42}), Head + "      42") << Before;
    EXPECT_EQ(F("%s%%%.4x", {Head, 10}), Head + "%000A") << Before;
  }
  EXPECT_EQ(F("%300s.", {"z"}), std::string(299, ' ') + "z.");
}

TEST(Formatter, LeftoverArgumentsAreIgnored) {
  EXPECT_EQ(F("plain", {1, "x"}), "plain");
  EXPECT_EQ(F("%d%%", {50, 60}), "50%");
  EXPECT_EQ(F("", {1}), "");
}

TEST(Formatter, MissingOrMistypedArgumentsRaiseFormatError) {
  EXPECT_THROW(F("%d", {}), EFormatError);
  EXPECT_THROW(F("%d", {"a"}), EFormatError);
  EXPECT_THROW(F("%s", {1}), EFormatError);
  EXPECT_THROW(F("%q", {1}), EFormatError);
  EXPECT_THROW(F("abc %", {1}), EFormatError);
}

TEST(LogMessage, RecordsCarryTheCatalogueKindTextAndTheCallersPath) {
  CapturedLog L;
  LogMessage(23, "/PPM/X/", {0xFFFFFFFFLL, 0xFFFFFFFCLL});
  LogMessage(3, "[fAbout]", {0, 5, 7});
  LogMessage(31, "[fAbout]", {"Kavex", 0, 10, "TEST ONLY"});
  LogMessage(7, "/", {1, "ignored"});
  EXPECT_EQ(L.Lines(), (Lines{
                           "* (  23) Chunk checksum does not math: present 0xFFFFFFFF, calculated 0xFFFFFFFC; Path: /PPM/X/",
                           "i (   3) Welcome to Kavex v0. 5, build #7; Path: [fAbout]",
                           "i (  31) Welcome to Kavex, v0.10 TEST ONLY; Path: [fAbout]",
                           "* (   7) MCU or PPM blocks not found in file; Path: /",
                       }));
}

TEST(LogMessage, IdentsOutsideTheCatalogueBecomeMessage0UnderLogPath) {
  CapturedLog L;
  EXPECT_EQ(LogMessage(75, "/PPM/", {}), 0);
  LogMessage(-1, "/", {"x"});
  LogMessage(60, "", {});
  LogMessage(0, "/", {4});
  LogMessage(59, "/", {1});
  EXPECT_EQ(L.Lines(), (Lines{
                           "! (   0) Log message 'Ident' out of range (75); Path: [Log]/PPM/",
                           "! (   0) Log message 'Ident' out of range (-1); Path: [Log]/",
                           "! (   0) Log message 'Ident' out of range (60); Path: [Log]",
                           "! (   0) Log message 'Ident' out of range (4); Path: /",
                           "! (  59)  Path: /",
                       }));
}

TEST(LogMessage, ArgumentsThatDoNotMatchTheTextPassOutAsFormatError) {
  CapturedLog L;
  EXPECT_THROW(LogMessage(8, "/MCU/", {}), EFormatError);
  EXPECT_THROW(LogMessage(4, "/", {4}), EFormatError);
  EXPECT_EQ(L.Store().Count(), 0u);
}

TEST(LogMessage, EveryCatalogueEntryHasItsKind) {
  // Kind tags of messages 0..59 in order.
  const std::string Tags = "!~~i!!!*!!!!!?i!!*ii!!!*!?!!i**i?!!!!!!?~!!!~~~!!!~?!!!!!!!!";
  ASSERT_EQ(Tags.size(), static_cast<std::size_t>(MsgCount));
  for (int I = 0; I < MsgCount; ++I) EXPECT_EQ(KindTag(MsgKindOf(I)), Tags.substr(static_cast<std::size_t>(I), 1)) << I;
  const char* Names[] = {"Info", "Notice", "Warning", "Error", "Debug"};
  for (int K = 0; K < MsgKindCount; ++K) {
    EXPECT_STREQ(KindName(static_cast<TMsgKind>(K)), Names[K]);
    EXPECT_EQ(KindInfo(static_cast<TMsgKind>(K)).Icon, K);
  }
}

TEST(LogMessage, AKindSwitchedOffIsStoredAllTheSame) {
  CapturedLog L;
  SetKindShown(TMsgKind::Debug, false);
  LogMessage(45, "/", {});
  SetKindShown(TMsgKind::Debug, true);
  EXPECT_EQ(L.Lines(), Lines{"~ (  45) Divud file format assumed; Path: /"});
}

TEST(LogForwarding, ASessionWritesMessage2AndAfterItMessagesAreDropped) {
  TMsgCollection Store;
  {
    const TLogSession Session(Store);
    ASSERT_EQ(Store.Count(), 1u);
    EXPECT_EQ(FormatMsgLine(Store.At(0)), "~ (   2) MsgProc initialized successfully; Path: [KavObj]");
  }
  EXPECT_EQ(CallLogProc(7, "/", {}), 0);
  EXPECT_EQ(Store.Count(), 1u);
  EXPECT_EQ(LogMessage(7, "/", {}), 0);  // no receiver: dropped, no crash
}
