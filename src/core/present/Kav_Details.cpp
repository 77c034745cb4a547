#include "present/Kav_Details.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <utility>

#include "model/CodePage.h"
#include "model/Kav_Chunk.h"
#include "model/Kav_Kinds.h"
#include "model/Kav_PLMN.h"
#include "model/Kav_Subchunk.h"
#include "model/Kav_Text.h"

namespace kavex {
namespace {

std::string HexWithDecimal(std::int32_t Value) { return FormatText("0x%.8x (%0:d)", {std::int64_t{Value}}); }

// Glyph art is built in memory before it is printed; a font that would need more characters
// than this (only one with absurd sizes can) is listed without its art.
constexpr std::int64_t GlyphArtBudget = std::int64_t{1} << 24;

void AppendGlyphLines(const TFontEntry& Font, std::vector<std::string>& Lines) {
  const std::int32_t Count = Font.GetCharCount();
  const std::int32_t Width = Font.GetMaxWidth();
  const std::int32_t Height = Font.GetMaxHeight();
  if (std::int64_t{Count} * Width * Height > GlyphArtBudget) {
    Lines.push_back(FormatText("Glyphs not drawn: %d chars of %dx%d are too many for the dump",
                               {std::int64_t{Count}, std::int64_t{Width}, std::int64_t{Height}}));
    return;
  }
  // One canvas, cleared for each glyph; the title as "Glyph 0x%.4x" formats it.
  TTextCanvas Canvas(Width, Height);
  Lines.reserve(Lines.size() + static_cast<std::size_t>(std::max(Count, 0)) * (static_cast<std::size_t>(std::max(Height, 0)) + 1));
  std::string Title = "Glyph 0x0000";
  for (std::int32_t K = 0; K < Count; ++K) {
    const std::uint16_t Code = Font.GetCharCode(K);
    for (int D = 0; D < 4; ++D) Title[11 - D] = "0123456789ABCDEF"[(Code >> (4 * D)) & 0xF];
    Lines.push_back(Title);
    Canvas.Clear();
    Font.DrawGlyph(Code, Canvas, 0, 0);
    Lines.insert(Lines.end(), Canvas.Rows().begin(), Canvas.Rows().end());
  }
}

const char* CharsetName(const TTextSubchunk& Text) {
  switch (Text.GetCharWidth()) {
    case 1: return "GSM alphabet";
    case 2: return "Unicode";
    default: return "Unknown";
  }
}

// The text panel's lines before the entries, as kavex-dump prints them: language and charset.
void AppendTextHeadLines(const TTextSubchunk& Text, std::vector<std::string>& Lines) {
  std::string Language = "Language: ";
  if (Text.GetID() == TTextSubchunk::CommonTableID)
    Language += "(common)";
  else
    Text.AppendTextUtf8(0, Language);
  Lines.push_back(std::move(Language));
  Lines.push_back(std::string("Charset: ") + CharsetName(Text));
}

// The entry lines, each made in one piece: tables hold thousands of entries.
void AppendTextEntryLines(const TTextSubchunk& Text, std::vector<std::string>& Lines) {
  const std::int32_t First = FirstListedEntry(Text);
  Lines.reserve(Lines.size() + static_cast<std::size_t>(std::max(Text.GetEntryCount() - First, 0)));
  for (std::int32_t I = First; I < Text.GetEntryCount(); ++I) AppendEntryLine(Text, I, Lines.emplace_back());
}

// Appends a line Label + Value for each pair, each line allocated once.
void AddLines(std::vector<std::string>& Lines, std::initializer_list<std::pair<std::string_view, const std::string&>> Fields) {
  Lines.reserve(Lines.size() + Fields.size());
  for (const auto& [Label, Value] : Fields) {
    std::string& Line = Lines.emplace_back();
    Line.reserve(Label.size() + Value.size());
    Line.append(Label).append(Value);
  }
}

}  // namespace

TChunkDetails ChunkDetails(const TChunk& Chunk) {
  const std::uint32_t Stored = Chunk.GetStoredChecksum();
  const std::uint32_t Calculated = Chunk.GetCalculatedChecksum();
  std::string Note =
      Calculated == Stored ? std::string("match") : FormatText("expected 0x%.8x", {std::int64_t{Calculated}});
  return {FormatText("0x%.8x (%s)", {std::int64_t{Stored}, std::move(Note)}), HexWithDecimal(Chunk.GetLength()),
          Chunk.NameText(), Chunk.VersionText()};
}

TSubchunkDetails SubchunkDetails(const TSubchunk& Subchunk) {
  return {FormatText("0x%.8x", {std::int64_t{Subchunk.GetID()}}), HexWithDecimal(Subchunk.GetLength()),
          Subchunk.GetShortName(), FormatText("0x%.8x", {std::int64_t{Subchunk.GetFlags()}})};
}

TTextListDetails TextListDetails(const TTextSubchunk& Text) {
  TTextListDetails D;
  D.Rows.reserve(static_cast<std::size_t>(std::max(Text.GetEntryCount(), 0)));
  const bool Common = Text.GetID() == TTextSubchunk::CommonTableID;
  const std::int32_t First = Common ? 0 : 1;
  for (std::int32_t I = First; I < Text.GetEntryCount(); ++I) {
    TTextRow& Row = D.Rows.emplace_back();
    Row.Index = std::to_string(I);
    Text.AppendTextUtf8(I, Row.Entry);
  }
  D.Charset = CharsetName(Text);
  if (Common)
    D.Language = "(common)";
  else
    Text.AppendTextUtf8(0, D.Language);
  return D;
}

std::vector<TOperatorRow> OperatorListRows(const TPLMNSubchunk& Operators) {
  std::vector<TOperatorRow> Rows;
  for (std::int32_t I = 0; I < Operators.GetOperatorCount(); ++I)
    Rows.push_back({FormatText("%d", {std::int64_t{Operators.GetOperatorCode(I)}}), Operators.GetOperatorName(I)});
  return Rows;
}

bool HasSubchunkPanel(std::string_view ClassName) {
  const TNodeKindRow* Row = NodeKindRowByName(ClassName);
  return Row && IsSubchunkKind(Row->Kind);
}

TTextCanvas::TTextCanvas(int Width, int Height)
    : Rows_(static_cast<std::size_t>(std::max(Height, 0)), std::string(static_cast<std::size_t>(std::max(Width, 0)), '-')) {}

void TTextCanvas::Clear() {
  for (std::string& Row : Rows_) std::fill(Row.begin(), Row.end(), '-');
}

void TTextCanvas::SetPixel(int X, int Y, std::uint32_t Colour) {
  if (Y < 0 || static_cast<std::size_t>(Y) >= Rows_.size()) return;
  std::string& Row = Rows_[static_cast<std::size_t>(Y)];
  if (X < 0 || static_cast<std::size_t>(X) >= Row.size()) return;
  Row[static_cast<std::size_t>(X)] = Colour == GlyphInk ? '#' : '.';
}

std::int32_t FirstListedEntry(const TTextSubchunk& Text) { return Text.GetID() == TTextSubchunk::CommonTableID ? 0 : 1; }

void AppendEntryLine(const TTextSubchunk& Text, std::int32_t Index, std::string& Line) {
  char Digits[16];
  const auto Number = std::to_chars(Digits, Digits + sizeof Digits, Index);
  // Room for the text of one byte a character; others make it grow.
  const TByteView Lengths = Text.EntryLengths();
  const std::size_t Length = Index >= 0 && static_cast<std::size_t>(Index) < Lengths.size() ? Lengths[static_cast<std::size_t>(Index)] : 0;
  Line.reserve(Line.size() + 8 + static_cast<std::size_t>(Number.ptr - Digits) + Length);
  Line.append("Entry ").append(Digits, Number.ptr).append(": ");
  Text.AppendTextUtf8(Index, Line);
}

std::vector<std::string> DetailLinesBeforeEntries(const TKavClass& Node, bool Glyphs) {
  std::vector<std::string> Lines;
  // The kind agrees with the class name (NodeKindRowOf checks it), so the casts hold.
  const TNodePanel Panel = NodePanelOf(&Node);
  switch (Panel) {
    case TNodePanel::None:
      break;
    case TNodePanel::Chunk: {
      const TChunkDetails D = ChunkDetails(static_cast<const TChunk&>(Node));
      AddLines(Lines, {{"CheckSum: ", D.CheckSum}, {"Length: ", D.Length}, {"Name/Type: ", D.NameType}, {"Version: ", D.Version}});
      break;
    }
    case TNodePanel::Subchunk:
    case TNodePanel::TextList:
    case TNodePanel::OperatorList: {
      const TSubchunkDetails D = SubchunkDetails(static_cast<const TSubchunk&>(Node));
      AddLines(Lines, {{"Id: ", D.Id}, {"Length: ", D.Length}, {"Shortname: ", D.Shortname}, {"Flags: ", D.Flags}});
      if (Panel == TNodePanel::TextList) {
        AppendTextHeadLines(static_cast<const TTextSubchunk&>(Node), Lines);
      } else if (Panel == TNodePanel::OperatorList) {
        for (const TOperatorRow& Row : OperatorListRows(static_cast<const TPLMNSubchunk&>(Node)))
          Lines.push_back("MCC " + Row.Mcc + ": " + Row.Provider);
      }
      break;
    }
    case TNodePanel::FontImage:
      if (Glyphs) AppendGlyphLines(static_cast<const TFontEntry&>(Node), Lines);
      break;
  }
  return Lines;
}

std::vector<std::string> DumpDetailLines(const TKavClass& Node, bool Glyphs) {
  std::vector<std::string> Lines = DetailLinesBeforeEntries(Node, Glyphs);
  if (NodePanelOf(&Node) == TNodePanel::TextList) AppendTextEntryLines(static_cast<const TTextSubchunk&>(Node), Lines);
  return Lines;
}

}  // namespace kavex
