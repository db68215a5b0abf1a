#include "ui/gtk/gtk_views.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "base/utf8_text.h"
#include "ui/app_confirm.h"
#include "ui/pin_pad.h"

#include "ui/gtk/dialog_windows.h"
#include "ui/gtk/template_window.h"
#include "ui/gtk/tests_exposure.h"
#include "ui/resource_ids.h"

// The card prompt's pictures, embedded by glib-compile-resources.
extern "C" GResource* korvaden_pictures_get_resource(void);

namespace korvaden::gtk {
namespace {

// Runs what is due on the host's main context until the deadline: paints,
// the windows' own work, and input that the views then refuse.
void Pump(std::chrono::milliseconds duration) {
  bool due = false;
  g_timeout_add(
      static_cast<guint>(std::max<long long>(0, duration.count())),
      +[](gpointer flag) -> gboolean {
        *static_cast<bool*>(flag) = true;
        return G_SOURCE_REMOVE;
      },
      &due);
  while (!due) g_main_context_iteration(nullptr, TRUE);
}

Picture LoadPicture(const char* path) {
  GInputStream* stream =
      g_resource_open_stream(korvaden_pictures_get_resource(), path, G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
  if (stream == nullptr) return {};
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_stream(stream, nullptr, nullptr);
  g_object_unref(stream);
  if (pixbuf == nullptr) return {};
  const int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  gdk_cairo_set_source_pixbuf(cr, pixbuf, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  g_object_unref(pixbuf);
  return Picture(surface);
}

// Picture 248 at stage 1, 249 at stage 2, over the whole window. It takes no
// input at all: the flows end it.
class GtkCardPrompt final : public TemplateWindow, public CardPromptView {
 public:
  explicit GtkCardPrompt(CustomerDesk& desk) : TemplateWindow(kIdCardPromptDialog, desk) {}
  ~GtkCardPrompt() override { Hide(); }
  void ShowStage(int stage) override {
    SetPicture(kIdPromptPictureArea,
               LoadPicture(stage == 1 ? "/korvaden/card_prompt_remove.jpg" : "/korvaden/card_prompt_insert.jpg"));
    Present(stage == 1 ? Asking::TakeCardOut : Asking::PutCardBack);
    // Drawn now, not at the next wait: the flow goes to the card meanwhile.
    Pump(std::chrono::milliseconds(30));
  }

 private:
  bool TakesInput() const override { return false; }
};

}  // namespace

bool DisplayNamed() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

bool OpenDisplay() {
  static const bool opened = [] {
    if (!DisplayNamed()) return false;
    // A few small dialogs: drawn by Cairo, with no GL context, which costs
    // the host 80 MB (a software GL loads LLVM) and a fifth of a second.
    setenv("GSK_RENDERER", "cairo", 0);
    setenv("GDK_DEBUG", "gl-disable", 0);
    if (gtk_init_check()) return true;
    std::cerr << "korvaden-native: the display named by DISPLAY or WAYLAND_DISPLAY does not open; "
                 "members that need a window end as cancelled\n";
    return false;
  }();
  return opened;
}

void GtkMessageBoxes::Show(std::string_view text, std::string_view caption, MessageIcon icon) {
  if (!OpenDisplay()) {
    std::cerr << "korvaden-native: no display for the message box \"" << Utf8FromBig5(caption)
              << "\": " << Utf8FromBig5(text) << "\n";
    return;
  }
  RunMessageBox(desk_, nullptr, text, caption, icon == MessageIcon::Error ? GTK_MESSAGE_ERROR : GTK_MESSAGE_WARNING);
}

std::unique_ptr<CardPromptView> GtkCardPrompts::Open() {
  if (!OpenDisplay()) return nullptr;
  return std::make_unique<GtkCardPrompt>(desk_);
}

void GtkCardPrompts::Sleep(std::chrono::milliseconds duration) {
  InputHold hold;
  Pump(duration);
}

GtkDialogs::GtkDialogs(RandomSource& random, CustomerDesk& desk)
    : random_(random), desk_(desk), tick_(CountdownSecond()) {}

int GtkDialogs::RunTransferConfirmation(const TransferConfirmation& confirmation) {
  return OpenDisplay() ? RunTransferWindow(confirmation, desk_) : kTransferCancelled;
}

int GtkDialogs::RunPinPad(PinPad& pad) {
  return OpenDisplay() ? RunPinPadWindow(pad, random_, tick_, desk_) : kPinPadCancelled;
}

int GtkDialogs::RunAppConfirmation(CIVESKAppConfirm& dialog) {
  return OpenDisplay() ? RunAppConfirmWindow(dialog, random_, tick_, desk_) : kAppConfirmCancelled;
}

}  // namespace korvaden::gtk
