#pragma once
// The viewer's pictures, drawn as XPM text in ui/icons/ and compiled in as resources.

#include <QIcon>

namespace kavex {

constexpr int NodeIconCount = 20;
// A tree node icon by its index 0..19; an index outside that range gives no icon.
QIcon NodeIcon(int Index);

enum class TActionIcon { Open = 0, Exit = 1, ViewLog = 2 };
QIcon ActionIcon(TActionIcon Which);

// The log window's image list: 0 Info, 1 Notice, 2 Warning, 3 Error, 4 Debug, 5 copy, 6 export.
constexpr int LogIconCount = 7;
QIcon LogIcon(int Index);

}  // namespace kavex
