#pragma once
// The presenters' way to the card: a fresh client over the module-wide
// reader state for each button's handler.
#include "flows/platform.h"
#include "ui/card_access.h"

namespace korvaden {

class ClientCardAccess final : public CardAccess {
 public:
  explicit ClientCardAccess(Platform& platform) : platform_(platform) {}
  std::unique_ptr<CardConnection> Connect(std::string_view readerName) override;
  // What a presenter of this platform reaches.
  PresenterSeams Seams() { return {platform_.random, platform_.sleeper, *this}; }

 private:
  Platform& platform_;
};

}  // namespace korvaden
