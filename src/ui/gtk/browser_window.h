#pragma once
// The browser window the host was started from, on X11: the host's windows
// are made transient for it, so that the window manager keeps them above the
// browser (a click into the browser does not bury them) and places them over
// it. Wayland gives a client no way to name another program's window: there
// the windows only ask for attention, and the page is told where to look.
#include <gtk/gtk.h>

namespace korvaden::gtk {

// Before `window` is shown: transient for the browser window that one of the
// host's ancestor processes (the browser that started it) owns, the one that
// was active when there are several. Nothing when there is none, or not on X11.
void TieToBrowser(GtkWindow* window);

}  // namespace korvaden::gtk
