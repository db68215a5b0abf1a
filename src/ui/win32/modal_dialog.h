#pragma once
// A dialog from a template, run modally by a message loop of its own, so
// that the view decides what Esc and closing mean (the transfer
// confirmation's cancel command confirms, so Esc must not send it).
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "ui/customer_desk.h"

namespace korvaden::ui {

// What every window of a Win32 front end shares: the module that holds the
// templates, the window that owns them (the browser's, when the browser named
// one; none in the control, whose windows stay on top by their style) and the
// desk that titles them and hears what they ask.
struct WindowPlace {
  HINSTANCE module;
  HWND owner;
  CustomerDesk& desk;
};

// While it lives, the windows this thread makes are per-monitor DPI aware,
// whatever the process is (a browser hosting the control may be only system
// aware): Windows lays the dialogs out anew at each monitor's scale. Nothing
// on a Windows without per-monitor awareness (before Windows 10 1703).
class PerMonitorDpi {
 public:
  PerMonitorDpi();
  ~PerMonitorDpi();
  PerMonitorDpi(const PerMonitorDpi&) = delete;
  PerMonitorDpi& operator=(const PerMonitorDpi&) = delete;

 private:
  void* previous_ = nullptr;
};

// Makes `window` (a dialog of template `caption`'s) the front end's: titled by
// the desk, wide and tall enough for every control it shows (a picture may be
// wider than its template's place), centred on the owner (or its screen),
// wholly in that screen's work area, and then shown in front with the keyboard.
void BringForward(HWND window, const WindowPlace& place, std::string_view caption);
// A box over `owner` titled by the desk, which hears that it asks for an answer.
void RunMessageBox(const WindowPlace& place, HWND owner, std::string_view text, std::string_view caption, UINT style);

class ModalDialog {
 public:
  static constexpr UINT_PTR kCountdownTimer = 1;

  virtual ~ModalDialog() = default;
  // Shows the template, asking `asking`, until End; `abandoned` when the
  // thread is told to quit first, -1 when the dialog cannot be created.
  int Run(const WindowPlace& place, int templateId, Asking asking, int abandoned);

 protected:
  HWND window() const { return window_; }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  // Ends the run; the countdown, if one was started, stops with it, so that
  // no tick comes while a box of the dialog is still open.
  void End(int result);
  bool ended() const { return ended_; }
  // Timer 1, every `periodMs`, until End.
  void StartCountdown(UINT periodMs);
  // The core's Big5 texts in and out of the dialog's controls, and a box
  // owned by the dialog.
  void SetItemText(int id, std::string_view text);
  std::string ItemText(int id) const;
  void ShowBox(std::string_view text, std::string_view caption, UINT style);

  // Called with WM_INITDIALOG; TRUE lets the dialog give the focus.
  virtual BOOL OnInit() = 0;
  virtual void OnCommand(int id, int notification) = 0;
  // Any other message; FALSE leaves it to the dialog's default handling.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Esc and closing send the dialog's cancel command (control 2) by default.
  virtual void OnEscape() { OnCommand(IDCANCEL, BN_CLICKED); }
  // Whether Enter sends the default button's command, as in any dialog.
  virtual bool EnterPressesDefault() const { return true; }

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  const WindowPlace* place_ = nullptr;
  int templateId_ = 0;
  std::optional<CustomerDesk::Asked> asked_;
  HWND window_ = nullptr;
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace korvaden::ui
