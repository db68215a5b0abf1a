#pragma once
// The customer is told of failures by modal message boxes. The core reaches
// them through this interface so that it has no window dependency; the Windows
// build shows real boxes and the tests record them.
#include <string_view>

namespace korvaden {

enum class MessageIcon { Warning, Error };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual void Show(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
};

}  // namespace korvaden
