#include "native/lazy_windows.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <thread>

namespace korvaden::native {
namespace {

bool DisplayNamed() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

std::string WindowViewsBesideThisProgram() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0) return kWindowViewsModule;
  path.resize(static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1) + kWindowViewsModule;
}

LazyWindows::LazyWindows(RandomSource& random, CustomerDesk& desk, std::string module)
    : random_(random), desk_(desk), module_(std::move(module)) {}

// The module stays loaded to the end of the process: GTK cannot be unloaded.
LazyWindows::~LazyWindows() { owned_.reset(); }

WindowViews* LazyWindows::Views() {
  if (tried_) return views_.load();
  tried_ = true;
  if (!DisplayNamed()) return nullptr;
  handle_ = dlopen(module_.c_str(), RTLD_LAZY | RTLD_LOCAL);  // bound as used, as a program binds GTK
  const auto open = handle_ != nullptr ? reinterpret_cast<OpenWindowViews>(dlsym(handle_, kOpenWindowViews)) : nullptr;
  if (open == nullptr) {
    std::cerr << "korvaden-native: the windows' module " << module_ << " does not load; members that need a window "
              << "end as cancelled\n";
    return nullptr;
  }
  owned_.reset(open(random_, desk_));
  views_.store(owned_.get());
  return owned_.get();
}

void LazyWindows::Show(std::string_view text, std::string_view caption, MessageIcon icon) {
  if (WindowViews* views = Views()) return views->boxes().Show(text, caption, icon);
  none_.Show(text, caption, icon);
}

std::unique_ptr<CardPromptView> LazyWindows::Open() {
  if (WindowViews* views = Views()) return views->prompts().Open();
  return none_.Open();
}

void LazyWindows::Sleep(std::chrono::milliseconds duration) {
  if (WindowViews* views = views_.load()) return views->sleeper().Sleep(duration);
  std::this_thread::sleep_for(duration);  // nothing to draw
}

int LazyWindows::RunTransferConfirmation(const TransferConfirmation& confirmation) {
  if (WindowViews* views = Views()) return views->dialogs().RunTransferConfirmation(confirmation);
  return none_.RunTransferConfirmation(confirmation);
}

int LazyWindows::RunPinPad(PinPad& pad) {
  if (WindowViews* views = Views()) return views->dialogs().RunPinPad(pad);
  return none_.RunPinPad(pad);
}

int LazyWindows::RunAppConfirmation(CIVESKAppConfirm& dialog) {
  if (WindowViews* views = Views()) return views->dialogs().RunAppConfirmation(dialog);
  return none_.RunAppConfirmation(dialog);
}

void LazyWindows::CloseAll() {
  if (WindowViews* views = views_.load()) views->CloseAll();
}

}  // namespace korvaden::native
