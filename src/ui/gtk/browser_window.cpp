#include "ui/gtk/browser_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/x11/gdkx.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace korvaden::gtk {
namespace {

// The host's parent, its parent, and so on: a browser may start the host
// through a helper or a shell script.
std::vector<pid_t> AncestorProcesses() {
  constexpr int kGenerations = 4;
  std::vector<pid_t> ancestors;
  pid_t pid = getppid();
  for (int i = 0; i < kGenerations && pid > 1; ++i) {
    ancestors.push_back(pid);
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // pid (comm) state ppid …: the command may hold spaces and parentheses.
    const auto close = line.rfind(')');
    if (close == std::string::npos) break;
    int parent = 0;
    char state = 0;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) != 2) break;
    pid = parent;
  }
  return ancestors;
}

// The values of a CARDINAL or WINDOW list property of `window`.
std::vector<unsigned long> ListProperty(Display* display, Window window, const char* name, Atom type) {
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<unsigned long> values;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False, type, &actualType, &format,
                         &count, &after, &data) == Success &&
      data != nullptr && format == 32) {
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    values.assign(items, items + count);
  }
  if (data != nullptr) XFree(data);
  return values;
}

std::optional<Window> FindBrowserWindow(Display* display) {
  const std::vector<pid_t> ancestors = AncestorProcesses();
  const Window root = DefaultRootWindow(display);
  const auto ownedByAnAncestor = [&](Window window) {
    const std::vector<unsigned long> pid = ListProperty(display, window, "_NET_WM_PID", XA_CARDINAL);
    return !pid.empty() && std::find(ancestors.begin(), ancestors.end(), static_cast<pid_t>(pid[0])) != ancestors.end();
  };
  const std::vector<unsigned long> active = ListProperty(display, root, "_NET_ACTIVE_WINDOW", XA_WINDOW);
  if (!active.empty() && active[0] != None && ownedByAnAncestor(active[0])) return active[0];
  // Otherwise the browser's topmost window.
  std::vector<unsigned long> clients = ListProperty(display, root, "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
  for (auto it = clients.rbegin(); it != clients.rend(); ++it) {
    if (ownedByAnAncestor(*it)) return *it;
  }
  return std::nullopt;
}

}  // namespace

void TieToBrowser(GtkWindow* window) {
  GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window));
  if (!GDK_IS_X11_DISPLAY(display)) return;
  Display* x = gdk_x11_display_get_xdisplay(display);
  gtk_widget_realize(GTK_WIDGET(window));
  GdkSurface* surface = gtk_native_get_surface(GTK_NATIVE(window));
  if (surface == nullptr || !GDK_IS_X11_SURFACE(surface)) return;
  // Other programs' windows may go while they are read (the active one may
  // be the host's own window that just closed): their errors are no
  // failures, where GDK's own handler would end the process.
  gdk_x11_display_error_trap_push(display);
  if (const std::optional<Window> browser = FindBrowserWindow(x)) {
    XSetTransientForHint(x, gdk_x11_surface_get_xid(surface), *browser);
  }
  gdk_x11_display_error_trap_pop_ignored(display);
}

}  // namespace korvaden::gtk
