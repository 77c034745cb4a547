#include "present/Kav_CompareReport.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "log/LogArgs.h"
#include "present/Kav_Bytes.h"
#include "present/Kav_Export.h"

namespace kavex {

namespace {

constexpr const char* Arrow = " \xE2\x86\x92 ";  // " → "
constexpr const char* Ellipsis = "\xE2\x80\xA6";  // "…"

std::string Offset(std::size_t Value) { return FormatText("0x%.8x", {static_cast<std::int64_t>(Value)}); }

std::string Plural(std::uint64_t N, const char* One, const char* Many) { return std::to_string(N) + ' ' + (N == 1 ? One : Many); }

// The items that are differences (context lines are not).
bool IsDifference(const TItemDiff& Item) { return Item.Change != TChange::Same; }

const char* KindName(TItemKind Kind) {
  switch (Kind) {
    case TItemKind::Detail: return "detail";
    case TItemKind::Glyph: return "glyph";
    case TItemKind::Tune: return "tune";
    case TItemKind::Name: return "name";
    case TItemKind::Version: return "version";
    case TItemKind::Bytes: return "bytes";
    case TItemKind::Layout: return "layout";
  }
  return "detail";
}

// The sign of a change in the text report and the HTML page.
const char* Sign(TChange Change) {
  switch (Change) {
    case TChange::Changed: return "~";
    case TChange::Added: return "+";
    case TChange::Removed: return "-";
    case TChange::Same: return " ";
  }
  return " ";
}

// Whether a detail item stands apart from the one before it: a report shows the gap.
bool GapBefore(const std::vector<TItemDiff>& Items, std::size_t I) {
  if (Items[I].Kind != TItemKind::Detail) return false;
  if (I == 0) return Items[I].Line > 0 && Items[I].Change == TChange::Same;
  const TItemDiff& Prev = Items[I - 1];
  return Prev.Kind == TItemKind::Detail && Items[I].Line > Prev.Line + 1;
}

// A run's bytes in hex: the context before it, the run's shown bytes between Open and Close
// ("…" among them when the run is longer), the context after it.
std::string RangeHex(const TByteRange& R, int Side, const char* Open, const char* Close) {
  const TByteView All(Side == 1 ? R.Around1 : R.Around2);
  const std::size_t Shown = Side == 1 ? R.Shown1 : R.Shown2;
  const std::size_t Length = Side == 1 ? R.Length1 : R.Length2;
  const std::size_t Lead = std::min(R.Lead, All.size());
  const std::size_t Mid = std::min(Shown, All.size() - Lead);
  std::string Out = BytesHex(All.first(Lead));
  if (!Out.empty()) Out += ' ';
  Out.append(Open).append(BytesHex(All.subspan(Lead, Mid)));
  if (Length > Shown) Out.append(Mid ? " " : "").append(Ellipsis);
  Out.append(Close);
  const std::string After = BytesHex(All.subspan(Lead + Mid));
  if (!After.empty()) Out += ' ' + After;
  return Out;
}

// ---- text -----------------------------------------------------------------------------------

void WriteSide(std::ostream& Out, int Side, const std::string& Position, const std::string& Caption) {
  Out << "  " << Side << ": ";
  if (Position.empty())
    Out << "-\n";
  else
    Out << Position << ' ' << EscapeLine(Caption) << '\n';
}

bool PictureLeftOut(const TGlyphPicture& P);

// The glyphs of an item side by side: the old one, then the new one.
void WritePictures(std::ostream& Out, const TItemDiff& Item) {
  const bool HasOld = Item.Change != TChange::Added;
  const bool HasNew = Item.Change != TChange::Removed;
  const TGlyphPicture& Left = HasOld ? Item.Glyph1 : Item.Glyph2;
  const TGlyphPicture* Right = HasOld && HasNew ? &Item.Glyph2 : nullptr;
  if (PictureLeftOut(Left) || (Right && PictureLeftOut(*Right))) {
    Out << "      (pictures left out: the report holds too many pixels)\n";
    return;
  }
  const std::size_t Rows = std::max(Left.Rows.size(), Right ? Right->Rows.size() : 0);
  for (std::size_t R = 0; R < Rows; ++R) {
    std::string Line = "      ";
    if (R < Left.Rows.size()) Line += Left.Rows[R];
    if (Right && R < Right->Rows.size()) {
      Line.resize(6 + static_cast<std::size_t>(std::max(Left.Width, 0)) + 3, ' ');
      Line += Right->Rows[R];
    }
    Out << Line << '\n';
  }
}

void WriteItem(std::ostream& Out, const TItemDiff& Item) {
  Out << "  " << Sign(Item.Change) << ' ' << EscapeLine(Item.Item) << ':';
  if (Item.Kind == TItemKind::Bytes) {
    Out << ' ' << DescribeBytes(Item) << '\n';
    for (const TByteRange& R : Item.Ranges)
      Out << "      " << Offset(R.Offset1) << " | " << Offset(R.Offset2) << ": " << ShowRange(R, 1) << Arrow << ShowRange(R, 2)
          << '\n';
    if (Item.RangeCount > Item.Ranges.size())
      Out << "      " << Ellipsis << " and " << Plural(Item.RangeCount - Item.Ranges.size(), "more run", "more runs") << '\n';
    return;
  }
  switch (Item.Change) {
    case TChange::Changed: Out << ' ' << EscapeLine(Item.Old) << Arrow << EscapeLine(Item.New); break;
    case TChange::Added: Out << ' ' << EscapeLine(Item.New); break;
    case TChange::Removed:
    case TChange::Same: Out << ' ' << EscapeLine(Item.Old); break;
  }
  Out << '\n';
  if (Item.Kind == TItemKind::Glyph) WritePictures(Out, Item);
}

// ---- JSON -----------------------------------------------------------------------------------

std::string JsonString(const std::string& Text) {
  return nlohmann::json(Text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonOrNull(bool Has, const std::string& Text) { return Has ? JsonString(Text) : "null"; }

std::string JsonGlyph(const TGlyphPicture& P) {
  std::string Out = "{\"width\": " + std::to_string(P.Width) + ", \"height\": " + std::to_string(P.Height) + ", \"rows\": [";
  for (std::size_t R = 0; R < P.Rows.size(); ++R) Out += (R ? ", " : "") + JsonString(P.Rows[R]);
  return Out + "]}";
}

void WriteJsonDifference(std::ostream& Out, bool& First, const TNodeDiff& Node, const TItemDiff* Item) {
  Out << (First ? "\n  " : ",\n  ");
  First = false;
  const TChange Change = Item ? Item->Change : Node.Change;
  Out << "{\"change\": " << JsonString(ChangeName(Change)) << ", \"class\": " << JsonString(Node.Class)
      << ", \"path\": " << JsonString(Node.Path) << ", \"position1\": " << JsonOrNull(!Node.Position1.empty(), Node.Position1)
      << ", \"position2\": " << JsonOrNull(!Node.Position2.empty(), Node.Position2)
      << ", \"caption1\": " << JsonOrNull(!Node.Position1.empty(), Node.Caption1)
      << ", \"caption2\": " << JsonOrNull(!Node.Position2.empty(), Node.Caption2);
  if (!Item) {
    Out << ", \"kind\": null, \"item\": null, \"old\": null, \"new\": null}";
    return;
  }
  const bool HasOld = Change != TChange::Added;
  const bool HasNew = Change != TChange::Removed;
  Out << ", \"kind\": " << JsonString(KindName(Item->Kind)) << ", \"item\": " << JsonString(Item->Item);
  switch (Item->Kind) {
    case TItemKind::Glyph:
      Out << ", \"old\": " << (HasOld ? JsonGlyph(Item->Glyph1) : "null") << ", \"new\": " << (HasNew ? JsonGlyph(Item->Glyph2) : "null");
      break;
    case TItemKind::Bytes: {
      Out << ", \"old\": " << JsonString(Item->Old) << ", \"new\": " << JsonString(Item->New) << ", \"count\": " << Item->Count
          << ", \"range_count\": " << Item->RangeCount << ", \"ranges\": [";
      for (std::size_t K = 0; K < Item->Ranges.size(); ++K) {
        const TByteRange& R = Item->Ranges[K];
        Out << (K ? ", " : "") << "{\"offset1\": " << R.Offset1 << ", \"length1\": " << R.Length1 << ", \"offset2\": " << R.Offset2
            << ", \"length2\": " << R.Length2 << '}';
      }
      Out << ']';
      break;
    }
    default:
      Out << ", \"old\": " << JsonOrNull(HasOld, Item->Old) << ", \"new\": " << JsonOrNull(HasNew, Item->New);
      break;
  }
  Out << '}';
}

// ---- HTML -----------------------------------------------------------------------------------

constexpr const char* PageStyle = R"(body{font-family:sans-serif;margin:1.5em;color:#111;background:#fff}
h1{font-size:1.4em}h2{font-size:1.1em;margin:0 0 .4em 0}
section{border:1px solid #bbb;border-radius:4px;padding:.6em .8em;margin:1em 0}
section.added{border-left:6px solid #2a7}section.removed{border-left:6px solid #c33}section.changed{border-left:6px solid #37c}
.tag{font-weight:normal;font-size:.85em;padding:0 .4em;border:1px solid #888;border-radius:3px;margin-right:.4em}
table{border-collapse:collapse;margin:.3em 0}th,td{border:1px solid #ccc;padding:.15em .5em;text-align:left;vertical-align:top}
th{background:#f2f2f2;font-weight:normal}td.text{font-family:monospace;white-space:pre-wrap}
tr.same td{color:#555}tr.gap td{color:#888;text-align:center}
del{background:#fcc;text-decoration:line-through}ins{background:#cfc;text-decoration:underline}
.summary{font-size:1.1em;font-weight:bold}figure{display:inline-block;margin:.2em .8em .2em 0;text-align:center}
figcaption{font-size:.8em}svg{border:1px solid #999;image-rendering:pixelated}code{font-family:monospace}
)";

char PixelAt(const TGlyphPicture& G, int X, int Y) {
  const auto Row = static_cast<std::size_t>(Y);
  const auto Column = static_cast<std::size_t>(X);
  return Row < G.Rows.size() && Column < G.Rows[Row].size() ? G.Rows[Row][Column] : '-';
}

// An SVG picture of Width by Height pixels, a rectangle for each pixel Fill gives a colour.
template <class TFill>
std::string PixelSvg(int Width, int Height, const char* Background, TFill&& Fill) {
  Width = std::max(Width, 1);
  Height = std::max(Height, 1);
  const int Scale = std::max(2, 56 / std::max(Height, (Width + 1) / 2));
  std::string Svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(Width * Scale) + "\" height=\"" +
                    std::to_string(Height * Scale) + "\" viewBox=\"0 0 " + std::to_string(Width) + ' ' + std::to_string(Height) +
                    "\" shape-rendering=\"crispEdges\"><rect width=\"" + std::to_string(Width) + "\" height=\"" +
                    std::to_string(Height) + "\" fill=\"" + Background + "\"/>";
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X)
      if (const char* Colour = Fill(X, Y))
        Svg += "<rect x=\"" + std::to_string(X) + "\" y=\"" + std::to_string(Y) + "\" width=\"1\" height=\"1\" fill=\"" + Colour + "\"/>";
  return Svg + "</svg>";
}

// A glyph as the viewer draws it: ink black on green paper, grey where nothing is drawn.
std::string GlyphSvg(const TGlyphPicture& P) {
  return PixelSvg(P.Width, P.Height, "#c0c0c0", [&](int X, int Y) -> const char* {
    const char C = PixelAt(P, X, Y);
    return C == '#' ? "#000000" : C == '.' ? "#00ff00" : nullptr;
  });
}

// The pixels that differ between two glyphs, red over the larger of their boxes; the others
// light (the new glyph's ink a light grey).
std::string DifferenceSvg(const TGlyphPicture& A, const TGlyphPicture& B, std::size_t& Differing) {
  Differing = 0;
  return PixelSvg(std::max(A.Width, B.Width), std::max(A.Height, B.Height), "#ffffff", [&](int X, int Y) -> const char* {
    const char C = PixelAt(B, X, Y);
    if (PixelAt(A, X, Y) != C) {
      ++Differing;
      return "#d00000";
    }
    return C == '#' ? "#b0b0b0" : nullptr;
  });
}

std::string Figure(const std::string& Svg, const std::string& Caption) {
  return "<figure>" + Svg + "<figcaption>" + Caption + "</figcaption></figure>";
}

bool PictureLeftOut(const TGlyphPicture& P) { return P.Rows.empty() && P.Width > 0 && P.Height > 0; }

std::string HtmlGlyphs(const TItemDiff& Item) {
  const bool HasOld = Item.Change != TChange::Added;
  const bool HasNew = Item.Change != TChange::Removed;
  if ((HasOld && PictureLeftOut(Item.Glyph1)) || (HasNew && PictureLeftOut(Item.Glyph2)))
    return "pictures left out: the report holds too many pixels";
  std::string Out;
  if (HasOld) Out += Figure(GlyphSvg(Item.Glyph1), "old, " + EscapeHtml(Item.Old));
  if (HasNew) Out += Figure(GlyphSvg(Item.Glyph2), "new, " + EscapeHtml(Item.New));
  if (HasOld && HasNew) {
    std::size_t Differing = 0;
    const std::string Svg = DifferenceSvg(Item.Glyph1, Item.Glyph2, Differing);
    Out += Figure(Svg, "differing pixels: " + std::to_string(Differing));
  }
  return Out;
}

// A text with its changed characters marked: Changed runs in <del> (old side) or <ins>.
std::string MarkedHtml(const std::string& Text, const std::vector<TTextRun>& Runs, const char* Tag) {
  std::string Out;
  for (const TTextRun& R : Runs) {
    const std::string Part = EscapeHtml(Text.substr(R.Offset, R.Length));
    if (R.Changed)
      Out.append("<").append(Tag).append(">").append(Part).append("</").append(Tag).append(">");
    else
      Out += Part;
  }
  return Out;
}

// A run of bytes in hex with its shown bytes marked.
std::string HtmlRange(const TByteRange& R, int Side) { return RangeHex(R, Side, Side == 1 ? "<del>" : "<ins>", Side == 1 ? "</del>" : "</ins>"); }

void WriteHtmlItem(std::ostream& Out, const TItemDiff& Item) {
  const char* Class = ChangeName(Item.Change);
  const std::string Head = std::string("<tr class=\"") + Class + "\"><th>" + Sign(Item.Change) + ' ' + EscapeHtml(Item.Item) + "</th>";
  const bool HasOld = Item.Change != TChange::Added;
  const bool HasNew = Item.Change != TChange::Removed;
  switch (Item.Kind) {
    case TItemKind::Glyph:
      Out << Head << "<td colspan=\"2\">" << HtmlGlyphs(Item) << "</td></tr>\n";
      return;
    case TItemKind::Bytes:
      Out << Head << "<td colspan=\"2\">" << EscapeHtml(DescribeBytes(Item));
      if (!Item.Ranges.empty()) {
        Out << "<table><tr><th>offset 1</th><th>offset 2</th><th>image 1</th><th>image 2</th></tr>\n";
        for (const TByteRange& R : Item.Ranges)
          Out << "<tr><td class=\"text\">" << Offset(R.Offset1) << " (" << Plural(R.Length1, "byte", "bytes") << ")</td><td class=\"text\">"
              << Offset(R.Offset2) << " (" << Plural(R.Length2, "byte", "bytes") << ")</td><td class=\"text\">" << HtmlRange(R, 1)
              << "</td><td class=\"text\">" << HtmlRange(R, 2) << "</td></tr>\n";
        if (Item.RangeCount > Item.Ranges.size())
          Out << "<tr class=\"gap\"><td colspan=\"4\">" << Ellipsis << " and "
              << Plural(Item.RangeCount - Item.Ranges.size(), "more run", "more runs") << "</td></tr>\n";
        Out << "</table>";
      }
      Out << "</td></tr>\n";
      return;
    default:
      break;
  }
  std::string Old = HasOld ? EscapeHtml(Item.Old) : std::string();
  std::string New = HasNew ? EscapeHtml(Item.New) : std::string();
  if (Item.Change == TChange::Changed) {
    const TMarkedTexts Marks = MarkChangedText(Item.Old, Item.New);
    Old = MarkedHtml(Item.Old, Marks.Old, "del");
    New = MarkedHtml(Item.New, Marks.New, "ins");
  } else if (Item.Change == TChange::Removed) {
    Old = "<del>" + Old + "</del>";
  } else if (Item.Change == TChange::Added) {
    New = "<ins>" + New + "</ins>";
  } else {
    New = Old;
  }
  Out << Head << "<td class=\"text\">" << Old << "</td><td class=\"text\">" << New << "</td></tr>\n";
}

void WriteHtmlNode(std::ostream& Out, const TNodeDiff& Node) {
  Out << "<section class=\"" << ChangeName(Node.Change) << "\"><h2><span class=\"tag\">" << ChangeName(Node.Change) << "</span>"
      << EscapeHtml(Node.Class) << " <code>" << EscapeHtml(Node.Path) << "</code></h2>\n";
  const auto Cell = [](const std::string& Text, bool Has) { return Has ? EscapeHtml(Text) : std::string("&#8212;"); };
  Out << "<table><tr><th></th><th>image 1</th><th>image 2</th></tr>\n<tr><th>position</th><td>"
      << Cell(Node.Position1, !Node.Position1.empty()) << "</td><td>" << Cell(Node.Position2, !Node.Position2.empty())
      << "</td></tr>\n<tr><th>caption</th><td class=\"text\">" << Cell(Node.Caption1, !Node.Position1.empty())
      << "</td><td class=\"text\">" << Cell(Node.Caption2, !Node.Position2.empty()) << "</td></tr></table>\n";
  if (!Node.Items.empty()) {
    Out << "<table><tr><th>item</th><th>image 1</th><th>image 2</th></tr>\n";
    for (std::size_t I = 0; I < Node.Items.size(); ++I) {
      if (GapBefore(Node.Items, I)) Out << "<tr class=\"gap\"><td colspan=\"3\">" << Ellipsis << "</td></tr>\n";
      WriteHtmlItem(Out, Node.Items[I]);
    }
    Out << "</table>\n";
  }
  Out << "</section>\n";
}

}  // namespace

std::string CompareSummary(const TComparison& C) {
  return std::to_string(C.Changed) + " changed, " + std::to_string(C.Added) + " added, " + std::to_string(C.Removed) + " removed";
}

std::string DescribeBytes(const TItemDiff& Item) {
  return Plural(Item.Count, "byte differs", "bytes differ") + " in " + Plural(Item.RangeCount, "run", "runs") + " (" + Item.Old + Arrow +
         Item.New + ")";
}

std::string ShowRange(const TByteRange& R, int Side) { return RangeHex(R, Side, "[", "]"); }

std::string EscapeHtml(const std::string& Text) {
  const std::string Line = EscapeLine(Text);
  std::string Out;
  Out.reserve(Line.size());
  for (const char C : Line) {
    switch (C) {
      case '&': Out += "&amp;"; break;
      case '<': Out += "&lt;"; break;
      case '>': Out += "&gt;"; break;
      case '"': Out += "&quot;"; break;
      case '\'': Out += "&#39;"; break;
      default: Out += C; break;
    }
  }
  return Out;
}

void WriteCompareText(const TComparison& C, const TCompareSources& Sources, std::ostream& Out) {
  Out << "1: " << EscapeLine(Sources.Source1) << "\n2: " << EscapeLine(Sources.Source2) << "\n";
  for (const TNodeDiff& Node : C.Nodes) {
    Out << '\n' << ChangeName(Node.Change) << ' ' << Node.Class << ' ' << EscapeLine(Node.Path) << '\n';
    WriteSide(Out, 1, Node.Position1, Node.Caption1);
    WriteSide(Out, 2, Node.Position2, Node.Caption2);
    for (std::size_t I = 0; I < Node.Items.size(); ++I) {
      if (GapBefore(Node.Items, I)) Out << "    " << Ellipsis << '\n';
      WriteItem(Out, Node.Items[I]);
    }
  }
  Out << '\n' << CompareSummary(C) << '\n';
}

void WriteCompareJson(const TComparison& C, const TCompareSources& Sources, std::ostream& Out) {
  Out << "{\n \"source1\": " << JsonString(Sources.Source1) << ",\n \"source2\": " << JsonString(Sources.Source2)
      << ",\n \"same\": " << (C.Same() ? "true" : "false") << ",\n \"summary\": {\"changed\": " << C.Changed << ", \"added\": " << C.Added
      << ", \"removed\": " << C.Removed << "},\n \"differences\": [";
  bool First = true;
  for (const TNodeDiff& Node : C.Nodes) {
    if (Node.Change != TChange::Changed) {
      WriteJsonDifference(Out, First, Node, nullptr);
      continue;
    }
    for (const TItemDiff& Item : Node.Items)
      if (IsDifference(Item)) WriteJsonDifference(Out, First, Node, &Item);
  }
  Out << (First ? "]\n}\n" : "\n ]\n}\n");
}

void WriteCompareHtml(const TComparison& C, const TCompareSources& Sources, std::ostream& Out) {
  Out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Kavex comparison: " << EscapeHtml(Sources.Source1)
      << " and " << EscapeHtml(Sources.Source2) << "</title>\n<style>\n" << PageStyle << "</style>\n</head>\n<body>\n<h1>Kavex comparison</h1>\n"
      << "<table><tr><th>image 1</th><td><code>" << EscapeHtml(Sources.Source1) << "</code></td></tr>\n<tr><th>image 2</th><td><code>"
      << EscapeHtml(Sources.Source2) << "</code></td></tr></table>\n<p class=\"summary\">" << CompareSummary(C)
      << (C.Same() ? ": the images are the same" : "") << "</p>\n";
  for (const TNodeDiff& Node : C.Nodes) WriteHtmlNode(Out, Node);
  Out << "</body>\n</html>\n";
}

}  // namespace kavex
