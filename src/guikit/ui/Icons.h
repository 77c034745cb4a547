#pragma once
// The viewer's pictures, drawn as XPM text in ui/icons/ and compiled in as resources.

#include <QIcon>

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

enum class TActionIcon { Open = 0, Exit = 1, ViewLog = 2 };
QIcon ActionIcon(TActionIcon Which);

// The log window's image list: 0 Info, 1 Notice, 2 Warning, 3 Error, 4 Debug, 5 copy, 6 export.
constexpr int LogIconCount = 7;
QIcon LogIcon(int Index);

}  // namespace kavex
