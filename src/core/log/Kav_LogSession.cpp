#include "log/Kav_LogSession.h"

#include "model/KavObj.h"

namespace kavex {

TLogSession::TLogSession(TMsgReceiver Receiver) {
  SetMsgReceiver(std::move(Receiver));
  SetLogProc(&LogMessage);
}

TLogSession::TLogSession(TMsgCollection& Store)
    : TLogSession([&Store](int Ident, const std::string& Path, const std::string& Text) { Store.Add(Ident, Path, Text); }) {}

TLogSession::~TLogSession() {
  SetLogProc(nullptr);
  SetMsgReceiver(nullptr);
}

}  // namespace kavex
