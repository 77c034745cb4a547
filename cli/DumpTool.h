#pragma once
// kavex-dump: loads an image with the model code and prints what the viewer would show, as
// text or JSON, or exports its text tables, fonts and the raw bytes of one node, or checks
// many images at once, one line each.

#include <ostream>
#include <string>
#include <vector>

#include "model/KavObj.h"
#include "present/Kav_Export.h"  // EscapeLine, NodeBytes, SafeNamePart, TsvField

namespace kavex {

// Exit statuses; scripts rely on them, so numbers are never reused for something else.
enum TDumpExit : int {
  dumpOk = 0,             // a root was built and everything asked for was written
  dumpUnreadable = 1,     // the file could not be opened or read, or was empty
  dumpNoRoot = 2,         // the root could not be built, or it holds no area (no flash image)
  dumpOutputExists = 3,   // a file to be written exists already (and --force was not given)
  dumpWriteFailed = 4,    // a folder or file could not be created or written
  dumpNoSuchNode = 5,     // --extract named a position that holds no node
  dumpSheetCut = 6,       // a font had too many glyphs for one sheet; its sheet holds the first ones
  dumpCheckFailed = 7,    // --check: a file was not ok (a warning or error, or no image at all)
  dumpUsage = 64,         // the command line was wrong
};

// Runs the tool with Args (without the program name); returns the exit status. ErrIsTerminal
// says that Err is a terminal, where --check may show its progress.
int RunKavexDump(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err, bool ErrIsTerminal = false);


}  // namespace kavex
