#pragma once
// A dialog from a template, run modally with no owner by a message loop of its
// own, so that the view decides what Esc and closing mean (the transfer
// confirmation's cancel command confirms, so Esc must not send it).
#include <windows.h>

#include <string>
#include <string_view>

namespace korvaden::ui {

class ModalDialog {
 public:
  static constexpr UINT_PTR kCountdownTimer = 1;

  virtual ~ModalDialog() = default;
  // Shows the template until End; `abandoned` when the thread is told to quit
  // first, -1 when the dialog cannot be created.
  int Run(HINSTANCE module, int templateId, int abandoned);

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

  HWND window_ = nullptr;
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace korvaden::ui
