#pragma once
// The test's customer at the GTK windows, inside the process that shows
// them: steps run from the windows' own main loop, windows found by their
// controls, texts read back from the widgets, presses as real X input
// (xdotool at the widget's place on the screen), pixels read from the X
// server, and what the test build of the views tells of each window.
#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace korvaden::test {

// Runs each step in turn every 30 ms, a step again until it returns true.
class GtkCustomer {
 public:
  using Step = std::function<bool()>;
  explicit GtkCustomer(std::vector<Step> steps);
  ~GtkCustomer();
  GtkCustomer(const GtkCustomer&) = delete;
  GtkCustomer& operator=(const GtkCustomer&) = delete;
  bool finished() const { return next_ == steps_.size(); }

 private:
  static gboolean Run(gpointer self);
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  guint source_ = 0;
};

// A step that lets the windows run for `steps` steps (what was pressed drawn).
GtkCustomer::Step Pause(int steps = 10);

// A shown window of the host with control `id`; none when there is none.
GtkWindow* WindowWith(int id);
// A shown message box whose owner is `owner` (none for an unowned box).
GtkWindow* BoxOwnedBy(GtkWindow* owner);
std::string BoxText(GtkWindow* box);
GtkWidget* ItemOf(GtkWindow* window, int id);
// As UTF-8.
std::string ItemText(GtkWindow* window, int id);
bool Shown(GtkWindow* window, int id);

// Real X input: a click at the middle of control `id` (or of `widget`), and a key.
void Click(GtkWindow* window, int id);
void ClickWidget(GtkWidget* widget);
void PressKey(GtkWindow* window, const char* key);
// Moves the window on the X display, as a customer drags it.
void MoveWindow(GtkWindow* window, int x, int y);

struct Place {
  int x = 0, y = 0, width = 0, height = 0;
  std::string digits;
};
// KORVADEN_WINDOW of the window: its template and its controls.
struct Description {
  int templateId = 0;
  std::map<int, Place> controls;
};
Description Described(GtkWindow* window);

// What the X server shows of the window.
class Capture {
 public:
  explicit Capture(GtkWindow* window);
  std::uint32_t At(int x, int y) const;  // 0xRRGGBB
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_ = 0, height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace korvaden::test
