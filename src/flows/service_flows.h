#pragma once
// The account services: reissue of the app certificate, cardless withdrawal
// apply and reset, device bonding. One road: parameter blocks, the login card,
// a PIN pad, the confirmation, the card's TAC, and a message whose <reason>
// carries the new password (plain, or as a PIN block under the HSM key).
#include <optional>
#include <string_view>

#include "crypto/param_blocks.h"
#include "flows/transaction_client.h"

namespace korvaden {

enum class ServiceKind { ReissueAppCert, CardlessApply, CardlessReset, BondingDevice };

struct ServiceRequest {
  ParameterBlocks blocks;
  std::string_view msgTitle;
};

ResultCode RunServiceFlow(TransATMiVeskClient& client, ServiceKind kind, const ServiceRequest& request);

// The 64-byte TAC input of the services.
Bytes ServiceTacInput(std::string_view txCode, std::string_view tacAccount, std::string_view tacId,
                      std::string_view atmCheckCode, std::string_view clientDateTime, std::string_view mainAccount);

// The 12 account digits of the cardless PIN block: characters 2 to 7 and 9 to 14.
std::string CardlessAccountDigits(std::string_view account);

}  // namespace korvaden
