// Writing an export file: all or nothing, and never over a file the caller did not allow.

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

#include "present/Kav_Export.h"

namespace fs = std::filesystem;
using kavex::TWriteResult;

namespace {

struct TempFolder {
  TempFolder() : Path(fs::temp_directory_path() / ("kavex-write-" + std::to_string(::getpid()))) { fs::create_directories(Path); }
  ~TempFolder() { fs::remove_all(Path); }
  fs::path Path;
};

std::string Read(const fs::path& Path) {
  std::ifstream F(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(F), {}};
}

void Plant(const fs::path& Path, const std::string& Text) { std::ofstream(Path, std::ios::binary) << Text; }

// Files may grow to Limit bytes while it lives; a longer write fails (EFBIG) instead of
// killing the process, as a full disk would fail it.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t Limit) {
    Old_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &Saved_);
    rlimit Lower = Saved_;
    Lower.rlim_cur = Limit;
    ::setrlimit(RLIMIT_FSIZE, &Lower);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Saved_);
    std::signal(SIGXFSZ, Old_);
  }

private:
  rlimit Saved_{};
  void (*Old_)(int) = nullptr;
};

}  // namespace

// Each case: whether a file is there before, Replace, the size written against a limit of
// 100 bytes (below, at, above), and what must be found afterwards.
TEST(ExportWrite, AllOrNothingAndNeverOverAFileNotAllowed) {
  struct Case {
    bool Existing;
    bool Replace;
    std::size_t Size;
    TWriteResult Result;
    bool NewContent;  // the file then holds the new bytes (else the old ones, or none)
    int SystemError;  // what the caller is told of the system's reason
  };
  const Case Cases[] = {
      {false, false, 99, TWriteResult::Written, true, 0},      {false, false, 100, TWriteResult::Written, true, 0},
      {false, false, 101, TWriteResult::CannotWrite, false, EFBIG}, {true, false, 10, TWriteResult::Exists, false, 0},
      {true, true, 100, TWriteResult::Written, true, 0},       {true, true, 101, TWriteResult::CannotWrite, false, EFBIG},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << C.Existing << C.Replace << ' ' << C.Size);
    TempFolder Dir;
    const fs::path File = Dir.Path / "2.1.1_00000001_English.tsv";
    if (C.Existing) Plant(File, "old");
    const kavex::TBytes Bytes(C.Size, 'x');
    TWriteResult Result;
    int SystemError = -1;
    {
      FileSizeLimit Limit(100);
      Result = kavex::WriteExportFile(File, Bytes, C.Replace, &SystemError);
    }
    EXPECT_EQ(Result, C.Result);
    EXPECT_EQ(SystemError, C.SystemError);
    if (C.NewContent) {
      EXPECT_EQ(Read(File), std::string(C.Size, 'x'));
      EXPECT_EQ(fs::status(File).permissions() & fs::perms::owner_read, fs::perms::owner_read);
    } else if (C.Existing) {
      EXPECT_EQ(Read(File), "old");
    } else {
      EXPECT_FALSE(fs::exists(File));
    }
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path), fs::directory_iterator()), fs::exists(File) ? 1 : 0);
  }
}

TEST(ExportWrite, AFolderThatIsNotThereCannotBeCreated) {
  TempFolder Dir;
  int SystemError = 0;
  EXPECT_EQ(kavex::WriteExportFile(Dir.Path / "gone" / "a.png", {1, 2}, true, &SystemError), TWriteResult::CannotCreate);
  EXPECT_EQ(SystemError, ENOENT);
  EXPECT_FALSE(fs::exists(Dir.Path / "gone"));
}

// Texts the viewer shows on one line: control characters below 0x20 as \xNN, the rest (a
// backslash, DEL, UTF-8) as they are.
TEST(ExportWrite, ControlCharactersAreEscapedForOneLine) {
  const std::pair<std::string, std::string> Cases[] = {
      {"", ""},
      {"plain\\name.fls", "plain\\name.fls"},
      {std::string("a\0b", 3), "a\\x00b"},
      {"line\nbreak\r", "line\\x0Abreak\\x0D"},
      {"\x1F\x20\x7F", "\\x1F \x7F"},
      {"n\xC3\xA4yte", "n\xC3\xA4yte"},
  };
  for (const auto& [In, Out] : Cases) EXPECT_EQ(kavex::EscapeControls(In), Out) << In;
}

// A set of files: the ones already there are named before anything is written; the files go
// in order, folders made when asked, and the first failure stops the set and says where, how
// and why (a folder in the way of a file, a folder not made, a file there already).
TEST(ExportWrite, ASetStopsAtItsFirstFailureAndSaysWhere) {
  struct Case {
    const char* What;
    std::vector<std::string> Names;  // below the temporary folder
    bool MakeFolders;
    std::string FailedPath;  // empty: all written
    TWriteResult Result;
    int SystemError;
    bool Folder;
    std::size_t Written;
  };
  const Case Cases[] = {
      {"all", {"a.tsv", "sub/b.tsv", "sub/c.tsv"}, true, "", TWriteResult::Written, 0, false, 3},
      {"no folders made", {"a.tsv", "sub/b.tsv"}, false, "sub/b.tsv", TWriteResult::CannotCreate, ENOENT, false, 1},
      {"a file where a folder goes", {"a.tsv", "a.tsv/b.tsv"}, true, "a.tsv", TWriteResult::CannotCreate, ENOTDIR, true, 1},
      {"there already", {"a.tsv", "old.tsv", "c.tsv"}, true, "old.tsv", TWriteResult::Exists, 0, false, 1},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    TempFolder Dir;
    Plant(Dir.Path / "old.tsv", "old");
    std::vector<kavex::TExportFile> Files;
    for (const std::string& Name : C.Names) Files.push_back({Dir.Path / Name, [Name] { return kavex::TBytes(Name.begin(), Name.end()); }});
    const std::vector<fs::path> Existing = kavex::ExistingExportFiles(Files);
    EXPECT_EQ(Existing.size(), C.Result == TWriteResult::Exists ? 1u : 0u);
    std::vector<fs::path> Written;
    const auto Failure = kavex::WriteExportFiles(Files, false, C.MakeFolders, [&](const fs::path& P) { Written.push_back(P); });
    ASSERT_EQ(Written.size(), C.Written);
    for (std::size_t I = 0; I < Written.size(); ++I) EXPECT_EQ(Read(Written[I]), C.Names[I]);
    ASSERT_EQ(Failure.has_value(), !C.FailedPath.empty());
    if (!Failure) continue;
    EXPECT_EQ(Failure->Path, C.Folder ? (Dir.Path / C.Names.back()).parent_path() : Dir.Path / C.FailedPath);
    EXPECT_EQ(Failure->Result, C.Result);
    EXPECT_EQ(Failure->SystemError, C.SystemError);
    EXPECT_EQ(Failure->Folder, C.Folder);
    EXPECT_EQ(Read(Dir.Path / "old.tsv"), "old");
  }
}
