#include "gtk_screen.h"

// Before Xlib, whose macros (None, Bool) would rename GoogleTest's names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/x11/gdkx.h>

#include <cstdlib>
#include <sstream>

namespace korvaden::test {
namespace {

Window XidOf(GtkWindow* window) { return gdk_x11_surface_get_xid(gtk_native_get_surface(GTK_NATIVE(window))); }
Display* XDisplay() { return gdk_x11_display_get_xdisplay(gdk_display_get_default()); }

GtkWidget* Find(GtkWidget* widget, const std::string& name) {
  if (name == gtk_widget_get_name(widget)) return widget;
  for (GtkWidget* child = gtk_widget_get_first_child(widget); child != nullptr;
       child = gtk_widget_get_next_sibling(child)) {
    if (GtkWidget* found = Find(child, name)) return found;
  }
  return nullptr;
}

void Xdotool(const std::string& arguments) {
  const std::string command = "xdotool " + arguments;
  if (std::system(command.c_str()) != 0) ADD_FAILURE_AT(__FILE__, __LINE__);
}

}  // namespace

GtkCustomer::GtkCustomer(std::vector<Step> steps) : steps_(std::move(steps)) { source_ = g_timeout_add(30, Run, this); }

GtkCustomer::~GtkCustomer() { g_source_remove(source_); }

gboolean GtkCustomer::Run(gpointer self) {
  auto& customer = *static_cast<GtkCustomer*>(self);
  if (customer.next_ < customer.steps_.size() && customer.steps_[customer.next_]()) ++customer.next_;
  return G_SOURCE_CONTINUE;
}

GtkCustomer::Step Pause(int steps) {
  return [steps, left = steps]() mutable {
    if (--left > 0) return false;
    left = steps;
    return true;
  };
}

GtkWindow* WindowWith(int id) {
  GtkWindow* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* it = windows; it != nullptr; it = it->next) {
    GtkWindow* window = GTK_WINDOW(it->data);
    if (gtk_widget_get_mapped(GTK_WIDGET(window)) && ItemOf(window, id) != nullptr) found = window;
  }
  g_list_free(windows);
  return found;
}

GtkWindow* BoxOwnedBy(GtkWindow* owner) {
  GtkWindow* found = nullptr;
  GList* windows = gtk_window_list_toplevels();
  for (GList* it = windows; it != nullptr; it = it->next) {
    GtkWindow* window = GTK_WINDOW(it->data);
    if (GTK_IS_MESSAGE_DIALOG(window) && gtk_widget_get_mapped(GTK_WIDGET(window)) &&
        gtk_window_get_transient_for(window) == owner) {
      found = window;
    }
  }
  g_list_free(windows);
  return found;
}

std::string BoxText(GtkWindow* box) {
  char* text = nullptr;
  g_object_get(box, "text", &text, nullptr);
  std::string copy = text != nullptr ? text : "";
  g_free(text);
  return copy;
}

GtkWidget* ItemOf(GtkWindow* window, int id) { return Find(GTK_WIDGET(window), "control-" + std::to_string(id)); }

std::string ItemText(GtkWindow* window, int id) {
  GtkWidget* widget = ItemOf(window, id);
  if (GTK_IS_LABEL(widget)) return gtk_label_get_text(GTK_LABEL(widget));
  if (GTK_IS_BUTTON(widget)) return gtk_button_get_label(GTK_BUTTON(widget)) ?: "";
  if (GTK_IS_EDITABLE(widget)) return gtk_editable_get_text(GTK_EDITABLE(widget));
  if (GTK_IS_TEXT_VIEW(widget)) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    char* all = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    std::string text = all;
    g_free(all);
    return text;
  }
  return {};
}

bool Shown(GtkWindow* window, int id) { return gtk_widget_is_visible(ItemOf(window, id)); }

void ClickWidget(GtkWidget* widget) {
  GtkNative* native = gtk_widget_get_native(widget);
  graphene_rect_t bounds;
  ASSERT_TRUE(gtk_widget_compute_bounds(widget, GTK_WIDGET(native), &bounds));
  double dx = 0, dy = 0;
  gtk_native_get_surface_transform(native, &dx, &dy);
  const Window xid = gdk_x11_surface_get_xid(gtk_native_get_surface(native));
  Xdotool("mousemove --window " + std::to_string(xid) + " " +
          std::to_string(int(bounds.origin.x + dx + bounds.size.width / 2)) + " " +
          std::to_string(int(bounds.origin.y + dy + bounds.size.height / 2)) + " click 1");
}

void Click(GtkWindow* window, int id) { ClickWidget(ItemOf(window, id)); }

void PressKey(GtkWindow* window, const char* key) {
  Xdotool("windowfocus --sync " + std::to_string(XidOf(window)) + " key " + key);
}

void MoveWindow(GtkWindow* window, int x, int y) {
  Xdotool("windowmove --sync " + std::to_string(XidOf(window)) + " " + std::to_string(x) + " " + std::to_string(y));
}

Description Described(GtkWindow* window) {
  Description description;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  Display* display = XDisplay();
  if (XGetWindowProperty(display, XidOf(window), XInternAtom(display, "KORVADEN_WINDOW", False), 0, 1 << 16, False,
                         AnyPropertyType, &type, &format, &count, &after, &data) != Success ||
      data == nullptr) {
    return description;
  }
  std::stringstream all(std::string(reinterpret_cast<char*>(data), count));
  XFree(data);
  std::string part;
  std::getline(all, part, '|');
  description.templateId = std::atoi(part.c_str());
  while (std::getline(all, part, '|')) {
    std::istringstream fields(part);
    int id;
    Place place;
    fields >> id >> place.x >> place.y >> place.width >> place.height >> place.digits;
    description.controls[id] = place;
  }
  return description;
}

Capture::Capture(GtkWindow* window) {
  Display* display = XDisplay();
  XWindowAttributes attributes;
  XGetWindowAttributes(display, XidOf(window), &attributes);
  width_ = attributes.width;
  height_ = attributes.height;
  XImage* image = XGetImage(display, XidOf(window), 0, 0, width_, height_, AllPlanes, ZPixmap);
  if (image == nullptr) return;
  pixels_.resize(std::size_t(width_) * height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) pixels_[std::size_t(y) * width_ + x] = XGetPixel(image, x, y) & 0xFFFFFF;
  }
  XDestroyImage(image);
}

std::uint32_t Capture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return 0;
  return pixels_[std::size_t(y) * width_ + x];
}

}  // namespace korvaden::test
