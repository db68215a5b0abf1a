#include "ui/gtk/tests_exposure.h"

#include <cmath>
#include <cstdlib>

#ifdef KORVADEN_SHOWS_DIGITS_TO_TESTS
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/x11/gdkx.h>
#endif

namespace korvaden::gtk {

std::string PlaceOnSurface(GtkWidget* widget) {
  GtkNative* native = gtk_widget_get_native(widget);
  graphene_rect_t bounds;
  if (native == nullptr || !gtk_widget_compute_bounds(widget, GTK_WIDGET(native), &bounds)) return "0 0 0 0";
  double dx = 0, dy = 0;
  gtk_native_get_surface_transform(native, &dx, &dy);
  return std::to_string(std::lround(bounds.origin.x + dx)) + " " + std::to_string(std::lround(bounds.origin.y + dy)) +
         " " + std::to_string(std::lround(bounds.size.width)) + " " + std::to_string(std::lround(bounds.size.height));
}

#ifdef KORVADEN_SHOWS_DIGITS_TO_TESTS
namespace {

struct Exposure {
  GtkWidget* window;
  std::function<std::string()> describe;
  std::string written;
};

// After each frame is painted, when the controls have their places.
void Publish(GdkFrameClock*, gpointer data) {
  auto& exposure = *static_cast<Exposure*>(data);
  GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(exposure.window));
  if (surface == nullptr || !GDK_IS_X11_SURFACE(surface)) return;
  const std::string description = exposure.describe();
  if (description == exposure.written) return;
  Display* display = gdk_x11_display_get_xdisplay(gdk_surface_get_display(surface));
  XChangeProperty(display, gdk_x11_surface_get_xid(surface), XInternAtom(display, "KORVADEN_WINDOW", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(description.data()), static_cast<int>(description.size()));
  XFlush(display);
  exposure.written = description;
}

}  // namespace

void ExposeToTests(GtkWidget* window, std::function<std::string()> describe) {
  auto* exposure = new Exposure{window, std::move(describe), {}};
  g_object_set_data_full(G_OBJECT(window), "korvaden-exposure", exposure,
                         [](gpointer data) { delete static_cast<Exposure*>(data); });
  const auto watch = +[](GtkWidget* widget, gpointer data) {
    g_signal_connect(gtk_widget_get_frame_clock(widget), "after-paint", G_CALLBACK(Publish), data);
  };
  // A window tied to the browser's is realized before it is described.
  if (gtk_widget_get_realized(window)) {
    watch(window, exposure);
  } else {
    g_signal_connect(window, "realize", G_CALLBACK(watch), exposure);
  }
}

std::chrono::milliseconds CountdownSecond() {
  const char* second = std::getenv("KORVADEN_TEST_SECOND_MS");
  const int ms = second != nullptr ? std::atoi(second) : 0;
  return ms > 0 ? std::chrono::milliseconds(ms) : std::chrono::seconds(1);
}
#else
void ExposeToTests(GtkWidget*, std::function<std::string()>) {}

std::chrono::milliseconds CountdownSecond() { return std::chrono::seconds(1); }
#endif

}  // namespace korvaden::gtk
