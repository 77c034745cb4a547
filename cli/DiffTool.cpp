#include "cli/DiffTool.h"

#include <charconv>
#include <memory>
#include <optional>
#include <sstream>
#include <system_error>

#include "KavexVersion.h"
#include "log/Kav_LogSession.h"
#include "log/Log.h"
#include "model/FileName.h"
#include "model/ImageFile.h"
#include "model/Kav_Fls.h"
#include "present/Kav_Compare.h"
#include "present/Kav_CompareReport.h"
#include "present/Kav_Export.h"
#include "present/Kav_Walk.h"

namespace kavex {
namespace {

constexpr const char* Usage =
    "Usage: kavex-diff [--json] [--html FILE] [--context N] A B\n"
    "\n"
    "Compares two DCT-3 flash images (.fls, .mcu, .ppm, .wt; WinTesla or Divud layout) by\n"
    "their structure, as the Kavex viewer shows them. Both are built whole, their nodes are\n"
    "matched, not aligned by offset (areas by class, chunks by name and subchunks by Id in\n"
    "order of occurrence, font entries and closing records by order), and what differs of\n"
    "each pair is listed: detail lines (\"Entry 17\", \"CheckSum\", \"MCC 12\"), glyphs\n"
    "(\"Glyph U+0041\"), tunes, tone and font names, the PPM version, the layout, and the\n"
    "bytes of nodes that are not decoded (MCU and EEPROM areas, raw records). A node found\n"
    "in one image only is one difference, added or removed. Kavex never writes to an image.\n"
    "\n"
    "  --json          print one JSON document instead of text\n"
    "  --html FILE     also write the report as one HTML page to FILE, replacing it; with\n"
    "                  \"-\" the page goes to standard output instead of the text or JSON\n"
    "  --context N     in the text and HTML reports, show N unchanged detail lines around\n"
    "                  each changed one, and N unchanged bytes (at most 16) around each\n"
    "                  run of differing bytes; default 0\n"
    "  --help          show this text (takes no A or B)\n"
    "  --version       show the program's version (takes no A or B)\n"
    "\n"
    "Output (UTF-8): the two images, then each differing node in tree order: its change,\n"
    "class and path, its position and caption in each image (1: and 2:), and its items:\n"
    "\"~\" changed (old -> new), \"+\" added, \"-\" removed, glyphs drawn side by side (\"#\"\n"
    "ink, \".\" paper, \"-\" not drawn); last the line \"C changed, A added, R removed\".\n"
    "Control characters and bytes that are not UTF-8 are written as \\xNN, a backslash as\n"
    "\\\\.\n"
    "\n"
    "Exit status: 0 the images are the same; 1 they differ (also in layout alone); 2 either\n"
    "could not be read, could not be built or is no flash image (the reason on stderr,\n"
    "\"kavex-diff: FILE: Is a directory\"); 4 the HTML file could not be written; 64 wrong\n"
    "command line.\n";

// A larger context shows whole tables all the same.
constexpr std::size_t MaxContext = 999999999;

struct TOptions {
  bool Json = false;
  std::optional<std::string> Html;
  std::optional<std::string> Context;
  std::size_t ContextLines = 0;
  std::vector<std::string> Files;
};

int ParseOptions(const std::vector<std::string>& Args, TOptions& Options, bool& Help, bool& Version, std::ostream& Err) {
  const auto Fail = [&Err](const std::string& Why) -> int {
    Err << "kavex-diff: " << EscapeLine(Why) << "\n\n" << Usage;
    return diffUsage;
  };
  bool OptionsEnd = false;
  for (std::size_t I = 0; I < Args.size(); ++I) {
    std::string Arg = Args[I];
    if (OptionsEnd || Arg == "-" || Arg.empty() || Arg[0] != '-') {
      Options.Files.push_back(Arg);
      continue;
    }
    if (Arg == "--") {
      OptionsEnd = true;
      continue;
    }
    std::optional<std::string> Inline;
    if (Arg.rfind("--", 0) == 0 && Arg.find('=') != std::string::npos) {
      Inline = Arg.substr(Arg.find('=') + 1);
      Arg.resize(Arg.find('='));
    }
    const bool TakesValue = Arg == "--html" || Arg == "--context";
    if (Inline && !TakesValue) return Fail("option " + Arg + " takes no value");
    if (TakesValue) {
      std::optional<std::string>& Target = Arg == "--html" ? Options.Html : Options.Context;
      if (Target) return Fail("option " + Arg + " given twice");
      if (Inline)
        Target = *Inline;
      else if (I + 1 < Args.size())
        Target = Args[++I];
      else
        return Fail("option " + Arg + " needs a value");
      if (Target->empty()) return Fail("option " + Arg + " needs a value");
    } else if (Arg == "--help" || Arg == "-h") {
      Help = true;
    } else if (Arg == "--version") {
      Version = true;
    } else if (Arg == "--json") {
      Options.Json = true;
    } else {
      return Fail("unknown option " + Args[I]);
    }
  }
  if (Help || Version) return Options.Files.empty() ? diffSame : Fail("--help and --version take no A or B");
  if (Options.Files.size() != 2) return Fail(Options.Files.size() < 2 ? "two images are needed, A and B" : "only two images, A and B, may be given");
  if (Options.Context) {
    const std::string& Text = *Options.Context;
    std::size_t N = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), N);
    if (Error != std::errc() || End != Text.data() + Text.size() || Text[0] == '-' || N > MaxContext)
      return Fail("--context " + Text + ": a number of lines from 0 to " + std::to_string(MaxContext) + " is needed");
    Options.ContextLines = N;
  }
  return diffSame;
}

// One image, read and built whole while its log lasts. The log is not shown (a PPM area alone,
// say, logs an error for the MCU area it lacks), but for an image whose root cannot be built:
// its errors say why.
std::unique_ptr<TFls> LoadWhole(const std::string& File, std::ostream& Err) {
  const std::string Name = "kavex-diff: " + EscapeLine(File) + ": ";
  std::vector<TMsgItem> Errors;
  std::unique_ptr<TFls> Root;
  std::string Reason;
  bool Broken = false;
  {
    const TLogSession Session([&Errors](int Ident, const std::string& Path, const std::string& Text) {
      if (MsgKindOf(Ident) == TMsgKind::Error) Errors.push_back({Ident, Text, Path});
    });
    try {
      Root = LoadFile(File, &Reason);
    } catch (const EKavError&) {
      Broken = true;  // the WinTesla block chain is broken; its error says how
    }
    if (Root) ExpandAll(*Root);
  }
  if (Broken) {
    for (const TMsgItem& Item : Errors) Err << Name << EscapeLine(FormatMsgLine(Item)) << '\n';
    Err << Name << "the image cannot be built\n";
    return nullptr;
  }
  if (!Root) {
    Err << Name << EscapeLine(Reason) << '\n';
    return nullptr;
  }
  if (HoldsNoArea(*Root)) {
    Err << Name << NoAreaFoundText << '\n';
    return nullptr;
  }
  return Root;
}

}  // namespace

int RunKavexDiff(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  TOptions Options;
  bool Help = false;
  bool Version = false;
  if (const int Status = ParseOptions(Args, Options, Help, Version, Err); Status != diffSame) return Status;
  if (Help) {
    Out << Usage;
    return diffSame;
  }
  if (Version) {
    Out << "kavex-diff " << VersionText << '\n';
    return diffSame;
  }

  // Both are read, so that the reasons for both are given at once.
  const std::unique_ptr<TFls> Root1 = LoadWhole(Options.Files[0], Err);
  const std::unique_ptr<TFls> Root2 = LoadWhole(Options.Files[1], Err);
  if (!Root1 || !Root2) return diffUnreadable;

  const TComparison Comparison = CompareImages(*Root1, *Root2, {Options.ContextLines});
  const TCompareSources Sources{Options.Files[0], Options.Files[1]};
  const int Status = Comparison.Same() ? diffSame : diffDiffer;
  if (Options.Html) {
    std::ostringstream Page;
    WriteCompareHtml(Comparison, Sources, Page);
    if (*Options.Html == "-") {
      Out << Page.str();
      return Status;
    }
    const std::string Text = Page.str();
    int Error = 0;
    if (WriteExportFile(PathFromUtf8(*Options.Html), TBytes(Text.begin(), Text.end()), true, &Error) != TWriteResult::Written) {
      Err << "kavex-diff: " << EscapeLine(*Options.Html) << ": cannot be written (" << TImageFile::ErrorText(Error) << ")\n";
      return diffWriteFailed;
    }
  }
  if (Options.Json)
    WriteCompareJson(Comparison, Sources, Out);
  else
    WriteCompareText(Comparison, Sources, Out);
  return Status;
}

}  // namespace kavex
