#include "cli/DumpTool.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>

#include <nlohmann/json.hpp>

#include "log/Log.h"
#include "model/CodePage.h"
#include "model/FileName.h"
#include "model/ImageFile.h"
#include "model/Kav_Chunk.h"
#include "present/Kav_Details.h"
#include "present/Kav_Export.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Font.h"
#include "present/Kav_FontSheet.h"
#include "present/Kav_Place.h"
#include "log/Kav_LogSession.h"
#include "model/Kav_Subchunk.h"
#include "model/Kav_Text.h"
#include "KavexVersion.h"
#include "present/Kav_Walk.h"

namespace kavex {
namespace {

constexpr const char* Usage =
    "Usage: kavex-dump [--all] [--details] [--glyphs] [--offsets] FILE\n"
    "       kavex-dump --json [--all] [--details] [--glyphs] FILE\n"
    "       kavex-dump [--export-texts DIR] [--export-fonts DIR]\n"
    "                  [--extract POS --out OUT] [--force] FILE\n"
    "       kavex-dump --check FILE...\n"
    "\n"
    "Loads a DCT-3 flash image (.fls, .mcu, .ppm, .wt; WinTesla or Divud layout) and prints\n"
    "the tree of its areas, chunks and subchunks, then every message of the loader, as the\n"
    "Kavex viewer would show them. Kavex never writes to an image.\n"
    "\n"
    "  --all               expand every node (subchunks, font entries), not only the areas\n"
    "  --details           print each node's detail values under its line\n"
    "  --glyphs            with the details, draw every glyph of every font (implies --details)\n"
    "  --offsets           end each node's line with its place: @OFFSET +SIZE in hex, the offset\n"
    "                      of its first byte in the loaded image (a WinTesla file's blocks\n"
    "                      joined) and the number of bytes --extract writes of it\n"
    "  --json              print tree and log as one JSON document instead of text; it gives\n"
    "                      every node's offset and size, and the MCU area's flash address\n"
    "  --export-texts DIR  write every text table to DIR as a UTF-8 TSV file (index, text)\n"
    "  --export-fonts DIR  write every font to DIR as a PNG glyph sheet of 16 columns\n"
    "  --extract POS       write the raw bytes of the node at POS (\"0\" the root, \"2.5.1\" the\n"
    "                      first child of the fifth child of the root's second child)\n"
    "  --out OUT           where --extract writes; \"-\" for standard output\n"
    "  --force             overwrite files that exist (otherwise they are never overwritten)\n"
    "  --check             build every node of each FILE and print one line per file instead:\n"
    "                      \"FILE: ok\", \"FILE: 2 errors, 1 warning; first: LINE\" (LINE the\n"
    "                      first warning or error of its log, as a log line of the output),\n"
    "                      or \"FILE: why\" it cannot be read or holds no image; with more\n"
    "                      than ten FILEs it shows its progress on stderr if that is a terminal\n"
    "  --help              show this text (takes no FILE)\n"
    "  --version           show the program's version (takes no FILE)\n"
    "\n"
    "Output (UTF-8): one line per node, two blanks per level, class name and caption; an\n"
    "empty line; then one line per message: kind tag, (number), text, \"Path:\" and path.\n"
    "When no tree is built (the file cannot be read, or its root cannot be built), the\n"
    "output starts with the empty line. Control characters and bytes that are not UTF-8\n"
    "are written as \\xNN and a backslash as \\\\. With an export, the written files are\n"
    "listed instead, and the loader's error messages go to stderr. A file that cannot be\n"
    "read, or holds no area, is named on stderr with the reason (\"kavex-dump: FILE: Is a\n"
    "directory\", \"kavex-dump: FILE: no MCU, PPM or EEPROM area was found\").\n"
    "\n"
    "Exit status: 0 the image was read (and all exports written); 1 the file could not be\n"
    "opened or read, or is empty; 2 the image is broken beyond building its root, or no\n"
    "MCU, PPM or EEPROM area was found in it (no flash image: tree and log are printed,\n"
    "nothing is exported); 3 a file to write exists already (nothing was written); 4 a\n"
    "folder or file could not be written; 5 no node at the --extract position; 6 a font\n"
    "had too many glyphs for one sheet (its sheet holds the first ones); 64 wrong command\n"
    "line (also: a POS that is not numbers joined by dots, a FILE with --help or --version).\n"
    "With --check: 0 every FILE is ok, 7 any is not (64 a wrong command line).\n";

constexpr const char* ProblemLine = "kavex-dump: Problem found, for more information see messages in Log.";

struct TOptions {
  bool All = false;
  bool Details = false;
  bool Glyphs = false;
  bool Json = false;
  bool Offsets = false;
  bool Force = false;
  std::optional<std::string> TextDir;
  std::optional<std::string> FontDir;
  std::optional<std::string> ExtractPos;
  std::optional<std::string> ExtractOut;
  bool Check = false;
  std::vector<std::string> Files;  // as given; without --check there is one, File
  std::string File;
  bool Exports() const { return TextDir || FontDir || ExtractPos; }
};

// Builds Node's children; an error that ends the building is reported on Err.
void BuildChildren(TKavClass& Node, std::ostream& Err) {
  if (!kavex::BuildChildren(Node)) Err << ProblemLine << '\n';
}

// Every node of the tree, each error reported on Err as it ends a node's building.
void ExpandAll(TKavClass& Node, std::ostream& Err) {
  kavex::ExpandAll(Node, {}, [&Err](TKavClass&) { Err << ProblemLine << '\n'; });
}

void PrintTree(const TKavClass& Node, int Depth, const TOptions& Options, std::ostream& Out) {
  const std::string Indent(static_cast<std::size_t>(Depth) * 2, ' ');
  Out << Indent << Node.ClassName() << ' ' << EscapeLine(Node.GetCaption());
  if (Options.Offsets) Out << ' ' << NodePlaceText(Node);
  Out << '\n';
  if (Options.Details) {
    const std::string DetailIndent = std::string(static_cast<std::size_t>(Depth + 1) * 2, ' ') + "- ";
    for (const std::string& Line : DumpDetailLines(Node, Options.Glyphs)) Out << DetailIndent << EscapeLine(Line) << '\n';
  }
  for (std::size_t I = 0; I < Node.ChildCount(); ++I) PrintTree(*Node.Child(I), Depth + 1, Options, Out);
}

void PrintLog(const TMsgCollection& Store, std::ostream& Out) {
  for (std::size_t I = 0; I < Store.Count(); ++I) Out << EscapeLine(FormatMsgLine(Store.At(I))) << '\n';
}

// With exports the log is not listed, but its errors still reach the user. Warnings are left
// to the listing: every image's end chunk already gives one.
void PrintErrors(const TMsgCollection& Store, std::ostream& Err) {
  for (std::size_t I = 0; I < Store.Count(); ++I)
    if (Store.At(I).Kind() == TMsgKind::Error) Err << EscapeLine(FormatMsgLine(Store.At(I))) << '\n';
}

// ---- JSON ----------------------------------------------------------------------------------

nlohmann::json NodeJson(const TKavClass& Node, const TOptions& Options) {
  nlohmann::json J = {{"class", Node.ClassName()},
                      {"caption", Node.GetCaption()},
                      {"path", Node.GetPath()},
                      {"position", NodePosition(Node)}};
  J["details"] = Options.Details ? DumpDetailLines(Node, Options.Glyphs) : std::vector<std::string>{};
  const TNodePlace Place = NodePlace(Node);
  J["offset"] = Place.Offset;
  J["size"] = Place.Size;
  if (Place.Address >= 0) J["address"] = Place.Address;
  nlohmann::json Children = nlohmann::json::array();
  for (std::size_t I = 0; I < Node.ChildCount(); ++I) Children.push_back(NodeJson(*Node.Child(I), Options));
  J["children"] = std::move(Children);
  return J;
}

void PrintJson(const TFls* Root, const TMsgCollection& Store, const TOptions& Options, int Status, std::ostream& Out) {
  nlohmann::json Log = nlohmann::json::array();
  for (std::size_t I = 0; I < Store.Count(); ++I) {
    const TMsgItem& Item = Store.At(I);
    Log.push_back({{"ident", Item.Ident},
                   {"kind", KindName(Item.Kind())},
                   {"tag", KindTag(Item.Kind())},
                   {"text", Item.Text},
                   {"path", Item.Path}});
  }
  nlohmann::json Tree = nullptr;
  if (Root) {
    Tree = NodeJson(*Root, Options);
    Tree["layout"] = LayoutName(*Root);
  }
  const nlohmann::json Doc = {{"file", Options.File}, {"status", Status}, {"tree", std::move(Tree)}, {"log", std::move(Log)}};
  // A file name need not be UTF-8; such bytes become U+FFFD rather than stop the output.
  Out << Doc.dump(1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

// ---- exports -------------------------------------------------------------------------------

using TPlannedFile = TExportFile;

// Checks every planned file first, so that a refusal leaves no export half written.
int WritePlan(const std::vector<TPlannedFile>& Plan, bool Force, int Status, std::ostream& Out, std::ostream& Err) {
  const auto Refused = [&Err](const std::filesystem::path& Path) {
    Err << "kavex-dump: " << PathToUtf8(Path) << ": exists; not overwritten (use --force)\n";
  };
  if (!Force) {
    const std::vector<std::filesystem::path> Existing = ExistingExportFiles(Plan);
    for (const std::filesystem::path& Path : Existing) Refused(Path);
    if (!Existing.empty()) return dumpOutputExists;
  }
  const std::optional<TExportFailure> Failure =
      WriteExportFiles(Plan, Force, true, [&Out](const std::filesystem::path& Path) { Out << PathToUtf8(Path) << '\n'; });
  if (!Failure) return Status;
  if (Failure->Folder) {
    Err << "kavex-dump: " << PathToUtf8(Failure->Path) << ": cannot be created ("
        << TImageFile::ErrorText(Failure->SystemError) << ")\n";
    return dumpWriteFailed;
  }
  switch (Failure->Result) {
    case TWriteResult::Written: break;
    case TWriteResult::Exists: Refused(Failure->Path); return dumpOutputExists;
    case TWriteResult::CannotCreate: Err << "kavex-dump: " << PathToUtf8(Failure->Path) << ": cannot be created\n"; break;
    case TWriteResult::CannotWrite: Err << "kavex-dump: " << PathToUtf8(Failure->Path) << ": cannot be written\n"; break;
  }
  return dumpWriteFailed;
}

int RunExports(TKavClass& Root, const TOptions& Options, std::ostream& Out, std::ostream& Err) {
  int Status = dumpOk;
  std::vector<TPlannedFile> Plan;
  if (Options.TextDir || Options.FontDir) ExpandAll(Root, Err);
  // The folders and files named on the command line are UTF-8; the system takes them as paths here.
  if (Options.TextDir) Plan = PlanTextExports(Root, PathFromUtf8(*Options.TextDir));
  if (Options.FontDir) {
    std::vector<std::string> Notes;
    bool Cut = false;
    for (TExportFile& File : PlanFontExports(Root, PathFromUtf8(*Options.FontDir), Notes, Cut)) Plan.push_back(std::move(File));
    for (const std::string& Note : Notes) Err << "kavex-dump: " << Note << '\n';
    if (Cut) Status = dumpSheetCut;
  }
  if (Options.ExtractPos) {
    std::string Error;
    const TKavClass* Node = NodeAtPosition(Root, *Options.ExtractPos, Error);
    if (!Node) {
      Err << "kavex-dump: --extract " << *Options.ExtractPos << ": " << Error << '\n';
      return dumpNoSuchNode;
    }
    if (*Options.ExtractOut != "-") {
      Plan.push_back({PathFromUtf8(*Options.ExtractOut), [Node] { return NodeBytes(*Node); }});
    } else {
      const TBytes Bytes = NodeBytes(*Node);
      Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
    }
  }
  return WritePlan(Plan, Options.Force, Status, Options.ExtractOut == "-" ? Err : Out, Err);
}

// ---- --check -------------------------------------------------------------------------------

// The warnings and errors of one file's log, and the first of either.
struct TFindings {
  std::size_t Errors = 0;
  std::size_t Warnings = 0;
  const TMsgItem* First = nullptr;
};

TFindings CountFindings(const TMsgCollection& Store) {
  TFindings F;
  for (std::size_t I = 0; I < Store.Count(); ++I) {
    const TMsgItem& Item = Store.At(I);
    if (Item.Kind() == TMsgKind::Error) ++F.Errors;
    else if (Item.Kind() == TMsgKind::Warning) ++F.Warnings;
    else continue;
    if (!F.First) F.First = &Item;
  }
  return F;
}

std::string Counted(std::size_t Count, const char* Noun) { return std::to_string(Count) + ' ' + Noun + (Count == 1 ? "" : "s"); }

std::string FirstLine(const TFindings& F) { return F.First ? "; first: " + FormatMsgLine(*F.First) : std::string(); }

// Builds every node of File with a fresh log; nothing when the file is ok, otherwise why not,
// as the line says it. The image is released before the next file is read.
std::optional<std::string> CheckFile(const std::string& File, TMsgCollection& Store) {
  Store.Clear();
  std::unique_ptr<TFls> Root;
  std::string Reason;
  try {
    Root = LoadFile(File, &Reason);
  } catch (const EKavError&) {
    // The dump's own words, and the finding that stopped the root, since no log is listed here.
    return EKavError::Text + FirstLine(CountFindings(Store));
  }
  if (!Root) return Reason;
  kavex::ExpandAll(*Root);
  if (HoldsNoArea(*Root)) return std::string(NoAreaFoundText);
  const TFindings F = CountFindings(Store);
  if (!F.First) return std::nullopt;
  std::string Why;
  if (F.Errors) Why = Counted(F.Errors, "error");
  if (F.Warnings) Why += (Why.empty() ? "" : ", ") + Counted(F.Warnings, "warning");
  return Why + FirstLine(F);
}

// One line per file on Out: "FILE: ok" or "FILE: why not".
int RunCheck(const TOptions& Options, std::ostream& Out, std::ostream& Err, bool ErrIsTerminal) {
  TMsgCollection Store;
  const TLogSession Session(Store);
  const std::size_t Count = Options.Files.size();
  // A long run shows where it is, on a line of its own that is wiped before each result, so
  // that the results stay clean when both streams are the same terminal.
  const bool Progress = ErrIsTerminal && Count > 10;
  bool AllOk = true;
  for (std::size_t I = 0; I < Count; ++I) {
    const std::string& File = Options.Files[I];
    if (Progress) Err << "\rkavex-dump: checking " << I + 1 << " of " << Count << std::flush;
    const std::optional<std::string> Why = CheckFile(File, Store);
    if (Progress) Err << "\r\x1B[K" << std::flush;
    Out << EscapeLine(File) << ": " << (Why ? EscapeLine(*Why) : "ok") << '\n';
    if (Progress) Out.flush();
    AllOk &= !Why;
  }
  return AllOk ? dumpOk : dumpCheckFailed;
}

// Returns dumpOk, or the status for a wrong command line after saying why.
int ParseOptions(const std::vector<std::string>& Args, TOptions& Options, bool& Help, bool& Version, std::ostream& Err) {
  const auto Fail = [&Err](const std::string& Why) -> int {
    Err << "kavex-dump: " << Why << "\n\n" << Usage;
    return dumpUsage;
  };
  for (std::size_t I = 0; I < Args.size(); ++I) {
    std::string Arg = Args[I];
    std::optional<std::string> Inline;
    if (Arg.rfind("--", 0) == 0 && Arg.find('=') != std::string::npos) {
      Inline = Arg.substr(Arg.find('=') + 1);
      Arg.resize(Arg.find('='));
    }
    const auto Value = [&](std::optional<std::string>& Target) -> int {
      if (Target) return Fail("option " + Arg + " given twice");
      if (Inline) {
        Target = *Inline;
      } else if (I + 1 < Args.size()) {
        Target = Args[++I];
      } else {
        return Fail("option " + Arg + " needs a value");
      }
      if (Target->empty()) return Fail("option " + Arg + " needs a value");
      return dumpOk;
    };
    int Status = dumpOk;
    if (Arg == "--help" || Arg == "-h") {
      Help = true;
    } else if (Arg == "--version") {
      Version = true;
    } else if (Arg == "--all") {
      Options.All = true;
    } else if (Arg == "--details") {
      Options.Details = true;
    } else if (Arg == "--glyphs") {
      Options.Glyphs = Options.Details = true;
    } else if (Arg == "--json") {
      Options.Json = true;
    } else if (Arg == "--offsets") {
      Options.Offsets = true;
    } else if (Arg == "--force") {
      Options.Force = true;
    } else if (Arg == "--export-texts") {
      Status = Value(Options.TextDir);
    } else if (Arg == "--export-fonts") {
      Status = Value(Options.FontDir);
    } else if (Arg == "--extract") {
      Status = Value(Options.ExtractPos);
    } else if (Arg == "--out") {
      Status = Value(Options.ExtractOut);
    } else if (Arg == "--check") {
      Options.Check = true;
    } else if (Arg.size() > 1 && Arg[0] == '-') {
      return Fail("unknown option " + Args[I]);
    } else {
      Options.Files.push_back(Arg);
    }
    if (Status != dumpOk) return Status;
    if (Inline && Arg != "--export-texts" && Arg != "--export-fonts" && Arg != "--extract" && Arg != "--out")
      return Fail("option " + Arg + " takes no value");
  }
  if (Help || Version) return Options.Files.empty() ? dumpOk : Fail("--help and --version take no FILE");
  if (Options.Files.empty()) return Fail("no FILE given");
  if (Options.Check) {
    if (Options.All || Options.Details || Options.Json || Options.Offsets || Options.Force || Options.TextDir || Options.FontDir ||
        Options.ExtractPos || Options.ExtractOut)
      return Fail("--check prints one line per FILE; it cannot be combined with other options");
    return dumpOk;
  }
  if (Options.Files.size() > 1) return Fail("only one FILE may be given");
  Options.File = Options.Files.front();
  if (Options.ExtractPos && !IsNodePosition(*Options.ExtractPos))
    return Fail("--extract " + EscapeLine(*Options.ExtractPos) + ": " + NodePositionForm);
  if (Options.ExtractPos.has_value() != Options.ExtractOut.has_value()) return Fail("--extract and --out go together");
  if (Options.Exports() && (Options.Json || Options.Details || Options.Offsets))
    return Fail("--json, --details, --glyphs and --offsets print the tree; they cannot be combined with exports");
  return dumpOk;
}

}  // namespace

int RunKavexDump(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err, bool ErrIsTerminal) {
  TOptions Options;
  bool Help = false;
  bool Version = false;
  if (const int Status = ParseOptions(Args, Options, Help, Version, Err); Status != dumpOk) return Status;
  if (Help) {
    Out << Usage;
    return dumpOk;
  }
  if (Version) {
    Out << "kavex-dump " << VersionText << '\n';
    return dumpOk;
  }
  if (Options.Check) return RunCheck(Options, Out, Err, ErrIsTerminal);

  TMsgCollection Store;
  const TLogSession Session(Store);
  Store.Clear();  // only what loading logs is printed, not the installation's own message

  // Without a root there is nothing to export; the log says why, where the user looks for it.
  // The listing keeps its shape, an empty tree: the empty line that ends the tree comes first.
  const auto NoRoot = [&](int Status) {
    if (Options.Json) {
      PrintJson(nullptr, Store, Options, Status, Out);
    } else if (Options.Exports()) {
      PrintLog(Store, Err);
    } else {
      Out << '\n';
      PrintLog(Store, Out);
    }
    return Status;
  };
  // A verdict on the file as a whole, last on stderr: "kavex-dump: FILE: why".
  const auto SayOfFile = [&](const std::string& Why) { Err << "kavex-dump: " << EscapeLine(Options.File) << ": " << EscapeLine(Why) << '\n'; };
  std::unique_ptr<TFls> Root;
  std::string Reason;
  try {
    Root = LoadFile(Options.File, &Reason);
  } catch (const EKavError&) {
    Err << ProblemLine << '\n';
    return NoRoot(dumpNoRoot);
  }
  if (!Root) {
    const int Status = NoRoot(dumpUnreadable);
    SayOfFile(Reason);
    return Status;
  }

  if (Options.Exports()) {
    // A file that holds no area is no image to export from, though a root was made of it.
    BuildChildren(*Root, Err);
    if (HoldsNoArea(*Root)) {
      PrintErrors(Store, Err);
      SayOfFile(NoAreaFoundText);
      return dumpNoRoot;
    }
    const int Status = RunExports(*Root, Options, Out, Err);
    PrintErrors(Store, Err);
    return Status;
  }

  if (Options.All) {
    ExpandAll(*Root, Err);
  } else {
    BuildChildren(*Root, Err);
    for (std::size_t I = 0; I < Root->ChildCount(); ++I)
      if (Root->Child(I)->MayHaveChildren()) BuildChildren(*Root->Child(I), Err);
  }

  // The tree and the log are listed either way; without an area the file is no flash image.
  const int Status = HoldsNoArea(*Root) ? dumpNoRoot : dumpOk;
  if (Options.Json) {
    PrintJson(Root.get(), Store, Options, Status, Out);
  } else {
    PrintTree(*Root, 0, Options, Out);
    Out << '\n';
    PrintLog(Store, Out);
  }
  if (Status == dumpNoRoot) SayOfFile(NoAreaFoundText);
  return Status;
}

}  // namespace kavex
