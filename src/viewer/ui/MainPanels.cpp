// TfMain's side of the detail area: the wheel over the font picture, and the Unicode display
// font with its dialog and its place in the settings store.

#include <QApplication>
#include <QWheelEvent>

#include "settings/SettingsNames.h"
#include "ui/Main.h"
#include "ui/NodeDetails.h"

namespace kavex {

bool TfMain::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() != QEvent::Wheel || !Watched->isWidgetType() || static_cast<QWidget*>(Watched)->window() != this)
    return QMainWindow::eventFilter(Watched, Event);
  auto* Wheel = static_cast<QWheelEvent*>(Event);
  const int Delta = Wheel->angleDelta().y();
  const QPoint At = pAllInfo->mapFromGlobal(Wheel->globalPosition().toPoint());
  // Ctrl with the wheel over the font picture zooms it, a step per notch.
  if (Delta != 0 && (Wheel->modifiers() & Qt::ControlModifier) && pAllInfo->isEnabled() &&
      pAllInfo->OverFontPicture(Wheel->globalPosition().toPoint())) {
    ZoomFontPicture(Delta > 0 ? 1 : -1);
    Wheel->accept();
    return true;
  }
  if (Delta != 0 && pAllInfo->isEnabled() && pAllInfo->isVisible() && pAllInfo->rect().contains(At) &&
      pAllInfo->FontPictureShown()) {
    pAllInfo->sbFontImgMouseWheel(Delta);
    Wheel->accept();
    return true;  // no other control scrolls
  }
  return QMainWindow::eventFilter(Watched, Event);
}

void TfMain::LoadUnicodeFont() {
  const QString Name = Settings_->ReadString(settings::Unicode, settings::FontName, UnicodeFont_.family());
  const int Size = Settings_->ReadInteger(settings::Unicode, settings::FontSize, UnicodeFont_.pointSize());
  const int Charset = Settings_->ReadInteger(settings::Unicode, settings::FontCharset, UnicodeCharset_);
  // Values no font can have keep the current ones.
  if (!Name.isEmpty()) UnicodeFont_.setFamily(Name);
  if (Size > 0) UnicodeFont_.setPointSize(Size);
  if (Charset >= 0 && Charset <= 255) UnicodeCharset_ = Charset;
}

void TfMain::SaveUnicodeFont() {
  Settings_->WriteString(settings::Unicode, settings::FontName, UnicodeFont_.family());
  Settings_->WriteInteger(settings::Unicode, settings::FontSize, UnicodeFont_.pointSize());
  Settings_->WriteInteger(settings::Unicode, settings::FontCharset, UnicodeCharset_);
}

void TfMain::ApplyUnicodeFont() { pAllInfo->ApplyDisplayFont(UnicodeFont_); }

void TfMain::TakeDialogFont(const QFont& Font) {
  const int Size = Font.pointSize() > 0 ? Font.pointSize() : UnicodeFont_.pointSize();
  UnicodeFont_ = QFont(Font.family(), Size);
}

void TfMain::aSelFontExecute() {
  const QFont Before = UnicodeFont_;
  QFont Chosen = UnicodeFont_;
  const bool Confirmed = DialogHooks().RunFontDialog(this, Chosen, [this](const QFont& Preview) {
    TakeDialogFont(Preview);
    ApplyUnicodeFont();
  });
  if (Confirmed) {
    TakeDialogFont(Chosen);
    SaveUnicodeFont();
  } else {
    // Back to the font in force before the dialog, stored or not.
    UnicodeFont_ = Before;
    LoadUnicodeFont();
  }
  ApplyUnicodeFont();
}

}  // namespace kavex
