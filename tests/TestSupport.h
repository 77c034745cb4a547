#pragma once
// Shared fixtures: a log that collects every record, temporary files, and kavex-dump runs.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ImageBuilder.h"
#include "log/Log.h"
#include "model/Kav_Fls.h"
#include "log/Kav_LogSession.h"

namespace kavtest {

// A log session that stores every record, starting empty (without the session's message 2).
class CapturedLog {
public:
  CapturedLog();
  // Each record as its export line "%s (%4d) %s Path: %s".
  std::vector<std::string> Lines() const;
  std::vector<int> Idents() const;
  const kavex::TMsgCollection& Store() const { return Store_; }
  void Clear() { Store_.Clear(); }

private:
  kavex::TMsgCollection Store_;
  kavex::TLogSession Session_{Store_};
};

// A file in a fresh temporary folder, removed with the object.
class TempFile {
public:
  explicit TempFile(const Bytes& Content, const std::string& Name = "image.fls");
  ~TempFile();
  const std::string& Path() const { return Path_; }

private:
  std::filesystem::path Dir_;
  std::string Path_;
};

struct DumpResult {
  int Status;
  std::string Out;
  std::string Err;
};
DumpResult RunDump(const std::vector<std::string>& Args);
// Writes Image to a temporary file and runs kavex-dump with Options and that file.
DumpResult DumpImage(const Bytes& Image, const std::vector<std::string>& Options = {"--all"});
std::vector<std::string> SplitLines(const std::string& Text);
// V in upper-case hexadecimal, at least Digits digits: how message lines show numbers.
std::string Hex(std::uint32_t V, int Digits);

// ---- model walks -------------------------------------------------------------------------
// Calls ParseNextChild until it returns null; an EKavError passes out. Returns Node's child count.
std::size_t BuildAll(kavex::TKavClass& Node);
// The root of Image (loaded from memory) with all its children built.
std::unique_ptr<kavex::TFls> LoadAndExpand(const Bytes& Image);
// The class names of Node's children, blank-separated ("TMCU TPPM TEEPROM").
std::string ChildClasses(const kavex::TKavClass& Node);

// Image loaded and built whole, every node, as kavex-dump --all and kavex-diff build it.
std::unique_ptr<kavex::TFls> Whole(const Bytes& Image);

}  // namespace kavtest
