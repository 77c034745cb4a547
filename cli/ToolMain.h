#pragma once
// What the programs' mains share: their arguments as UTF-8, standard output and error as
// bytes (the same bytes on every platform, "\n" line ends, --extract --out - unchanged), and
// whether stderr is a terminal. On Windows the arguments come as UTF-16 through wmain (the
// programs link with -municode) and become UTF-8 here, once.

#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "model/CodePage.h"
#define KAVEX_TOOL_MAIN int wmain(int argc, wchar_t** argv)
#else
#include <unistd.h>
#define KAVEX_TOOL_MAIN int main(int argc, char** argv)
#endif

namespace kavex {

#ifdef _WIN32
using TToolChar = wchar_t;

inline std::string ToolArgUtf8(const wchar_t* Arg) {
  const std::wstring Wide(Arg);
  return Utf16ToUtf8(std::u16string(Wide.begin(), Wide.end()));
}

// While the tool runs, a console shows its UTF-8 as UTF-8; the console's own code page comes
// back when it ends. Output to a file or pipe is bytes anyway.
class TToolStdio {
public:
  TToolStdio() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    if (::_isatty(::_fileno(stdout)) || ::_isatty(::_fileno(stderr))) {
      Saved_ = ::GetConsoleOutputCP();
      if (Saved_ != 0 && Saved_ != CP_UTF8) ::SetConsoleOutputCP(CP_UTF8);
    }
  }
  ~TToolStdio() {
    if (Saved_ != 0 && Saved_ != CP_UTF8) ::SetConsoleOutputCP(Saved_);
  }
  TToolStdio(const TToolStdio&) = delete;
  TToolStdio& operator=(const TToolStdio&) = delete;
  static bool ErrIsTerminal() { return ::_isatty(::_fileno(stderr)) != 0; }

private:
  UINT Saved_ = 0;
};
#else
using TToolChar = char;

inline std::string ToolArgUtf8(const char* Arg) { return Arg; }

class TToolStdio {
public:
  static bool ErrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }
};
#endif

// The arguments after the program's name.
inline std::vector<std::string> ToolArgs(int Argc, TToolChar** Argv) {
  std::vector<std::string> Args;
  for (int I = 1; I < Argc; ++I) Args.push_back(ToolArgUtf8(Argv[I]));
  return Args;
}

}  // namespace kavex
