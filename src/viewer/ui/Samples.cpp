#include "ui/Samples.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kavex {

QStringList SampleFolders(const QString& BuildFolder) {
  const QString Below = QStringLiteral("kavex/samples");
  QStringList Candidates{BuildFolder.isEmpty() ? QStringLiteral(KAVEX_BUILD_SAMPLES_DIR) : BuildFolder};
  if (QCoreApplication::instance())
    Candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/") + Below;
  for (const QString& Data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
    Candidates << Data + QLatin1Char('/') + Below;
  Candidates << QStringLiteral(KAVEX_INSTALL_DATADIR "/") + Below;
  QStringList Out;
  for (const QString& Folder : Candidates) {
    const QString Clean = QDir::cleanPath(Folder);
    if (!Out.contains(Clean)) Out << Clean;
  }
  return Out;
}

QString FindSampleImage(const QStringList& Folders) {
  for (const QString& Folder : Folders) {
    const QFileInfo File(QDir(Folder).filePath(QString::fromLatin1(SampleFileName)));
    if (File.isFile() && File.isReadable()) return File.absoluteFilePath();
  }
  return {};
}

}  // namespace kavex
