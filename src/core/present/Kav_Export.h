#pragma once
// Exports of an image: its text tables as TSV files, its fonts as PNG glyph sheets and the
// raw bytes of one node. kavex-dump and the viewer both write through here, so the same image
// gives the same files with the same names.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/KavObj.h"

namespace kavex {

// A sheet of this many columns stays readable for the usual fonts of a few hundred glyphs.
constexpr int ExportSheetColumns = 16;

// A control character below 0x20 as \xNN and a backslash as \\, so no text read from an
// image can break a line; each byte that is no part of a well-formed UTF-8 sequence as \xNN
// too, so the line stays valid UTF-8 (well-formed sequences are kept as they are).
std::string EscapeLine(const std::string& Text);

// A control character below 0x20 as \xNN, everything else as it is: for texts the viewer shows
// on one line (a caption, a log record) where a backslash needs no escape of its own.
std::string EscapeControls(const std::string& Text);

// A text entry as one TSV field: tab, line feed, carriage return and backslash as \t, \n, \r
// and \\, other control characters as \xNN.
std::string TsvField(const std::string& Text);

// Name as a file-name part that is safe on any file system: ASCII letters, digits and '-'
// kept, runs of anything else as one '_' (none at either end), at most MaxLength characters;
// Fallback when nothing is left.
std::string SafeNamePart(const std::string& Name, std::size_t MaxLength, const std::string& Fallback);

// The raw bytes of a node as the model holds them: an area or the root its data (a WinTesla
// file's blocks joined), a chunk its header and data, a subchunk its header, body and padding
// as stored in the chunk, a font entry its 44-byte header. Empty for any other node.
TBytes NodeBytes(const TKavClass& Node);

// Walks every built node below and with Root, in tree order, with its position (NodePosition).
void WalkPositions(const TKavClass& Root, const std::function<void(const TKavClass&, const std::string&)>& Visit);

// One file an export will write; Content makes its bytes when it is written.
struct TExportFile {
  std::filesystem::path Path;
  std::function<TBytes()> Content;
};

// Every text table of the built tree as Dir/POS_ID_LANGUAGE.tsv ("common" for the common
// table): a header line "Index\tText", then one line per entry, UTF-8.
std::vector<TExportFile> PlanTextExports(const TKavClass& Root, const std::filesystem::path& Dir);

// Every font entry of the built tree as Dir/POS_NAME.png, a glyph sheet of ExportSheetColumns
// columns. A font without glyphs gets no file; a font whose glyphs do not all fit one sheet
// gets a sheet of the first ones. Each such case adds a line to Notes ("PATH: why"); Cut is
// set when a sheet was cut.
std::vector<TExportFile> PlanFontExports(const TKavClass& Root, const std::filesystem::path& Dir,
                                         std::vector<std::string>& Notes, bool& Cut);

enum class TWriteResult { Written, Exists, CannotCreate, CannotWrite };

// Writes Bytes to Path. A regular file is written beside its place under a temporary name and
// then renamed into it, so a failed write leaves neither a partial file nor a changed old
// one. Without Replace an existing Path is never touched (also when another program makes it
// meanwhile). A target that exists and is no regular file (a device, a link) is written in
// place, as a plain write would. When the write fails and SystemError is given, it receives the
// system's number for why (errno; GetLastError's code on Windows; TImageFile::ErrorText has
// the words), 0 for Exists.
TWriteResult WriteExportFile(const std::filesystem::path& Path, const TBytes& Bytes, bool Replace,
                             int* SystemError = nullptr);

// The files of a set that are there already (also as a link or a folder), which a write
// without Replace refuses; ask or refuse before the first is written, so that no set is left
// half written.
std::vector<std::filesystem::path> ExistingExportFiles(const std::vector<TExportFile>& Files);

// Why a set was not written whole: the path that failed (a folder that could not be made, or
// the file), how, and the system's reason (0 when there is none).
struct TExportFailure {
  std::filesystem::path Path;
  TWriteResult Result;
  int SystemError = 0;
  bool Folder = false;  // Path is a folder that could not be made
};

// Writes the files in order, each all or nothing (WriteExportFile), making their folders first
// when MakeFolders. Stops at the first that fails and returns why; Written is called with each
// file written.
std::optional<TExportFailure> WriteExportFiles(const std::vector<TExportFile>& Files, bool Replace, bool MakeFolders,
                                               const std::function<void(const std::filesystem::path&)>& Written = {});

}  // namespace kavex
