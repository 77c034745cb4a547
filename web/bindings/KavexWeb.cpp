// The page's way into the core: one Session is one open image (and, while comparing, a second
// one). Every answer is made by the core's present/ and log/ functions, the same the viewer and
// kavex-dump call, and handed over as UTF-8 strings (JSON for anything structured) or byte
// arrays. The page never parses image bytes and never formats a value the core formats.
//
// Node ids: small integers handed out as nodes are first shown; 0 is the root. Nodes of the
// second image (the stand-ins of a comparison) get ids from SecondIdBase on. Ids hold until the
// next open or close. A bad id gives an empty answer, never an exception.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <nlohmann/json.hpp>

#include "log/Kav_LogSession.h"
#include "log/Log.h"
#include "model/CodePage.h"
#include "model/KavObj.h"
#include "model/Kav_Chunk.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Font.h"
#include "model/Kav_Kinds.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_Subchunk.h"
#include "model/Kav_Text.h"
#include "present/Kav_AreaDetails.h"
#include "present/Kav_Bytes.h"
#include "present/Kav_Compare.h"
#include "present/Kav_CompareReport.h"
#include "present/Kav_CompareSides.h"
#include "present/Kav_CompareView.h"
#include "present/Kav_Details.h"
#include "present/Kav_Export.h"
#include "present/Kav_Find.h"
#include "present/Kav_FontSheet.h"
#include "present/Kav_Place.h"
#include "present/Kav_Problems.h"
#include "present/Kav_Walk.h"
#include "KavexVersion.h"

namespace kavex {
namespace {

using nlohmann::json;
using emscripten::val;

constexpr int SecondIdBase = 1 << 24;
// The tag the viewer's caption carries after the version.
constexpr const char* ReleaseTag = "TEST ONLY";

std::string Dump(const json& J) { return J.dump(-1, ' ', false, json::error_handler_t::replace); }

// A copy of the bytes as a Uint8Array of its own (a view into the heap would go stale when the
// heap grows).
val ToUint8Array(const std::uint8_t* Data, std::size_t Size) {
  return val(emscripten::typed_memory_view(Size, Data)).call<val>("slice");
}
val ToUint8Array(const TBytes& Bytes) { return ToUint8Array(Bytes.data(), Bytes.size()); }

TImageBytes FromUint8Array(const val& Array) {
  const std::size_t Size = Array["length"].as<std::size_t>();
  TImageBytes Bytes(Size);
  if (Size > 0) {
    val Heap = val(emscripten::typed_memory_view(Size, Bytes.data()));
    Heap.call<void>("set", Array);
  }
  return Bytes;
}

const char* ProblemName(TProblemMarker Marker) {
  switch (Marker) {
    case TProblemMarker::None: return "none";
    case TProblemMarker::Warning: return "warning";
    case TProblemMarker::Error: return "error";
    case TProblemMarker::WarningBelow: return "warningBelow";
    case TProblemMarker::ErrorBelow: return "errorBelow";
  }
  return "none";
}

const char* CompareMarkName(TCompareMark Mark) {
  switch (Mark) {
    case TCompareMark::None: return "none";
    case TCompareMark::Changed: return "changed";
    case TCompareMark::Added: return "added";
    case TCompareMark::Removed: return "removed";
    case TCompareMark::Below: return "below";
  }
  return "none";
}

// The root's icon once its areas are read, as the viewer's tree shows it: one for each set of
// MCU, PPM and EEPROM areas, the file's own before (and for a set without its own icon).
int RootIcon(const TKavClass& Root) {
  int Set = 0;
  for (std::size_t I = 0; I < Root.ChildCount(); ++I) Set |= AreaSetBits(Root.Child(I)->ClassName());
  const int Icon = AreaSetIcon(Set);
  return Icon >= 0 ? Icon : 0;
}

std::string WindowCaption(const std::string& Shown) {
  return FormatText("%s - %s v%d.%02d %s", TLogArgs{EscapeControls(Shown), std::string(ProgramName),
                                                     std::int64_t{VersionMajor}, std::int64_t{VersionMinor},
                                                     std::string(ReleaseTag)});
}

// The file name without the folders a picker may hand over.
std::string BareName(const std::string& Name) {
  const std::size_t Slash = Name.find_last_of("/\\");
  return Slash == std::string::npos ? Name : Name.substr(Slash + 1);
}

char16_t Folded(char16_t C) {
  const wint_t L = std::towlower(static_cast<wint_t>(C));
  return L <= 0xFFFF ? static_cast<char16_t>(L) : C;
}

// RGBA pixels for the page's canvas.
class TRgbaSurface final : public TGlyphSurface {
public:
  TRgbaSurface(int Width, int Height)
      : Width_(Width), Height_(Height), Pixels_(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height) * 4, 0xFF) {}
  void SetPixel(int X, int Y, std::uint32_t Colour) override {
    if (X < 0 || Y < 0 || X >= Width_ || Y >= Height_) return;
    std::uint8_t* P = &Pixels_[(static_cast<std::size_t>(Y) * static_cast<std::size_t>(Width_) + static_cast<std::size_t>(X)) * 4];
    P[0] = static_cast<std::uint8_t>(Colour >> 16);
    P[1] = static_cast<std::uint8_t>(Colour >> 8);
    P[2] = static_cast<std::uint8_t>(Colour);
    P[3] = 0xFF;
  }
  const std::vector<std::uint8_t>& Pixels() const { return Pixels_; }

private:
  int Width_;
  int Height_;
  std::vector<std::uint8_t> Pixels_;
};

json SheetJson(const TFontSheetLayout& L) {
  return {{"width", L.Width()}, {"height", L.Height()}, {"cellWidth", L.CellWidth}, {"cellHeight", L.CellHeight},
          {"columns", L.Columns}, {"rows", L.Rows}, {"cells", L.Cells}};
}

json RowsJson(const std::vector<std::pair<std::string, std::string>>& Rows) {
  json Out = json::array();
  for (const auto& [Label, Value] : Rows) Out.push_back({{"label", Label}, {"value", Value}});
  return Out;
}

json SideRowsJson(const TSideTable& Table) {
  json Rows = json::array();
  const auto Runs = [](const std::string& Text, const std::vector<TTextRun>& Marks) {
    json Out = json::array();
    for (const TTextRun& Run : Marks)
      if (Run.Offset <= Text.size())
        Out.push_back({{"text", Text.substr(Run.Offset, std::min(Run.Length, Text.size() - Run.Offset))}, {"changed", Run.Changed}});
    return Out;
  };
  for (const TSideRow& Row : Table.Rows) {
    json R = {{"sign", ChangeSign(Row.Change)},
              {"change", Row.Change == TChange::Same ? "" : ChangeName(Row.Change)},
              {"label", Row.Label},
              {"left", Row.First},
              {"right", Row.Second}};
    if (!Row.Marks1.empty()) R["leftRuns"] = Runs(Row.First, Row.Marks1);
    if (!Row.Marks2.empty()) R["rightRuns"] = Runs(Row.Second, Row.Marks2);
    Rows.push_back(std::move(R));
  }
  return Rows;
}

class TSession {
public:
  // The session takes the core's log over (the last session made has it).
  TSession() {
    Log_ = std::make_unique<TLogSession>([this](int Ident, const std::string& Path, const std::string& Text) {
      Logged(Ident, Path, Text);
    });
  }
  ~TSession() {
    Log_.reset();  // before the store it feeds
  }
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  std::string open(const val& Bytes, const std::string& Name) {
    close();
    Records_.Clear();
    std::string Reason;
    std::unique_ptr<TFls> Loaded;
    const std::string Shown = BareName(Name);
    json Out;
    try {
      Loaded = LoadFileBytes(FromUint8Array(Bytes), Name, &Reason);
    } catch (const EKavError&) {
      Reason = "a problem was found in it";
    }
    if (Loaded) {
      Root_ = std::move(Loaded);
      Marks_.SetRoot(Root_.get());
      IdOf(Root_.get());
      // The root and its areas open at once, as the viewer opens them.
      Fetch(*Root_);
      for (std::size_t I = 0; I < Root_->ChildCount(); ++I) Fetch(*Root_->Child(I));
      if (HoldsNoArea(*Root_)) {
        close();
        Reason = std::string(NoAreaFoundText) + " in it";
      }
    }
    if (!Root_) {
      Out["ok"] = false;
      Out["reason"] = "Could not show " + (Shown.empty() ? Name : Shown) + ": " + Reason + ". The log has the details.";
      Out["caption"] = WindowCaption("(Untitled)");
      return Dump(Out);
    }
    FileName_ = Name;
    Out["ok"] = true;
    Out["root"] = NodeJson(0);
    Out["caption"] = WindowCaption(Name);
    return Dump(Out);
  }

  void close() {
    stopComparing();
    Marks_.SetRoot(nullptr);
    Marks_.ForgetRecords();
    Ids_.clear();
    Index_.clear();
    Complete_.clear();
    Stopped_.clear();
    Exports_.clear();
    Root_.reset();
    FileName_.clear();
  }

  std::string children(int Id) {
    TKavClass* Node = NodeOf(Id);
    if (!Node) return "[]";
    std::string Out;
    const auto Add = [&Out](std::string Text) {
      Out += Out.empty() ? "[" : ",";
      Out += Text;
    };
    if (Id < SecondIdBase) Fetch(*Node);
    for (std::size_t I = 0; I < Node->ChildCount(); ++I) {
      if (Id < SecondIdBase) {
        for (const TAddedPlace& Added : AddedBelow(Node, I)) Add(NodeText(IdOf(Added.Diff->Node2, true)));
        Add(NodeText(IdOf(Node->Child(I))));
      } else {
        Add(NodeText(IdOf(Node->Child(I), true)));
      }
    }
    if (Id < SecondIdBase)
      for (const TAddedPlace& Added : AddedBelow(Node, Node->ChildCount())) Add(NodeText(IdOf(Added.Diff->Node2, true)));
    return Out.empty() ? "[]" : Out + "]";
  }

  // The tree closed the node: a fetch an error stopped there runs again at its next opening,
  // as the viewer's tree fetches a stopped node again after a collapse.
  void collapsed(int Id) {
    if (const TKavClass* Node = Id < SecondIdBase ? NodeOf(Id) : nullptr) Stopped_.erase(Node);
  }

  std::string node(int Id) { return NodeText(Id); }

  std::string details(int Id) {
    const TKavClass* Node = NodeOf(Id);
    json Out;
    if (!Node) return "{}";
    const TNodePanel Panel = NodePanelOf(Node);
    Out["panel"] = "none";
    Out["title"] = "";
    Out["rows"] = json::array();
    if (Panel == TNodePanel::Chunk) {
      const TChunkDetails D = ChunkDetails(static_cast<const TChunk&>(*Node));
      Out["panel"] = "chunk";
      Out["title"] = "Chunk";
      Out["rows"] = RowsJson({{"CheckSum:", D.CheckSum}, {"Length:", D.Length}, {"Name/Type:", D.NameType}, {"Version:", D.Version}});
    } else if (IsSubchunkPanel(Panel)) {
      const TSubchunkDetails D = SubchunkDetails(static_cast<const TSubchunk&>(*Node));
      Out["panel"] = "subchunk";
      Out["title"] = "Subchunk";
      Out["rows"] = RowsJson({{"Id:", D.Id}, {"Length:", D.Length}, {"Shortname:", D.Shortname}, {"Flags:", D.Flags}});
      if (Panel == TNodePanel::TextList) {
        const TTextListDetails T = TextListDetails(static_cast<const TTextSubchunk&>(*Node));
        json Rows = json::array();
        for (const TTextRow& Row : T.Rows) Rows.push_back({{"index", Row.Index}, {"entry", Row.Entry}});
        Out["panel"] = "text";
        Out["listTitle"] = "Text entries";
        Out["text"] = {{"language", T.Language}, {"charset", T.Charset}, {"rows", std::move(Rows)}};
      } else if (Panel == TNodePanel::OperatorList) {
        json Rows = json::array();
        for (const TOperatorRow& Row : OperatorListRows(static_cast<const TPLMNSubchunk&>(*Node)))
          Rows.push_back({{"mcc", Row.Mcc}, {"provider", Row.Provider}});
        Out["panel"] = "operators";
        Out["listTitle"] = "MCC entries";
        Out["operators"] = std::move(Rows);
      } else if (Node->Kind() == TNodeKind::ToneSubchunk) {
        Out["panel"] = "tone";
      }
    } else if (Panel == TNodePanel::FontImage) {
      Out["panel"] = "font";
      Out["title"] = EscapeControls(Node->GetCaption());
      Out["font"] = SheetJson(LayoutFontSheetColumns(static_cast<const TFontEntry&>(*Node), ExportSheetColumns));
    }
    if (HasAreaDetails(Node)) {
      const TAreaDetails D = AreaDetails(*Node);
      std::vector<std::pair<std::string, std::string>> Rows;
      for (const TDetailRow& Row : D.Rows) Rows.push_back({Row.Label, Row.Value});
      Out["panel"] = "area";
      Out["title"] = D.Title;
      Out["rows"] = RowsJson(Rows);
    }
    Out["place"] = NodePlaceText(*Node);
    return Dump(Out);
  }

  std::string bytesRows(int Id, double First, double Count) {
    const TKavClass* Node = NodeOf(Id);
    if (!Node) return "{}";
    const TByteView Bytes = Node->ImageBytes();
    const std::int64_t Base = FlashAddressBase(*Node);
    json Out = {{"offset", Node->ImageOffset()}, {"size", Bytes.size()}, {"headerSize", NodeHeaderSize(*Node)}, {"flashBase", Base}};
    json Rows = json::array();
    const std::size_t RowCount = (Bytes.size() + BytesPerRow - 1) / BytesPerRow;
    const std::size_t From = First <= 0 ? 0 : static_cast<std::size_t>(std::min<double>(First, static_cast<double>(RowCount)));
    const std::size_t Upto = Count <= 0 ? From : static_cast<std::size_t>(std::min<double>(static_cast<double>(From) + Count, static_cast<double>(RowCount)));
    for (std::size_t Row = From; Row < Upto; ++Row) {
      const std::uint64_t At = Node->ImageOffset() + Row * BytesPerRow;
      json R = {{"offset", OffsetText(At)}, {"hex", HexRow(Bytes, Row)}, {"text", TextRow(Bytes, Row)}};
      if (Base >= 0) R["address"] = OffsetText(static_cast<std::uint64_t>(Base) + At);
      Rows.push_back(std::move(R));
    }
    Out["rows"] = std::move(Rows);
    return Dump(Out);
  }

  val nodeBytes(int Id) {
    const TKavClass* Node = NodeOf(Id);
    return Node ? ToUint8Array(NodeBytes(*Node)) : ToUint8Array(nullptr, 0);
  }

  std::string bytesHex(int Id, double From, double Count) {
    const TKavClass* Node = NodeOf(Id);
    if (!Node || From < 0 || Count <= 0) return "";
    const TByteView Bytes = Node->ImageBytes();
    if (From >= static_cast<double>(Bytes.size())) return "";
    const std::size_t Start = static_cast<std::size_t>(From);
    const std::size_t Length = static_cast<std::size_t>(std::min<double>(Count, static_cast<double>(Bytes.size() - Start)));
    return BytesHex(Bytes.subspan(Start, Length));
  }

  std::string bytesFileName(int Id) {
    const TKavClass* Node = NodeOf(Id);
    if (!Node) return "";
    return NodePosition(*Node) + "_" + SafeNamePart(Node->GetCaption(), 40, "node") + ".bin";
  }

  std::string goToOffset(const std::string& Text) {
    json Out;
    if (!Root_) return Dump({{"ok", false}, {"message", "No image is open."}});
    const std::optional<std::size_t> Offset = ParseImageOffset(Text);
    if (!Offset) return Dump({{"ok", false}, {"message", NotAnOffsetText(Text)}});
    const auto Holds = [&](const TKavClass& Node) {
      return *Offset >= Node.ImageOffset() && *Offset - Node.ImageOffset() < Node.ImageBytes().size();
    };
    if (!Holds(*Root_)) {
      std::string Shown(Text);
      Shown.erase(0, Shown.find_first_not_of(" \t\r\n"));
      Shown.erase(Shown.find_last_not_of(" \t\r\n") + 1);
      return Dump({{"ok", false}, {"message", "The image has no byte at offset " + Shown + "."}});
    }
    TKavClass* At = Root_.get();
    for (;;) {
      Fetch(*At);
      TKavClass* Inner = nullptr;
      for (std::size_t I = 0; I < At->ChildCount() && !Inner; ++I)
        if (Holds(*At->Child(I))) Inner = At->Child(I);
      if (!Inner) break;
      At = Inner;
    }
    const int Id = IdOf(At);
    return Dump({{"ok", true}, {"id", Id}, {"path", PathIds(At)}, {"offset", *Offset}});
  }

  std::string fontSheet(int Id, int Columns) {
    const TFontEntry* Font = FontOf(Id);
    return Font ? Dump(SheetJson(LayoutFontSheetColumns(*Font, Columns))) : "{}";
  }

  val fontPixels(int Id, int Columns) {
    const TFontEntry* Font = FontOf(Id);
    if (!Font) return ToUint8Array(nullptr, 0);
    const TFontSheetLayout Layout = LayoutFontSheetColumns(*Font, Columns);
    if (Layout.Width() <= 0 || Layout.Height() <= 0) return ToUint8Array(nullptr, 0);
    TRgbaSurface Surface(Layout.Width(), Layout.Height());
    DrawFontSheet(*Font, Layout, Surface);
    return ToUint8Array(Surface.Pixels().data(), Surface.Pixels().size());
  }

  std::string glyphAt(int Id, int Columns, int X, int Y) {
    const TFontEntry* Font = FontOf(Id);
    return Font ? GlyphCellText(*Font, LayoutFontSheetColumns(*Font, Columns), X, Y) : "";
  }

  std::string log(double From) {
    json Records = json::array();
    const std::size_t Count = Records_.Count();
    for (std::size_t I = From <= 0 ? 0 : static_cast<std::size_t>(From); I < Count; ++I) {
      const TMsgItem& Item = Records_.At(I);
      Records.push_back({{"index", I}, {"kind", static_cast<int>(Item.Kind())}, {"ident", Item.Ident}, {"path", Item.Path},
                         {"text", Item.Text}, {"line", FormatMsgLine(Item)}});
    }
    return Dump({{"records", std::move(Records)}, {"next", Count}});
  }

  std::string kinds() {
    json Out = json::array();
    for (int K = 0; K < MsgKindCount; ++K) {
      const TMsgKind Kind = static_cast<TMsgKind>(K);
      Out.push_back({{"kind", K}, {"name", KindName(Kind)}, {"tag", KindTag(Kind)}, {"shown", IsKindShown(Kind)}});
    }
    return Dump(Out);
  }

  void setKindShown(int Kind, bool Shown) {
    if (Kind >= 0 && Kind < MsgKindCount) SetKindShown(static_cast<TMsgKind>(Kind), Shown);
  }

  std::string logLines(const std::string& IndexesJson) {
    const json Indexes = json::parse(IndexesJson, nullptr, false);
    std::string Out;
    if (!Indexes.is_array()) return Out;
    for (const json& I : Indexes)
      if (I.is_number_unsigned() && I.get<std::size_t>() < Records_.Count()) Out += FormatMsgLine(Records_.At(I.get<std::size_t>())) + "\n";
    return Out;
  }

  void clearLog() {
    Records_.Clear();
    Marks_.ForgetRecords();
  }

  std::string find(const std::string& Text, bool Operators, bool Tones, bool MatchCase) {
    json Hits = json::array();
    if (!Root_ || Text.empty()) return Dump({{"hits", std::move(Hits)}});
    const TFindScope Scope{Operators, Tones};
    // A chunk's own subchunks are what the search reads: those chunks are built, as the
    // viewer's Find builds them.
    FetchWhere([Scope](const TKavClass& Node) {
      return Node.Kind() == TNodeKind::Chunk && ChunkHoldsFindSources(static_cast<const TChunk&>(Node), Scope);
    });
    std::u16string Word = Utf8ToUtf16(Text);
    if (!MatchCase) std::transform(Word.begin(), Word.end(), Word.begin(), Folded);
    const TKavClass* LabelOf = nullptr;
    std::string Label;
    ForEachFindEntry(*Root_, Scope, [&](const TFindEntry& Entry) {
      std::u16string Searched = Entry.Text;
      if (!MatchCase) std::transform(Searched.begin(), Searched.end(), Searched.begin(), Folded);
      const std::size_t At = Searched.find(Word);
      if (At == std::u16string::npos) return;
      if (LabelOf != Entry.Node) {  // one label a table, not one a hit
        LabelOf = Entry.Node;
        Label = FindTableLabel(*Entry.Node);
      }
      const int Id = IdOf(Entry.Node);
      Hits.push_back({{"id", Id},
                      {"path", PathIds(Entry.Node)},
                      {"row", Entry.ListRow},
                      {"table", Label},
                      {"entry", Entry.Source == TFindSource::Text ? std::to_string(Entry.Entry) : std::string()},
                      {"text", Utf16ToUtf8(Entry.Prefix + Entry.Text)},
                      // in UTF-16 units, as JavaScript strings count
                      {"matchStart", Entry.Prefix.size() + At},
                      {"matchLength", Word.size()}});
    });
    const std::size_t Count = Hits.size();
    return Dump({{"hits", std::move(Hits)}, {"message", FindHitCountText(Count)}});
  }

  std::string problems() {
    if (!Root_) return Dump({{"count", ""}, {"errors", 0}, {"warnings", 0}});
    return Dump({{"count", Marks_.CountText()}, {"errors", Marks_.Errors()}, {"warnings", Marks_.Warnings()}});
  }

  std::string nextProblem(int From, int Step) {
    if (!Root_ || Step == 0) return "{}";
    const TKavClass* Next = Marks_.NextMarked(From >= 0 && From < SecondIdBase ? NodeOf(From) : nullptr, Step > 0 ? 1 : -1);
    if (!Next) return "{}";
    json Out = {{"id", IdOf(Next)}, {"path", PathIds(Next)}};
    if (const std::optional<std::size_t> Record = Marks_.FirstRecordOf(*Next)) Out["record"] = *Record;
    return Dump(Out);
  }

  std::string exportTexts() { return PlanExports(false); }
  std::string exportFonts() { return PlanExports(true); }

  val exportText(int Id) { return ExportOf(Id, false); }
  val exportFont(int Id) { return ExportOf(Id, true); }

  val exportFile(const std::string& Name) {
    const auto Found = Exports_.find(Name);
    if (Found == Exports_.end()) return ToUint8Array(nullptr, 0);
    return ToUint8Array(Found->second.Content());
  }

  std::string compareWith(const val& Bytes, const std::string& Name) {
    json Out = {{"ok", false}, {"summary", ""}};
    if (!Root_) {
      Out["reason"] = "No image is open.";
      Out["caption"] = WindowCaption("(Untitled)");
      return Dump(Out);
    }
    stopComparing();
    const std::string Shown = BareName(Name);
    std::string Failure;
    std::unique_ptr<TFls> Second;
    {
      // The second image's records reach the log; they mark nothing of the shown image.
      MarksOn_ = false;
      std::string Reason;
      try {
        Second = LoadFileBytes(FromUint8Array(Bytes), Name, &Reason);
        if (Second) ExpandAll(*Second);
        if (!Second) Failure = Reason;
        else if (HoldsNoArea(*Second)) Failure = std::string(NoAreaFoundText) + " in it";
      } catch (const EKavError& Error) {
        Failure = "a problem was found in it (" + EscapeControls(Error.what()) + ")";
      }
      MarksOn_ = true;
    }
    if (!Failure.empty()) {
      Out["reason"] = "Could not compare with " + (Shown.empty() ? Name : Shown) + ": " + Failure + ". The log has the details.";
      Out["caption"] = WindowCaption(FileName_);
      return Dump(Out);
    }
    FetchWhere([](const TKavClass&) { return true; });  // the first image whole
    Compare_ = std::make_unique<TCompare>();
    Compare_->Second = std::move(Second);
    Compare_->Name = Name;
    Compare_->Comparison = CompareImages(*Root_, *Compare_->Second);
    Compare_->View = LayOutComparison(Compare_->Comparison, *Root_, *Compare_->Second);
    Out["ok"] = true;
    Out["summary"] = CompareSummary(Compare_->Comparison);
    Out["caption"] = WindowCaption(FileName_ + " ~ " + Shown);
    return Dump(Out);
  }

  void stopComparing() {
    Compare_.reset();
    Ids2_.clear();
    Index2_.clear();
  }

  std::string nextDifference(int From, int Step) {
    if (!Compare_ || Step == 0) return "{}";
    // Every row in tree order, stand-ins in their places, as the viewer's tree has them.
    std::vector<int> Rows;
    const std::function<void(int)> Walk = [&](int Id) {
      const json Children = json::parse(children(Id));
      for (const json& Child : Children) {
        Rows.push_back(Child["id"].get<int>());
        Walk(Child["id"].get<int>());
      }
    };
    Rows.push_back(0);
    Walk(0);
    int First = -1, Last = -1, Before = -1, After = -1;
    bool Passed = false;
    for (const int Id : Rows) {
      if (Id == From) {
        Passed = true;
        continue;
      }
      const TCompareMark Mark = Compare_->View.MarkOf(NodeOf(Id));
      if (Mark == TCompareMark::None || Mark == TCompareMark::Below) continue;
      if (First < 0) First = Id;
      Last = Id;
      if (!Passed) Before = Id;
      else if (After < 0) After = Id;
    }
    const int Target = Step > 0 ? (After >= 0 ? After : First) : (Before >= 0 ? Before : Last);
    if (Target < 0) return "{}";
    return Dump({{"id", Target}, {"path", PathIds(NodeOf(Target))}});
  }

  std::string sides(int Id) {
    const TKavClass* Node = Id < SecondIdBase ? NodeOf(Id) : nullptr;
    const TNodeDiff* Diff = Compare_ && Node ? Compare_->View.ChangedDiffOf(Node) : nullptr;
    if (!Diff || Diff->Change != TChange::Changed || !Diff->Node1 || !Diff->Node2)
      return Dump({{"kind", "none"}, {"counts", ""}, {"rows", json::array()}});
    const TSideTable Header = HeaderSideRows(*Diff);
    json Out = {{"kind", "header"}, {"counts", ""}, {"rows", SideRowsJson(Header)}, {"header", SideRowsJson(Header)}};
    const TNodePanel Panel = NodePanelOf(Diff->Node1);
    if (Panel == TNodePanel::TextList || Panel == TNodePanel::OperatorList) {
      const bool Texts = Panel == TNodePanel::TextList;
      const TSideTable List = Texts ? TextSideRows(*Diff) : OperatorSideRows(*Diff);
      Out["kind"] = Texts ? "text" : "operators";
      Out["counts"] = std::string(Texts ? "Text entries" : "MCC entries") + ": " + SideCounts(List);
      Out["rows"] = SideRowsJson(List);
    } else if (Panel == TNodePanel::FontImage && NodePanelOf(Diff->Node2) == TNodePanel::FontImage) {
      Out["kind"] = "font";
      Out["cells"] = DifferingGlyphCells(static_cast<const TFontEntry&>(*Diff->Node1), *Diff);
      Out["cells2"] = DifferingGlyphCells(static_cast<const TFontEntry&>(*Diff->Node2), *Diff);
      Out["secondId"] = IdOf(Diff->Node2, true);
    }
    return Dump(Out);
  }

  std::string compareReportHtml() {
    if (!Compare_) return "";
    std::ostringstream Page;
    WriteCompareHtml(Compare_->Comparison, TCompareSources{FileName_, Compare_->Name}, Page);
    return Page.str();
  }

private:
  struct TCompare {
    std::unique_ptr<TFls> Second;
    std::string Name;
    TComparison Comparison;
    TCompareView View;
  };

  void Logged(int Ident, const std::string& Path, const std::string& Text) {
    const TMsgItem& Item = Records_.Add(Ident, Path, Text);
    if (MarksOn_ && ProblemLevelOf(Item.Kind()) != TProblemLevel::None) Marks_.Note(Records_.Count() - 1, Item.Kind(), Item.Path);
  }

  int IdOf(const TKavClass* Node, bool Second = false) {
    auto& Index = Second ? Index2_ : Index_;
    auto& Ids = Second ? Ids2_ : Ids_;
    if (const auto Found = Index.find(Node); Found != Index.end()) return Found->second;
    const int Id = static_cast<int>(Ids.size()) + (Second ? SecondIdBase : 0);
    Ids.push_back(const_cast<TKavClass*>(Node));
    Index.emplace(Node, Id);
    return Id;
  }

  TKavClass* NodeOf(int Id) const {
    if (Id < 0) return nullptr;
    if (Id >= SecondIdBase) {
      const std::size_t I = static_cast<std::size_t>(Id - SecondIdBase);
      return I < Ids2_.size() ? Ids2_[I] : nullptr;
    }
    return static_cast<std::size_t>(Id) < Ids_.size() ? Ids_[static_cast<std::size_t>(Id)] : nullptr;
  }

  const TFontEntry* FontOf(int Id) const {
    const TKavClass* Node = NodeOf(Id);
    return Node && Node->Kind() == TNodeKind::FontEntry ? static_cast<const TFontEntry*>(Node) : nullptr;
  }

  bool IsSecond(const TKavClass* Node) const { return Index2_.count(Node) > 0; }

  // The ids from the root down to Node. A stand-in's way goes through the first image down to
  // the counterpart of the added node's parent, then through the second image.
  json PathIds(const TKavClass* Node) {
    json Out = json::array();
    if (!Node) return Out;
    std::vector<const TKavClass*> Chain;
    if (IsSecond(Node) && Compare_) {
      for (const TKavClass* At = Node; At; At = At->Parent()) {
        Chain.push_back(At);
        for (const TAddedPlace& Added : Compare_->View.Added)
          if (Added.Diff->Node2 == At) {
            Out = PathIds(Added.Parent);
            for (auto Down = Chain.rbegin(); Down != Chain.rend(); ++Down) Out.push_back(IdOf(*Down, true));
            return Out;
          }
      }
      return Out;
    }
    for (const TKavClass* At = Node; At; At = At->Parent()) Chain.push_back(At);
    for (auto Down = Chain.rbegin(); Down != Chain.rend(); ++Down) Out.push_back(IdOf(*Down));
    return Out;
  }

  // A node as the tree shows it. The tree asks for every row it builds, so this one is written
  // straight into text rather than built as a JSON value and then dumped, which costs several
  // times as much in WebAssembly: the caption and the path, which hold names from the image, are
  // escaped by the JSON library; the other strings are the program's own words and digits.
  std::string NodeText(int Id) {
    const TKavClass* Node = NodeOf(Id);
    if (!Node) return "{}";
    const bool Second = Id >= SecondIdBase;
    const TNodeKindRow* Row = NodeKindRowOf(Node);
    const bool Complete = Second || Complete_.count(Node) > 0;
    const bool HasChildren = Complete ? Node->ChildCount() > 0 : Node->MayHaveChildren();
    std::string Out = "{\"id\":" + std::to_string(Id);
    Out += ",\"caption\":" + Dump(EscapeControls(Node->GetCaption()));
    Out += ",\"kind\":\"" + std::string(Node->ClassName()) + '"';
    Out += ",\"icon\":" + std::to_string(Node == Root_.get() ? RootIcon(*Node) : Row ? Row->Icon : -1);
    Out += HasChildren ? ",\"hasChildren\":true" : ",\"hasChildren\":false";
    Out += ",\"childCount\":" + std::to_string(Node->ChildCount());
    Out += ",\"problem\":\"" + std::string(Second ? "none" : ProblemName(Marks_.MarkerOf(*Node))) + '"';
    Out += ",\"path\":" + Dump(Node->GetPath());
    Out += ",\"position\":\"" + NodePosition(*Node) + '"';
    if (Compare_) {
      const TCompareMark Mark = Compare_->View.MarkOf(Node);
      Out += ",\"compare\":\"" + std::string(Second && Mark == TCompareMark::None ? "added" : CompareMarkName(Mark)) + '"';
      if (Second) Out += ",\"standIn\":true";
    }
    return Out + "}";
  }

  json NodeJson(int Id) { return json::parse(NodeText(Id)); }

  // The stand-ins to show before child Row of Node (after the last child for Row == count).
  std::vector<TAddedPlace> AddedBelow(const TKavClass* Node, std::size_t Row) const {
    std::vector<TAddedPlace> Out;
    if (!Compare_) return Out;
    for (const TAddedPlace& Added : Compare_->View.Added)
      if (Added.Parent == Node && (Added.Row == Row || (Row == Node->ChildCount() && Added.Row > Row))) Out.push_back(Added);
    return Out;
  }

  // Builds the node's children as the viewer's tree fetch does: each child the model hands out
  // until it has none or an error stops it; the records of a child's build are that child's.
  // A fetch an error stopped is not tried again until the node is collapsed (each try logs the
  // error once more).
  void Fetch(TKavClass& Node) {
    if (Complete_.count(&Node) || Stopped_.count(&Node) || !Node.MayHaveChildren()) return;
    bool Failed = false;
    {
      TProblemMarks::TFetch Fetching(Marks_, Node);
      try {
        while (TKavClass* Child = Node.ParseNextChild()) {
          Fetching.Built(*Child);
          IdOf(Child);
        }
      } catch (const EKavError&) {
        Failed = true;  // what is built so far stays
      }
    }
    (void)Marks_.TakeChanged();
    (Failed ? Stopped_ : Complete_).insert(&Node);
  }

  void FetchWhere(const std::function<bool(const TKavClass&)>& Wanted) {
    if (!Root_) return;
    std::vector<TKavClass*> Pending{Root_.get()};
    while (!Pending.empty()) {
      TKavClass* Node = Pending.back();
      Pending.pop_back();
      if (Wanted(*Node)) Fetch(*Node);
      for (std::size_t Row = Node->ChildCount(); Row-- > 0;) Pending.push_back(Node->Child(Row));
    }
  }

  std::string PlanExports(bool Fonts) {
    json Files = json::array();
    if (!Root_) return Dump({{"files", std::move(Files)}});
    FetchWhere([](const TKavClass&) { return true; });
    std::vector<std::string> Notes;
    bool Cut = false;
    const std::vector<TExportFile> Plan = Fonts ? PlanFontExports(*Root_, "", Notes, Cut) : PlanTextExports(*Root_, "");
    for (const TExportFile& File : Plan) {
      const std::string Name = File.Path.filename().string();
      Exports_[Name] = File;
      json Entry = {{"name", Name}, {"kind", Fonts ? "png" : "tsv"}};
      std::string Error;
      if (TKavClass* Node = NodeAtPosition(*Root_, Name.substr(0, Name.find('_')), Error)) Entry["id"] = IdOf(Node);
      Files.push_back(std::move(Entry));
    }
    json Out = {{"files", std::move(Files)}};
    if (!Notes.empty()) Out["notes"] = Notes;
    return Dump(Out);
  }

  val ExportOf(int Id, bool Fonts) {
    const TKavClass* Node = Id < SecondIdBase ? NodeOf(Id) : nullptr;
    if (!Node) return ToUint8Array(nullptr, 0);
    const json List = json::parse(PlanExports(Fonts));
    for (const json& File : List["files"])
      if (File.contains("id") && File["id"].get<int>() == Id) return exportFile(File["name"].get<std::string>());
    return ToUint8Array(nullptr, 0);
  }

  TMsgCollection Records_;
  TProblemMarks Marks_;
  bool MarksOn_ = true;
  std::unique_ptr<TFls> Root_;
  std::string FileName_;
  std::vector<TKavClass*> Ids_;
  std::unordered_map<const TKavClass*, int> Index_;
  std::unordered_set<const TKavClass*> Complete_;
  std::unordered_set<const TKavClass*> Stopped_;
  std::unordered_map<std::string, TExportFile> Exports_;
  std::unique_ptr<TCompare> Compare_;
  std::vector<TKavClass*> Ids2_;
  std::unordered_map<const TKavClass*, int> Index2_;
  std::unique_ptr<TLogSession> Log_;  // last: it reaches every member above
};

}  // namespace
}  // namespace kavex

EMSCRIPTEN_BINDINGS(kavex_core) {
  using kavex::TSession;
  emscripten::class_<TSession>("Session")
      .constructor<>()
      .function("open", &TSession::open)
      .function("close", &TSession::close)
      .function("children", &TSession::children)
      .function("collapsed", &TSession::collapsed)
      .function("node", &TSession::node)
      .function("details", &TSession::details)
      .function("bytesRows", &TSession::bytesRows)
      .function("nodeBytes", &TSession::nodeBytes)
      .function("bytesHex", &TSession::bytesHex)
      .function("bytesFileName", &TSession::bytesFileName)
      .function("goToOffset", &TSession::goToOffset)
      .function("fontSheet", &TSession::fontSheet)
      .function("fontPixels", &TSession::fontPixels)
      .function("glyphAt", &TSession::glyphAt)
      .function("log", &TSession::log)
      .function("kinds", &TSession::kinds)
      .function("setKindShown", &TSession::setKindShown)
      .function("logLines", &TSession::logLines)
      .function("clearLog", &TSession::clearLog)
      .function("find", &TSession::find)
      .function("problems", &TSession::problems)
      .function("nextProblem", &TSession::nextProblem)
      .function("exportTexts", &TSession::exportTexts)
      .function("exportFonts", &TSession::exportFonts)
      .function("exportText", &TSession::exportText)
      .function("exportFont", &TSession::exportFont)
      .function("exportFile", &TSession::exportFile)
      .function("compareWith", &TSession::compareWith)
      .function("stopComparing", &TSession::stopComparing)
      .function("nextDifference", &TSession::nextDifference)
      .function("sides", &TSession::sides)
      .function("compareReportHtml", &TSession::compareReportHtml);
}
