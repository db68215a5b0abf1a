#include <array>
#include <string>

#include "ui/drawn_controls.h"
#include "ui/gtk/cairo_canvas.h"
#include "ui/gtk/dialog_windows.h"
#include "ui/gtk/template_window.h"
#include "ui/pin_pad.h"
#include "ui/resource_ids.h"

namespace korvaden::gtk {
namespace {

class PinPadWindow final : public ModalWindow, public PinPadView {
 public:
  PinPadWindow(PinPad& pad, RandomSource& random, CustomerDesk& desk)
      : ModalWindow(pad.profile().resource, desk),
        pad_(pad),
        random_(random),
        images_{GRD_image(random), GRD_image(random), GRD_image(random)},
        code_(random) {
    UseDialogColors(kIdTypedCode);
    SetRed(kIdPadCountdown, true);
    SetRed(kIdCardPinCount, true);
  }

  void Open(std::chrono::milliseconds tick) {
    pad_.OnOpen(*this);
    StartCountdown(tick);
  }

  // What the presenter asks of the window.
  void ShowField(int field, std::string_view text, std::size_t width, bool active, bool randomFont) override {
    CairoCanvas canvas;
    const int index = field == kFieldCardPin ? 2 : field - 1;
    images_[index].RenderMasked(canvas, text, width, randomFont, active);
    SetPicture(pad_.DisplayOf(field), canvas.TakePicture());
  }
  void ShowCode(std::string_view code) override {
    CairoCanvas canvas;
    code_.RenderCode(canvas, code);
    SetPicture(kIdCodeImage, canvas.TakePicture());
    ShowDigitsToTests(kIdCodeImage, code);
  }
  std::string TypedCode() const override { return ItemText(kIdTypedCode); }
  void SetTypedCode(std::string_view text) override { SetItemText(kIdTypedCode, text); }
  void FocusTypedCode() override {
    // Focus that arrives selects field 3; focus that is already there does not arrive.
    GtkWidget* field = Item(kIdTypedCode);
    if (gtk_widget_has_focus(field)) {
      pad_.OnSelectField(kFieldCode);
    } else {
      gtk_widget_grab_focus(field);
    }
  }
  void ShowCountdown(std::string_view seconds) override { SetItemText(kIdPadCountdown, seconds); }
  void ShowCardPinCount(std::string_view count) override { SetItemText(kIdCardPinCount, count); }
  void HideCardPinControls() override {
    for (const int id : kCardPinControls) SetShown(id, false);
  }
  void SetKeyCaption(std::size_t position, char digit) override {
    captions_[position] = digit;
    gtk_widget_queue_draw(gtk_button_get_child(GTK_BUTTON(Item(KeyControl(position)))));
    ShowDigitsToTests(KeyControl(position), std::string_view(&digit, 1));
  }
  void ShowMessage(std::string_view text) override { ShowBox(text, "", GTK_MESSAGE_WARNING); }
  void EndDialog(int result) override { End(result); }

 private:
  // Enter would end the request through the hidden OK: in a pad it does
  // nothing; its keys are pressed with the pointer.
  bool EnterPressesFocused() const override { return false; }
  void OnCommand(int id) override { pad_.OnPressed(id); }
  void OnFocus(int id) override {
    if (id == kIdTypedCode) pad_.OnSelectField(kFieldCode);
  }
  void OnEscape() override { pad_.OnCancel(); }
  void OnTick() override { pad_.OnTimer(); }
  void OnDrawButton(int id, cairo_t* cr, int width, int height, bool pressed) override {
    const int position = KeyPositionOf(id);
    if (position < 0) return;
    CairoCanvas canvas;
    canvas.Begin(width, height);
    DrawDigitButton(canvas, random_, {0, 0, width, height}, std::string(1, captions_[std::size_t(position)]), pressed,
                    false);
    const Picture face = canvas.TakePicture();
    cairo_set_source_surface(cr, face.get(), 0, 0);
    cairo_paint(cr);
  }

  PinPad& pad_;
  RandomSource& random_;
  std::array<GRD_image, 3> images_;  // password, confirmation, card PIN
  GRD_image code_;
  std::string captions_ = std::string(kKeypadPositions, ' ');
};

}  // namespace

int RunPinPadWindow(PinPad& pad, RandomSource& random, std::chrono::milliseconds tick, CustomerDesk& desk) {
  PinPadWindow window(pad, random, desk);
  window.Open(tick);
  return window.Run(Asking::Pad);
}

}  // namespace korvaden::gtk
