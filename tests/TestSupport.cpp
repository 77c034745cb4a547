#include "TestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "cli/DumpTool.h"
#include "model/FileName.h"
#include "model/KavObj.h"
#include "present/Kav_Walk.h"

namespace kavtest {

CapturedLog::CapturedLog() { Store_.Clear(); }

std::vector<std::string> CapturedLog::Lines() const {
  std::vector<std::string> Out;
  for (std::size_t I = 0; I < Store_.Count(); ++I) Out.push_back(kavex::FormatMsgLine(Store_.At(I)));
  return Out;
}

std::vector<int> CapturedLog::Idents() const {
  std::vector<int> Out;
  for (std::size_t I = 0; I < Store_.Count(); ++I) Out.push_back(Store_.At(I).Ident);
  return Out;
}

TempFile::TempFile(const Bytes& Content, const std::string& Name) {
  static std::atomic<int> Counter{0};
  Dir_ = std::filesystem::temp_directory_path() /
         ("kavex-test-" + std::to_string(::getpid()) + "-" + std::to_string(Counter++));
  std::filesystem::create_directories(Dir_);
  // The path is UTF-8 as the programs take it, on Windows too.
  Path_ = kavex::PathToUtf8(Dir_ / kavex::PathFromUtf8(Name));
#ifdef _WIN32
  // Windows takes '/' as well; the dumps print a '\\' as two, which the expected texts lack.
  std::replace(Path_.begin(), Path_.end(), '\\', '/');
#endif
  std::ofstream F(kavex::PathFromUtf8(Path_), std::ios::binary);
  F.write(reinterpret_cast<const char*>(Content.data()), static_cast<std::streamsize>(Content.size()));
}

TempFile::~TempFile() {
  std::error_code Ignored;
  std::filesystem::remove_all(Dir_, Ignored);
}

DumpResult RunDump(const std::vector<std::string>& Args) {
  std::ostringstream Out, Err;
  const int Status = kavex::RunKavexDump(Args, Out, Err);
  return {Status, Out.str(), Err.str()};
}

DumpResult DumpImage(const Bytes& Image, const std::vector<std::string>& Options) {
  TempFile File(Image);
  std::vector<std::string> Args = Options;
  Args.push_back(File.Path());
  return RunDump(Args);
}

std::string Hex(std::uint32_t V, int Digits) {
  char Buf[16];
  std::snprintf(Buf, sizeof Buf, "%0*X", Digits, V);
  return Buf;
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Out;
  std::istringstream In(Text);
  for (std::string Line; std::getline(In, Line);) Out.push_back(Line);
  return Out;
}

std::size_t BuildAll(kavex::TKavClass& Node) {
  while (Node.ParseNextChild()) {
  }
  return Node.ChildCount();
}

std::unique_ptr<kavex::TFls> LoadAndExpand(const Bytes& Image) {
  auto Root = kavex::LoadImage(Image, "image.fls");
  BuildAll(*Root);
  return Root;
}

std::string ChildClasses(const kavex::TKavClass& Node) {
  std::string Out;
  for (std::size_t I = 0; I < Node.ChildCount(); ++I) Out += (I ? " " : "") + std::string(Node.Child(I)->ClassName());
  return Out;
}

std::unique_ptr<kavex::TFls> Whole(const Bytes& Image) {
  auto Root = kavex::LoadImage(Image, "image.fls");
  kavex::ExpandAll(*Root);
  return Root;
}

}  // namespace kavtest
