// The floor of the time to a window on screen: a GTK 4 program that maps one
// window with one label, drawn as the host draws its windows (Cairo, no GL),
// and waits to be stopped.
#include <gtk/gtk.h>

#include <cstdlib>

int main() {
  g_set_prgname("korvaden-minimal-window");
  setenv("GSK_RENDERER", "cairo", 0);
  setenv("GDK_DEBUG", "gl-disable", 0);
  if (!gtk_init_check()) return 1;
  GtkWidget* window = gtk_window_new();
  gtk_window_set_child(GTK_WINDOW(window), gtk_label_new("A window"));
  gtk_window_present(GTK_WINDOW(window));
  for (;;) g_main_context_iteration(nullptr, TRUE);
}
