#pragma once
// A GTK window laid out from one of the module's dialog templates: the same
// controls, texts, positions and sizes (dialog units scaled by the template's
// font, as Windows scales them) and tab order. A modal run is a main loop
// nested on the host's one thread until the view ends it; Esc and closing
// the window go to OnEscape.
#include <gtk/gtk.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/customer_desk.h"
#include "ui/dialog_templates.h"
#include "ui/gtk/cairo_canvas.h"

namespace korvaden::gtk {

class TemplateWindow {
 public:
  // The window of template `templateId`, not yet shown, titled by `desk`.
  TemplateWindow(int templateId, CustomerDesk& desk);
  virtual ~TemplateWindow();
  TemplateWindow(const TemplateWindow&) = delete;
  TemplateWindow& operator=(const TemplateWindow&) = delete;

  GtkWindow* window() const { return window_; }
  GtkWidget* Item(int id) const;
  int templateId() const { return template_.id; }

  // The core's Big5 texts in and out of labels, buttons and edits.
  void SetItemText(int id, std::string_view big5);
  std::string ItemText(int id) const;
  // A picture control shows `picture` at its own size; a frame scales it over itself.
  void SetPicture(int id, Picture picture);
  void SetShown(int id, bool shown);
  void SetRed(int id, bool red);
  // Labels and the window on the dialogs' grey; `id` on white.
  void UseDialogColors(int whiteId);

  // What the test build of the views tells the test's customer of a control:
  // the digits a person reads off its picture. The shipped build keeps none.
  void ShowDigitsToTests(int id, std::string_view digits);

 protected:
  // A control was pressed (a button, or a picture that tells of clicks).
  virtual void OnCommand(int /*id*/) {}
  // Draws the face of a drawn button.
  virtual void OnDrawButton(int /*id*/, cairo_t* /*cr*/, int /*width*/, int /*height*/, bool /*pressed*/) {}
  // An edit took the focus.
  virtual void OnFocus(int /*id*/) {}
  virtual void OnEscape() {}
  // Whether Return and Enter reach the control that has the focus.
  virtual bool EnterPressesFocused() const { return true; }
  // Whether the customer's input may reach the window now.
  virtual bool TakesInput() const;

  // Shows the window on top with the keyboard, and tells the desk what it asks.
  void Present(Asking asking);
  // Hides it: it asks nothing any more.
  void Hide();
  CustomerDesk& desk() const { return desk_; }
  void FocusFirstTabStop();

 private:
  struct Control {
    const ControlTemplate* layout;
    GtkWidget* widget;
    Picture picture;
  };
  GtkWidget* MakeWidget(Control& control);
  void MoveFocus(bool forward);
  static gboolean OnKey(GtkEventControllerKey*, guint key, guint, GdkModifierType, gpointer self);
  static gboolean OnCloseRequest(GtkWindow*, gpointer self);
  static void OnClicked(GtkWidget* widget, gpointer self);
  static void OnFocusEnter(GtkEventControllerFocus* focus, gpointer self);
  static void DrawControl(GtkDrawingArea* area, cairo_t* cr, int width, int height, gpointer self);
  Control* ControlOf(GtkWidget* widget);
  // For the test build: the template, then each shown control's id, place
  // on the window's surface and the digits it shows.
  std::string DescriptionForTests() const;

  const DialogTemplate& template_;
  CustomerDesk& desk_;
  std::optional<CustomerDesk::Asked> asked_;
  GtkWindow* window_ = nullptr;
  GtkWidget* fixed_ = nullptr;
  double unitX_ = 1, unitY_ = 1;  // pixels per dialog unit
  std::vector<Control> controls_;
  std::map<int, std::string> digitsForTests_;
};

// A window run modally: Run shows it and returns when End is called.
class ModalWindow : public TemplateWindow {
 public:
  using TemplateWindow::TemplateWindow;
  ~ModalWindow() override;
  // Shows the window asking `asking` until End.
  int Run(Asking asking);

 protected:
  void End(int result);
  bool ended() const { return loop_ == nullptr; }
  // OnTick every `period`, until End.
  void StartCountdown(std::chrono::milliseconds period);
  virtual void OnTick() {}
  // Shows the box owned by this window, with its caption.
  void ShowBox(std::string_view text, std::string_view caption, GtkMessageType type);

 private:
  static gboolean Tick(gpointer self);
  GMainLoop* loop_ = nullptr;
  bool endedBeforeRun_ = false;
  int result_ = 0;
  guint countdown_ = 0;
};

// A modal message box with one OK button, owned by `owner` when there is one.
void RunMessageBox(CustomerDesk& desk, GtkWindow* owner, std::string_view text, std::string_view caption,
                   GtkMessageType type);

// Whether the flows are waiting with a card prompt up: then no input reaches
// a window (only paints go on), as on Windows.
class InputHold {
 public:
  InputHold() { ++depth_; }
  ~InputHold() { --depth_; }
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;
  static bool held() { return depth_ > 0; }

 private:
  static inline int depth_ = 0;
};

}  // namespace korvaden::gtk
