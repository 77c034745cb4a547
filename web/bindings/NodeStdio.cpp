// kavex-dump.js writes its standard output through Node one system call per stdio buffer; the
// default buffer of 1 KiB makes a dump of many megabytes spend its time in those calls. A larger
// buffer, set before main runs, leaves the bytes as they are (exit flushes it).
#include <cstdio>

namespace {
struct TLargeStdoutBuffer {
  TLargeStdoutBuffer() { std::setvbuf(stdout, nullptr, _IOFBF, std::size_t{1} << 20); }
} LargeStdoutBuffer;
}  // namespace
