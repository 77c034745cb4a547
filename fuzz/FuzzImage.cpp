#include "fuzz/FuzzImage.h"

#include "log/Log.h"
#include "model/Kav_Details.h"
#include "model/Kav_Fls.h"
#include "model/Kav_Font.h"

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

// Touches everything a user can make the viewer or the tool show about a node, then goes
// on depth-first into every node that may have children, as kavex-dump --all does.
void Visit(TKavClass& Node, std::size_t& Sink) {
  Sink += Node.GetCaption().size() + Node.GetPath().size();
  const auto* Font = dynamic_cast<const TFontEntry*>(&Node);
  // The text art of the glyphs only for fonts of a sensible size; DrawGlyphs covers the rest.
  const bool Glyphs =
      Font && std::int64_t{Font->GetCharCount()} * (Font->GetMaxWidth() + 1) * (Font->GetMaxHeight() + 1) < 20000;
  for (const std::string& Line : DumpDetailLines(Node, Glyphs)) Sink += Line.size();
  if (Font) DrawGlyphs(*Font, Sink);
  if (!Node.MayHaveChildren()) return;
  try {
    while (Node.ParseNextChild()) {
    }
  } catch (const EKavError&) {
    // The finding is in the log; the walk goes on with the children built so far.
  }
  for (std::size_t I = 0; I < Node.ChildCount(); ++I) Visit(*Node.Child(I), Sink);
}

}  // namespace

int FuzzOneImage(const std::uint8_t* Data, std::size_t Size) {
  static const bool Installed = [] {
    // Formatting every record exercises the formatter with real arguments; the records
    // themselves are dropped.
    SetMsgReceiver([](int, const std::string& Path, const std::string& Text) {
      static std::size_t Total = 0;
      Total += Path.size() + Text.size();
    });
    SetLogProc(&LogMessage);
    return true;
  }();
  (void)Installed;
  if (Size == 0) return 0;  // LoadFile never builds a root for an empty file
  std::size_t Sink = 0;
  try {
    auto Root = LoadImage(TImageBytes(Data, Data + Size), "fuzz.fls");
    Visit(*Root, Sink);
  } catch (const EKavError&) {
    // A broken WinTesla chain: no root, as for the user.
  }
  return Sink == static_cast<std::size_t>(-1) ? 1 : 0;
}

}  // namespace kavex
