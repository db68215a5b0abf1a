#pragma once
// Who asks, and what the customer is asked now. Every window's title names
// the bank's service and the origin of the page that asked, which the page
// cannot choose; and each window that opens or closes tells the front end
// what the customer has to do, so that the page can point at the window
// (a desktop may open it behind the browser). What is told carries nothing
// the customer types and nothing of the card.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvaden {

enum class Asking { Nothing, TakeCardOut, PutCardBack, Confirm, Pad, Message };

// "nothing", "card-out", "card-in", "confirm", "pad", "message".
std::string_view AskingName(Asking asking);

class CustomerDesk {
 public:
  // The page's origin as a browser shows it (scheme, host, and a port that is
  // not the scheme's default); empty for a local program.
  void SetOrigin(std::string origin) { origin_ = std::move(origin); }
  // A window's Big5 title: its own caption (when it has one), the service,
  // and the origin.
  std::string Title(std::string_view caption) const;

  // Called, on the thread of the windows, each time what is asked changes.
  void Listen(std::function<void(Asking)> listener) { listener_ = std::move(listener); }

  // While it lives, the customer is asked `asking`; then again what was
  // asked before it (a message box over a pad: the pad again).
  class Asked {
   public:
    Asked(CustomerDesk& desk, Asking asking);
    ~Asked();
    Asked(const Asked&) = delete;
    Asked& operator=(const Asked&) = delete;
    // A window that goes on with another request (the card prompt's stages).
    void Change(Asking asking);

   private:
    CustomerDesk& desk_;
    std::size_t level_;
  };

 private:
  void Tell();
  std::string origin_;
  std::function<void(Asking)> listener_;
  std::vector<Asking> asked_;  // innermost last
};

}  // namespace korvaden
