#pragma once
// What the PIN pad and the service confirmation ask of the card from their
// buttons, and the other seams a presenter reaches: the flow that shows them
// hands these in, so that no presenter holds a reader or a card itself.
#include <memory>
#include <string_view>

#include "base/random_source.h"
#include "base/result_codes.h"
#include "base/secure_memory.h"
#include "base/sleeper.h"

namespace korvaden {

// What the card said to a PIN: accepted; wrong, to be typed again; refused
// for good (a blocked card), with its status word; or nothing at all.
struct PinCheck {
  enum class Verdict { Accepted, TypeAgain, Refused, NoAnswer } verdict;
  StatusWord word = kNoStatusWord;
};

// One connection to the card for one button's handler; closing it leaves the
// card in the reader.
class CardConnection {
 public:
  virtual ~CardConnection() = default;
  // VERIFY of the card PIN.
  virtual PinCheck VerifyPin(const SecureString& pin) = 0;
  // The card prompt has the customer take the card out and put it back: true
  // when that happened in time.
  virtual bool WaitCardReinsert() = 0;
};

class CardAccess {
 public:
  virtual ~CardAccess() = default;
  // A connection to the card in `readerName`, after whatever the flow still
  // held was dropped; null when the card cannot be reached.
  virtual std::unique_ptr<CardConnection> Connect(std::string_view readerName) = 0;
};

struct PresenterSeams {
  RandomSource& random;
  Sleeper& sleeper;
  CardAccess& card;
};

}  // namespace korvaden
