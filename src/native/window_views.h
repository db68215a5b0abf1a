#pragma once
// The Linux host's windows come from a module of their own
// (korvaden-gtk-views.so, beside the host), loaded when the first window is
// wanted: a member without windows never maps GTK and its hundred libraries,
// and the host stays small.
#include "base/random_source.h"
#include "base/sleeper.h"
#include "reader/card_prompt.h"
#include "ui/customer_desk.h"
#include "ui/dialogs.h"
#include "ui/message_box.h"

namespace korvaden::native {

class WindowViews {
 public:
  virtual ~WindowViews() = default;
  virtual MessageBoxes& boxes() = 0;
  virtual CardPromptFactory& prompts() = 0;
  // The card steps' waits, which go on drawing what is open.
  virtual Sleeper& sleeper() = 0;
  virtual Dialogs& dialogs() = 0;
  // From any thread: each open window ends as Esc ends it.
  virtual void CloseAll() = 0;
};

// The module's one export: its views on the display the environment names,
// or none when that display does not open.
using OpenWindowViews = WindowViews* (*)(RandomSource& random, CustomerDesk& desk);
inline constexpr char kOpenWindowViews[] = "korvaden_open_window_views";
inline constexpr char kWindowViewsModule[] = "korvaden-gtk-views.so";

}  // namespace korvaden::native
