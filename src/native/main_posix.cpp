// korvaden-native: the native messaging host the browser extension starts.
// The browser passes the caller's extension as arguments; the host trusts
// only the origin the extension reports for each page call, and the
// browser's manifest lets only the bank's extension start it. The customer's
// windows are GTK's on the display the browser's environment names; with
// none, a member that needs a window ends as cancelled.
#include <glib.h>

#include <cstdio>

#include "control/control_core.h"
#include "crypto/random.h"
#include "native/crash_dumps.h"
#include "native/host.h"
#include "native/no_windows.h"
#include "native/standard_streams.h"
#include "reader/logged_pcsc.h"
#include "reader/pcsc_system.h"
#include "ui/gtk/gtk_views.h"

int main() {
  using namespace korvaden;
  if (!native::KeepSecretsOutOfCrashDumps()) {
    std::fputs("korvaden-native: the process cannot be kept out of crash dumps; it does not run\n", stderr);
    return 1;
  }
  g_set_prgname("korvaden-native");
  const bool windowed = gtk::DisplayNamed();
  native::NoWindows none;
  CustomerDesk desk;
  gtk::GtkMessageBoxes boxes(desk);
  gtk::GtkCardPrompts prompts(desk);
  SystemRandom random;
  gtk::GtkDialogs dialogs(random, desk);
  MessageBoxes& shownBoxes = windowed ? static_cast<MessageBoxes&>(boxes) : none;
  CardPromptFactory& shownPrompts = windowed ? static_cast<CardPromptFactory&>(prompts) : none;
  Dialogs& shownDialogs = windowed ? static_cast<Dialogs&>(dialogs) : none;
  Sleeper& sleeper = windowed ? static_cast<Sleeper&>(prompts) : SystemSleeper();
  LoggedPcsc pcsc(SystemPcsc(), ProcessSupportLog());
  native::Abandonment abandonment(pcsc, sleeper, shownBoxes, [windowed] {
    if (windowed) gtk::CloseAllWindows();
  });
  ReaderModule reader(abandonment);
  const DeploymentKeys keys = BuiltInDeployment();
  Platform platform{reader,       abandonment, shownPrompts,        random, abandonment,
                    shownDialogs, keys,        ProcessSupportLog(), desk};
  MemberGate gate(MemberGate::Reach::UserSession);
  ControlCore control(platform, gate);
  native::StandardStreams streams;
  return native::RunHost(
      {control, keys.allowedOrigins, abandonment, control.GetAPIVersion(), ProcessSupportLog(), desk}, streams,
      streams);
}
