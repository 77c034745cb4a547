#pragma once
// The per-user settings store: sections of named text, integer and boolean values below
// Quorrel/Kavex (the registry on Windows, a configuration file elsewhere).

#include <QSettings>
#include <QString>

namespace kavex {

class TSettingsStore {
public:
  TSettingsStore();
  TSettingsStore(const TSettingsStore&) = delete;
  TSettingsStore& operator=(const TSettingsStore&) = delete;

  // A value that is missing, or of a type that is no text, reads as Default.
  QString ReadString(const QString& Section, const QString& Name, const QString& Default) const;
  // A value that is missing, or text that is not a decimal number, reads as Default.
  int ReadInteger(const QString& Section, const QString& Name, int Default) const;
  // Booleans are kept as "0"/"1" and read back as integers: anything but 0 is true.
  bool ReadBool(const QString& Section, const QString& Name, bool Default) const;

  // Every write reaches the disk at once, so nothing depends on an orderly shut-down.
  void WriteString(const QString& Section, const QString& Name, const QString& Value);
  void WriteInteger(const QString& Section, const QString& Name, int Value);
  void WriteBool(const QString& Section, const QString& Name, bool Value);

  QSettings& Raw() { return Settings_; }

private:
  static QString Key(const QString& Section, const QString& Name) { return Section + QLatin1Char('/') + Name; }
  QSettings Settings_;
};

}  // namespace kavex
