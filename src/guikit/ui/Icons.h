#pragma once
// The viewer's pictures, drawn as XPM text in ui/icons/ and compiled in as resources.

#include <QIcon>

#include "present/Kav_CompareView.h"
#include "present/Kav_Problems.h"

namespace kavex {

constexpr int NodeIconCount = 20;
// A tree node icon by its index 0..19; an index outside that range gives no icon.
QIcon NodeIcon(int Index);
// The same icon with a problem marker in its lower right corner: a red disc with "!" for an
// Error, an amber triangle with "!" for a Warning, and the hollow outline of either, faint, for
// a problem below the node. An index outside 0..19 gives the marker alone. Each pair is painted
// once and kept.
QIcon NodeIcon(int Index, TProblemMarker Marker);

// The same icon, problem marker and all, with a comparison mark in its upper right corner,
// each told apart by its shape as well as its colour: a blue diamond with "~" for a node that
// changed, a green square with "+" for one added, a red disc with "-" for one removed, and a
// small hollow diamond, faint, for a node with differences below it. Painted once and kept.
QIcon NodeIcon(int Index, TProblemMarker Marker, TCompareMark Mark);

enum class TActionIcon { Open = 0, Exit = 1, ViewLog = 2 };
QIcon ActionIcon(TActionIcon Which);

// The log window's image list: 0 Info, 1 Notice, 2 Warning, 3 Error, 4 Debug, 5 copy, 6 export.
constexpr int LogIconCount = 7;
QIcon LogIcon(int Index);

}  // namespace kavex
