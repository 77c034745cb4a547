// The viewer's entry: no command line is read and no file is opened by itself.

#include <QApplication>

#include "ui/App.h"
#include "ui/Dialogs.h"
#include "ui/Main.h"

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  // Desktops find the icon and name through the installed kavex.desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("kavex"));
  kavex::SetApplicationTitle(QStringLiteral("Kavex"));
  // Closing the main window ends the program, even while the log window is open.
  App.setQuitOnLastWindowClosed(false);
  kavex::TKavexApp Windows;
  QObject::connect(&Windows.Main(), &kavex::TfMain::Closed, &App, &QCoreApplication::quit);
  Windows.Main().show();
  return App.exec();
}
