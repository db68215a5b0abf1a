#include "ui/customer_desk.h"

#include "ui/texts.h"

namespace korvaden {

std::string_view AskingName(Asking asking) {
  switch (asking) {
    case Asking::Nothing:
      return "nothing";
    case Asking::TakeCardOut:
      return "card-out";
    case Asking::PutCardBack:
      return "card-in";
    case Asking::Confirm:
      return "confirm";
    case Asking::Pad:
      return "pad";
    case Asking::Message:
      return "message";
  }
  return "nothing";
}

std::string CustomerDesk::Title(std::string_view caption) const {
  const std::string_view service = texts::kTransferCaption;
  std::string title;
  if (caption.find_first_not_of(' ') != std::string_view::npos && caption != service) {
    title.append(caption).append(" - ");
  }
  title.append(service);
  if (!origin_.empty()) title.append(" - ").append(origin_);
  return title;
}

void CustomerDesk::Tell() {
  if (listener_) listener_(asked_.empty() ? Asking::Nothing : asked_.back());
}

CustomerDesk::Asked::Asked(CustomerDesk& desk, Asking asking) : desk_(desk), level_(desk.asked_.size()) {
  desk_.asked_.push_back(asking);
  desk_.Tell();
}

CustomerDesk::Asked::~Asked() {
  desk_.asked_.resize(level_);
  desk_.Tell();
}

void CustomerDesk::Asked::Change(Asking asking) {
  if (desk_.asked_.size() <= level_ || desk_.asked_[level_] == asking) return;
  desk_.asked_[level_] = asking;
  if (desk_.asked_.size() == level_ + 1) desk_.Tell();
}

}  // namespace korvaden
