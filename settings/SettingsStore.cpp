#include "settings/SettingsStore.h"

namespace kavex {

TSettingsStore::TSettingsStore() : Settings_(QSettings::NativeFormat, QSettings::UserScope, "Quorrel", "Kavex") {}

QString TSettingsStore::ReadString(const QString& Section, const QString& Name, const QString& Default) const {
  const QVariant V = Settings_.value(Key(Section, Name));
  return V.isValid() ? V.toString() : Default;
}

int TSettingsStore::ReadInteger(const QString& Section, const QString& Name, int Default) const {
  const QVariant V = Settings_.value(Key(Section, Name));
  if (!V.isValid()) return Default;
  // The registry hands back integers as numbers, a configuration file as text.
  if (V.typeId() == QMetaType::Int) return V.toInt();
  bool Ok = false;
  const int N = V.toString().trimmed().toInt(&Ok, 10);
  return Ok ? N : Default;
}

bool TSettingsStore::ReadBool(const QString& Section, const QString& Name, bool Default) const {
  return ReadInteger(Section, Name, Default ? 1 : 0) != 0;
}

void TSettingsStore::WriteString(const QString& Section, const QString& Name, const QString& Value) {
  Settings_.setValue(Key(Section, Name), Value);
  Settings_.sync();
}

void TSettingsStore::WriteInteger(const QString& Section, const QString& Name, int Value) {
  Settings_.setValue(Key(Section, Name), Value);
  Settings_.sync();
}

void TSettingsStore::WriteBool(const QString& Section, const QString& Name, bool Value) {
  WriteString(Section, Name, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace kavex
