// Writes the fuzzer's seed images into a folder: every chunk and subchunk kind, in both file
// layouts, so that mutations start from inputs that reach deep into the model. With a second
// folder, also the comparison fuzzer's seeds there: pairs of such images, each pair one input
// as fuzz/FuzzDiff.h splits it (the first image's length in four bytes, then both images).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ImageBuilder.h"

using namespace kavtest;

namespace {

Bytes Closed(const std::string& Name, const Bytes& Subchunks) {
  return ChunkBytes({.Name = Name, .Version = "V1", .Data = Concat({Subchunks, ClosingRecord()})});
}

Font SmallFont(std::string Name, std::uint8_t Width) {
  Font F{.Name1 = std::move(Name), .Name2 = std::string(1, '8')};
  F.Ranges = {{.First = 0x41, .Last = 0x43, .FirstRow = 0, .ImageIndex = 0, .Height = 7},
              {.First = 0xE0, .Last = 0xE1, .FirstRow = 3, .ImageIndex = 1, .Height = 5}};
  F.Images = {{.Width = Width, .Bitmap = BandBitmap({"#.#.#", ".#.#.", "#####", "#...#", ".###.", "#.#.#", ".#.#.",
                                                     "#####", "#...#", ".###.", "#.#.#", ".#.#.", "#####", "#...#",
                                                     ".###.", "#.#.#", ".#.#.", "#####", "#...#", ".###.", "#####",
                                                     "#...#", ".###."})},
              {.Width = 3, .Bitmap = BandBitmap({"#.#", ".#.", "###", "#.#", ".#.", "###", "#.#", ".#.", "###",
                                                 "#.#", ".#.", "###", "#.#"})}};
  return F;
}

// With Changed, a copy that differs in a little of every kind, and has a chunk more.
Ppm AllKinds(bool Changed = false) {
  Ppm P;
  const Bytes Font = FontBody({SmallFont("Small", 5), SmallFont(Changed ? "Elevenchar" : "Elevenchars", Changed ? 3 : 4)});
  P.Chunks = {
      Closed("TEXT", Concat({SubchunkBytes({.Id = 0x33, .Body = TextBody({"OK", "Menu", "Back"})}),
                             SubchunkBytes({.Id = 1, .ShortName = "eng", .Flags = 0, .Body = TextBody({"English", Changed ? "Yeah" : "Yes", "No"}, true)}),
                             SubchunkBytes({.Id = 2, .ShortName = "rus", .Flags = 0x80000000,
                                            .Body = WideTextBody({u"XRu", u"\u0414\u0430", u"\u041D\u0435\u0442"})}),
                             SubchunkBytes({.Id = 3, .ShortName = "mix", .Flags = 0x84000000, .Body = TextBody({"XAB", "cd"})}),
                             SubchunkBytes({.Id = 4, .ShortName = "pak", .Flags = 0x20000000, .Body = Bytes{1, 2, 3, 4, 5}})})),
      ChunkBytes({.Name = "FONT", .Version = "V1",
                  .Data = Concat({SubchunkBytes({.Id = 1, .ShortName = "fnt", .Body = Font}), ClosingRecord()})}),
      Closed("TONE", Concat({SubchunkBytes({.Id = 1, .Body = ToneBody("Ring", Bytes{1, 2, 3, Changed ? std::uint8_t{9} : std::uint8_t{4}, 5, 6}, 2), .Pad = false}),
                             SubchunkBytes({.Id = 2, .Body = ToneBody("Long", Bytes{9, 9}, 5), .Pad = false})})),
      Closed("PLMN", SubchunkBytes({.Id = 1, .Flags = CountryFlags(250, 2),
                                    .Body = OperatorEntries({{.B1 = 0x52, .B2 = 0xF0, .Name = "Beeline"},
                                                             {.B1 = 0x10, .B2 = 0x20, .Name = Changed ? "MTC" : "MTS"}})})),
      Closed("LDB", SubchunkBytes({.Id = 1, .ShortName = "ab", .Body = Bytes{1, 2, 3}})),
      Closed("AORD", SubchunkBytes({.Id = 1, .Body = Bytes(Changed ? 10 : 9, 7)})),
      Closed("WUGS", SubchunkBytes({.Id = 1, .Body = Bytes(4, 1)})),
      Closed("LPCS", SubchunkBytes({.Id = 1, .Body = Bytes(512, 0x5A)})),
      Closed("GSMC", SubchunkBytes({.Id = 1, .Body = Bytes(6, 3)})),
      Closed("ABCD", SubchunkBytes({.Id = 1, .Body = Bytes(5, 4)})),
      EndChunk(),
  };
  if (Changed) P.Chunks.insert(P.Chunks.end() - 1, Closed("LDB", SubchunkBytes({.Id = 2, .Body = Bytes{8, 8}})));
  return P;
}

void Write(const std::filesystem::path& Dir, const std::string& Name, const Bytes& Image) {
  std::ofstream Out(Dir / Name, std::ios::binary);
  Out.write(reinterpret_cast<const char*>(Image.data()), static_cast<std::streamsize>(Image.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: kavex-fuzz-seeds FOLDER [PAIRS_FOLDER]\n");
    return 64;
  }
  const std::filesystem::path Dir(argv[1]);
  std::filesystem::create_directories(Dir);

  const Ppm P = AllKinds();
  const Bytes Divud = DivudImage(Mcu{}, P, Bytes(32, 0xEE));
  Write(Dir, "divud-all-kinds.fls", Divud);
  Write(Dir, "wintesla-all-kinds.wt", WinTesla(Divud, 0x200000, 0x4000));
  Write(Dir, "ppm-only.ppm", PpmBytes(P));
  // A WinTesla file that holds only the start of the MCU area: the rest is filled with 0xFF.
  Write(Dir, "wintesla-partial-mcu.wt", WinTesla(Bytes(Divud.begin(), Divud.begin() + 0x2000)));
  Write(Dir, "mcu-only.mcu", McuBytes(Mcu{}, 0x100));
  Ppm OneChunk;
  OneChunk.Chunks = {P.Chunks[0], EndChunk()};
  Write(Dir, "divud-text.fls", DivudImage(Mcu{}, OneChunk, {}));
  OneChunk.Chunks = {P.Chunks[1], EndChunk()};
  Write(Dir, "divud-font.fls", DivudImage(Mcu{}, OneChunk, {}));
  if (argc == 3) {
    const std::filesystem::path Pairs(argv[2]);
    std::filesystem::create_directories(Pairs);
    const auto Pair = [&](const std::string& Name, const Bytes& A, const Bytes& B) {
      Bytes Input;
      AppendBE32(Input, static_cast<std::uint32_t>(A.size()));
      Write(Pairs, Name, Concat({Input, A, B}));
    };
    const Bytes Changed = DivudImage(Mcu{}, AllKinds(true), Bytes(32, 0xEF));
    Pair("changed-copy", Divud, Changed);
    Pair("changed-copy-wintesla", WinTesla(Changed, 0x200000, 0x4000), Divud);
    Pair("divud-wintesla", Divud, WinTesla(Divud, 0x200000, 0x4000));
    Pair("ppm-whole", PpmBytes(P), Divud);
    Pair("text-font", DivudImage(Mcu{}, Ppm{.Chunks = {P.Chunks[0], EndChunk()}}, {}), DivudImage(Mcu{}, OneChunk, {}));
    Pair("same", Divud, Divud);
  }
  std::printf("seeds written to %s\n", Dir.string().c_str());
  return 0;
}
