#pragma once
// The per-call transaction client: created by a member for one call, it owns
// every text the flow gathers, a reader session and the card application over
// it. Its destruction closes the card connection and the reader context,
// whatever path the flow took.
#include <string>

#include "base/secure_memory.h"
#include "card/card_application.h"
#include "flows/platform.h"
#include "reader/reader_session.h"

namespace korvaden {

class TransATMiVeskClient {
 public:
  explicit TransATMiVeskClient(Platform& platform)
      : reader(platform.reader, platform.sleeper, platform.cardPrompts), card(reader), platform_(platform) {}
  TransATMiVeskClient(const TransATMiVeskClient&) = delete;
  TransATMiVeskClient& operator=(const TransATMiVeskClient&) = delete;

  Platform& platform() { return platform_; }

  ReaderSession reader;  // first in, last out: the card application works over it
  CardApplication card;
  std::string sessionId;
  std::string txCode;
  SecureString plainMessage;
  std::string sealedMessage;

 private:
  Platform& platform_;
};

}  // namespace korvaden
