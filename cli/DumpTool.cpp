#include "cli/DumpTool.h"

#include "log/Log.h"
#include "model/Kav_Details.h"
#include "model/Kav_Fls.h"

namespace kavex {
namespace {

constexpr const char* Usage =
    "Usage: kavex-dump [--all] [--details] [--glyphs] FILE\n"
    "\n"
    "Loads a DCT-3 flash image (.fls, .mcu, .ppm, .wt; WinTesla or Divud layout) and prints\n"
    "the tree of its areas, chunks and subchunks, then every message of the loader, as the\n"
    "Kavex viewer would show them.\n"
    "\n"
    "  --all       expand every node (subchunks, font entries), not only the areas\n"
    "  --details   print each node's detail values under its line\n"
    "  --glyphs    with the details, draw every glyph of every font (implies --details)\n"
    "  --help      show this text\n"
    "\n"
    "Output (UTF-8): one line per node, two blanks per level, class name and caption; an\n"
    "empty line; then one line per message: kind tag, (number), text, \"Path:\" and path.\n"
    "Control characters are written as \\xNN and a backslash as \\\\.\n"
    "\n"
    "Exit status: 0 the image was read; 1 the file could not be opened or read, or is empty;\n"
    "2 the image is broken beyond building its root; 64 wrong command line.\n";

struct TOptions {
  bool All = false;
  bool Details = false;
  bool Glyphs = false;
  std::string File;
};

constexpr const char* ProblemLine = "kavex-dump: Problem found, for more information see messages in Log.";

// Builds all children of Node, stopping at an error the node does not catch.
void BuildChildren(TKavClass& Node, std::ostream& Err) {
  try {
    while (Node.ParseNextChild()) {
    }
  } catch (const EKavError&) {
    Err << ProblemLine << '\n';
  }
}

// Depth-first in tree order: all children of a node exist before any of them is expanded.
void ExpandAll(TKavClass& Node, std::ostream& Err) {
  BuildChildren(Node, Err);
  for (std::size_t I = 0; I < Node.ChildCount(); ++I) {
    TKavClass& Child = *Node.Child(I);
    if (Child.MayHaveChildren()) ExpandAll(Child, Err);
  }
}

void PrintTree(const TKavClass& Node, int Depth, const TOptions& Options, std::ostream& Out) {
  const std::string Indent(static_cast<std::size_t>(Depth) * 2, ' ');
  Out << Indent << Node.ClassName() << ' ' << EscapeLine(Node.GetCaption()) << '\n';
  if (Options.Details) {
    const std::string DetailIndent = std::string(static_cast<std::size_t>(Depth + 1) * 2, ' ') + "- ";
    for (const std::string& Line : DumpDetailLines(Node, Options.Glyphs)) Out << DetailIndent << EscapeLine(Line) << '\n';
  }
  for (std::size_t I = 0; I < Node.ChildCount(); ++I) PrintTree(*Node.Child(I), Depth + 1, Options, Out);
}

void PrintLog(const TMsgCollection& Store, std::ostream& Out) {
  for (std::size_t I = 0; I < Store.Count(); ++I) Out << EscapeLine(FormatMsgLine(Store.At(I))) << '\n';
}

}  // namespace

std::string EscapeLine(const std::string& Text) {
  static const char Hex[] = "0123456789ABCDEF";
  std::string Out;
  Out.reserve(Text.size());
  for (const char C : Text) {
    const auto B = static_cast<unsigned char>(C);
    if (B == '\\') {
      Out += "\\\\";
    } else if (B < 0x20) {
      Out += "\\x";
      Out += Hex[B >> 4];
      Out += Hex[B & 0xF];
    } else {
      Out += C;
    }
  }
  return Out;
}

int RunKavexDump(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  TOptions Options;
  for (const std::string& Arg : Args) {
    if (Arg == "--help" || Arg == "-h") {
      Out << Usage;
      return dumpOk;
    }
    if (Arg == "--all") {
      Options.All = true;
    } else if (Arg == "--details") {
      Options.Details = true;
    } else if (Arg == "--glyphs") {
      Options.Glyphs = Options.Details = true;
    } else if (Arg.size() > 1 && Arg[0] == '-') {
      Err << "kavex-dump: unknown option " << Arg << "\n\n" << Usage;
      return dumpUsage;
    } else if (Options.File.empty()) {
      Options.File = Arg;
    } else {
      Err << "kavex-dump: only one FILE may be given\n\n" << Usage;
      return dumpUsage;
    }
  }
  if (Options.File.empty()) {
    Err << "kavex-dump: no FILE given\n\n" << Usage;
    return dumpUsage;
  }

  TMsgCollection Store;
  SetMsgReceiver([&Store](int Ident, const std::string& Path, const std::string& Text) { Store.Add(Ident, Path, Text); });
  SetLogProc(&LogMessage);
  Store.Clear();  // only what loading logs is printed, not the installation's own message
  struct TUninstall {
    ~TUninstall() {
      SetLogProc(nullptr);
      SetMsgReceiver(nullptr);
    }
  } Uninstall;

  std::unique_ptr<TFls> Root;
  try {
    Root = LoadFile(Options.File);
  } catch (const EKavError&) {
    Err << ProblemLine << '\n';
    PrintLog(Store, Out);
    return dumpNoRoot;
  }
  if (!Root) {
    PrintLog(Store, Out);
    return dumpUnreadable;
  }

  if (Options.All) {
    ExpandAll(*Root, Err);
  } else {
    BuildChildren(*Root, Err);
    for (std::size_t I = 0; I < Root->ChildCount(); ++I)
      if (Root->Child(I)->MayHaveChildren()) BuildChildren(*Root->Child(I), Err);
  }

  PrintTree(*Root, 0, Options, Out);
  Out << '\n';
  PrintLog(Store, Out);
  return dumpOk;
}

}  // namespace kavex
