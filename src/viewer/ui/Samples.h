#pragma once
// The sample image that ships with Kavex: where the viewer looks for it. The build puts it in
// its own samples folder; an installation under the data folder (share/kavex/samples).

#include <QString>
#include <QStringList>

namespace kavex {

inline constexpr const char* SampleFileName = "kavex-sample.fls";

// The folders searched, in order: BuildFolder first (the build's samples folder when empty),
// then the installed places: share/kavex/samples beside the program's own bin folder, below
// every data folder of the desktop (XDG_DATA_HOME, XDG_DATA_DIRS) and below the data folder
// the build was configured to install into. No folder is listed twice.
QStringList SampleFolders(const QString& BuildFolder = {});
// The sample image's full path in the first of Folders that holds it; empty when none does.
QString FindSampleImage(const QStringList& Folders);

}  // namespace kavex
