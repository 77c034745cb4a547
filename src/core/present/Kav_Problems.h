#pragma once
// Where the warnings and errors of the open image land in its tree: the marker each built node
// carries, their count as the status strip shows it, and the order in which F8 visits them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "log/Log.h"

namespace kavex {

class TKavClass;

enum class TProblemLevel : std::uint8_t { None, Warning, Error };
// Warning and Error records mark; the other kinds do not.
TProblemLevel ProblemLevelOf(TMsgKind Kind);

// What a node's icon shows: its own worst finding, or else the worst finding of a built node
// below it (a faint marker).
enum class TProblemMarker : std::uint8_t { None, Warning, Error, WarningBelow, ErrorBelow };
constexpr int ProblemMarkerCount = 5;

// "2 errors, 1 warning", "1 error", "3 warnings"; empty when there are none.
std::string ProblemCountText(std::size_t Errors, std::size_t Warnings);

// The Warning and Error records of the open image and the built nodes they are about.
//
// A record names its node by path only, and two siblings of one name (two chunks TEXT) share a
// path. The records a node logs while it is built are told apart by when they come: a fetch
// brackets its ParseNextChild calls (TFetch), and a record logged during a call whose path is
// that of the child the call returns is that child's. Any other record marks every built node
// of its path; the loader's records ("[KavObj.LoadFile]") mark the root. Records noted while no
// root is set are kept and placed once one is.
class TProblemMarks {
public:
  // The root of the shown tree, or none. Marks on an earlier root's nodes go; the records kept
  // are placed anew below Root.
  void SetRoot(const TKavClass* Root);
  const TKavClass* Root() const { return Root_; }
  // A log record: Index is its place in the log store. Only Warnings and Errors are kept.
  void Note(std::size_t Index, TMsgKind Kind, std::string_view Path);
  // Forgets every record and the marks they made (a new open, or the log was cleared); the
  // root stays.
  void ForgetRecords();

  // One fetch of Parent's children: Built after each child its ParseNextChild hands out; the
  // records still open are placed when the fetch ends, whatever ends it.
  class TFetch {
  public:
    TFetch(TProblemMarks& Marks, const TKavClass& Parent);
    ~TFetch();
    TFetch(const TFetch&) = delete;
    TFetch& operator=(const TFetch&) = delete;
    void Built(const TKavClass& Child);

  private:
    TProblemMarks& Marks_;
  };

  TProblemMarker MarkerOf(const TKavClass& Node) const;
  // The node's own worst finding (a faint marker is not one).
  TProblemLevel LevelOf(const TKavClass& Node) const;
  // The store index of the first record placed on the node itself.
  std::optional<std::size_t> FirstRecordOf(const TKavClass& Node) const;
  std::size_t Errors() const { return Errors_; }
  std::size_t Warnings() const { return Warnings_; }
  std::string CountText() const { return ProblemCountText(Errors_, Warnings_); }
  bool HasMarkedNodes() const { return OwnMarked_ > 0; }
  // The next node with a finding of its own after From in tree order (depth first, a node
  // before its children), Step > 0, or the one before it, Step < 0, round the ends. With no
  // From, the first or the last. None when no node has a finding.
  const TKavClass* NextMarked(const TKavClass* From, int Step) const;
  // Every node whose marker is not None.
  std::vector<const TKavClass*> MarkedNodes() const;
  // The nodes whose marker changed since the last call, each once.
  std::vector<const TKavClass*> TakeChanged();

private:
  struct TRecord {
    std::size_t Index;
    TProblemLevel Level;
    std::string Path;
  };
  struct TNodeMarks {
    TProblemLevel Own = TProblemLevel::None;
    std::size_t FirstRecord = 0;  // valid while Own is not None
    std::uint32_t ErrorsBelow = 0;  // built nodes below with an Error of their own
    std::uint32_t WarningsBelow = 0;  // and with a Warning as their worst
  };

  void StartFetch(const TKavClass& Parent);
  void ChildBuilt(const TKavClass& Child);
  void EndFetch();
  void PlaceByPath(const TRecord& Record);
  void Place(const TRecord& Record, const TKavClass& Node);
  static TProblemMarker MarkerFrom(const TNodeMarks& Marks);
  void DropMarks();

  const TKavClass* Root_ = nullptr;
  std::vector<TRecord> Records_;
  std::unordered_map<const TKavClass*, TNodeMarks> Marks_;
  std::vector<const TKavClass*> Changed_;
  std::size_t Errors_ = 0;
  std::size_t Warnings_ = 0;
  std::size_t OwnMarked_ = 0;  // nodes with a finding of their own
  bool Fetching_ = false;
  const TKavClass* FetchParent_ = nullptr;
  std::size_t OpenFrom_ = 0;  // the records from here on were logged in the open fetch step
};

}  // namespace kavex
