#pragma once
// kavex-dump: loads an image with the model code and prints what the viewer would show, as
// text or JSON, or exports its text tables, fonts and the raw bytes of one node.

#include <ostream>
#include <string>
#include <vector>

#include "model/KavObj.h"

namespace kavex {

// Exit statuses; scripts rely on them, so numbers are never reused for something else.
enum TDumpExit : int {
  dumpOk = 0,             // a root was built and everything asked for was written
  dumpUnreadable = 1,     // the file could not be opened or read, or was empty
  dumpNoRoot = 2,         // the root could not be built
  dumpOutputExists = 3,   // a file to be written exists already (and --force was not given)
  dumpWriteFailed = 4,    // a folder or file could not be created or written
  dumpNoSuchNode = 5,     // --extract named a position that holds no node
  dumpSheetCut = 6,       // a font had too many glyphs for one sheet; its sheet holds the first ones
  dumpUsage = 64,         // the command line was wrong
};

// Runs the tool with Args (without the program name); returns the exit status.
int RunKavexDump(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);

// A control character below 0x20 as \xNN and a backslash as \\, so no text read from an
// image can break a line.
std::string EscapeLine(const std::string& Text);

// The node at Position: "0" for the root, otherwise 1-based child numbers joined by dots
// ("2.5.1": the root's second child, its fifth child, that one's first). Nodes on the way are
// expanded. Null, with the reason in Error, when there is no such node.
TKavClass* FindByPosition(TKavClass& Root, const std::string& Position, std::string& Error);

// The raw bytes of a node as the model holds them: an area or the root its data (a WinTesla
// file's blocks joined), a chunk its header and data, a subchunk its header, body and padding
// as stored in the chunk, a font entry its 44-byte header. Empty for any other node.
TBytes NodeBytes(const TKavClass& Node);

// Name as a file-name part that is safe on any file system: ASCII letters, digits and '-'
// kept, runs of anything else as one '_' (none at either end), at most MaxLength characters;
// Fallback when nothing is left.
std::string SafeNamePart(const std::string& Name, std::size_t MaxLength, const std::string& Fallback);

// A text entry as one TSV field: tab, line feed, carriage return and backslash as \t, \n, \r
// and \\, other control characters as \xNN.
std::string TsvField(const std::string& Text);

}  // namespace kavex
