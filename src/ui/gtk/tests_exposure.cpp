#include "ui/gtk/tests_exposure.h"

#include <cmath>

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
  std::function<std::string()> describe;
  std::string written;
};

gboolean Publish(GtkWidget* window, GdkFrameClock*, gpointer data) {
  auto& exposure = *static_cast<Exposure*>(data);
  GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(window));
  if (surface == nullptr || !GDK_IS_X11_SURFACE(surface)) return G_SOURCE_CONTINUE;
  const std::string description = exposure.describe();
  if (description == exposure.written) return G_SOURCE_CONTINUE;
  Display* display = gdk_x11_display_get_xdisplay(gdk_surface_get_display(surface));
  XChangeProperty(display, gdk_x11_surface_get_xid(surface), XInternAtom(display, "KORVADEN_WINDOW", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(description.data()), static_cast<int>(description.size()));
  XFlush(display);
  exposure.written = description;
  return G_SOURCE_CONTINUE;
}

}  // namespace

void ExposeToTests(GtkWidget* window, std::function<std::string()> describe) {
  gtk_widget_add_tick_callback(window, Publish, new Exposure{std::move(describe), {}},
                               [](gpointer data) { delete static_cast<Exposure*>(data); });
}
#else
void ExposeToTests(GtkWidget*, std::function<std::string()>) {}
#endif

}  // namespace korvaden::gtk
