#include "fuzz/FuzzImage.h"

#include "log/Log.h"
#include "present/Kav_Details.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Font.h"
#include "log/Kav_LogSession.h"
#include "present/Kav_Walk.h"

namespace kavex {
namespace {

// A canvas of the largest glyph size that only counts what is drawn on it.
class TCountingSurface : public TGlyphSurface {
public:
  void SetPixel(int X, int Y, std::uint32_t Colour) override {
    if (X >= 0 && Y >= 0 && X < 256 && Y < 32) Count += Colour == GlyphInk ? 2 : 1;
  }
  std::size_t Count = 0;
};

// Every glyph path (first and last characters of the font, every range start) without drawing
// all 65536 characters a damaged range table can claim: that alone would take a second.
void DrawGlyphs(const TFontEntry& Font, std::size_t& Sink) {
  TCountingSurface Surface;
  const std::int32_t N = Font.GetCharCount();
  constexpr std::int32_t Head = 48;
  constexpr std::int32_t Tail = 64;
  for (std::int32_t K = 0; K < N; ++K) {
    if (K == Head && N - Tail > K) K = N - Tail;
    Font.DrawGlyph(Font.GetCharCode(K), Surface, 0, 0);
  }
  Font.DrawGlyph(0, Surface, -3, -5);  // partly off the canvas
  Sink += Surface.Count;
}

// Touches everything a user can make the viewer or the tool show about a node.
void Visit(TKavClass& Node, std::size_t& Sink) {
  Sink += Node.GetCaption().size() + Node.GetPath().size();
  const auto* Font = Node.Kind() == TNodeKind::FontEntry ? static_cast<const TFontEntry*>(&Node) : nullptr;
  // The text art of the glyphs only for fonts of a sensible size; DrawGlyphs covers the rest.
  const bool Glyphs =
      Font && std::int64_t{Font->GetCharCount()} * (Font->GetMaxWidth() + 1) * (Font->GetMaxHeight() + 1) < 20000;
  for (const std::string& Line : DumpDetailLines(Node, Glyphs)) Sink += Line.size();
  if (Font) DrawGlyphs(*Font, Sink);
}

// What the formatted records add up to: read nowhere, kept so that formatting is not dropped.
std::size_t LoggedBytes = 0;

}  // namespace

int FuzzOneImage(const std::uint8_t* Data, std::size_t Size) {
  // Formatting every record exercises the formatter with real arguments; the records
  // themselves are dropped.
  static const TLogSession Session([](int, const std::string& Path, const std::string& Text) {
    LoggedBytes += Path.size() + Text.size();
  });
  if (Size == 0) return 0;  // LoadFile never builds a root for an empty file
  std::size_t Sink = 0;
  try {
    auto Root = LoadImage(TImageBytes(Data, Data + Size), "fuzz.fls");
    // Every node, depth-first, as kavex-dump --all builds them; an error ends only the
    // building of the node it hit.
    ExpandAll(*Root, [&Sink](TKavClass& Node) { Visit(Node, Sink); });
  } catch (const EKavError&) {
    // A broken WinTesla chain: no root, as for the user.
  }
  return Sink == static_cast<std::size_t>(-1) ? 1 : 0;
}

}  // namespace kavex
