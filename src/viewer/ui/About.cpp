#include "ui/About.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "log/Log.h"
#include "settings/T_Reopen.h"
#include "ui/AppInfo.h"

namespace kavex {

QString TfAbout::AboutText() {
  static const char* const Lines[] = {
      // What it explores.
      "Explores Nokia DCT-3 flashes holding MCU, PPM,",
      "MCU+PPM or MCU+PPM+EEPROM areas, Divud or WinTesla.",
      "",
      "WARNING: TEST ONLY VERSION.",
      "",
      "Unicode strings are shown in the font chosen with",
      "View > Unicode font; missing glyphs show as boxes.",
      "",
      "Tested with following phones:",
      "3210 - 7.22 a; (1)",
      "3310 - 5.55 a;",
      "3310 - 5.57 b, e, o;",
      "3310 - 5.57 b, e, o;",
      "3330 - 4.50 e;",
      "3390 - 2.01 a; (2)",
      "3410 - 3.06 b, e, i, o;",
      "5110 - 5.24 b;",
      "5510 - 3.53 a, b, c, d, e, f, g, h, i, j, k, l, m, n, p;",
      "6210 - 5.56 f, m, r; (3)",
      "8890 - 12.20 a, b, c, d, e, f, g;",
      "",
      "(1) Font subchunks made by early versions (0.8 and",
      "    older) of a separate font editing tool have a",
      "    wrong format, and the log shows errors for them.",
      "(2) This version shows a truncated version string",
      "    for this phone; the rest of it is not read.",
      "    ",
      "(3) Almost all text entries of this phone are packed,",
      "    and its tone names are shown wrongly because",
      "    they are stored as Unicode.",
      "",
      "Thanks to everyone who tried Kavex on their own",
      "flashes and told the Kavex authors what they found.",
      "",
      "Most of what is known about the PPM area comes from",
      "notes shared in public by phone enthusiasts; thanks.",
      "",
      "Future plans:",
      "- editing of text entries;",
      "- more checks;",
      "- switching off individual log messages;",
      "- fonts edited with those early font editor versions;",
      "- ...",
      "",
      "Please excuse the English of the Kavex authors.",
      "",
      "Questions, reports and ideas are welcome through",
      "the Kavex project's usual channels.",
      "",
      "The Kavex authors",
  };
  QStringList Out;
  for (const char* L : Lines) Out << QString::fromLatin1(L);
  return Out.join(QLatin1Char('\n'));
}

TfAbout::TfAbout(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("About Kavex"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(409, 341);

  stAppName = new QLabel(QString::fromLatin1(ProgramName), this);
  stAppName->setGeometry(0, 0, 409, 24);
  stAppName->setAlignment(Qt::AlignCenter);
  QFont NameFont = stAppName->font();
  NameFont.setBold(true);
  NameFont.setPointSizeF(NameFont.pointSizeF() * 1.5);
  stAppName->setFont(NameFont);

  auto* VersionLabel = new QLabel(QStringLiteral("Version:"), this);
  VersionLabel->setGeometry(88, 24, 113, 16);
  VersionLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  stAppVer = new QLabel(QString::fromStdString(FormatText(
                            "%d.%02d %s", TLogArgs{std::int64_t{VersionMajor}, std::int64_t{VersionMinor},
                                                   std::string(ReleaseTag)})),
                        this);
  stAppVer->setGeometry(208, 24, 193, 16);

  mAbout = new QPlainTextEdit(this);
  mAbout->setGeometry(8, 40, 393, 257);
  mAbout->setReadOnly(true);
  mAbout->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  mAbout->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Lines longer than the box wraps at its width: none is cut, no horizontal scroll bar.
  mAbout->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  mAbout->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  mAbout->setPlainText(AboutText());
  QPalette P = mAbout->palette();
  P.setColor(QPalette::Base, palette().color(QPalette::Window));
  mAbout->setPalette(P);
  mAbout->installEventFilter(this);

  auto* Notice = new QLabel(QStringLiteral("Copyright (C) 2026 the Kavex authors"), this);
  Notice->setGeometry(8, 304, 313, 16);
  Notice->setAlignment(Qt::AlignCenter);
  auto* Contact = new QLabel(QStringLiteral("Contact: through the Kavex project"), this);
  Contact->setGeometry(8, 320, 313, 16);
  Contact->setAlignment(Qt::AlignCenter);

  bbClose = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Close"), this);
  bbClose->setGeometry(328, 304, 73, 25);
  bbClose->setDefault(true);
  connect(bbClose, &QPushButton::clicked, this, &QDialog::accept);

  LogMessage(msgWelcome, "[fAbout]",
             TLogArgs{std::string(ProgramName), std::int64_t{VersionMajor}, std::int64_t{VersionMinor},
                      std::string(ReleaseTag)});
}

void TfAbout::setVisible(bool Visible) {
  if (Visible && !isVisible()) {
    const QWidget* Owner = parentWidget() ? parentWidget()->window() : this;
    const QScreen* Screen = Owner->screen() ? Owner->screen() : QGuiApplication::primaryScreen();
    if (Screen) {
      // Placed before it is shown, so the toolkit does not centre it over its owner.
      // Before its first showing the box has no frame yet; its owner's is the best guess.
      const QSize Own = FrameExtra(this);
      const QSize Outer = size() + (Own.isEmpty() && Owner != this ? FrameExtra(Owner) : Own);
      const QRect Area = Screen->availableGeometry();
      move(Area.left() + (Area.width() - Outer.width()) / 2, Area.top() + (Area.height() - Outer.height()) / 2);
    }
  }
  QDialog::setVisible(Visible);
}

void TfAbout::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  mAbout->setFocus();
}

bool TfAbout::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == mAbout && Event->type() == QEvent::KeyPress) {
    const int Key = static_cast<QKeyEvent*>(Event)->key();
    if (Key == Qt::Key_Return || Key == Qt::Key_Enter || Key == Qt::Key_Escape) {
      accept();
      return true;
    }
  }
  return QDialog::eventFilter(Watched, Event);
}

}  // namespace kavex
