#pragma once
// What the core reaches outside itself: the PC/SC service (through the
// module-wide reader state), time, randomness, the deployment's keys and the
// user interface, and the support log. The product wires the real ones;
// tests wire their own.
#include "base/random_source.h"
#include "base/sleeper.h"
#include "base/support_log.h"
#include "crypto/deployment_keys.h"
#include "reader/card_prompt.h"
#include "reader/reader_module.h"
#include "ui/customer_desk.h"
#include "ui/dialogs.h"
#include "ui/message_box.h"

namespace korvaden {

// A desk of a core whose views do not read it (the tests' scripted ones).
inline CustomerDesk& UnsharedDesk() {
  static CustomerDesk desk;
  return desk;
}

struct Platform {
  ReaderModule& reader;
  Sleeper& sleeper;
  CardPromptFactory& cardPrompts;
  RandomSource& random;
  MessageBoxes& messageBoxes;
  Dialogs& dialogs;
  const DeploymentKeys& keys;
  SupportLog& log = SilentLog();
  // The windows' titles and what the customer is asked: shared with the views.
  CustomerDesk& desk = UnsharedDesk();
};

}  // namespace korvaden
