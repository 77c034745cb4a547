#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "Permissions.h"
#include "TestSupport.h"
#include "model/ImageFile.h"
#include "model/Kav_EEPROM.h"
#include "model/Kav_MCU.h"
#include "model/Kav_PPM.h"

using namespace kavex;
using namespace kavtest;
using Lines = std::vector<std::string>;

namespace {

const std::string Where = " Path: [KavObj.LoadFile]";
const std::string Divud = "~ (  45) Divud file format assumed; Path: /";
const std::string McuVersion = "i (  14) MCU version string: V 5.00, 01-01-99, NSE-1; Path: /MCU/";
const std::string PpmVersion = "i (  19) PPM version string: V 5.00, 01-01-99, NSE-1; Path: /PPM/";

std::string ChecksumMatch(const Bytes& Image) {
  const std::string C = Hex(BE16OrZero(Image, 0x22), 4);
  return "i (  18) Checksum of MCU (0x" + C + ") match one at PPM (0x" + C + "); Path: /PPM/";
}

Ppm SmallPpm() {
  Ppm P;
  P.Chunks = {ChunkBytes({.Name = "GSMC", .Data = Bytes(60, 0)}), EndChunk()};
  return P;
}

// Loads Image as LoadImage does and returns the whole log of loading and the root walk.
Lines Walk(const Bytes& Image, std::unique_ptr<TFls>* Keep = nullptr) {
  CapturedLog L;
  auto Root = LoadAndExpand(Image);
  if (Keep) *Keep = std::move(Root);
  return L.Lines();
}

Lines LoadFailure(const Bytes& File) {
  CapturedLog L;
  EXPECT_THROW(LoadImage(File, "x.wt"), EKavError);
  return L.Lines();
}

}  // namespace

TEST(LoadFile, UnreadableFilesLogWhyAndYieldNoRoot) {
  CapturedLog L;
  TempFile Empty(Bytes{});
  EXPECT_EQ(LoadFile(Empty.Path()), nullptr);
  const std::string Missing = Empty.Path() + ".missing";
  EXPECT_EQ(LoadFile(Missing), nullptr);
  const std::string Dir = Empty.Path().substr(0, Empty.Path().rfind('/'));
  EXPECT_EQ(LoadFile(Dir), nullptr);
  EXPECT_EQ(L.Lines(), (Lines{
                           "i (  28) Loading file: " + Empty.Path() + ";" + Where,
                           "! (   6) File length is zero: " + Empty.Path() + ";" + Where,
                           "i (  28) Loading file: " + Missing + ";" + Where,
                           "! (   4) File open error: Cannot open file " + Missing + ";" + Where,
                           "i (  28) Loading file: " + Dir + ";" + Where,
                           "! (   4) File open error: Cannot open file " + Dir + ";" + Where,
                       }));
}

TEST(LoadFile, PipesAndDevicesAreRefusedWithoutWaitingForData) {
  TempFile Any(Bytes{1});
  const std::string Fifo = Any.Path() + ".fifo";
  ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
  CapturedLog L;
  // A pipe nobody writes to would block a reading open for ever.
  EXPECT_EQ(LoadFile(Fifo), nullptr);
  EXPECT_EQ(LoadFile("/dev/zero"), nullptr);  // endless, and of length 0
  EXPECT_EQ(L.Lines(), (Lines{"i (  28) Loading file: " + Fifo + ";" + Where,
                              "! (   4) File open error: Cannot open file " + Fifo + ";" + Where,
                              "i (  28) Loading file: /dev/zero;" + Where,
                              "! (   4) File open error: Cannot open file /dev/zero;" + Where}));
}

TEST(LoadFile, FileWithoutReadPermissionIsAnOpenError) {
  TempFile File(DivudImage(Mcu{}, SmallPpm()));
  ASSERT_EQ(::chmod(File.Path().c_str(), 0), 0);
  PermissionsEnforced Enforced;
  if (!Enforced.Holds()) GTEST_SKIP() << "running as root without a way to give up reading past permissions";
  CapturedLog L;
  EXPECT_EQ(LoadFile(File.Path()), nullptr);
  EXPECT_EQ(L.Lines().back(), "! (   4) File open error: Cannot open file " + File.Path() + ";" + Where);
}

TEST(LoadFile, FileThatShrinksOrVanishesWhileBeingReadIsAReadError) {
  const Bytes Image = DivudImage(Mcu{}, SmallPpm());
  TempFile File(Image);
  SetLoadFileProbe([](const std::string& Name) { std::filesystem::resize_file(Name, 100); });
  CapturedLog L;
  EXPECT_EQ(LoadFile(File.Path()), nullptr);
  EXPECT_EQ(L.Lines(), (Lines{"i (  28) Loading file: " + File.Path() + ";" + Where,
                              "! (   5) File read error: Stream read error;" + Where}));

  // Removed once open, the file is still read whole: what was there is what is shown.
  TempFile Other(Image);
  SetLoadFileProbe([](const std::string& Name) { std::filesystem::remove(Name); });
  auto Root = LoadFile(Other.Path());
  SetLoadFileProbe(nullptr);
  ASSERT_NE(Root, nullptr);
  EXPECT_EQ(Root->Size(), static_cast<std::int32_t>(Image.size()));
}

// A WinTesla file is joined while it is read, block by block, or read whole where its blocks are
// small or its chain is broken: either way the log, the image and the failure are those of the
// same bytes loaded from memory, and a file cut short on the way is a read error.
TEST(LoadFile, WinTeslaFileLoadsAsItsBytesDoFromMemory) {
  const Bytes Payload = [] {
    Bytes P(3 * 4096 + 5);
    for (std::size_t I = 0; I < P.size(); ++I) P[I] = static_cast<std::uint8_t>(I * 7 + I / 251);
    return P;
  }();
  const Bytes Page(4096, 1);
  const struct {
    const char* Name;
    Bytes File;
  } Cases[] = {
      {"blocks of 4 KiB and a short last one", WinTesla(Payload, 0x200000, 4096)},
      {"blocks just below 4 KiB", WinTesla(Payload, 0x200000, 4095)},
      {"one block", WinTesla(Payload, 0x123456, 0x10000)},
      {"stray bytes after the last block", Concat({WinTesla(Payload, 0x200000, 4096), Bytes(8, 0)})},
      {"stray bytes after one large block", Concat({WinTesla(Payload, 0x123456, 0x10000), Bytes(8, 0)})},
      {"a byte after one large block", Concat({WinTesla(Payload, 0x123456, 0x10000), Bytes(1, 0)})},
      {"hole after a 4 KiB block", Concat({WinTeslaHeader(0x200000, 4096), Page, WinTeslaHeader(0x201001, 4), Bytes(4, 2)})},
      {"later block running past the end", Concat({WinTeslaHeader(0x200000, 4096), Page, WinTeslaHeader(0x201000, 5), Bytes(4, 2)})},
      {"first block running past the end", Concat({WinTeslaHeader(0x200000, 4096), Bytes(4090, 1)})},
      {"no marker", Payload},
      // Around one block header's 9 bytes: too short to be WinTesla, one empty block, one byte.
      {"8 bytes", [] {
         Bytes Header = WinTeslaHeader(0x200000, 0);
         Header.pop_back();
         return Header;
       }()},
      {"9 bytes", WinTeslaHeader(0x200000, 0)},
      {"10 bytes", Concat({WinTeslaHeader(0x200000, 1), Bytes{7}})},
  };
  struct TOutcome {
    Lines Log;
    Bytes Image;
    bool Failed = false;
  };
  const auto Outcome = [](auto Load) {
    TOutcome O;
    CapturedLog L;
    try {
      if (auto Root = Load()) O.Image.assign(Root->Data().begin(), Root->Data().end());
    } catch (const EKavError&) {
      O.Failed = true;
    }
    O.Log = L.Lines();
    return O;
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TempFile File(C.File, "image.wt");
    const TOutcome FromDisk = Outcome([&] { return LoadFile(File.Path()); });
    const TOutcome FromMemory = Outcome([&] { return LoadImage(C.File, "image.wt"); });
    ASSERT_FALSE(FromDisk.Log.empty());
    EXPECT_EQ(FromDisk.Log.front(), "i (  28) Loading file: " + File.Path() + ";" + Where);
    EXPECT_EQ(Lines(FromDisk.Log.begin() + 1, FromDisk.Log.end()), FromMemory.Log);
    EXPECT_EQ(FromDisk.Image, FromMemory.Image);
    EXPECT_EQ(FromDisk.Failed, FromMemory.Failed);
  }

  // Cut short in its first, second or last block, or by a byte.
  const Bytes File = WinTesla(Payload, 0x200000, 4096);
  for (const std::size_t Cut : {std::size_t{5}, std::size_t{4096 + 20}, File.size() - 100, File.size() - 1}) {
    SCOPED_TRACE(Cut);
    TempFile Short(File, "image.wt");
    SetLoadFileProbe([Cut](const std::string& Name) { std::filesystem::resize_file(Name, Cut); });
    CapturedLog L;
    EXPECT_EQ(LoadFile(Short.Path()), nullptr);
    SetLoadFileProbe(nullptr);
    EXPECT_EQ(L.Lines(), (Lines{"i (  28) Loading file: " + Short.Path() + ";" + Where,
                                "! (   5) File read error: Stream read error;" + Where}));
  }
}

namespace {

// Loads Path with the process's address space limited to what it uses now and Room bytes more;
// 0 when the file is refused, after its last log line is written to the error output.
int LoadWithRoomFor(rlim_t Room, const std::string& Path) {
  long long Pages = 0;
  if (std::FILE* Statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(Statm, "%lld", &Pages) != 1) Pages = 0;
    std::fclose(Statm);
  }
  const rlim_t Limit = static_cast<rlim_t>(Pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + Room;
  const rlimit Both{Limit, Limit};
  ::setrlimit(RLIMIT_AS, &Both);
  CapturedLog L;
  const bool Refused = LoadFile(Path) == nullptr;
  std::fprintf(stderr, "%s\n", L.Lines().back().c_str());
  return Refused ? 0 : 1;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#define KAVEX_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KAVEX_TEST_ASAN 1
#endif
#endif

TEST(LoadFile, FileTooLargeForTheMemoryLeftIsAReadErrorNotACrash) {
#ifdef KAVEX_TEST_ASAN
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limits this test sets";
#endif
  // Each in a child process with little address space left: no room for the file, then room
  // for half a WinTesla file; a WinTesla file with room for itself alone loads, since its
  // blocks are joined in the file's own buffer.
  TempFile Big(Bytes{});
  if (::truncate(Big.Path().c_str(), 0x40000000LL) != 0) GTEST_SKIP() << "no sparse file of 1 GiB here";
  EXPECT_EXIT(std::exit(LoadWithRoomFor(0x10000000, Big.Path())), ::testing::ExitedWithCode(0),
              "File read error: Not enough memory to read the file \\(1073741824 bytes\\);");

  TempFile OneBlock(WinTeslaHeader(0x200000, 0xFFFFFF));
  ASSERT_EQ(::truncate(OneBlock.Path().c_str(), 9 + 0xFFFFFF), 0);
  EXPECT_EXIT(std::exit(LoadWithRoomFor(0x800000, OneBlock.Path())), ::testing::ExitedWithCode(0),
              "File read error: Not enough memory to read the file \\(16777224 bytes\\);");
  EXPECT_EXIT(std::exit(LoadWithRoomFor(0x1000000 + 0x400000, OneBlock.Path())), ::testing::ExitedWithCode(1),
              "WinTesla block found, FlashAddr: 0x00200000, BlockLength: 0x00FFFFFF;");
}

TEST(LoadFile, FileOverTwoGigabytesIsRefusedNotCut) {
  TempFile Big(Bytes{});
  if (::truncate(Big.Path().c_str(), 0x80000000LL) != 0) GTEST_SKIP() << "no sparse file of 2 GiB here";
  CapturedLog L;
  EXPECT_EQ(LoadFile(Big.Path()), nullptr);
  EXPECT_EQ(L.Lines(), (Lines{"i (  28) Loading file: " + Big.Path() + ";" + Where,
                              "! (   5) File read error: File is too large (2147483648 bytes), at most 2147483647 "
                              "bytes are supported;" + Where}));
}

TEST(LoadFile, DivudImageWithTrailingBytesGetsMcuPpmAndEeprom) {
  const Bytes Image = DivudImage(Mcu{}, SmallPpm(), Bytes{0xEE});
  TempFile File(Image);
  CapturedLog L;
  auto Root = LoadFile(File.Path());
  ASSERT_NE(Root, nullptr);
  EXPECT_EQ(BuildAll(*Root), 3u);
  EXPECT_EQ(ChildClasses(*Root), "TMCU TPPM TEEPROM");
  EXPECT_EQ(Root->EEPROM()->Size(), 1);
  EXPECT_EQ(Root->GetCaption(), File.Path());
  EXPECT_FALSE(Root->IsWinTesla());
  EXPECT_EQ(Root->FlashBase(), -1);
  EXPECT_EQ(L.Lines(), (Lines{"i (  28) Loading file: " + File.Path() + ";" + Where, Divud, McuVersion, PpmVersion,
                              ChecksumMatch(Image)}));
}

TEST(LoadFile, ImageEndingWithThePpmAreaHasNoEeprom) {
  std::unique_ptr<TFls> Root;
  const Bytes Image = DivudImage(Mcu{}, SmallPpm());
  EXPECT_EQ(Walk(Image, &Root), (Lines{Divud, McuVersion, PpmVersion, ChecksumMatch(Image)}));
  EXPECT_EQ(ChildClasses(*Root), "TMCU TPPM");
}

TEST(LoadFile, PpmAreaAloneIsTheOnlyChildAfterTheMcuAttemptFails) {
  std::unique_ptr<TFls> Root;
  EXPECT_EQ(Walk(PpmBytes(SmallPpm()), &Root),
            (Lines{Divud, "! (   9) MCU fields not started at 0x00200024 - 0x00000000; Path: /", PpmVersion}));
  EXPECT_EQ(ChildClasses(*Root), "TPPM");
}

TEST(LoadFile, McuFollowedByNoPpmSignatureEndsTheWalkWithMessage7) {
  Ppm P = SmallPpm();
  P.Signature = false;
  std::unique_ptr<TFls> Root;
  EXPECT_EQ(Walk(DivudImage(Mcu{}, P), &Root), (Lines{Divud, McuVersion, "! (  16) PPM signature not found; Path: /PPM/",
                                                      "* (   7) MCU or PPM blocks not found in file; Path: /"}));
  EXPECT_EQ(ChildClasses(*Root), "TMCU");
}

TEST(LoadFile, NeitherAreaLogsBothAttemptsThenMessage7Once) {
  std::unique_ptr<TFls> Root;
  EXPECT_EQ(Walk(Bytes(200, 0), &Root), (Lines{Divud, "! (   9) MCU fields not started at 0x00200024 - 0x00000000; Path: /",
                                                "! (  16) PPM signature not found; Path: /PPM/",
                                                "* (   7) MCU or PPM blocks not found in file; Path: /"}));
  CapturedLog L;
  EXPECT_EQ(Root->ParseNextChild(), nullptr);
  EXPECT_EQ(Root->ChildCount(), 0u);
  EXPECT_TRUE(L.Lines().empty());
}

TEST(LoadFile, FileShorterThanABlockHeaderIsDivud) {
  EXPECT_EQ(Walk(Bytes{0x0B, 0, 0, 0, 0, 0, 0, 1}), (Lines{Divud, "! (   8) MCU length is too small, 8 byte(s); Path: /",
                                                            "! (  15) PPM length is too small, 8 byte(s); Path: /PPM/",
                                                            "! (  16) PPM signature not found; Path: /PPM/",
                                                            "* (   7) MCU or PPM blocks not found in file; Path: /"}));
}

TEST(WinTesla, FirstBlockLongerThanTheFileMeansDivud) {
  Bytes File = Concat({WinTeslaHeader(0x200000, 12), Bytes(2, 0)});
  std::unique_ptr<TFls> Root;
  EXPECT_EQ(Walk(File, &Root).front(), Divud);
  EXPECT_FALSE(Root->IsWinTesla());
}

TEST(WinTesla, FirstPayloadRunningPastTheEndFailsWithMessage41) {
  EXPECT_EQ(LoadFailure(Concat({WinTeslaHeader(0x200000, 12), Bytes(5, 0)})),
            (Lines{"~ (  40) WinTesla header found at start of file, FlashAddr: 0x00200000, BlockLength: 0x0000000C; Path: /",
                   "! (  41) WinTesla header BlockLength > remains, (0x0000000C > 0x0000000E); Path: /"}));
}

TEST(WinTesla, OneBlockGivesItsPayloadAsTheImage) {
  const Bytes Payload{1, 2, 3, 4, 5, 6, 7};
  CapturedLog L;
  auto Root = LoadImage(WinTesla(Payload, 0x123456), "x.wt");
  EXPECT_EQ(Bytes(Root->Data().begin(), Root->Data().end()), Payload);
  EXPECT_TRUE(Root->IsWinTesla());
  EXPECT_EQ(Root->FlashBase(), 0x123456);
  EXPECT_EQ(L.Lines(),
            (Lines{"~ (  40) WinTesla header found at start of file, FlashAddr: 0x00123456, BlockLength: 0x00000007; Path: /",
                   "~ (  44) WinTesla block found, FlashAddr: 0x00123456, BlockLength: 0x00000007; Path: /"}));
}

TEST(WinTesla, HeaderBytes4And8AndLaterMarkersDoNotMatter) {
  const Bytes Image{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  Bytes File = WinTesla(Image, 0x200000, 4);  // blocks of 4, 4 and 2 bytes
  for (std::size_t Header : {0u, 13u, 26u}) {
    File[Header + 4] = 0xAA;
    File[Header + 8] = 0x55;
    if (Header) File[Header] = 0x77;
  }
  CapturedLog L;
  auto Root = LoadImage(File, "x.wt");
  EXPECT_EQ(Bytes(Root->Data().begin(), Root->Data().end()), Image);
  EXPECT_EQ(L.Idents(), (std::vector<int>{40, 44, 44, 44}));
}

// The chain's rules, which both joins follow, at each limit: the bytes left (none, fewer than a
// header, a header's worth), the next payload one byte within, at and past what is left behind
// its header, and a flash address one below, at and above where the previous block ends.
TEST(WinTesla, ChainRulesAtTheirLimits) {
  const TFls::TWinTeslaBlock Previous{0x200000, 0x10};
  struct TCase {
    const char* Name;
    bool HasPrevious;
    std::size_t Left;
    std::uint32_t FlashAddr, BlockLength;
    TWinTeslaStep Step;
  };
  const TCase Cases[] = {
      {"nothing left ends the chain", true, 0, 0, 0, TWinTeslaStep::End},
      {"one byte is stray", true, 1, 0, 0, TWinTeslaStep::StrayBytes},
      {"8 bytes are stray", true, 8, 0, 0, TWinTeslaStep::StrayBytes},
      {"an empty block fills 9 bytes", true, 9, 0x200010, 0, TWinTeslaStep::Fits},
      {"a 1-byte payload does not", true, 9, 0x200010, 1, TWinTeslaStep::TooLong},
      {"payload shorter than the rest", true, 30, 0x200010, 20, TWinTeslaStep::Fits},
      {"payload up to the end", true, 30, 0x200010, 21, TWinTeslaStep::Fits},
      {"payload a byte past the end", true, 30, 0x200010, 22, TWinTeslaStep::TooLong},
      {"address a byte low", true, 30, 0x20000F, 4, TWinTeslaStep::NotContiguous},
      {"address a byte high", true, 30, 0x200011, 4, TWinTeslaStep::NotContiguous},
      {"a hole is found before a length past the end", true, 30, 0x200011, 22, TWinTeslaStep::NotContiguous},
      {"the first block may start anywhere", false, 30, 0x123456, 21, TWinTeslaStep::Fits},
      {"the first block too long", false, 30, 0x123456, 22, TWinTeslaStep::TooLong},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Bytes Header = WinTeslaHeader(C.FlashAddr, C.BlockLength);
    Header.resize(std::min(C.Left, Header.size()));
    TFls::TWinTeslaBlock Next{0xABCDEF, 0xABCDEF};
    EXPECT_EQ(NextWinTeslaBlock(C.HasPrevious ? &Previous : nullptr, C.Left, Header, Next), C.Step);
    if (C.Left >= 9) {
      EXPECT_EQ(Next.FlashAddr, C.FlashAddr);
      EXPECT_EQ(Next.BlockLength, C.BlockLength);
    }
  }
}

TEST(WinTesla, StrayBytesFailWithMessage42) {
  const Lines Log = LoadFailure(Concat({WinTesla(Bytes(8, 1)), Bytes(5, 0)}));
  EXPECT_EQ(Log.back(), "! (  42) Not enough bytes remain for WinTesla header, (5 byte(s)); Path: /");
}

TEST(WinTesla, HoleBetweenBlocksFailsWithMessage43) {
  const Lines Log = LoadFailure(Concat({WinTeslaHeader(0x200000, 4), Bytes(4, 1), WinTeslaHeader(0x200008, 4), Bytes(4, 2)}));
  EXPECT_EQ(Log.back(), "! (  43) WinTesla FlashAddr of current block != FlashAddr of previous one + BlockLength; Path: /");
}

TEST(WinTesla, LaterBlockRunningPastTheEndFailsWithMessage41) {
  const Lines Log = LoadFailure(Concat({WinTeslaHeader(0x200000, 4), Bytes(4, 1), WinTeslaHeader(0x200004, 4), Bytes(3, 2)}));
  EXPECT_EQ(Log.back(), "! (  41) WinTesla header BlockLength > remains, (0x00000004 > 0x0000000C); Path: /");
}

TEST(WinTesla, ImageHoldingPartOfTheMcuIsPaddedWithFFUpToThePpmStart) {
  Bytes Area = McuBytes(Mcu{}, 200);
  std::fill(Area.begin() + 0x8000, Area.end(), 0xFF);
  ResealMcu(Area);
  Area.resize(0x8000);
  std::unique_ptr<TFls> Root;
  EXPECT_EQ(Walk(WinTesla(Area), &Root),
            (Lines{"~ (  40) WinTesla header found at start of file, FlashAddr: 0x00200000, BlockLength: 0x00008000; Path: /",
                   "~ (  44) WinTesla block found, FlashAddr: 0x00200000, BlockLength: 0x00008000; Path: /",
                   McuVersion, "~ (  46) Fill gap at MCU end with 0xFF (0x00008000 byte(s)); Path: /"}));
  EXPECT_EQ(ChildClasses(*Root), "TMCU");
  EXPECT_EQ(Root->MCU()->Size(), 0x10000);
  EXPECT_EQ(Root->MCU()->Data()[0xFFFF], 0xFF);
}

// The reason handed back with a refusal, in the system's words where it has some: what the
// viewer's status line and kavex-dump's stderr show. A file that loads leaves it untouched.
TEST(LoadFile, RefusalsHandBackWhyTheFileCouldNotBeRead) {
  TempFile Empty(Bytes{});
  TempFile Good(DivudImage(Mcu{}, SmallPpm()));
  const std::string Dir = Empty.Path().substr(0, Empty.Path().rfind('/'));
  TempFile Shrinking(DivudImage(Mcu{}, SmallPpm()));
  TempFile Big(Bytes{});
  const bool HaveBig = ::truncate(Big.Path().c_str(), 0x80000000LL) == 0;
  struct Case {
    std::string Path;
    std::string Reason;  // empty: the file loads
  };
  std::vector<Case> Cases = {
      {Dir + "/none.fls", "No such file or directory"},
      {Dir, "Is a directory"},
      {Empty.Path() + "/x", "Not a directory"},
      {"/dev/null", "it is not a regular file"},
      {Empty.Path(), "the file is empty"},
      {Shrinking.Path(), "the file could not be read"},
      {Good.Path(), ""},
  };
  if (HaveBig) Cases.push_back({Big.Path(), "the file is larger than 2147483647 bytes"});
  SetLoadFileProbe([&Shrinking](const std::string& Name) {
    if (Name == Shrinking.Path()) std::filesystem::resize_file(Name, std::filesystem::file_size(Name) - 1);
  });
  for (const Case& C : Cases) {
    CapturedLog L;
    std::string Reason = "untouched";
    const bool Loaded = LoadFile(C.Path, &Reason) != nullptr;
    EXPECT_EQ(Loaded, C.Reason.empty()) << C.Path;
    EXPECT_EQ(Reason, C.Reason.empty() ? "untouched" : C.Reason) << C.Path;
    EXPECT_EQ(LoadFile(C.Path) != nullptr, Loaded) << "without a reason asked for: " << C.Path;
  }
  SetLoadFileProbe({});
}

// The file seam the loader reads through: a regular file's size and its bytes at any offset, a
// read that runs past the end fails with no system error (the file is shorter), and what
// cannot be opened or is no regular file says so in the system's words.
TEST(ImageFile, ReadsAtOffsetsAndSaysWhyItCannot) {
  const kavtest::TempFile Image(Bytes{1, 2, 3, 4, 5, 6, 7, 8});
  kavex::TImageFile File;
  ASSERT_TRUE(File.Open(Image.Path()));
  EXPECT_EQ(File.Kind(), kavex::TImageFile::TKind::Regular);
  EXPECT_EQ(File.Size(), 8);
  struct Case {
    std::size_t Size;
    std::uint64_t Offset;
    bool Read;
  };
  for (const Case& C : {Case{8, 0, true}, Case{3, 5, true}, Case{4, 5, false}, Case{1, 8, false}, Case{0, 9, true}}) {
    std::uint8_t Got[8] = {};
    EXPECT_EQ(File.ReadAt(Got, C.Size, C.Offset), C.Read) << C.Size << " at " << C.Offset;
    EXPECT_EQ(File.Error(), 0);
    for (std::size_t I = 0; C.Read && I < C.Size; ++I) EXPECT_EQ(Got[I], C.Offset + I + 1);
  }

  kavex::TImageFile Missing;
  EXPECT_FALSE(Missing.Open(Image.Path() + ".gone"));
  EXPECT_EQ(kavex::TImageFile::ErrorText(Missing.Error()), "No such file or directory");
  kavex::TImageFile Folder;
  ASSERT_TRUE(Folder.Open(std::filesystem::path(Image.Path()).parent_path().string()));
  EXPECT_EQ(Folder.Kind(), kavex::TImageFile::TKind::Directory);
  EXPECT_EQ(kavex::TImageFile::DirectoryText(), "Is a directory");
}
