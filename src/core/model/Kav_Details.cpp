#include "model/Kav_Details.h"

#include <algorithm>

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
  for (std::int32_t K = 0; K < Count; ++K) {
    const std::uint16_t Code = Font.GetCharCode(K);
    Lines.push_back(FormatText("Glyph 0x%.4x", {std::int64_t{Code}}));
    TTextCanvas Canvas(Width, Height);
    Font.DrawGlyph(Code, Canvas, 0, 0);
    Lines.insert(Lines.end(), Canvas.Rows().begin(), Canvas.Rows().end());
  }
}

}  // namespace

TChunkDetails ChunkDetails(const TChunk& Chunk) {
  const std::uint32_t Stored = Chunk.GetStoredChecksum();
  const std::uint32_t Calculated = Chunk.GetCalculatedChecksum();
  const std::string Note =
      Calculated == Stored ? std::string("match") : FormatText("expected 0x%.8x", {std::int64_t{Calculated}});
  return {FormatText("0x%.8x (%s)", {std::int64_t{Stored}, Note}), HexWithDecimal(Chunk.GetLength()),
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
  for (std::int32_t I = First; I < Text.GetEntryCount(); ++I)
    D.Rows.push_back({std::to_string(I), Utf16ToUtf8(Text.GetText(I))});
  switch (Text.GetCharWidth()) {
    case 1: D.Charset = "GSM alphabet"; break;
    case 2: D.Charset = "Unicode"; break;
    default: D.Charset = "Unknown"; break;
  }
  D.Language = Common ? std::string("(common)") : Utf16ToUtf8(Text.GetText(0));
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

void TTextCanvas::SetPixel(int X, int Y, std::uint32_t Colour) {
  if (Y < 0 || static_cast<std::size_t>(Y) >= Rows_.size()) return;
  std::string& Row = Rows_[static_cast<std::size_t>(Y)];
  if (X < 0 || static_cast<std::size_t>(X) >= Row.size()) return;
  Row[static_cast<std::size_t>(X)] = Colour == GlyphInk ? '#' : '.';
}

std::vector<std::string> DumpDetailLines(const TKavClass& Node, bool Glyphs) {
  std::vector<std::string> Lines;
  // The kind agrees with the class name (NodeKindRowOf checks it), so the casts hold.
  const TNodePanel Panel = NodePanelOf(&Node);
  switch (Panel) {
    case TNodePanel::None:
      break;
    case TNodePanel::Chunk: {
      const TChunkDetails D = ChunkDetails(static_cast<const TChunk&>(Node));
      Lines = {"CheckSum: " + D.CheckSum, "Length: " + D.Length, "Name/Type: " + D.NameType, "Version: " + D.Version};
      break;
    }
    case TNodePanel::Subchunk:
    case TNodePanel::TextList:
    case TNodePanel::OperatorList: {
      const TSubchunkDetails D = SubchunkDetails(static_cast<const TSubchunk&>(Node));
      Lines = {"Id: " + D.Id, "Length: " + D.Length, "Shortname: " + D.Shortname, "Flags: " + D.Flags};
      if (Panel == TNodePanel::TextList) {
        const TTextListDetails T = TextListDetails(static_cast<const TTextSubchunk&>(Node));
        Lines.push_back("Language: " + T.Language);
        Lines.push_back("Charset: " + T.Charset);
        Lines.reserve(Lines.size() + T.Rows.size());
        for (const TTextRow& Row : T.Rows) {
          // One allocation a line: tables hold thousands of entries.
          std::string Line;
          Line.reserve(8 + Row.Index.size() + Row.Entry.size());
          Line.append("Entry ").append(Row.Index).append(": ").append(Row.Entry);
          Lines.push_back(std::move(Line));
        }
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

}  // namespace kavex
