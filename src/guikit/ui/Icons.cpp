#include "ui/Icons.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QString>
#include <array>

// The resources live in a static library, where nothing else would keep them linked in.
static void InitIconResources() {
  static const bool Done = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)Done;
}

namespace kavex {
namespace {

QIcon FromResource(const QString& Path) {
  InitIconResources();
  return QIcon(Path);
}

}  // namespace

QIcon NodeIcon(int Index) {
  if (Index < 0 || Index >= NodeIconCount) return {};
  return FromResource(QStringLiteral(":/icons/tree/node%1.xpm").arg(Index, 2, 10, QLatin1Char('0')));
}

namespace {

constexpr int IconSide = 16;

// The marker's shape in the icon's lower right corner, in pixel coordinates: a disc for an
// Error, a triangle for a Warning; the faint one below a node is smaller.
QPainterPath MarkerShape(TProblemMarker Marker) {
  const bool Faint = Marker == TProblemMarker::ErrorBelow || Marker == TProblemMarker::WarningBelow;
  const qreal Side = Faint ? 6 : 8.5;
  const QRectF Box(IconSide - 0.5 - Side, IconSide - 0.5 - Side, Side, Side);
  QPainterPath Shape;
  if (Marker == TProblemMarker::Error || Marker == TProblemMarker::ErrorBelow) {
    Shape.addEllipse(Box);
  } else {
    Shape.moveTo(Box.center().x(), Box.top() - (Faint ? 0.5 : 1));
    Shape.lineTo(Box.right(), Box.bottom());
    Shape.lineTo(Box.left(), Box.bottom());
    Shape.closeSubpath();
  }
  return Shape;
}

// A badge's body over P: faint, its outline alone over a pale fill that keeps it apart from
// the icon's marks; else filled, with a white rim that parts it from the icon's black marks.
void PaintBadge(QPainter& P, const QPainterPath& Shape, const QColor& Colour, bool Faint) {
  if (Faint) {
    P.setPen(QPen(Colour, 1.3));
    P.setBrush(QColor(255, 255, 255, 200));
  } else {
    P.setPen(QPen(Qt::white, 1));
    P.setBrush(Colour);
  }
  P.drawPath(Shape);
}

QPixmap PaintMarked(const QIcon& Base, TProblemMarker Marker) {
  QPixmap Pixmap(IconSide, IconSide);
  Pixmap.fill(Qt::transparent);
  QPainter P(&Pixmap);
  if (!Base.isNull()) P.drawPixmap(0, 0, Base.pixmap(IconSide, IconSide));
  P.setRenderHint(QPainter::Antialiasing);
  const bool Error = Marker == TProblemMarker::Error || Marker == TProblemMarker::ErrorBelow;
  const QColor Colour = Error ? QColor(0xD8, 0x1E, 0x28) : QColor(0xF2, 0xA2, 0x00);
  const QPainterPath Shape = MarkerShape(Marker);
  const bool Faint = Marker == TProblemMarker::ErrorBelow || Marker == TProblemMarker::WarningBelow;
  PaintBadge(P, Shape, Colour, Faint);
  if (Faint) return Pixmap;
  // The "!": a bar and a dot, white on red, dark on amber.
  const QRectF Box = Shape.boundingRect();
  const qreal X = Box.center().x() - 0.75;
  P.setPen(Qt::NoPen);
  P.setBrush(Error ? QColor(Qt::white) : QColor(0x3A, 0x26, 0x00));
  P.drawRect(QRectF(X, Box.top() + (Error ? 1.75 : 2.75), 1.5, Error ? 3.0 : 2.5));
  P.drawRect(QRectF(X, Box.bottom() - (Error ? 2.5 : 2.0), 1.5, 1.25));
  return Pixmap;
}

// Painted icons by node icon (the last row: no icon) and marker; released with the
// application, before the toolkit's pictures go.
using TMarkedIcons = std::array<std::array<QIcon, ProblemMarkerCount>, NodeIconCount + 1>;
TMarkedIcons* MarkedIcons = nullptr;

}  // namespace

QIcon NodeIcon(int Index, TProblemMarker Marker) {
  if (Marker == TProblemMarker::None) return NodeIcon(Index);
  const int Row = Index >= 0 && Index < NodeIconCount ? Index : NodeIconCount;
  if (!MarkedIcons) {
    MarkedIcons = new TMarkedIcons;
    qAddPostRoutine([] {
      delete MarkedIcons;
      MarkedIcons = nullptr;
    });
  }
  QIcon& Icon = (*MarkedIcons)[static_cast<std::size_t>(Row)][static_cast<std::size_t>(Marker)];
  if (Icon.isNull()) Icon = QIcon(PaintMarked(Row < NodeIconCount ? NodeIcon(Row) : QIcon(), Marker));
  return Icon;
}

namespace {

QPixmap PaintCompareMark(const QIcon& Base, TCompareMark Mark) {
  QPixmap Pixmap(IconSide, IconSide);
  Pixmap.fill(Qt::transparent);
  QPainter P(&Pixmap);
  if (!Base.isNull()) P.drawPixmap(0, 0, Base.pixmap(IconSide, IconSide));
  P.setRenderHint(QPainter::Antialiasing);
  const bool Faint = Mark == TCompareMark::Below;
  const qreal Side = Faint ? 6 : 8.5;
  const QRectF Box(IconSide - 0.5 - Side, 0.5, Side, Side);
  QPainterPath Shape;
  QColor Colour;
  switch (Mark) {
    case TCompareMark::Added:
      Shape.addRect(Box);
      Colour = QColor(0x1E, 0x9A, 0x32);
      break;
    case TCompareMark::Removed:
      Shape.addEllipse(Box);
      Colour = QColor(0xC8, 0x1E, 0x28);
      break;
    default:  // Changed and Below: a diamond
      Shape.moveTo(Box.center().x(), Box.top());
      Shape.lineTo(Box.right(), Box.center().y());
      Shape.lineTo(Box.center().x(), Box.bottom());
      Shape.lineTo(Box.left(), Box.center().y());
      Shape.closeSubpath();
      Colour = QColor(0x1E, 0x5A, 0xD2);
      break;
  }
  PaintBadge(P, Shape, Colour, Faint);
  if (Faint) return Pixmap;
  // The sign, white: "+" two bars, "-" one, "~" a small wave.
  const QPointF C = Box.center();
  P.setPen(Qt::NoPen);
  P.setBrush(Qt::white);
  if (Mark == TCompareMark::Added || Mark == TCompareMark::Removed) P.drawRect(QRectF(C.x() - 2.5, C.y() - 0.6, 5, 1.2));
  if (Mark == TCompareMark::Added) P.drawRect(QRectF(C.x() - 0.6, C.y() - 2.5, 1.2, 5));
  if (Mark == TCompareMark::Changed) {
    QPainterPath Wave;
    Wave.moveTo(C.x() - 2.2, C.y() + 0.6);
    Wave.cubicTo(C.x() - 1.2, C.y() - 1.4, C.x() + 1.2, C.y() + 1.4, C.x() + 2.2, C.y() - 0.6);
    P.setPen(QPen(Qt::white, 1.1));
    P.setBrush(Qt::NoBrush);
    P.drawPath(Wave);
  }
  return Pixmap;
}

using TComparedIcons = std::array<std::array<std::array<QIcon, CompareMarkCount>, ProblemMarkerCount>, NodeIconCount + 1>;
TComparedIcons* ComparedIcons = nullptr;

}  // namespace

QIcon NodeIcon(int Index, TProblemMarker Marker, TCompareMark Mark) {
  const int Shape = static_cast<int>(Mark);
  if (Shape <= 0 || Shape >= CompareMarkCount) return NodeIcon(Index, Marker);
  const int Row = Index >= 0 && Index < NodeIconCount ? Index : NodeIconCount;
  if (!ComparedIcons) {
    ComparedIcons = new TComparedIcons;
    qAddPostRoutine([] {
      delete ComparedIcons;
      ComparedIcons = nullptr;
    });
  }
  QIcon& Icon = (*ComparedIcons)[static_cast<std::size_t>(Row)][static_cast<std::size_t>(Marker)][static_cast<std::size_t>(Shape)];
  if (Icon.isNull()) Icon = QIcon(PaintCompareMark(NodeIcon(Row < NodeIconCount ? Row : -1, Marker), Mark));
  return Icon;
}

QIcon ActionIcon(TActionIcon Which) {
  static const char* const Names[] = {"open", "exit", "log"};
  return FromResource(QStringLiteral(":/icons/actions/%1.xpm").arg(QLatin1String(Names[static_cast<int>(Which)])));
}

QIcon LogIcon(int Index) {
  static const char* const Names[] = {"info", "notice", "warning", "error", "debug", "copy", "export"};
  if (Index < 0 || Index >= LogIconCount) return {};
  return FromResource(QStringLiteral(":/icons/log/%1.xpm").arg(QLatin1String(Names[Index])));
}

}  // namespace kavex
