#pragma once
// A log session: the model's messages go to one receiver while it lasts.

#include "log/Log.h"

namespace kavex {

// Installs Receiver and the model's log procedure, which at once logs message 2 ("MsgProc
// initialized successfully"); removes both when it ends, after which messages are dropped.
// One session at a time: they share the model's one log procedure.
class TLogSession {
public:
  explicit TLogSession(TMsgReceiver Receiver);
  // Every message is added to Store (message 2 included).
  explicit TLogSession(TMsgCollection& Store);
  ~TLogSession();
  TLogSession(const TLogSession&) = delete;
  TLogSession& operator=(const TLogSession&) = delete;
};

}  // namespace kavex
