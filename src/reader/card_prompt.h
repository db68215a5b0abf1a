#pragma once
// The small always-on-top window that asks the customer to take the card out
// (stage 1, picture 248) and put it back (stage 2, picture 249).
#include <memory>

namespace korvaden {

class CardPromptView {
 public:
  virtual ~CardPromptView() = default;  // hides and destroys the window
  virtual void ShowStage(int stage) = 0;
};

class CardPromptFactory {
 public:
  virtual ~CardPromptFactory() = default;
  // Creates and shows the prompt; none when the window cannot be created.
  virtual std::unique_ptr<CardPromptView> Open() = 0;
};

}  // namespace korvaden
