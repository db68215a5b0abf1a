// korvaden-gtk-views.so: the host's GTK windows, loaded by the host when a
// member first wants a window.
#include <glib.h>

#include "native/window_views.h"
#include "ui/gtk/gtk_views.h"

namespace korvaden::native {
namespace {

class GtkWindowViews final : public WindowViews {
 public:
  GtkWindowViews(RandomSource& random, CustomerDesk& desk) : boxes_(desk), prompts_(desk), dialogs_(random, desk) {}
  MessageBoxes& boxes() override { return boxes_; }
  CardPromptFactory& prompts() override { return prompts_; }
  Sleeper& sleeper() override { return prompts_; }
  Dialogs& dialogs() override { return dialogs_; }
  void CloseAll() override { gtk::CloseAllWindows(); }

 private:
  gtk::GtkMessageBoxes boxes_;
  gtk::GtkCardPrompts prompts_;
  gtk::GtkDialogs dialogs_;
};

}  // namespace
}  // namespace korvaden::native

extern "C" __attribute__((visibility("default"))) korvaden::native::WindowViews* korvaden_open_window_views(
    korvaden::RandomSource& random, korvaden::CustomerDesk& desk) {
  // The windows' class and the application's name, as the desktop shows them.
  g_set_prgname("korvaden-native");
  if (!korvaden::gtk::OpenDisplay()) return nullptr;
  return new (std::nothrow) korvaden::native::GtkWindowViews(random, desk);
}
