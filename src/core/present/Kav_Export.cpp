#include "present/Kav_Export.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "log/Log.h"
#include "model/CodePage.h"
#include "model/Kav_Chunk.h"
#include "model/FileName.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Font.h"
#include "present/Kav_FontSheet.h"
#include "present/Kav_Png.h"
#include "model/Kav_Subchunk.h"
#include "model/Kav_Text.h"
#include "present/Kav_Walk.h"

namespace kavex {
namespace {

TBytes TextTableTsv(const TTextSubchunk& Text) {
  std::string Tsv = "Index\tText\n";
  for (std::int32_t I = 0; I < Text.GetEntryCount(); ++I)
    Tsv += std::to_string(I) + '\t' + TsvField(Utf16ToUtf8(Text.GetText(I))) + '\n';
  return {Tsv.begin(), Tsv.end()};
}

#ifndef _WIN32
bool WriteAll(int Fd, const TBytes& Bytes) {
  std::size_t Done = 0;
  while (Done < Bytes.size()) {
    const ssize_t N = ::write(Fd, Bytes.data() + Done, Bytes.size() - Done);
    if (N < 0 && errno == EINTR) continue;
    if (N == 0) errno = EIO;  // nothing written and no reason given
    if (N <= 0) return false;
    Done += static_cast<std::size_t>(N);
  }
  return true;
}

// A device or a link that exists already: written through, as the plain write it asked for.
TWriteResult WriteInPlace(const std::filesystem::path& Path, const TBytes& Bytes, int& Error) {
  std::FILE* F = std::fopen(Path.c_str(), "wb");
  if (!F) {
    Error = errno;
    return TWriteResult::CannotCreate;
  }
  const bool Written = std::fwrite(Bytes.data(), 1, Bytes.size(), F) == Bytes.size();
  if (!Written) Error = errno;
  const bool Closed = std::fclose(F) == 0;
  if (Written && !Closed) Error = errno;
  return Written && Closed ? TWriteResult::Written : TWriteResult::CannotWrite;
}

// WriteExportFile's work; Error gets the errno of the call that failed.
TWriteResult WriteExportFileReporting(const std::filesystem::path& Path, const TBytes& Bytes, bool Replace, int& Error) {
  struct stat Info {};
  const bool Exists = ::lstat(Path.c_str(), &Info) == 0;
  if (Exists && !Replace) return TWriteResult::Exists;
  if (Exists && !S_ISREG(Info.st_mode)) return WriteInPlace(Path, Bytes, Error);

  const std::filesystem::path Dir = Path.has_parent_path() ? Path.parent_path() : std::filesystem::path(".");
  std::string Temp = (Dir / ("." + Path.filename().string() + ".XXXXXX")).string();
  const int Fd = ::mkstemp(Temp.data());
  if (Fd < 0) {
    Error = errno;
    return TWriteResult::CannotCreate;
  }
  // mkstemp makes the file for its owner only; the export gets the permissions a new file would.
  const mode_t Mask = ::umask(0);
  ::umask(Mask);
  ::fchmod(Fd, 0666 & ~Mask);
  const bool Written = WriteAll(Fd, Bytes);
  if (!Written) Error = errno;
  const bool Closed = ::close(Fd) == 0;
  if (Written && !Closed) Error = errno;
  if (!Written || !Closed) {
    ::unlink(Temp.c_str());
    return TWriteResult::CannotWrite;
  }
  if (Replace) {
    if (::rename(Temp.c_str(), Path.c_str()) != 0) {
      Error = errno;
      ::unlink(Temp.c_str());
      return TWriteResult::CannotWrite;
    }
    return TWriteResult::Written;
  }
  // A link fails when the name has been taken meanwhile; a rename would replace it.
  TWriteResult Result = TWriteResult::Written;
  if (::link(Temp.c_str(), Path.c_str()) != 0) {
    if (errno == EEXIST) {
      Result = TWriteResult::Exists;
    } else if (::lstat(Path.c_str(), &Info) == 0) {
      Result = TWriteResult::Exists;
    } else if (::rename(Temp.c_str(), Path.c_str()) != 0) {
      Error = errno;
      Result = TWriteResult::CannotWrite;  // a file system without hard links, and no rename either
    }
  }
  ::unlink(Temp.c_str());
  return Result;
}

#else  // _WIN32: the same steps with the calls Windows has, on UTF-16 names; Error gets the
       // code of GetLastError.

bool WriteAll(HANDLE H, const TBytes& Bytes) {
  std::size_t Done = 0;
  while (Done < Bytes.size()) {
    const DWORD Want = static_cast<DWORD>(std::min<std::size_t>(Bytes.size() - Done, 1u << 30));
    DWORD N = 0;
    if (!::WriteFile(H, Bytes.data() + Done, Want, &N, nullptr)) return false;
    if (N == 0) {
      ::SetLastError(ERROR_WRITE_FAULT);  // nothing written and no reason given
      return false;
    }
    Done += N;
  }
  return true;
}

// Creates (Disposition CREATE_NEW) or opens and empties a file, writes Bytes and closes it.
TWriteResult WriteHandle(const std::wstring& Name, DWORD Disposition, const TBytes& Bytes, int& Error) {
  const HANDLE H = ::CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, Disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (H == INVALID_HANDLE_VALUE) {
    Error = static_cast<int>(::GetLastError());
    return TWriteResult::CannotCreate;
  }
  const bool Written = WriteAll(H, Bytes);
  if (!Written) Error = static_cast<int>(::GetLastError());
  const bool Closed = ::CloseHandle(H) != 0;
  if (Written && !Closed) Error = static_cast<int>(::GetLastError());
  return Written && Closed ? TWriteResult::Written : TWriteResult::CannotWrite;
}

TWriteResult WriteExportFileReporting(const std::filesystem::path& Path, const TBytes& Bytes, bool Replace, int& Error) {
  const DWORD Attributes = ::GetFileAttributesW(Path.c_str());
  const bool Exists = Attributes != INVALID_FILE_ATTRIBUTES;
  if (Exists && !Replace) return TWriteResult::Exists;
  // A folder, link or device: written through, as the plain write it asked for.
  if (Exists && (Attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)))
    return WriteHandle(Path.native(), TRUNCATE_EXISTING, Bytes, Error);

  const std::filesystem::path Dir = Path.has_parent_path() ? Path.parent_path() : std::filesystem::path(".");
  // A temporary name beside the target that nobody else holds: CREATE_NEW refuses a taken one.
  std::wstring Temp;
  TWriteResult Made = TWriteResult::CannotCreate;
  const unsigned long long Seed = (static_cast<unsigned long long>(::GetCurrentProcessId()) << 32) ^ ::GetTickCount64();
  for (unsigned Try = 0; Try < 100; ++Try) {
    const std::wstring Tag = std::to_wstring((Seed + Try * 7919u) % 1000000u);
    Temp = (Dir / (L"." + Path.filename().native() + L"." + Tag)).native();
    Made = WriteHandle(Temp, CREATE_NEW, Bytes, Error);
    if (Made != TWriteResult::CannotCreate || (Error != ERROR_FILE_EXISTS && Error != ERROR_ALREADY_EXISTS)) break;
  }
  if (Made == TWriteResult::CannotCreate) return Made;
  if (Made == TWriteResult::CannotWrite) {
    ::DeleteFileW(Temp.c_str());
    return Made;
  }
  // Without Replace the move fails when the name has been taken meanwhile.
  if (!::MoveFileExW(Temp.c_str(), Path.c_str(), Replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
    const DWORD Why = ::GetLastError();
    ::DeleteFileW(Temp.c_str());
    if (!Replace && (Why == ERROR_ALREADY_EXISTS || Why == ERROR_FILE_EXISTS)) return TWriteResult::Exists;
    Error = static_cast<int>(Why);
    return TWriteResult::CannotWrite;
  }
  return TWriteResult::Written;
}

// Dir and the folders above it that are missing; 0 or the code of the call that failed.
int MakeFolders(const std::filesystem::path& Dir) {
  const DWORD Attributes = ::GetFileAttributesW(Dir.c_str());
  if (Attributes != INVALID_FILE_ATTRIBUTES) return (Attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : ERROR_DIRECTORY;
  const std::filesystem::path Parent = Dir.parent_path();
  if (!Parent.empty() && Parent != Dir && Dir.has_relative_path())
    if (const int Error = MakeFolders(Parent); Error != 0) return Error;
  if (::CreateDirectoryW(Dir.c_str(), nullptr)) return 0;
  const DWORD Why = ::GetLastError();
  const DWORD Now = ::GetFileAttributesW(Dir.c_str());
  if (Why == ERROR_ALREADY_EXISTS && Now != INVALID_FILE_ATTRIBUTES && (Now & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  return static_cast<int>(Why);
}
#endif

}  // namespace

namespace {

void AppendHexEscape(std::string& Out, unsigned char B) {
  static const char Hex[] = "0123456789ABCDEF";
  Out += "\\x";
  Out += Hex[B >> 4];
  Out += Hex[B & 0xF];
}

// The length of the well-formed UTF-8 sequence of two to four bytes at Text[At], 0 when there
// is none: no overlong form, no surrogate, nothing above U+10FFFF.
std::size_t Utf8SequenceAt(const std::string& Text, std::size_t At) {
  const auto Byte = [&](std::size_t I) { return static_cast<unsigned char>(Text[I]); };
  const unsigned char Lead = Byte(At);
  std::size_t Length = 0;
  unsigned char Low = 0x80, High = 0xBF;  // the range of the second byte
  if (Lead >= 0xC2 && Lead <= 0xDF) {
    Length = 2;
  } else if (Lead >= 0xE0 && Lead <= 0xEF) {
    Length = 3;
    if (Lead == 0xE0) Low = 0xA0;
    if (Lead == 0xED) High = 0x9F;
  } else if (Lead >= 0xF0 && Lead <= 0xF4) {
    Length = 4;
    if (Lead == 0xF0) Low = 0x90;
    if (Lead == 0xF4) High = 0x8F;
  } else {
    return 0;
  }
  if (Text.size() - At < Length) return 0;
  if (Byte(At + 1) < Low || Byte(At + 1) > High) return 0;
  for (std::size_t I = 2; I < Length; ++I)
    if (Byte(At + I) < 0x80 || Byte(At + I) > 0xBF) return 0;
  return Length;
}

}  // namespace

std::string EscapeLine(const std::string& Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (std::size_t I = 0; I < Text.size();) {
    const auto B = static_cast<unsigned char>(Text[I]);
    if (B == '\\') {
      Out += "\\\\";
    } else if (B < 0x20) {
      AppendHexEscape(Out, B);
    } else if (B < 0x80) {
      Out += Text[I];
    } else if (const std::size_t Length = Utf8SequenceAt(Text, I); Length > 0) {
      Out.append(Text, I, Length);
      I += Length;
      continue;
    } else {
      AppendHexEscape(Out, B);  // each byte of an ill-formed sequence on its own
    }
    ++I;
  }
  return Out;
}

std::string EscapeControls(const std::string& Text) {
  if (std::none_of(Text.begin(), Text.end(), [](char C) { return static_cast<unsigned char>(C) < 0x20; })) return Text;
  std::string Out;
  Out.reserve(Text.size() + 8);
  for (const char C : Text) {
    if (static_cast<unsigned char>(C) < 0x20) {
      Out += EscapeLine(std::string(1, C));
    } else {
      Out += C;
    }
  }
  return Out;
}

std::string TsvField(const std::string& Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (const char C : Text) {
    const auto B = static_cast<unsigned char>(C);
    switch (C) {
      case '\t': Out += "\\t"; break;
      case '\n': Out += "\\n"; break;
      case '\r': Out += "\\r"; break;
      case '\\': Out += "\\\\"; break;
      default:
        if (B < 0x20) {
          AppendHexEscape(Out, B);
        } else {
          Out += C;
        }
        break;
    }
  }
  return Out;
}

std::string SafeNamePart(const std::string& Name, std::size_t MaxLength, const std::string& Fallback) {
  std::string Out;
  for (const char C : Name) {
    const bool Keep = (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '-';
    if (Keep) {
      Out += C;
    } else if (Out.empty() || Out.back() != '_') {
      Out += '_';
    }
    if (Out.size() >= MaxLength) break;
  }
  Out.resize(std::min(Out.size(), MaxLength));
  const std::size_t First = Out.find_first_not_of('_');
  if (First == std::string::npos) return Fallback;
  return Out.substr(First, Out.find_last_not_of('_') - First + 1);
}

TBytes NodeBytes(const TKavClass& Node) { return {Node.ImageBytes().begin(), Node.ImageBytes().end()}; }

void WalkPositions(const TKavClass& Root, const std::function<void(const TKavClass&, const std::string&)>& Visit) {
  const std::function<void(const TKavClass&)> Walk = [&](const TKavClass& Node) {
    Visit(Node, NodePosition(Node));
    for (std::size_t I = 0; I < Node.ChildCount(); ++I) Walk(*Node.Child(I));
  };
  Walk(Root);
}

std::vector<TExportFile> PlanTextExports(const TKavClass& Root, const std::filesystem::path& Dir) {
  std::vector<TExportFile> Plan;
  WalkPositions(Root, [&](const TKavClass& Node, const std::string& Position) {
    if (Node.Kind() != TNodeKind::TextSubchunk) return;
    const auto* Text = static_cast<const TTextSubchunk*>(&Node);
    const bool Common = Text->GetID() == TTextSubchunk::CommonTableID;
    const std::string Language = Common ? "common" : SafeNamePart(Utf16ToUtf8(Text->GetText(0)), 40, "language");
    const std::string Name = Position + "_" + FormatText("%.8x", {std::int64_t{Text->GetID()}}) + "_" + Language + ".tsv";
    Plan.push_back({Dir / Name, [Text] { return TextTableTsv(*Text); }});
  });
  return Plan;
}

std::vector<TExportFile> PlanFontExports(const TKavClass& Root, const std::filesystem::path& Dir,
                                         std::vector<std::string>& Notes, bool& Cut) {
  std::vector<TExportFile> Plan;
  WalkPositions(Root, [&](const TKavClass& Node, const std::string& Position) {
    if (Node.Kind() != TNodeKind::FontEntry) return;
    const auto* Font = static_cast<const TFontEntry*>(&Node);
    const TFontSheetLayout Layout = LayoutFontSheetColumns(*Font, ExportSheetColumns);
    const std::filesystem::path Path = Dir / (Position + "_" + SafeNamePart(Font->GetName(), 40, "font") + ".png");
    if (Layout.Cells < Font->GetCharCount()) {
      Notes.push_back(PathToUtf8(Path) + ": the font has " + std::to_string(Font->GetCharCount()) + " glyphs of " +
                      std::to_string(Font->GetMaxWidth()) + "x" + std::to_string(Font->GetMaxHeight()) +
                      "; the sheet holds only the first " + std::to_string(Layout.Cells));
      Cut = true;
    }
    if (Layout.Width() <= 0 || Layout.Height() <= 0) {
      Notes.push_back(PathToUtf8(Path) + ": the font has no glyphs; no sheet written");
      return;
    }
    Plan.push_back({Path, [Font, Layout] {
                      TRgbImage Sheet(Layout.Width(), Layout.Height());
                      DrawFontSheet(*Font, Layout, Sheet);
                      return EncodePng(Sheet);
                    }});
  });
  return Plan;
}

TWriteResult WriteExportFile(const std::filesystem::path& Path, const TBytes& Bytes, bool Replace, int* SystemError) {
  int Error = 0;
  const TWriteResult Result = WriteExportFileReporting(Path, Bytes, Replace, Error);
  if (SystemError) *SystemError = Result == TWriteResult::Written || Result == TWriteResult::Exists ? 0 : Error;
  return Result;
}

std::vector<std::filesystem::path> ExistingExportFiles(const std::vector<TExportFile>& Files) {
  std::vector<std::filesystem::path> Existing;
  for (const TExportFile& File : Files) {
    std::error_code Ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(File.Path, Ec))) Existing.push_back(File.Path);
  }
  return Existing;
}

std::optional<TExportFailure> WriteExportFiles(const std::vector<TExportFile>& Files, bool Replace, bool MakeFolders,
                                               const std::function<void(const std::filesystem::path&)>& Written) {
  for (const TExportFile& File : Files) {
    const std::filesystem::path Dir = File.Path.parent_path();
    if (MakeFolders && !Dir.empty()) {
#ifdef _WIN32
      if (const int Error = kavex::MakeFolders(Dir); Error != 0)
        return TExportFailure{Dir, TWriteResult::CannotCreate, Error, true};
#else
      std::error_code Ec;
      std::filesystem::create_directories(Dir, Ec);
      if (Ec) return TExportFailure{Dir, TWriteResult::CannotCreate, Ec.value(), true};
#endif
    }
    int SystemError = 0;
    const TWriteResult Result = WriteExportFile(File.Path, File.Content(), Replace, &SystemError);
    if (Result != TWriteResult::Written) return TExportFailure{File.Path, Result, SystemError, false};
    if (Written) Written(File.Path);
  }
  return std::nullopt;
}

}  // namespace kavex
