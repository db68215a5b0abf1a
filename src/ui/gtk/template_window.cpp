#include "ui/gtk/template_window.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <set>

#include "base/utf8_text.h"
#include "ui/gtk/browser_window.h"
#include "ui/gtk/gtk_views.h"
#include "ui/gtk/tests_exposure.h"

namespace korvaden::gtk {
namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;

// What every window of the host shares: buttons and edits as small as the
// templates make them, the dialogs' grey, red labels and the white field.
constexpr const char kStyle[] = R"(
window.korvaden button { padding: 0 2px; min-height: 0; min-width: 0; }
window.korvaden button.drawn { padding: 0; border-radius: 0; }
window.korvaden entry { padding: 0 2px; min-height: 0; min-width: 0; }
window.korvaden .sunken { border: 1px inset #808080; }
window.korvaden.tinted, window.korvaden.tinted fixed { background-color: rgb(234, 235, 235); }
window.korvaden .red { color: rgb(255, 0, 0); }
window.korvaden .white, window.korvaden .white text { background-color: #ffffff; }
)";

void AddStyle(const std::string& css) {
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.data(), static_cast<gssize>(css.size()));
  gtk_style_context_add_provider_for_display(gdk_display_get_default(), GTK_STYLE_PROVIDER(provider),
                                             GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

// The template's font for its window, once per template.
std::string FontClassOf(const DialogTemplate& dialog) {
  static std::set<int> styled;
  const std::string name = "template-" + std::to_string(dialog.id);
  if (styled.insert(dialog.id).second) {
    if (styled.size() == 1) AddStyle(kStyle);
    AddStyle("window." + name + ", window." + name + " * { font-family: \"" + Utf8FromBig5(dialog.fontFace) +
             "\"; font-size: " + std::to_string(static_cast<int>(dialog.fontPoints * kPixelsPerPoint + 0.5)) + "px; }");
  }
  return name;
}

// Pixels per dialog unit, as Windows derives them from the dialog's font: a
// quarter of its average character width across, an eighth of its height down.
void MeasureUnits(const DialogTemplate& dialog, double& unitX, double& unitY) {
  PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
  PangoLayout* layout = pango_layout_new(context);
  PangoFontDescription* font = pango_font_description_new();
  const std::string family = Utf8FromBig5(dialog.fontFace);
  pango_font_description_set_family(font, family.c_str());
  pango_font_description_set_absolute_size(font, dialog.fontPoints * kPixelsPerPoint * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  pango_layout_set_text(layout, kLetters, -1);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  const int averageWidth = (width / 26 + 1) / 2;
  unitX = std::max(1, averageWidth) / 4.0;
  unitY = std::max(1, height) / 8.0;
  pango_font_description_free(font);
  g_object_unref(layout);
  g_object_unref(context);
}

bool IsEnter(guint key) { return key == GDK_KEY_Return || key == GDK_KEY_KP_Enter || key == GDK_KEY_ISO_Enter; }

}  // namespace

TemplateWindow::TemplateWindow(int templateId, CustomerDesk& desk)
    : template_(*FindDialogTemplate(templateId)), desk_(desk) {
  MeasureUnits(template_, unitX_, unitY_);
  window_ = GTK_WINDOW(gtk_window_new());
  g_object_ref_sink(window_);
  gtk_widget_add_css_class(GTK_WIDGET(window_), "korvaden");
  gtk_widget_add_css_class(GTK_WIDGET(window_), FontClassOf(template_).c_str());
  const std::string title = Utf8FromBig5(desk_.Title(template_.caption));
  gtk_window_set_title(window_, title.c_str());
  gtk_window_set_decorated(window_, template_.titled);
  gtk_window_set_resizable(window_, FALSE);
  fixed_ = gtk_fixed_new();
  const int width = static_cast<int>(template_.width * unitX_ + 0.5);
  const int height = static_cast<int>(template_.height * unitY_ + 0.5);
  gtk_widget_set_size_request(fixed_, width, height);
  gtk_widget_set_overflow(fixed_, GTK_OVERFLOW_HIDDEN);
  gtk_window_set_child(window_, fixed_);

  controls_.reserve(template_.controls.size());
  for (const ControlTemplate& layout : template_.controls) controls_.push_back({&layout, nullptr, {}});
  for (Control& control : controls_) {
    const DialogUnits& place = control.layout->place;
    control.widget = MakeWidget(control);
    gtk_widget_set_name(control.widget, ("control-" + std::to_string(control.layout->id)).c_str());
    gtk_widget_set_size_request(control.widget, static_cast<int>(place.width * unitX_ + 0.5),
                                static_cast<int>(place.height * unitY_ + 0.5));
    gtk_widget_set_visible(control.widget, control.layout->visible);
    gtk_fixed_put(GTK_FIXED(fixed_), control.widget, static_cast<int>(place.x * unitX_ + 0.5),
                  static_cast<int>(place.y * unitY_ + 0.5));
  }

  GtkEventController* keys = gtk_event_controller_key_new();
  gtk_event_controller_set_propagation_phase(keys, GTK_PHASE_CAPTURE);
  g_signal_connect(keys, "key-pressed", G_CALLBACK(OnKey), this);
  gtk_widget_add_controller(GTK_WIDGET(window_), keys);
  g_signal_connect(window_, "close-request", G_CALLBACK(OnCloseRequest), this);
  ExposeToTests(GTK_WIDGET(window_), [this] { return DescriptionForTests(); });
}

TemplateWindow::~TemplateWindow() {
  gtk_window_destroy(window_);
  g_object_unref(window_);
}

GtkWidget* TemplateWindow::MakeWidget(Control& control) {
  const ControlTemplate& layout = *control.layout;
  const std::string text = Utf8FromBig5(layout.text);
  GtkWidget* widget = nullptr;
  switch (layout.kind) {
    case ControlKind::PushButton:
      widget = gtk_button_new_with_label(text.c_str());
      g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), this);
      break;
    case ControlKind::DrawnButton: {
      // Pressed with the pointer only: a shuffled key says nothing through the keyboard.
      widget = gtk_button_new();
      gtk_widget_add_css_class(widget, "drawn");
      gtk_widget_set_focusable(widget, FALSE);
      gtk_widget_set_focus_on_click(widget, FALSE);
      GtkWidget* face = gtk_drawing_area_new();
      gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(face), DrawControl, this, nullptr);
      gtk_button_set_child(GTK_BUTTON(widget), face);
      g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), this);
      break;
    }
    case ControlKind::Label: {
      widget = gtk_label_new(text.c_str());
      GtkLabel* label = GTK_LABEL(widget);
      // Lines break where the text breaks them; a line a substitute font
      // makes longer than the template's runs on rather than into the next.
      gtk_label_set_wrap(label, layout.multiline);
      gtk_label_set_wrap_mode(label, PANGO_WRAP_WORD_CHAR);
      gtk_label_set_xalign(label, layout.align == TextAlign::Left     ? 0.0f
                                  : layout.align == TextAlign::Center ? 0.5f
                                                                      : 1.0f);
      gtk_label_set_yalign(label, 0.0f);
      gtk_label_set_justify(label, layout.align == TextAlign::Left     ? GTK_JUSTIFY_LEFT
                                   : layout.align == TextAlign::Center ? GTK_JUSTIFY_CENTER
                                                                       : GTK_JUSTIFY_RIGHT);
      gtk_widget_set_overflow(widget, GTK_OVERFLOW_HIDDEN);
      break;
    }
    case ControlKind::Edit:
      if (layout.multiline) {
        widget = gtk_text_view_new();
        gtk_text_view_set_editable(GTK_TEXT_VIEW(widget), FALSE);
        gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(widget), FALSE);
        gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(widget), GTK_WRAP_WORD_CHAR);
      } else {
        widget = gtk_entry_new();
        gtk_editable_set_editable(GTK_EDITABLE(widget), FALSE);
        gtk_editable_set_width_chars(GTK_EDITABLE(widget), 1);
        GtkEventController* focus = gtk_event_controller_focus_new();
        g_signal_connect(focus, "enter", G_CALLBACK(OnFocusEnter), this);
        gtk_widget_add_controller(widget, focus);
      }
      gtk_widget_set_focusable(widget, layout.tabStop);
      break;
    case ControlKind::Picture:
    case ControlKind::Frame:
      widget = gtk_drawing_area_new();
      gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(widget), DrawControl, this, nullptr);
      if (layout.notify) {
        GtkGesture* click = gtk_gesture_click_new();
        g_signal_connect_swapped(click, "pressed", G_CALLBACK(OnClicked), widget);
        g_object_set_data(G_OBJECT(widget), "korvaden-window", this);
        gtk_widget_add_controller(widget, GTK_EVENT_CONTROLLER(click));
      }
      break;
  }
  if (layout.sunken) gtk_widget_add_css_class(widget, "sunken");
  g_object_set_data(G_OBJECT(widget), "korvaden-window", this);
  return widget;
}

TemplateWindow::Control* TemplateWindow::ControlOf(GtkWidget* widget) {
  for (Control& control : controls_) {
    if (control.widget == widget) return &control;
  }
  return nullptr;
}

GtkWidget* TemplateWindow::Item(int id) const {
  for (const Control& control : controls_) {
    if (control.layout->id == id) return control.widget;
  }
  return nullptr;
}

void TemplateWindow::SetItemText(int id, std::string_view big5) {
  GtkWidget* widget = Item(id);
  const std::string text = Utf8FromBig5(big5);
  if (GTK_IS_LABEL(widget)) gtk_label_set_text(GTK_LABEL(widget), text.c_str());
  if (GTK_IS_BUTTON(widget)) gtk_button_set_label(GTK_BUTTON(widget), text.c_str());
  if (GTK_IS_EDITABLE(widget)) {
    gtk_editable_set_text(GTK_EDITABLE(widget), text.c_str());
    gtk_editable_set_position(GTK_EDITABLE(widget), -1);
  }
  if (GTK_IS_TEXT_VIEW(widget)) {
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget)), text.data(),
                             static_cast<int>(text.size()));
  }
}

std::string TemplateWindow::ItemText(int id) const {
  GtkWidget* widget = Item(id);
  std::string text;
  if (GTK_IS_LABEL(widget)) text = gtk_label_get_text(GTK_LABEL(widget));
  if (GTK_IS_BUTTON(widget) && gtk_button_get_label(GTK_BUTTON(widget)) != nullptr) {
    text = gtk_button_get_label(GTK_BUTTON(widget));
  }
  if (GTK_IS_EDITABLE(widget)) text = gtk_editable_get_text(GTK_EDITABLE(widget));
  if (GTK_IS_TEXT_VIEW(widget)) {
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(widget));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    char* all = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    text = all;
    g_free(all);
  }
  SecureString big5;
  return Big5FromUtf8(text, big5) ? std::string(big5.view()) : std::string();
}

void TemplateWindow::SetPicture(int id, Picture picture) {
  for (Control& control : controls_) {
    if (control.layout->id != id) continue;
    if (control.layout->kind == ControlKind::Picture && picture.get() != nullptr) {
      // The control takes the picture's size; its sunken edge goes around it.
      const int edge = control.layout->sunken ? 2 : 0;
      gtk_widget_set_size_request(control.widget, picture.width() + edge, picture.height() + edge);
    }
    control.picture = std::move(picture);
    gtk_widget_queue_draw(control.widget);
  }
}

void TemplateWindow::SetShown(int id, bool shown) { gtk_widget_set_visible(Item(id), shown); }

void TemplateWindow::SetRed(int id, bool red) {
  if (red) {
    gtk_widget_add_css_class(Item(id), "red");
  } else {
    gtk_widget_remove_css_class(Item(id), "red");
  }
}

void TemplateWindow::UseDialogColors(int whiteId) {
  gtk_widget_add_css_class(GTK_WIDGET(window_), "tinted");
  gtk_widget_add_css_class(Item(whiteId), "white");
}

void TemplateWindow::ShowDigitsToTests(int id, std::string_view digits) {
  if (kShowsDigitsToTests) digitsForTests_[id] = digits;
}

std::string TemplateWindow::DescriptionForTests() const {
  std::string description = std::to_string(template_.id);
  for (const Control& control : controls_) {
    if (!gtk_widget_get_visible(control.widget)) continue;
    const auto digits = digitsForTests_.find(control.layout->id);
    description += "|" + std::to_string(control.layout->id) + " " + PlaceOnSurface(control.widget) +
                   (digits != digitsForTests_.end() ? " " + digits->second : "");
  }
  return description;
}

bool TemplateWindow::TakesInput() const { return !InputHold::held(); }

void TemplateWindow::Present(Asking asking) {
  if (asked_) {
    asked_->Change(asking);
  } else {
    asked_.emplace(desk_, asking);
    TieToBrowser(window_);
  }
  // Presented, not merely shown: a window manager that would open a window
  // mapped after the customer's last click in the browser behind it gives
  // a presented one the focus.
  gtk_window_present(window_);
}

void TemplateWindow::Hide() {
  gtk_widget_set_visible(GTK_WIDGET(window_), FALSE);
  asked_.reset();
}

void TemplateWindow::FocusFirstTabStop() {
  for (const Control& control : controls_) {
    if (control.layout->tabStop && gtk_widget_get_focusable(control.widget) && gtk_widget_get_visible(control.widget)) {
      gtk_window_set_focus(window_, control.widget);
      return;
    }
  }
}

// Tab goes through the tab stops in the template's order, as in a dialog.
void TemplateWindow::MoveFocus(bool forward) {
  std::vector<GtkWidget*> stops;
  for (const Control& control : controls_) {
    if (control.layout->tabStop && gtk_widget_get_focusable(control.widget) && gtk_widget_is_visible(control.widget) &&
        gtk_widget_is_sensitive(control.widget)) {
      stops.push_back(control.widget);
    }
  }
  if (stops.empty()) return;
  GtkWidget* focus = gtk_root_get_focus(GTK_ROOT(window_));
  auto at = std::find_if(stops.begin(), stops.end(),
                         [focus](GtkWidget* stop) { return focus != nullptr && gtk_widget_is_ancestor(focus, stop); });
  if (at == stops.end() && focus != nullptr) at = std::find(stops.begin(), stops.end(), focus);
  std::size_t index = at == stops.end() ? (forward ? stops.size() - 1 : 0) : std::size_t(at - stops.begin());
  index = forward ? (index + 1) % stops.size() : (index + stops.size() - 1) % stops.size();
  gtk_widget_grab_focus(stops[index]);
}

gboolean TemplateWindow::OnKey(GtkEventControllerKey*, guint key, guint, GdkModifierType, gpointer self) {
  auto* window = static_cast<TemplateWindow*>(self);
  if (!window->TakesInput()) return TRUE;
  if (key == GDK_KEY_Escape) {
    window->OnEscape();
    return TRUE;
  }
  if (key == GDK_KEY_Tab || key == GDK_KEY_ISO_Left_Tab || key == GDK_KEY_KP_Tab) {
    window->MoveFocus(key != GDK_KEY_ISO_Left_Tab);
    return TRUE;
  }
  return IsEnter(key) && !window->EnterPressesFocused();
}

gboolean TemplateWindow::OnCloseRequest(GtkWindow*, gpointer self) {
  auto* window = static_cast<TemplateWindow*>(self);
  if (window->TakesInput()) window->OnEscape();
  return TRUE;  // the view ends and destroys it
}

void TemplateWindow::OnClicked(GtkWidget* widget, gpointer) {
  auto* self = static_cast<TemplateWindow*>(g_object_get_data(G_OBJECT(widget), "korvaden-window"));
  if (self == nullptr || !self->TakesInput()) return;
  if (Control* control = self->ControlOf(widget)) self->OnCommand(control->layout->id);
}

void TemplateWindow::OnFocusEnter(GtkEventControllerFocus* focus, gpointer self) {
  auto* window = static_cast<TemplateWindow*>(self);
  if (Control* control = window->ControlOf(gtk_event_controller_get_widget(GTK_EVENT_CONTROLLER(focus)))) {
    window->OnFocus(control->layout->id);
  }
}

void TemplateWindow::DrawControl(GtkDrawingArea* area, cairo_t* cr, int width, int height, gpointer self) {
  auto* window = static_cast<TemplateWindow*>(self);
  GtkWidget* widget = GTK_WIDGET(area);
  Control* control = window->ControlOf(widget);
  if (control == nullptr) control = window->ControlOf(gtk_widget_get_parent(widget));  // a drawn button's face
  if (control == nullptr) return;
  if (control->layout->kind == ControlKind::DrawnButton) {
    const bool pressed = (gtk_widget_get_state_flags(control->widget) & GTK_STATE_FLAG_ACTIVE) != 0;
    window->OnDrawButton(control->layout->id, cr, width, height, pressed);
    return;
  }
  const Picture& picture = control->picture;
  if (picture.get() == nullptr) return;
  if (control->layout->kind == ControlKind::Frame) {
    cairo_scale(cr, double(width) / picture.width(), double(height) / picture.height());
  }
  cairo_set_source_surface(cr, picture.get(), 0, 0);
  cairo_paint(cr);
}

ModalWindow::~ModalWindow() {
  if (countdown_ != 0) g_source_remove(countdown_);  // no tick after the window
}

int ModalWindow::Run(Asking asking) {
  if (!endedBeforeRun_) {
    // The focus on the first tab stop, as a dialog gives it; GTK's own
    // choice would be the first control on the screen.
    FocusFirstTabStop();
    Present(asking);
    loop_ = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop_);
    g_main_loop_unref(loop_);
    loop_ = nullptr;
  }
  Hide();
  return result_;
}

void ModalWindow::End(int result) {
  if (countdown_ != 0) g_source_remove(countdown_);
  countdown_ = 0;
  if (loop_ == nullptr) {
    if (!endedBeforeRun_) result_ = result;
    endedBeforeRun_ = true;
    return;
  }
  if (!g_main_loop_is_running(loop_)) return;
  result_ = result;
  g_main_loop_quit(loop_);
}

void ModalWindow::StartCountdown(std::chrono::milliseconds period) {
  if (endedBeforeRun_ || countdown_ != 0) return;
  countdown_ = g_timeout_add(static_cast<guint>(period.count()), Tick, this);
}

gboolean ModalWindow::Tick(gpointer self) {
  static_cast<ModalWindow*>(self)->OnTick();
  return G_SOURCE_CONTINUE;
}

void ModalWindow::ShowBox(std::string_view text, std::string_view caption, GtkMessageType type) {
  RunMessageBox(desk(), window(), text, caption, type);
}

void RunMessageBox(CustomerDesk& desk, GtkWindow* owner, std::string_view text, std::string_view caption,
                   GtkMessageType type) {
  const std::string message = Utf8FromBig5(text);
  GtkWidget* box = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, type, GTK_BUTTONS_OK, "%s", message.c_str());
  g_object_ref_sink(box);
  const std::string title = Utf8FromBig5(desk.Title(caption));
  gtk_window_set_title(GTK_WINDOW(box), title.c_str());
  const CustomerDesk::Asked asked(desk, Asking::Message);
  if (owner == nullptr) TieToBrowser(GTK_WINDOW(box));
  gtk_widget_add_css_class(box, "korvaden");
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_signal_connect_swapped(box, "response", G_CALLBACK(g_main_loop_quit), loop);
  GtkWidget* ok = gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  ExposeToTests(box, [ok, message] { return "box|1 " + PlaceOnSurface(ok) + "|" + message; });
  gtk_window_present(GTK_WINDOW(box));
  g_main_loop_run(loop);
  g_main_loop_unref(loop);
  gtk_window_destroy(GTK_WINDOW(box));
  g_object_unref(box);
}

void CloseAllWindows() {
  g_idle_add(
      +[](gpointer) -> gboolean {
        GList* windows = gtk_window_list_toplevels();
        for (GList* it = windows; it != nullptr; it = it->next) {
          if (gtk_widget_get_visible(GTK_WIDGET(it->data))) gtk_window_close(GTK_WINDOW(it->data));
        }
        g_list_free(windows);
        return G_SOURCE_REMOVE;
      },
      nullptr);
}

}  // namespace korvaden::gtk
