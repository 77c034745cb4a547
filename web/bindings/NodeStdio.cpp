// kavex-dump.js's standard streams as the native tool has them.
#include <emscripten.h>

#include <cstdio>

// Whether a descriptor is a terminal, asked of Node: Emscripten's own isatty calls every
// standard stream a terminal, so --check would draw its progress into a file or a pipe.
EM_JS(int, KavexNodeIsatty, (int Fd), { return require('tty').isatty(Fd) ? 1 : 0; });

extern "C" int isatty(int Fd) { return KavexNodeIsatty(Fd); }

namespace {
// Standard output goes through Node one system call per stdio buffer; the default buffer of
// 1 KiB makes a dump of many megabytes spend its time in those calls. A larger one, set before
// main runs, leaves the bytes as they are (exit flushes it).
struct TLargeStdoutBuffer {
  TLargeStdoutBuffer() { std::setvbuf(stdout, nullptr, _IOFBF, std::size_t{1} << 20); }
} LargeStdoutBuffer;
}  // namespace
