#include "control/transaction_client.h"

namespace korvaden {

TransATMiVeskClient::~TransATMiVeskClient() {
  cardPrompt.reset();
  ReleaseReader();
}

}  // namespace korvaden
