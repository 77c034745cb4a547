#include "ui/App.h"

#include "ui/LogWindow.h"
#include "ui/About.h"
#include "ui/Main.h"

namespace kavex {

TKavexApp::TKavexApp() {
  Main_ = std::make_unique<TfMain>();
  Log_ = std::make_unique<TfLog>(Main_->Settings());
  Main_->SetLogWindow(Log_.get());
  About_ = std::make_unique<TfAbout>(Main_.get());
  Main_->SetAboutBox(About_.get());
}

TKavexApp::~TKavexApp() {
  Main_->SetAboutBox(nullptr);
  About_.reset();
  Main_->SetLogWindow(nullptr);
  Log_.reset();
  Main_.reset();
}

}  // namespace kavex
