#include "ui/Icons.h"

#include <QString>

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
