#include "settings/SettingsStore.h"

#include <optional>

namespace kavex {

TSettingsStore::TSettingsStore() : Settings_(QSettings::NativeFormat, QSettings::UserScope, "Quorrel", "Kavex") {}

namespace {

// A value as text, or nothing when it is of a type that has none (a rectangle, a font ...).
std::optional<QString> AsText(const QVariant& V) {
  switch (V.typeId()) {
    case QMetaType::QString: return V.toString();
    // A configuration file splits an unquoted value at its commas, as in a path edited by hand
    // ("/img/a, b.fls"); put together again it is the text that was written.
    case QMetaType::QStringList: return V.toStringList().join(QStringLiteral(", "));
    case QMetaType::QByteArray: return QString::fromUtf8(V.toByteArray());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool: return V.toString();
    default: return std::nullopt;
  }
}

}  // namespace

QString TSettingsStore::ReadString(const QString& Section, const QString& Name, const QString& Default) const {
  return AsText(Settings_.value(Key(Section, Name))).value_or(Default);
}

int TSettingsStore::ReadInteger(const QString& Section, const QString& Name, int Default) const {
  const QVariant V = Settings_.value(Key(Section, Name));
  // The registry hands back integers as numbers, a configuration file as text.
  if (V.typeId() == QMetaType::Int) return V.toInt();
  bool Ok = false;
  const int N = AsText(V).value_or(QString()).trimmed().toInt(&Ok, 10);
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
