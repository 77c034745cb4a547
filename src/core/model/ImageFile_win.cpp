#include "model/ImageFile.h"

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <limits>

#include "model/CodePage.h"
#include "model/FileName.h"

namespace kavex {

TImageFile::~TImageFile() {
  if (Handle_) ::CloseHandle(Handle_);
}

bool TImageFile::Open(const std::string& Name) {
  if (Handle_) ::CloseHandle(Handle_);
  Handle_ = nullptr;
  Error_ = 0;
  // The UTF-8 name as the UTF-16 one Windows knows the file by. Others may go on reading and
  // writing it; a folder opens too (with backup semantics), so that it is told as one.
  const std::u16string Wide = Utf8ToUtf16(Name);
  const std::wstring WideName(Wide.begin(), Wide.end());
  const HANDLE H = ::CreateFileW(WideName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (H == INVALID_HANDLE_VALUE) {
    Error_ = static_cast<int>(::GetLastError());
    return false;
  }
  Handle_ = H;
  BY_HANDLE_FILE_INFORMATION Info{};
  if (::GetFileInformationByHandle(H, &Info) && (Info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Kind_ = TKind::Directory;
    Size_ = 0;
    return true;
  }
  // A console, pipe or device has a type other than disk, and no length to read.
  if (::GetFileType(H) != FILE_TYPE_DISK) {
    Kind_ = TKind::Other;
    Size_ = 0;
    return true;
  }
  LARGE_INTEGER Length{};
  if (!::GetFileSizeEx(H, &Length)) {
    Error_ = static_cast<int>(::GetLastError());
    ::CloseHandle(H);
    Handle_ = nullptr;
    return false;
  }
  Kind_ = TKind::Regular;
  Size_ = Length.QuadPart;
  return true;
}

bool TImageFile::ReadAt(std::uint8_t* To, std::size_t Size, std::uint64_t Offset) {
  Error_ = 0;
  while (Size > 0) {
    // ReadFile takes at most a DWORD at a time; an image is below 2 GiB, so one call is the rule.
    const DWORD Want = static_cast<DWORD>(std::min<std::size_t>(Size, std::numeric_limits<DWORD>::max()));
    OVERLAPPED At{};
    At.Offset = static_cast<DWORD>(Offset & 0xFFFFFFFFu);
    At.OffsetHigh = static_cast<DWORD>(Offset >> 32);
    DWORD Got = 0;
    if (!::ReadFile(Handle_, To, Want, &Got, &At)) {
      const DWORD Why = ::GetLastError();
      if (Why != ERROR_HANDLE_EOF) Error_ = static_cast<int>(Why);
      return false;
    }
    if (Got == 0) return false;  // the file ends sooner: it shrank
    To += Got;
    Size -= Got;
    Offset += Got;
  }
  return true;
}

std::string TImageFile::ErrorText(int Error) {
  wchar_t* Buffer = nullptr;
  const DWORD Length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(Error), 0, reinterpret_cast<wchar_t*>(&Buffer), 0, nullptr);
  std::u16string Text;
  if (Length > 0 && Buffer) Text.assign(Buffer, Buffer + Length);
  if (Buffer) ::LocalFree(Buffer);
  // "The system cannot find the file specified.\r\n" reads as the POSIX texts do, without the
  // line end and the full stop.
  while (!Text.empty() && (Text.back() == u'\r' || Text.back() == u'\n' || Text.back() == u' ' || Text.back() == u'.'))
    Text.pop_back();
  if (Text.empty()) return "system error " + std::to_string(static_cast<unsigned long>(static_cast<DWORD>(Error)));
  return Utf16ToUtf8(Text);
}

// Windows has no words of its own for this: opening a folder as a file is refused as access
// denied, which would mislead.
std::string TImageFile::DirectoryText() { return "Is a directory"; }

int TImageFile::OutOfMemoryError() { return ERROR_NOT_ENOUGH_MEMORY; }

}  // namespace kavex

#endif  // _WIN32
