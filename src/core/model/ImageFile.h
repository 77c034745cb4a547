#pragma once
// The one place the core touches the file system to read an image: open, size, read at an
// offset, close. ImageFile.cpp is the POSIX side, ImageFile_win.cpp the Windows one; each
// compiles to nothing on the other. Names are UTF-8 on both.

#include <cstddef>
#include <cstdint>
#include <string>

namespace kavex {

class TImageFile {
public:
  enum class TKind { Regular, Directory, Other };

  TImageFile() = default;
  ~TImageFile();
  TImageFile(const TImageFile&) = delete;
  TImageFile& operator=(const TImageFile&) = delete;

  // Opens Name for reading and takes its kind and size; false, with Error() set, when it
  // cannot. It does not wait: a named pipe without a writer is opened (and is no regular file).
  bool Open(const std::string& Name);
  TKind Kind() const { return Kind_; }
  std::int64_t Size() const { return Size_; }

  // Reads Size bytes at Offset; false when the file ends sooner (it shrank: Error() is then 0)
  // or the device fails (Error() says how).
  bool ReadAt(std::uint8_t* To, std::size_t Size, std::uint64_t Offset);

  // The system's number and words for the last failure (errno on POSIX, GetLastError's code on
  // Windows; the exports report theirs the same way). The words are UTF-8, without the line
  // end and the full stop Windows gives its messages.
  int Error() const { return Error_; }
  static std::string ErrorText(int Error);
  // The words for a folder opened as a file.
  static std::string DirectoryText();
  // The system's number for memory that could not be had.
  static int OutOfMemoryError();

private:
#ifdef _WIN32
  void* Handle_ = nullptr;
#else
  int Fd_ = -1;
#endif
  int Error_ = 0;
  TKind Kind_ = TKind::Other;
  std::int64_t Size_ = 0;
};

}  // namespace kavex
