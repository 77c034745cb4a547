#include "model/ImageFile.h"

#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace kavex {

TImageFile::~TImageFile() {
  if (Fd_ >= 0) ::close(Fd_);
}

bool TImageFile::Open(const std::string& Name) {
  if (Fd_ >= 0) ::close(Fd_);
  Error_ = 0;
  // Not blocking: opening a named pipe without a writer would otherwise wait for one forever.
  Fd_ = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat Info {};
  if (Fd_ < 0 || ::fstat(Fd_, &Info) != 0) {
    Error_ = errno;
    if (Fd_ >= 0) ::close(Fd_);
    Fd_ = -1;
    return false;
  }
  Kind_ = S_ISREG(Info.st_mode) ? TKind::Regular : S_ISDIR(Info.st_mode) ? TKind::Directory : TKind::Other;
  Size_ = Info.st_size;
  return true;
}

bool TImageFile::ReadAt(std::uint8_t* To, std::size_t Size, std::uint64_t Offset) {
  Error_ = 0;
  while (Size > 0) {
    const ssize_t N = ::pread(Fd_, To, Size, static_cast<off_t>(Offset));
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) Error_ = errno;
    if (N <= 0) return false;
    To += N;
    Size -= static_cast<std::size_t>(N);
    Offset += static_cast<std::size_t>(N);
  }
  return true;
}

std::string TImageFile::ErrorText(int Error) { return std::generic_category().message(Error); }

std::string TImageFile::DirectoryText() { return ErrorText(EISDIR); }

int TImageFile::OutOfMemoryError() { return ENOMEM; }

}  // namespace kavex

#endif  // !_WIN32
