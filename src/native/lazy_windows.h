#pragma once
// The host's windows as the core reaches them, loaded from the views' module
// beside the host at the first window a member wants. Without a display, or
// when the module cannot be loaded or the display opened, every window counts
// as cancelled (NoWindows) and the waits only wait.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "native/no_windows.h"
#include "native/window_views.h"

namespace korvaden::native {

class LazyWindows final : public MessageBoxes, public CardPromptFactory, public Sleeper, public Dialogs {
 public:
  // `module`: the views' module's path.
  LazyWindows(RandomSource& random, CustomerDesk& desk, std::string module);
  ~LazyWindows() override;

  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
  std::unique_ptr<CardPromptView> Open() override;
  void Sleep(std::chrono::milliseconds duration) override;
  int RunTransferConfirmation(const TransferConfirmation& confirmation) override;
  int RunPinPad(PinPad& pad) override;
  int RunAppConfirmation(CIVESKAppConfirm& dialog) override;
  // From any thread: closes what is open; nothing before the views are loaded.
  void CloseAll();
  bool loaded() const { return views_.load() != nullptr; }

 private:
  // The views, loaded by the first call (on the member thread).
  WindowViews* Views();

  RandomSource& random_;
  CustomerDesk& desk_;
  std::string module_;
  bool tried_ = false;
  void* handle_ = nullptr;
  std::unique_ptr<WindowViews> owned_;
  std::atomic<WindowViews*> views_ = nullptr;
  NoWindows none_;
};

// The views' module beside the running program.
std::string WindowViewsBesideThisProgram();

}  // namespace korvaden::native
