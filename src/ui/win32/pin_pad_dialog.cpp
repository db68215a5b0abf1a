#include <windows.h>

#include <array>
#include <string>

#include "ui/drawn_controls.h"
#include "ui/pin_pad.h"
#include "ui/resource_ids.h"
#include "ui/win32/dialog_views.h"
#include "ui/win32/gdi_canvas.h"
#include "ui/win32/modal_dialog.h"
#include "ui/win32/picture_controls.h"

namespace korvaden::ui {
namespace {

class PinPadDialog final : public ModalDialog, public PinPadView {
 public:
  PinPadDialog(PinPad& pad, RandomSource& random)
      : pad_(pad), random_(random), images_{GRD_image(random), GRD_image(random), GRD_image(random)}, code_(random) {}
  ~PinPadDialog() override { ReleasePictures(); }

  // What the presenter asks of the window.
  void ShowField(int field, std::string_view text, std::size_t width, bool active, bool randomFont) override {
    GdiCanvas canvas;
    const int index = field == kFieldCardPin ? 2 : field - 1;
    images_[index].RenderMasked(canvas, text, width, randomFont, active);
    SetPicture(Item(pad_.DisplayOf(field)), canvas.TakeBitmap());
  }
  void ShowCode(std::string_view code) override {
    GdiCanvas canvas;
    code_.RenderCode(canvas, code);
    SetPicture(Item(kIdCodeImage), canvas.TakeBitmap());
    ShowDigitsToTests(Item(kIdCodeImage), code);
  }
  std::string TypedCode() const override { return ItemText(kIdTypedCode); }
  void SetTypedCode(std::string_view text) override {
    SetItemText(kIdTypedCode, text);
    SendMessageW(Item(kIdTypedCode), EM_SETSEL, text.size(), text.size());  // digits: one character each
    SendMessageW(Item(kIdTypedCode), EM_SCROLLCARET, 0, 0);
  }
  void FocusTypedCode() override {
    // Focus that arrives selects field 3; focus that is already there does not arrive.
    if (GetFocus() == Item(kIdTypedCode)) {
      pad_.OnSelectField(kFieldCode);
    } else {
      SetFocus(Item(kIdTypedCode));
    }
  }
  void ShowCountdown(std::string_view seconds) override { SetText(kIdPadCountdown, seconds); }
  void ShowCardPinCount(std::string_view count) override { SetText(kIdCardPinCount, count); }
  void HideCardPinControls() override {
    for (const int id : kCardPinControls) ShowWindow(Item(id), SW_HIDE);
  }
  void SetKeyCaption(std::size_t position, char digit) override {
    captions_[position] = digit;
    InvalidateRect(Item(KeyControl(position)), nullptr, FALSE);
    ShowDigitsToTests(Item(KeyControl(position)), std::string_view(&digit, 1));
  }
  void ShowMessage(std::string_view text) override { ShowBox(text, "", MB_OK | MB_ICONEXCLAMATION); }
  void EndDialog(int result) override { End(result); }

 private:
  // Enter would send the hidden OK command and end the request: in a pad it
  // does nothing; its keys are pressed with the pointer.
  bool EnterPressesDefault() const override { return false; }
  void SetText(int id, std::string_view text) {
    SetItemText(id, text);
    RedrawWindow(Item(id), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
  void ReleasePictures() {
    if (window() == nullptr) return;
    for (const int id :
         {pad_.profile().passwordDisplay, pad_.profile().confirmDisplay, kIdCardPinDisplay, kIdCodeImage}) {
      SetPicture(Item(id), nullptr);
    }
  }

  BOOL OnInit() override {
    pad_.OnOpen(*this);
    StartCountdown(1000);
    return TRUE;  // the focus goes to the first tab stop, "回主選單"
  }
  void OnCommand(int id, int notification) override {
    if (id == kIdTypedCode && notification == EN_SETFOCUS) return pad_.OnSelectField(kFieldCode);
    if (notification == BN_CLICKED) pad_.OnPressed(id);  // STN_CLICKED too: both are 0
  }
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_TIMER:
        pad_.OnTimer();
        return TRUE;
      case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const int position = KeyPositionOf(static_cast<int>(wParam));
        if (item.CtlType != ODT_BUTTON || position < 0) return FALSE;
        DrawKey(item, std::string(1, captions_[static_cast<std::size_t>(position)]));
        return TRUE;
      }
      case WM_DESTROY:
        ReleasePictures();
        return FALSE;
    }
    return colors_.Answer(message, wParam, lParam);
  }
  void DrawKey(const DRAWITEMSTRUCT& item, const std::string& caption) {
    const RECT& r = item.rcItem;
    GdiCanvas canvas;
    canvas.Begin(r.right - r.left, r.bottom - r.top);
    DrawDigitButton(canvas, random_, {0, 0, r.right - r.left, r.bottom - r.top}, caption,
                    (item.itemState & ODS_SELECTED) != 0, (item.itemState & ODS_DISABLED) != 0);
    canvas.CopyTo(item.hDC, r.left, r.top);
  }

  PinPad& pad_;
  RandomSource& random_;
  std::array<GRD_image, 3> images_;  // password, confirmation, card PIN
  GRD_image code_;
  std::string captions_ = std::string(kKeypadPositions, ' ');
  DialogColors colors_{{kIdPadCountdown, kIdCardPinCount}, kIdTypedCode};
};

}  // namespace

int RunPinPadDialog(const WindowPlace& place, PinPad& pad, RandomSource& random) {
  PinPadDialog dialog(pad, random);
  const int result = dialog.Run(place, pad.profile().resource, Asking::Pad, kPinPadCancelled);
  return result < 0 ? kPinPadCancelled : result;
}

}  // namespace korvaden::ui
