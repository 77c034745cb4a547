// Replays fuzz inputs (files, or every file below the folders given) through the same code as
// the fuzzer, so the regression check needs no clang. Exits non-zero when a folder is missing.
// Built twice: for the image target, and with KAVEX_REPLAY_TWO_IMAGES for the comparison's.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzDiff.h"
#include "fuzz/FuzzImage.h"

namespace fs = std::filesystem;

static void ReplayFile(const fs::path& File, std::size_t& Count) {
  std::ifstream In(File, std::ios::binary);
  const std::vector<std::uint8_t> Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
#ifdef KAVEX_REPLAY_TWO_IMAGES
  kavex::FuzzTwoImages(Bytes.data(), Bytes.size());
#else
  kavex::FuzzOneImage(Bytes.data(), Bytes.size());
#endif
  ++Count;
}

int main(int argc, char** argv) {
  std::size_t Count = 0;
  for (int I = 1; I < argc; ++I) {
    const fs::path Arg(argv[I]);
    if (fs::is_directory(Arg)) {
      for (const auto& Entry : fs::recursive_directory_iterator(Arg))
        if (Entry.is_regular_file()) ReplayFile(Entry.path(), Count);
    } else if (fs::is_regular_file(Arg)) {
      ReplayFile(Arg, Count);
    } else {
      std::fprintf(stderr, "kavex-fuzz-replay: %s not found\n", argv[I]);
      return 2;
    }
  }
  std::printf("replayed %zu input(s)\n", Count);
  return 0;
}
