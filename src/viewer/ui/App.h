#pragma once
// The viewer's three windows, created and destroyed in the order the program depends on.

#include <memory>

namespace kavex {

class TfMain;
class TfLog;
class TfAbout;

class TKavexApp {
public:
  // The main window (it opens the settings store), then the log window, hidden (it installs
  // the log procedure), then the About box, hidden (it writes the welcome line).
  TKavexApp();
  // The reverse order: the log window saves its state while the main window's store is open.
  ~TKavexApp();
  TKavexApp(const TKavexApp&) = delete;
  TKavexApp& operator=(const TKavexApp&) = delete;

  TfMain& Main() { return *Main_; }
  TfLog& Log() { return *Log_; }
  TfAbout& About() { return *About_; }

private:
  std::unique_ptr<TfMain> Main_;
  std::unique_ptr<TfLog> Log_;
  std::unique_ptr<TfAbout> About_;
};

}  // namespace kavex
