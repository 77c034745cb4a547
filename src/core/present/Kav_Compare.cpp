#include "present/Kav_Compare.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string_view>

#include "model/Kav_Chunk.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Font.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_PPM.h"
#include "model/Kav_Subchunk.h"
#include "model/Kav_Text.h"
#include "model/Kav_Tone.h"
#include "present/Kav_Bytes.h"
#include "present/Kav_Details.h"
#include "present/Kav_Walk.h"

namespace kavex {

const char* ChangeName(TChange Change) {
  switch (Change) {
    case TChange::Changed: return "changed";
    case TChange::Added: return "added";
    case TChange::Removed: return "removed";
    case TChange::Same: return "same";
  }
  return "same";
}

namespace {

constexpr std::size_t None = static_cast<std::size_t>(-1);

// ---- matching in order of occurrence ---------------------------------------------------

// One place of a merged sequence: an index of each side, None on the side that lacks it.
struct TPair {
  std::size_t A;
  std::size_t B;
};

// Matches the k-th occurrence of a key in A with its k-th occurrence in B. The pairs follow
// A's order; a place found in B only goes just before the pair of the next B place that has a
// match (after the places of A only that precede that pair), or at the end.
std::vector<TPair> MatchInOrder(const std::vector<std::string>& A, const std::vector<std::string>& B) {
  std::vector<TPair> Pairs;
  Pairs.reserve(std::max(A.size(), B.size()));
  if (A == B) {
    for (std::size_t I = 0; I < A.size(); ++I) Pairs.push_back({I, I});
    return Pairs;
  }
  std::map<std::string_view, std::vector<std::size_t>> Places;  // each key's places in B
  for (std::size_t J = 0; J < B.size(); ++J) Places[B[J]].push_back(J);
  std::map<std::string_view, std::size_t> Taken;
  std::vector<std::size_t> MatchOfA(A.size(), None), MatchOfB(B.size(), None);
  for (std::size_t I = 0; I < A.size(); ++I) {
    const auto It = Places.find(A[I]);
    if (It == Places.end()) continue;
    std::size_t& K = Taken[A[I]];
    if (K < It->second.size()) {
      MatchOfA[I] = It->second[K];
      MatchOfB[It->second[K]] = I;
      ++K;
    }
  }
  // The B places of B only that go before each A place (A.size() for the end).
  std::vector<std::vector<std::size_t>> Before(A.size() + 1);
  std::size_t Next = A.size();  // the A place of the next matched B place, scanning backwards
  std::vector<std::size_t> Slot(B.size(), A.size());
  for (std::size_t J = B.size(); J-- > 0;) {
    if (MatchOfB[J] != None)
      Next = MatchOfB[J];
    else
      Slot[J] = Next;
  }
  for (std::size_t J = 0; J < B.size(); ++J)
    if (MatchOfB[J] == None) Before[Slot[J]].push_back(J);
  for (std::size_t I = 0; I <= A.size(); ++I) {
    for (const std::size_t J : Before[I]) Pairs.push_back({None, J});
    if (I < A.size()) Pairs.push_back({I, MatchOfA[I]});
  }
  return Pairs;
}

// ---- detail lines --------------------------------------------------------------------------

// "Label: value" split at its first ": "; a line without one is all label.
std::pair<std::string_view, std::string_view> SplitLine(std::string_view Line) {
  const std::size_t At = Line.find(": ");
  if (At == std::string_view::npos) return {Line, {}};
  return {Line.substr(0, At), Line.substr(At + 2)};
}

std::vector<std::string> Labels(const std::vector<std::string>& Lines) {
  std::vector<std::string> Out;
  Out.reserve(Lines.size());
  for (const std::string& Line : Lines) Out.emplace_back(SplitLine(Line).first);
  return Out;
}

std::size_t NextDifference(const std::uint8_t* A, const std::uint8_t* B, std::size_t From, std::size_t N);

// Whether entry I reads the same in both tables, from the stored bytes where they are equal
// (the same bytes, length and character width give the same text) and from the texts otherwise.
bool SameEntry(const TTextSubchunk& A, const TTextSubchunk& B, std::int32_t I, std::string& TextA, std::string& TextB) {
  constexpr std::uint32_t EntryZeroFlags = TTextSubchunk::FlagWide | TTextSubchunk::FlagNarrowBody;
  const TByteView BytesA = A.EntryBytes(I);
  const TByteView BytesB = B.EntryBytes(I);
  if (A.GetCharWidth() == B.GetCharWidth() && A.EntryLengths()[static_cast<std::size_t>(I)] == B.EntryLengths()[static_cast<std::size_t>(I)] &&
      (I != 0 || (A.GetFlags() & EntryZeroFlags) == (B.GetFlags() & EntryZeroFlags)) && BytesA.size() == BytesB.size() &&
      std::equal(BytesA.begin(), BytesA.end(), BytesB.begin()))
    return true;
  TextA.clear();
  TextB.clear();
  A.AppendTextUtf8(I, TextA);
  B.AppendTextUtf8(I, TextB);
  return TextA == TextB;
}

// The detail lines of both nodes merged: the lines before the entries matched by label, then a
// text table's entries matched by number. Lines are made only where a change or its context
// needs them: tables hold thousands of entries.
class TDetailMerge {
public:
  TDetailMerge(const TKavClass& A, const TKavClass& B) : HeadA_(DetailLinesBeforeEntries(A, false)), HeadB_(DetailLinesBeforeEntries(B, false)) {
    if (NodePanelOf(&A) == TNodePanel::TextList && NodePanelOf(&B) == TNodePanel::TextList) {
      TextA_ = static_cast<const TTextSubchunk*>(&A);
      TextB_ = static_cast<const TTextSubchunk*>(&B);
      // Both tables have one Id (they are matched by it), so both list from the same entry.
      First_ = std::min(FirstListedEntry(*TextA_), FirstListedEntry(*TextB_));
    }
    Head_ = MatchInOrder(Labels(HeadA_), Labels(HeadB_));
  }

  void AddItems(std::size_t Context, std::vector<TItemDiff>& Items) {
    const std::int32_t CountA = TextA_ ? TextA_->GetEntryCount() : 0;
    const std::int32_t CountB = TextB_ ? TextB_->GetEntryCount() : 0;
    const std::size_t Entries = static_cast<std::size_t>(std::max({CountA - First_, CountB - First_, 0}));
    const std::size_t Total = Head_.size() + Entries;
    // Each place's change, then which places are shown: the changed ones and their context.
    std::vector<TChange> Changes(Total, TChange::Same);
    bool Any = false;
    for (std::size_t P = 0; P < Head_.size(); ++P) {
      const TPair& Pair = Head_[P];
      if (Pair.A == None)
        Changes[P] = TChange::Added;
      else if (Pair.B == None)
        Changes[P] = TChange::Removed;
      else if (SplitLine(HeadA_[Pair.A]).second != SplitLine(HeadB_[Pair.B]).second)
        Changes[P] = TChange::Changed;
      Any |= Changes[P] != TChange::Same;
    }
    for (std::size_t E = 0; E < Entries; ++E) {
      const std::int32_t I = First_ + static_cast<std::int32_t>(E);
      if (I >= CountA || I >= CountB) {
        Changes[Head_.size() + E] = I >= CountA ? TChange::Added : TChange::Removed;
        Any = true;
      }
    }
    if (TextA_) Any |= MarkChangedEntries(std::min(CountA, CountB), Changes.data() + Head_.size());
    if (!Any) return;
    // The changed places, each with Context places before and after it.
    std::size_t Next = 0;  // the first place not yet shown
    for (std::size_t P = 0; P < Total; ++P) {
      if (Changes[P] == TChange::Same) continue;
      const std::size_t End = Total - P > Context ? P + Context + 1 : Total;
      for (std::size_t Q = std::max(Next, P - std::min(P, Context)); Q < End; ++Q) Items.push_back(MakeItem(Q, Changes[Q]));
      Next = std::max(Next, End);
    }
  }

private:
  // Marks the entries from First_ up to Common (both tables have them) that read differently,
  // Changes[0] standing for entry First_; true when any does. Where both tables give entries
  // the same lengths in characters of the same width, the entries' bytes follow one another
  // alike on both sides: a run of them is compared at once, and entry by entry only from the
  // first byte that differs.
  bool MarkChangedEntries(std::int32_t Common, TChange* Changes) const {
    const TTextSubchunk& A = *TextA_;
    const TTextSubchunk& B = *TextB_;
    std::string TextA, TextB;
    bool Any = false;
    const auto Mark = [&](std::int32_t I) {
      if (!SameEntry(A, B, I, TextA, TextB)) {
        Changes[I - First_] = TChange::Changed;
        Any = true;
      }
    };
    std::int32_t I = First_;
    // Entry 0 reads by flags of its own.
    if (I == 0 && I < Common) Mark(I++);
    if (A.GetCharWidth() != B.GetCharWidth()) {
      for (; I < Common; ++I) Mark(I);
      return Any;
    }
    const TByteView LengthsA = A.EntryLengths();
    const TByteView LengthsB = B.EntryLengths();
    const auto Block = [](const TTextSubchunk& T, std::int32_t From, std::int32_t To) {
      const TByteView First = T.EntryBytes(From);
      const TByteView Last = T.EntryBytes(To - 1);
      return TByteView(First.data(), static_cast<std::size_t>(Last.data() + Last.size() - First.data()));
    };
    while (I < Common) {
      // The run of entries with equal lengths from I on.
      std::int32_t End = I;
      while (End < Common && LengthsA[static_cast<std::size_t>(End)] == LengthsB[static_cast<std::size_t>(End)]) ++End;
      while (I < End) {
        const TByteView RunA = Block(A, I, End);
        const TByteView RunB = Block(B, I, End);
        const std::size_t Size = std::min(RunA.size(), RunB.size());
        const std::size_t At = RunA.empty() || RunB.empty() ? 0 : NextDifference(RunA.data(), RunB.data(), 0, Size);
        if (At == Size && RunA.size() == RunB.size()) break;
        // The entry that holds the first differing byte (or that one side has cut short).
        std::size_t Passed = 0;
        while (I + 1 < End && Passed + A.EntryBytes(I).size() <= At && A.EntryBytes(I).size() == B.EntryBytes(I).size())
          Passed += A.EntryBytes(I++).size();
        Mark(I++);
      }
      I = End;
      if (I < Common) Mark(I++);  // lengths that differ
    }
    return Any;
  }

  TItemDiff MakeItem(std::size_t P, TChange Change) const {
    TItemDiff Item;
    Item.Change = Change;
    Item.Kind = TItemKind::Detail;
    Item.Line = P;
    std::string LineA, LineB;
    bool HasA = false, HasB = false;
    if (P < Head_.size()) {
      HasA = Head_[P].A != None;
      HasB = Head_[P].B != None;
      if (HasA) LineA = HeadA_[Head_[P].A];
      if (HasB) LineB = HeadB_[Head_[P].B];
    } else {
      const std::int32_t I = First_ + static_cast<std::int32_t>(P - Head_.size());
      HasA = I < TextA_->GetEntryCount();
      HasB = I < TextB_->GetEntryCount();
      if (HasA) AppendEntryLine(*TextA_, I, LineA);
      if (HasB) AppendEntryLine(*TextB_, I, LineB);
    }
    const auto [LabelA, ValueA] = SplitLine(LineA);
    const auto [LabelB, ValueB] = SplitLine(LineB);
    Item.Item = std::string(HasA ? LabelA : LabelB);
    if (HasA) Item.Old = ValueA;
    if (HasB) Item.New = ValueB;
    return Item;
  }

  std::vector<std::string> HeadA_;
  std::vector<std::string> HeadB_;
  std::vector<TPair> Head_;
  const TTextSubchunk* TextA_ = nullptr;
  const TTextSubchunk* TextB_ = nullptr;
  std::int32_t First_ = 0;
};

// ---- bytes ----------------------------------------------------------------------------------

// The first place from From on where the bytes differ, N when none does: blocks of equal bytes
// are passed by memcmp, the place inside a block that differs eight bytes at a time.
std::size_t NextDifference(const std::uint8_t* A, const std::uint8_t* B, std::size_t From, std::size_t N) {
  constexpr std::size_t BlockSize = 256;
  std::size_t P = From;
  while (N - P >= BlockSize && std::memcmp(A + P, B + P, BlockSize) == 0) P += BlockSize;
  for (; N - P >= 8; P += 8) {
    std::uint64_t X, Y;
    std::memcpy(&X, A + P, 8);
    std::memcpy(&Y, B + P, 8);
    if (X != Y) break;
  }
  while (P < N && A[P] == B[P]) ++P;
  return P;
}

void AppendBytes(TBytes& Out, TByteView Bytes, std::size_t From, std::size_t To) {
  From = std::min(From, Bytes.size());
  To = std::min(To, Bytes.size());
  if (From < To) Out.insert(Out.end(), Bytes.begin() + static_cast<std::ptrdiff_t>(From), Bytes.begin() + static_cast<std::ptrdiff_t>(To));
}

// The run [Start, End) of places where A and B differ (a place behind one side's end differs).
TByteRange MakeRange(TByteView A, std::size_t OffsetA, TByteView B, std::size_t OffsetB, std::size_t Start, std::size_t End,
                     std::size_t Context) {
  TByteRange R;
  const auto Side = [&](TByteView Bytes, std::size_t Offset, std::size_t& At, std::size_t& Length, TBytes& Around,
                        std::size_t& Shown) {
    const std::size_t First = std::min(Start, Bytes.size());
    const std::size_t Last = std::min(End, Bytes.size());
    At = Offset + First;
    Length = Last - First;
    Shown = std::min(Length, ShownBytes);
    AppendBytes(Around, Bytes, Start - R.Lead, First + Shown);
    // The context behind a run is shown only when the whole run is.
    if (Shown == Length) AppendBytes(Around, Bytes, Last, Last + Context);
  };
  R.Lead = std::min(Context, Start);  // the places before a run are there on both sides
  Side(A, OffsetA, R.Offset1, R.Length1, R.Around1, R.Shown1);
  Side(B, OffsetB, R.Offset2, R.Length2, R.Around2, R.Shown2);
  return R;
}

std::string ByteCount(std::size_t N) { return std::to_string(N) + (N == 1 ? " byte" : " bytes"); }

// The Bytes item of two nodes' stored bytes; false when they are equal.
bool CompareBytes(const TKavClass& NodeA, const TKavClass& NodeB, std::size_t Context, TItemDiff& Item) {
  const TByteView A = NodeA.ImageBytes();
  const TByteView B = NodeB.ImageBytes();
  if (A.size() == B.size() && (A.empty() || std::memcmp(A.data(), B.data(), A.size()) == 0)) return false;
  Item.Change = TChange::Changed;
  Item.Kind = TItemKind::Bytes;
  Item.Item = "Bytes";
  Item.Old = ByteCount(A.size());
  Item.New = ByteCount(B.size());
  Context = std::min(Context, MaxByteContext);
  const std::size_t Common = std::min(A.size(), B.size());
  const std::size_t Longer = std::max(A.size(), B.size());
  std::size_t P = 0;
  while (P < Longer) {
    const std::size_t Start = P < Common ? NextDifference(A.data(), B.data(), P, Common) : P;
    if (Start >= Common && Common == Longer) break;
    // A run ends at the next equal place in the common part, or goes on to the longer end.
    std::size_t End = Start;
    while (End < Common && A[End] != B[End]) ++End;
    if (End == Common) End = Longer;
    Item.Count += End - Start;
    ++Item.RangeCount;
    if (Item.Ranges.size() < MaxListedRanges)
      Item.Ranges.push_back(MakeRange(A, NodeA.ImageOffset(), B, NodeB.ImageOffset(), Start, End, Context));
    P = End;
  }
  return true;
}

bool Equal(TByteView A, TByteView B) { return A.size() == B.size() && (A.empty() || std::memcmp(A.data(), B.data(), A.size()) == 0); }

// ---- glyphs ------------------------------------------------------------------------------

std::string GlyphLabel(std::uint16_t Code) {
  std::string Label = "Glyph U+0000";
  for (int D = 0; D < 4; ++D) Label[11 - D] = "0123456789ABCDEF"[(Code >> (4 * D)) & 0xF];
  return Label;
}

// The characters of a font, ascending, each once (overlapping ranges may list one twice; its
// first range draws it).
std::vector<std::uint16_t> FontCodes(const TFontEntry& Font) {
  std::vector<std::uint16_t> Codes;
  Codes.reserve(static_cast<std::size_t>(std::max(Font.GetCharCount(), 0)));
  for (std::int32_t K = 0; K < Font.GetCharCount(); ++K) Codes.push_back(Font.GetCharCode(K));
  if (!std::is_sorted(Codes.begin(), Codes.end())) std::sort(Codes.begin(), Codes.end());
  Codes.erase(std::unique(Codes.begin(), Codes.end()), Codes.end());
  return Codes;
}

class TComparer {
public:
  explicit TComparer(const TCompareOptions& Options) : Options_(Options) {}

  TComparison Run(const TKavClass& A, const TKavClass& B) {
    ComparePair(A, B);
    return std::move(Result_);
  }

  static std::vector<TPair> Children(const TKavClass& A, const TKavClass& B) {
    std::vector<std::string> KeysA, KeysB;
    KeysA.reserve(A.ChildCount());
    KeysB.reserve(B.ChildCount());
    for (std::size_t I = 0; I < A.ChildCount(); ++I) KeysA.push_back(ChildKey(A, *A.Child(I)));
    for (std::size_t I = 0; I < B.ChildCount(); ++I) KeysB.push_back(ChildKey(B, *B.Child(I)));
    return MatchInOrder(KeysA, KeysB);
  }

private:
  TGlyphPicture Picture(const TFontEntry& Font, std::uint16_t Code) {
    TGlyphPicture P;
    const TFontEntry::TGlyphBox Box = Font.GlyphBox(Code);
    P.Width = Box.Width;
    P.Height = Box.Height;
    const std::size_t Pixels = static_cast<std::size_t>(Box.Width) * static_cast<std::size_t>(Box.Height);
    if (Pixels == 0 || Pixels > PictureBudget_) return P;
    PictureBudget_ -= Pixels;
    TTextCanvas Canvas(Box.Width, Box.Height);
    Font.DrawGlyph(Code, Canvas, 0, 0);
    P.Rows = Canvas.Rows();
    return P;
  }

  static std::string Size(const TGlyphPicture& P) { return std::to_string(P.Width) + "x" + std::to_string(P.Height); }

  void GlyphItem(TChange Change, std::uint16_t Code, const TFontEntry* A, const TFontEntry* B, std::vector<TItemDiff>& Items) {
    TItemDiff& Item = Items.emplace_back();
    Item.Change = Change;
    Item.Kind = TItemKind::Glyph;
    Item.Item = GlyphLabel(Code);
    if (A) {
      Item.Glyph1 = Picture(*A, Code);
      Item.Old = Size(Item.Glyph1);
    }
    if (B) {
      Item.Glyph2 = Picture(*B, Code);
      Item.New = Size(Item.Glyph2);
    }
  }

  void CompareGlyphs(const TFontEntry& A, const TFontEntry& B, std::vector<TItemDiff>& Items) {
    const std::vector<std::uint16_t> CodesA = FontCodes(A);
    const std::vector<std::uint16_t> CodesB = FontCodes(B);
    std::size_t I = 0, J = 0;
    while (I < CodesA.size() || J < CodesB.size()) {
      if (J == CodesB.size() || (I < CodesA.size() && CodesA[I] < CodesB[J])) {
        GlyphItem(TChange::Removed, CodesA[I++], &A, nullptr, Items);
      } else if (I == CodesA.size() || CodesB[J] < CodesA[I]) {
        GlyphItem(TChange::Added, CodesB[J++], nullptr, &B, Items);
      } else {
        if (!A.SameGlyph(CodesA[I], B)) GlyphItem(TChange::Changed, CodesA[I], &A, &B, Items);
        ++I;
        ++J;
      }
    }
  }

  static void ValueItem(TItemKind Kind, const char* Label, std::string Old, std::string New, std::vector<TItemDiff>& Items) {
    if (Old == New) return;
    TItemDiff& Item = Items.emplace_back();
    Item.Kind = Kind;
    Item.Item = Label;
    Item.Old = std::move(Old);
    Item.New = std::move(New);
  }

  // What differs of two nodes found in both, apart from their children.
  std::vector<TItemDiff> CompareItems(const TKavClass& A, const TKavClass& B) {
    std::vector<TItemDiff> Items;
    TDetailMerge(A, B).AddItems(Options_.Context, Items);
    TItemDiff Bytes;
    switch (A.Kind()) {
      case TNodeKind::Fls: {
        const auto Layout = [](const TKavClass& N) { return static_cast<const TFls&>(N).IsWinTesla() ? "WinTesla" : "Divud"; };
        ValueItem(TItemKind::Layout, "Layout", Layout(A), Layout(B), Items);
        break;
      }
      case TNodeKind::PPM:
        ValueItem(TItemKind::Version, "Version", JoinLines(static_cast<const TPPM&>(A).VersionText()),
                  JoinLines(static_cast<const TPPM&>(B).VersionText()), Items);
        break;
      case TNodeKind::ToneSubchunk: {
        const auto& ToneA = static_cast<const TToneSubchunk&>(A);
        const auto& ToneB = static_cast<const TToneSubchunk&>(B);
        ValueItem(TItemKind::Name, "Name", ToneA.GetDescription(), ToneB.GetDescription(), Items);
        if (!Equal(ToneA.TuneData(), ToneB.TuneData()))
          ValueItem(TItemKind::Tune, "Tune", BytesHex(ToneA.TuneData()), BytesHex(ToneB.TuneData()), Items);
        break;
      }
      case TNodeKind::FontEntry: {
        const auto& FontA = static_cast<const TFontEntry&>(A);
        const auto& FontB = static_cast<const TFontEntry&>(B);
        // Equal font data with the header at the same place: the same font.
        if (FontA.HeaderPos() == FontB.HeaderPos() && Equal(FontA.FontData(), FontB.FontData())) break;
        ValueItem(TItemKind::Name, "Name", FontA.GetName(), FontB.GetName(), Items);
        CompareGlyphs(FontA, FontB, Items);
        break;
      }
      case TNodeKind::TextSubchunk: {
        // A packed table's body is kept as it is stored.
        const auto Packed = [](const TKavClass& N) { return (static_cast<const TSubchunk&>(N).GetFlags() & TTextSubchunk::FlagPacked) != 0; };
        if ((Packed(A) || Packed(B)) && CompareBytes(A, B, Options_.Context, Bytes)) Items.push_back(std::move(Bytes));
        break;
      }
      case TNodeKind::MCU:
      case TNodeKind::EEPROM:
      case TNodeKind::RawSubchunk:
      case TNodeKind::LDBSubchunk:
      case TNodeKind::AORDSubchunk:
      case TNodeKind::WUGSSubchunk:
      case TNodeKind::GSMCSubchunk:
      case TNodeKind::LPCSSubchunk:
        if (CompareBytes(A, B, Options_.Context, Bytes)) Items.push_back(std::move(Bytes));
        break;
      case TNodeKind::Chunk:
      case TNodeKind::FontSubchunk:
      case TNodeKind::PLMNSubchunk:
      case TNodeKind::ClosingSubchunk:
        break;
    }
    return Items;
  }

  TNodeDiff& AddNode(TChange Change, const TKavClass* A, const TKavClass* B) {
    TNodeDiff& D = Result_.Nodes.emplace_back();
    D.Change = Change;
    D.Node1 = A;
    D.Node2 = B;
    const TKavClass& Either = A ? *A : *B;
    D.Class = Either.ClassName();
    D.Path = Either.GetPath();
    if (A) {
      D.Position1 = NodePosition(*A);
      D.Caption1 = A->GetCaption();
    }
    if (B) {
      D.Position2 = NodePosition(*B);
      D.Caption2 = B->GetCaption();
    }
    if (Change == TChange::Added) ++Result_.Added;
    if (Change == TChange::Removed) ++Result_.Removed;
    return D;
  }

  // The key a child is matched by among its parent's children.
  static std::string ChildKey(const TKavClass& Parent, const TKavClass& Child) {
    switch (Parent.Kind()) {
      case TNodeKind::PPM:
        return std::string(Child.ClassName()) + '/' + Child.GetName();
      case TNodeKind::Chunk:
        // Closing records have Id 0: they are matched by order among themselves.
        if (IsSubchunkKind(Child.Kind()))
          return std::string(Child.ClassName()) + '/' + std::to_string(static_cast<const TSubchunk&>(Child).GetID());
        return Child.ClassName();
      default:
        return Child.ClassName();  // areas by class, font entries by order
    }
  }

  // Whether two subchunks are alike in everything they are built from, so that nothing of them
  // or below them can differ: their own bytes, and the names of tones and operator lists, which
  // may reach beyond those (they start inside them, so equal bytes start at the same place).
  static bool Alike(const TKavClass& A, const TKavClass& B) {
    if (!IsSubchunkKind(A.Kind()) || !Equal(A.ImageBytes(), B.ImageBytes())) return false;
    if (A.Kind() == TNodeKind::ToneSubchunk)
      return Equal(static_cast<const TToneSubchunk&>(A).NameBytes(), static_cast<const TToneSubchunk&>(B).NameBytes());
    if (A.Kind() == TNodeKind::PLMNSubchunk)
      return Equal(static_cast<const TPLMNSubchunk&>(A).BodyBytes(), static_cast<const TPLMNSubchunk&>(B).BodyBytes());
    return true;
  }

  void ComparePair(const TKavClass& A, const TKavClass& B) {
    // Children are matched within their class; only roots given by a caller can differ in it.
    if (std::strcmp(A.ClassName(), B.ClassName()) != 0 || A.Kind() != B.Kind()) {
      AddNode(TChange::Removed, &A, nullptr);
      AddNode(TChange::Added, nullptr, &B);
      return;
    }
    // Equal chunks hold equal subchunks: a chunk is built from its own bytes alone.
    if (A.Kind() == TNodeKind::Chunk && Equal(A.ImageBytes(), B.ImageBytes())) return;
    if (Alike(A, B)) return;
    std::vector<TItemDiff> Items = CompareItems(A, B);
    if (!Items.empty()) {
      for (const TItemDiff& Item : Items) {
        if (Item.Change == TChange::Changed) ++Result_.Changed;
        if (Item.Change == TChange::Added) ++Result_.Added;
        if (Item.Change == TChange::Removed) ++Result_.Removed;
      }
      AddNode(TChange::Changed, &A, &B).Items = std::move(Items);
    }
    CompareChildren(A, B);
  }

  void CompareChildren(const TKavClass& A, const TKavClass& B) {
    if (A.ChildCount() == 0 && B.ChildCount() == 0) return;
    for (const TPair& P : Children(A, B)) {
      if (P.A == None)
        AddNode(TChange::Added, nullptr, B.Child(P.B));
      else if (P.B == None)
        AddNode(TChange::Removed, A.Child(P.A), nullptr);
      else
        ComparePair(*A.Child(P.A), *B.Child(P.B));
    }
  }

  TCompareOptions Options_;
  TComparison Result_;
  std::size_t PictureBudget_ = GlyphPictureBudget;
};

}  // namespace

TComparison CompareImages(const TKavClass& Root1, const TKavClass& Root2, const TCompareOptions& Options) {
  return TComparer(Options).Run(Root1, Root2);
}

std::vector<TChildPair> MatchChildren(const TKavClass& A, const TKavClass& B) {
  std::vector<TChildPair> Out;
  for (const TPair& P : TComparer::Children(A, B)) Out.push_back({P.A, P.B});
  return Out;
}

// ---- marking changed characters ---------------------------------------------------------------

namespace {

// The byte offsets where the characters of Text start, and its size at the end.
std::vector<std::size_t> CharStarts(const std::string& Text) {
  std::vector<std::size_t> Starts;
  for (std::size_t I = 0; I < Text.size(); ++I)
    if ((static_cast<unsigned char>(Text[I]) & 0xC0) != 0x80 || I == 0) Starts.push_back(I);
  Starts.push_back(Text.size());
  return Starts;
}

std::string_view CharAt(const std::string& Text, const std::vector<std::size_t>& Starts, std::size_t K) {
  return std::string_view(Text).substr(Starts[K], Starts[K + 1] - Starts[K]);
}

// Runs of kept and changed characters from one flag per character.
std::vector<TTextRun> Runs(const std::vector<std::size_t>& Starts, const std::vector<bool>& Changed) {
  std::vector<TTextRun> Out;
  for (std::size_t K = 0; K < Changed.size(); ++K) {
    const std::size_t Length = Starts[K + 1] - Starts[K];
    if (!Out.empty() && Out.back().Changed == Changed[K])
      Out.back().Length += Length;
    else
      Out.push_back({Starts[K], Length, Changed[K]});
  }
  return Out;
}

// Texts whose middles (between the common start and end) hold more character pairs than this
// are marked without the subsequence search: their middles are marked changed whole.
constexpr std::size_t MarkPairBudget = std::size_t{1} << 16;

}  // namespace

TMarkedTexts MarkChangedText(const std::string& Old, const std::string& New) {
  const std::vector<std::size_t> SA = CharStarts(Old), SB = CharStarts(New);
  const std::size_t N = SA.size() - 1, M = SB.size() - 1;
  std::size_t Head = 0;
  while (Head < N && Head < M && CharAt(Old, SA, Head) == CharAt(New, SB, Head)) ++Head;
  std::size_t Tail = 0;
  while (Tail < N - Head && Tail < M - Head && CharAt(Old, SA, N - 1 - Tail) == CharAt(New, SB, M - 1 - Tail)) ++Tail;
  std::vector<bool> ChangedA(N, false), ChangedB(M, false);
  const std::size_t MidA = N - Head - Tail, MidB = M - Head - Tail;
  if (MidA == 0 || MidB == 0 || MidA * MidB > MarkPairBudget) {
    for (std::size_t K = Head; K < Head + MidA; ++K) ChangedA[K] = true;
    for (std::size_t K = Head; K < Head + MidB; ++K) ChangedB[K] = true;
  } else {
    // Longest common subsequence of the middles; Len[i][j] for the suffixes from i and j.
    const std::size_t W = MidB + 1;
    std::vector<std::uint16_t> Len((MidA + 1) * W, 0);
    for (std::size_t I = MidA; I-- > 0;)
      for (std::size_t J = MidB; J-- > 0;)
        Len[I * W + J] = CharAt(Old, SA, Head + I) == CharAt(New, SB, Head + J)
                             ? static_cast<std::uint16_t>(Len[(I + 1) * W + J + 1] + 1)
                             : std::max(Len[(I + 1) * W + J], Len[I * W + J + 1]);
    std::size_t I = 0, J = 0;
    while (I < MidA && J < MidB) {
      if (CharAt(Old, SA, Head + I) == CharAt(New, SB, Head + J)) {
        ++I;
        ++J;
      } else if (Len[(I + 1) * W + J] >= Len[I * W + J + 1]) {
        ChangedA[Head + I++] = true;
      } else {
        ChangedB[Head + J++] = true;
      }
    }
    for (; I < MidA; ++I) ChangedA[Head + I] = true;
    for (; J < MidB; ++J) ChangedB[Head + J] = true;
  }
  return {Runs(SA, ChangedA), Runs(SB, ChangedB)};
}

}  // namespace kavex
