// Speed of the model on a realistic image, each step measured against memcpy of the same bytes
// in the same run, at two sizes; the comparison of that image with a changed copy against
// building both; and the peak memory of kavex-dump --all --details and of kavex-diff.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>
#include <vector>

#include "BenchImage.h"
#include "log/Log.h"
#include "present/Kav_Compare.h"
#include "present/Kav_Details.h"
#include "model/Kav_Fls.h"
#include "present/Kav_FindBytes.h"
#include "present/Kav_FontSheet.h"
#include "log/Kav_LogSession.h"
#include "present/Kav_Walk.h"

extern char** environ;

namespace {

using kavtest::Bytes;
namespace fs = std::filesystem;

// The image files, written once: Divud and WinTesla at scale 1 and 2.
struct TImageFile {
  std::string Path;
  std::size_t Size = 0;
};
fs::path Folder() {
  static const fs::path Dir = [] {
    fs::path D = fs::temp_directory_path() / ("kavex-bench-" + std::to_string(::getpid()));
    fs::create_directories(D);
    return D;
  }();
  return Dir;
}
const TImageFile& ImageFile(bool WinTesla, int Scale) {
  static std::map<std::pair<bool, int>, TImageFile> Files;
  TImageFile& F = Files[{WinTesla, Scale}];
  if (F.Path.empty()) {
    const Bytes Image = WinTesla ? kavbench::RealisticWinTesla(Scale) : kavbench::RealisticImage(Scale);
    F.Path = (Folder() / ((WinTesla ? "image-wt-" : "image-divud-") + std::to_string(Scale) + (WinTesla ? ".wt" : ".fls"))).string();
    std::ofstream(F.Path, std::ios::binary).write(reinterpret_cast<const char*>(Image.data()), static_cast<std::streamsize>(Image.size()));
    F.Size = Image.size();
  }
  return F;
}

// The log as the viewer and the tool keep it: every record stored.
struct TLogged {
  kavex::TMsgCollection Store;
  kavex::TLogSession Session{Store};
};

// The root's children and theirs, as the viewer opens a file; with All, every node.
void Expand(kavex::TKavClass& Root, bool All) {
  if (All) return kavex::ExpandAll(Root);
  kavex::BuildChildren(Root);
  for (std::size_t I = 0; I < Root.ChildCount(); ++I) kavex::BuildChildren(*Root.Child(I));
}

// A picture in memory, as the viewer's: 32 bits a pixel.
class TPixels : public kavex::TGlyphSurface {
public:
  TPixels(int W, int H) : W_(W), H_(H), P_(static_cast<std::size_t>(W) * static_cast<std::size_t>(H)) {}
  void SetPixel(int X, int Y, std::uint32_t C) override {
    if (X >= 0 && Y >= 0 && X < W_ && Y < H_) P_[static_cast<std::size_t>(Y) * static_cast<std::size_t>(W_) + static_cast<std::size_t>(X)] = C;
  }
  void FillRect(int, int, int, int, std::uint32_t C) override { std::fill(P_.begin(), P_.end(), C); }
  std::uint32_t First() const { return P_.empty() ? 0 : P_.front(); }

private:
  int W_, H_;
  std::vector<std::uint32_t> P_;
};

// Every detail string (a text table's hold every GetText of the table), and every font's
// picture as the viewer draws it.
std::size_t Everything(const kavex::TKavClass& Node) {
  std::size_t N = 0;
  for (const std::string& Line : kavex::DumpDetailLines(Node, false)) N += Line.size();
  if (const auto* Font = dynamic_cast<const kavex::TFontEntry*>(&Node)) {
    const kavex::TFontSheetLayout L = kavex::LayoutFontSheetColumns(*Font, 16);
    TPixels Picture(L.Width(), L.Height());
    kavex::DrawFontSheet(*Font, L, Picture);
    N += Picture.First();
  }
  for (std::size_t I = 0; I < Node.ChildCount(); ++I) N += Everything(*Node.Child(I));
  return N;
}

// The changed copy of the Divud image (RealisticImageChanged), written once.
const TImageFile& ChangedFile(int Scale) {
  static std::map<int, TImageFile> Files;
  TImageFile& F = Files[Scale];
  if (F.Path.empty()) {
    const Bytes Image = kavbench::RealisticImageChanged(Scale);
    F.Path = (Folder() / ("image-changed-" + std::to_string(Scale) + ".fls")).string();
    std::ofstream(F.Path, std::ios::binary).write(reinterpret_cast<const char*>(Image.data()), static_cast<std::streamsize>(Image.size()));
    F.Size = Image.size();
  }
  return F;
}

enum TStep { stepOpen, stepExpand, stepEverything };

void BM_Memcpy(benchmark::State& State, int Scale) {
  const std::size_t Size = ImageFile(false, Scale).Size;
  std::vector<char> From(Size, 1), To(Size);
  for (auto _ : State) {
    std::memcpy(To.data(), From.data(), Size);
    benchmark::DoNotOptimize(To.data());
    benchmark::ClobberMemory();
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Size));
}

void BM_Model(benchmark::State& State, bool WinTesla, int Scale, TStep Step) {
  const TImageFile& File = ImageFile(WinTesla, Scale);
  TLogged Log;
  for (auto _ : State) {
    Log.Store.Clear();
    std::unique_ptr<kavex::TFls> Root = kavex::LoadFile(File.Path);
    Expand(*Root, Step != stepOpen);
    if (Step == stepEverything) benchmark::DoNotOptimize(Everything(*Root));
    benchmark::DoNotOptimize(Root.get());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * File.Size));
}

// Both images read and built whole, as kavex-diff builds them; with Compare, compared too.
void BM_Pair(benchmark::State& State, int Scale, bool Compare) {
  const TImageFile& A = ImageFile(false, Scale);
  const TImageFile& B = ChangedFile(Scale);
  TLogged Log;
  for (auto _ : State) {
    Log.Store.Clear();
    std::unique_ptr<kavex::TFls> RootA = kavex::LoadFile(A.Path);
    kavex::ExpandAll(*RootA);
    std::unique_ptr<kavex::TFls> RootB = kavex::LoadFile(B.Path);
    kavex::ExpandAll(*RootB);
    if (Compare) {
      const kavex::TComparison C = kavex::CompareImages(*RootA, *RootB);
      if (C.Same()) State.SkipWithError("the changed copy compares the same");
      benchmark::DoNotOptimize(C.Nodes.data());
    }
    benchmark::DoNotOptimize(RootB.get());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * (A.Size + B.Size)));
}

const char* const StepNames[] = {"open", "expand", "everything"};

// Edit > Find bytes over the whole image from its first byte: eight bytes first found near the
// end, three found nowhere (the whole image scanned, then the empty rest before the start), and
// Shift+F3 from the end to eight bytes found only near the start.
enum TFindCase { findNearEnd, findAbsent, findBackToStart };
const char* const FindCaseNames[] = {"end", "absent", "back"};

// Eight bytes of the image whose only match lies in its last sixteenth (NearEnd) or its first,
// taken from there.
kavex::TBytes UniquePattern(kavex::TByteView Image, bool NearEnd) {
  const std::size_t Part = Image.size() / 16, Length = 8;
  for (std::size_t K = 0; K + Length < Part; K += 61) {
    const std::size_t At = NearEnd ? Image.size() - Length - K : K;
    const kavex::TByteView P = Image.subspan(At, Length);
    const auto First = kavex::FindBytes(Image, P, 0, kavex::TSearchDirection::Forward);
    const auto Last = kavex::FindBytes(Image, P, Image.size(), kavex::TSearchDirection::Backward);
    if (First && Last && First->Start == At && Last->Start == At) return {P.begin(), P.end()};
  }
  return {};
}

void BM_FindBytes(benchmark::State& State, int Scale, TFindCase Case) {
  const TImageFile& File = ImageFile(false, Scale);
  TLogged Log;
  const std::unique_ptr<kavex::TFls> Root = kavex::LoadFile(File.Path);
  const kavex::TByteView Image = Root->ImageBytes();
  kavex::TBytes Pattern;
  if (Case == findAbsent) {
    // Three bytes, as most typed patterns are, and the hardest length for skipping ahead.
    for (int B = 0; B < 256 && Pattern.empty(); ++B) {
      const kavex::TBytes Try = {0xA5, static_cast<std::uint8_t>(B), 0x5A};
      if (!kavex::FindBytes(Image, Try, 0, kavex::TSearchDirection::Forward)) Pattern = Try;
    }
  } else {
    Pattern = UniquePattern(Image, Case == findNearEnd);
  }
  const auto Direction = Case == findBackToStart ? kavex::TSearchDirection::Backward : kavex::TSearchDirection::Forward;
  const std::size_t From = Case == findBackToStart ? Image.size() : 0;
  const auto Found = kavex::FindBytes(Image, Pattern, From, Direction);
  if (Pattern.empty() || Found.has_value() == (Case == findAbsent)) {
    State.SkipWithError("no pattern for this case in the image");
    return;
  }
  for (auto _ : State) benchmark::DoNotOptimize(kavex::FindBytes(Image, Pattern, From, Direction));
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Image.size()));
}

void Register() {
  for (int Scale : {1, 2}) {
    benchmark::RegisterBenchmark(("memcpy/" + std::to_string(Scale)).c_str(), BM_Memcpy, Scale)->Unit(benchmark::kMillisecond);
    for (bool WinTesla : {false, true})
      for (TStep Step : {stepOpen, stepExpand, stepEverything})
        benchmark::RegisterBenchmark(
            (std::string(StepNames[Step]) + (WinTesla ? "/wintesla/" : "/divud/") + std::to_string(Scale)).c_str(), BM_Model,
            WinTesla, Scale, Step)
            ->Unit(benchmark::kMillisecond);
    for (TFindCase Case : {findNearEnd, findAbsent, findBackToStart})
      benchmark::RegisterBenchmark((std::string("findbytes/") + FindCaseNames[Case] + "/" + std::to_string(Scale)).c_str(),
                                   BM_FindBytes, Scale, Case)
          ->Unit(benchmark::kMillisecond);
    for (bool Compare : {false, true})
      benchmark::RegisterBenchmark(((Compare ? "compare/divud/" : "build-both/divud/") + std::to_string(Scale)).c_str(), BM_Pair, Scale,
                                   Compare)
          ->Unit(benchmark::kMillisecond);
  }
}

// Keeps each run's time per iteration, by name.
class TCollector : public benchmark::ConsoleReporter {
public:
  std::map<std::string, double> Ms;
  void ReportRuns(const std::vector<Run>& Runs) override {
    for (const Run& R : Runs)
      if (R.run_type == Run::RT_Iteration) {
        // The machine is shared: the fastest repetition is the one least disturbed.
        const std::string Name = R.run_name.function_name;
        const double T = R.GetAdjustedCPUTime();
        if (!Ms.count(Name) || T < Ms[Name]) Ms[Name] = T;
      }
    ConsoleReporter::ReportRuns(Runs);
  }
};

// Peak resident memory of a child process in KiB; -1 when it does not end with Status.
long PeakKiB(const std::vector<std::string>& Args, int Expected = 0) {
  std::vector<char*> Argv;
  for (const std::string& A : Args) Argv.push_back(const_cast<char*>(A.c_str()));
  Argv.push_back(nullptr);
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t Pid = 0;
  const int Spawned = posix_spawn(&Pid, Argv[0], &Actions, nullptr, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  if (Spawned != 0) return -1;
  int Status = 0;
  rusage Usage{};
  if (wait4(Pid, &Status, 0, &Usage) != Pid || !WIFEXITED(Status) || WEXITSTATUS(Status) != Expected) return -1;
  return Usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  // --quick: one short pass at scale 1 only, for the test run that checks the program works.
  // --dump=PATH: the kavex-dump whose peak memory is measured (another build's, say).
  // --write-image=PATH: writes the 4 MiB benchmark image to PATH (to try it in the viewer).
  bool Quick = false;
  std::vector<char*> Args;
#ifdef KAVEX_DUMP_PATH
  std::string DumpPath = KAVEX_DUMP_PATH;
  std::string DiffPath = KAVEX_DIFF_PATH;
#endif
  for (int I = 0; I < argc; ++I) {
    if (std::strncmp(argv[I], "--write-image=", 14) == 0) {
      const Bytes Image = kavbench::RealisticImage(1);
      std::ofstream Out(argv[I] + 14, std::ios::binary);
      Out.write(reinterpret_cast<const char*>(Image.data()), static_cast<std::streamsize>(Image.size()));
      if (!Out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", argv[I] + 14);
        return 1;
      }
      return 0;
    }
    if (std::strcmp(argv[I], "--quick") == 0) {
      Quick = true;
      continue;
    }
#ifdef KAVEX_DUMP_PATH
    if (std::strncmp(argv[I], "--dump=", 7) == 0) {
      DumpPath = argv[I] + 7;
      continue;
    }
    if (std::strncmp(argv[I], "--diff=", 7) == 0) {
      DiffPath = argv[I] + 7;
      continue;
    }
#endif
    Args.push_back(argv[I]);
  }
  std::string MinTime = "--benchmark_min_time=0.01";
  std::string Filter = "--benchmark_filter=/1$";
  if (Quick) {
    Args.push_back(MinTime.data());
    Args.push_back(Filter.data());
  }
  int Argc = static_cast<int>(Args.size());
#ifdef KAVEX_DUMP_PATH
  // A spawned child starts from this process's memory high-water mark, so the tool runs before
  // this process grows: its images are made and written by a child of its own. The second
  // holds four times the text tables, tones and operator lists.
  struct TPeak {
    std::string File;
    std::size_t FileSize = 0;
    long KiB = 0;
  };
  TPeak Peaks[2] = {{(Folder() / "peak.fls").string()}, {(Folder() / "peak-content4.fls").string()}};
  const std::string PeakChanged = (Folder() / "peak-changed.fls").string();
  if (const pid_t Maker = fork(); Maker == 0) {
    for (int K = 0; K < 2; ++K) {
      const Bytes Image = kavbench::RealisticImage(1, K == 0 ? 1 : 4);
      std::ofstream(Peaks[K].File, std::ios::binary).write(reinterpret_cast<const char*>(Image.data()), static_cast<std::streamsize>(Image.size()));
    }
    const Bytes Changed = kavbench::RealisticImageChanged(1);
    std::ofstream(PeakChanged, std::ios::binary).write(reinterpret_cast<const char*>(Changed.data()), static_cast<std::streamsize>(Changed.size()));
    _exit(0);
  } else {
    int Status = 0;
    waitpid(Maker, &Status, 0);
  }
  for (TPeak& P : Peaks) {
    P.FileSize = fs::file_size(P.File);
    P.KiB = PeakKiB({DumpPath, "--all", "--details", P.File});
  }
  // kavex-diff on the image and its changed copy, which differ (status 1).
  const long DiffKiB = PeakKiB({DiffPath, Peaks[0].File, PeakChanged}, 1);
#endif
  // A warm heap for every run: without this, glibc hands large blocks back to the kernel
  // between runs as its history dictates, and the kernel's zeroing of fresh pages, not the
  // model, decides the timings (by up to ten times). memcpy's buffers stay warm the same way.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  std::string Repetitions = "--benchmark_repetitions=9";
  std::string MinTimeFull = "--benchmark_min_time=0.2";
  if (!Quick) {
    Args.insert(Args.begin() + 1, MinTimeFull.data());
    Args.insert(Args.begin() + 1, Repetitions.data());
  }
  Argc = static_cast<int>(Args.size());
  benchmark::Initialize(&Argc, Args.data());
  // Every image is made before anything is timed, and read once so the page cache holds it.
  for (int Scale : {1, 2})
    for (bool WinTesla : {false, true}) {
      if (Quick && Scale == 2) continue;
      TLogged Log;
      kavex::LoadFile(ImageFile(WinTesla, Scale).Path);
    }
  Register();
  TCollector Collector;
  benchmark::RunSpecifiedBenchmarks(&Collector);
  benchmark::Shutdown();

  bool Met = true;
  const double M1 = Collector.Ms["memcpy/1"];
  const double M2 = Collector.Ms.count("memcpy/2") ? Collector.Ms["memcpy/2"] : -1;
  std::printf("\n%-22s %9s %10s %8s %9s %7s\n", "step", "4 MiB ms", "x memcpy", "target", "8 MiB ms", "growth");
  std::printf("%-22s %9.3f %10s %8s %9.3f %6.2fx\n", "memcpy", M1, "1.0", "", M2, M2 > 0 ? M2 / M1 : 0);
  // Limit is in memcpys; LimitMs, where given, in milliseconds instead.
  const auto Line = [&](const std::string& Step, const std::string& Layout, double Limit, double LimitMs = 0,
                        const std::string& Label = {}) {
    const auto Get = [&](int Scale) {
      const auto It = Collector.Ms.find(Step + "/" + Layout + "/" + std::to_string(Scale));
      return It == Collector.Ms.end() ? -1.0 : It->second;
    };
    const double T1 = Get(1), T2 = Get(2);
    if (T1 < 0) return;
    const double Ratio = T1 / M1;
    // Twice the bytes in twice the time is linear; a quadratic step would take four times.
    // Above 2 the memory system speaks: memcpy of 8 MiB itself takes more than twice as long
    // as of 4 MiB here, so a step may grow as much as memcpy does, and a quarter more for noise.
    const double Growth = T2 > 0 ? T2 / T1 : 0;
    const double MemGrowth = M2 > 0 ? M2 / M1 : 2;
    const bool RatioOk = LimitMs > 0 ? T1 <= LimitMs : Limit <= 0 || Ratio <= Limit;
    const bool GrowthOk = T2 < 0 || Growth <= 1.25 * std::max(2.0, MemGrowth);
    Met &= RatioOk && GrowthOk;
    const std::string Target = LimitMs > 0 ? std::to_string(static_cast<int>(LimitMs)) + " ms"
                               : Limit > 0 ? "<= " + std::to_string(static_cast<int>(Limit)) : "";
    std::printf("%-22s %9.2f %10.1f %8s %9.2f %6.2fx %s%s\n", (Label.empty() ? Step + " " + Layout : Label).c_str(), T1, Ratio,
                Target.c_str(), T2, Growth, RatioOk ? "" : (LimitMs > 0 ? "TIME NOT MET " : "RATIO NOT MET "),
                GrowthOk ? "" : "GROWTH NOT LINEAR");
  };
  for (const char* Layout : {"divud", "wintesla"}) {
    Line("open", Layout, 0);
    Line("expand", Layout, 5);
    Line("everything", Layout, 50);
  }
  Line("findbytes", "end", 0, 50, "find bytes, near end");
  Line("findbytes", "absent", 0, 50, "find bytes, absent");
  Line("findbytes", "back", 0, 50, "find bytes back");
  // The comparison, building both images whole included, against building them alone.
  const auto Ms = [&](const std::string& Name) {
    const auto It = Collector.Ms.find(Name);
    return It == Collector.Ms.end() ? -1.0 : It->second;
  };
  for (int Scale : {1, 2}) {
    const double Build = Ms("build-both/divud/" + std::to_string(Scale));
    const double Compare = Ms("compare/divud/" + std::to_string(Scale));
    if (Build <= 0 || Compare <= 0) continue;
    const bool Ok = Compare <= 3 * Build;
    Met &= Ok;
    std::printf("%-22s %9.2f ms, building both %.2f ms: %.2f x of at most 3 (%d MiB each) %s\n", "compare with a copy", Compare, Build,
                Compare / Build, 4 * Scale, Ok ? "ok" : "RATIO NOT MET");
  }
#ifdef KAVEX_DUMP_PATH
  for (int K = 0; K < 2; ++K) {
    const TPeak& P = Peaks[K];
    // At most one and a half times the file, and 12 MiB for the program and its log.
    const double LimitKiB = (1.5 * static_cast<double>(P.FileSize) + 12.0 * 1024 * 1024) / 1024;
    const bool Ok = P.KiB > 0 && P.KiB <= LimitKiB;
    Met &= Ok;
    std::printf("%-24s %7.1f MiB of at most %.1f MiB (%s, %.1f MiB) %s\n", "kavex-dump peak memory",
                static_cast<double>(P.KiB) / 1024, LimitKiB / 1024, K == 0 ? "image" : "4 x content",
                static_cast<double>(P.FileSize) / (1024 * 1024), Ok ? "ok" : "NOT MET");
  }
  {
    // At most two and a half times kavex-dump's on one of the two images.
    const double LimitKiB = 2.5 * static_cast<double>(Peaks[0].KiB);
    const bool Ok = DiffKiB > 0 && Peaks[0].KiB > 0 && static_cast<double>(DiffKiB) <= LimitKiB;
    Met &= Ok;
    std::printf("%-24s %7.1f MiB of at most %.1f MiB (2.5 x kavex-dump's, image and changed copy) %s\n", "kavex-diff peak memory",
                static_cast<double>(DiffKiB) / 1024, LimitKiB / 1024, Ok ? "ok" : "NOT MET");
  }
#endif
  std::error_code Ignored;
  fs::remove_all(Folder(), Ignored);
  std::printf("%s\n", Met ? "All targets met." : "Some targets NOT met.");
  // The quick pass only shows that every step runs; its short timings judge nothing.
  return Met || Quick ? 0 : 1;
}
