#include "fuzz/FuzzDiff.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <streambuf>

#include "log/Kav_LogSession.h"
#include "model/Kav_Fls.h"
#include "present/Kav_Compare.h"
#include "present/Kav_CompareReport.h"
#include "present/Kav_Walk.h"

namespace kavex {
namespace {

// A stream that only counts what is written to it.
class TCountingBuffer : public std::streambuf {
public:
  std::size_t Count = 0;

protected:
  int_type overflow(int_type C) override {
    ++Count;
    return traits_type::not_eof(C);
  }
  std::streamsize xsputn(const char*, std::streamsize N) override {
    Count += static_cast<std::size_t>(N);
    return N;
  }
};

std::unique_ptr<TFls> Whole(const std::uint8_t* Data, std::size_t Size) {
  if (Size == 0) return nullptr;  // LoadFile never builds a root for an empty file
  try {
    auto Root = LoadImage(TImageBytes(Data, Data + Size), "fuzz.fls");
    ExpandAll(*Root);
    return Root;
  } catch (const EKavError&) {
    return nullptr;  // a broken WinTesla chain
  }
}

// A finding of the comparison itself: the fuzzer keeps the input that shows it.
[[noreturn]] void Fail(const char* What) {
  std::fprintf(stderr, "kavex-fuzz-diff: %s\n", What);
  std::abort();
}

std::size_t Report(const TComparison& C) {
  TCountingBuffer Buffer;
  std::ostream Out(&Buffer);
  const TCompareSources Sources{"a.fls", "b\xFF.fls"};
  WriteCompareText(C, Sources, Out);
  WriteCompareJson(C, Sources, Out);
  WriteCompareHtml(C, Sources, Out);
  return Buffer.Count;
}

}  // namespace

int FuzzTwoImages(const std::uint8_t* Data, std::size_t Size) {
  static const TLogSession Session([](int, const std::string&, const std::string&) {});
  if (Size < 4) return 0;
  const std::size_t Rest = Size - 4;
  const std::size_t Split = ((std::size_t{Data[0]} << 24) | (std::size_t{Data[1]} << 16) | (std::size_t{Data[2]} << 8) | Data[3]) % (Rest + 1);
  const std::uint8_t* First = Data + 4;
  const auto A = Whole(First, Split);
  const auto B = Whole(First + Split, Rest - Split);
  std::size_t Sink = 0;
  // An image compared with another copy of itself is always the same.
  for (const auto* Image : {&A, &B}) {
    if (!*Image) continue;
    const std::uint8_t* From = Image == &A ? First : First + Split;
    const auto Again = Whole(From, Image == &A ? Split : Rest - Split);
    const TComparison Self = CompareImages(**Image, *Again, {2});
    if (!Self.Same() || !Self.Nodes.empty()) Fail("an image differs from itself");
  }
  if (A && B) {
    const TComparison There = CompareImages(*A, *B, {2});
    const TComparison Back = CompareImages(*B, *A, {1});
    // What one way round adds, the other removes.
    if (There.Changed != Back.Changed || There.Added != Back.Removed || There.Removed != Back.Added)
      Fail("the comparison depends on which image comes first");
    Sink += Report(There) + Report(Back);
  }
  return Sink == static_cast<std::size_t>(-1) ? 1 : 0;
}

}  // namespace kavex
