// korvaden-native: the native messaging host the browser extension starts.
// The browser passes the caller's extension as arguments; the host trusts
// only the origin the extension reports for each page call, and the
// browser's manifest lets only the bank's extension start it. The customer's
// windows are GTK's on the display the browser's environment names, from the
// views' module beside the host, loaded at the first window; with no display,
// a member that needs a window ends as cancelled.
#include <cstdio>

#include "control/control_core.h"
#include "crypto/random.h"
#include "native/crash_dumps.h"
#include "native/host.h"
#include "native/lazy_windows.h"
#include "native/standard_streams.h"
#include "reader/logged_pcsc.h"
#include "reader/pcsc_system.h"

int main() {
  using namespace korvaden;
  if (!native::KeepSecretsOutOfCrashDumps()) {
    std::fputs("korvaden-native: the process cannot be kept out of crash dumps; it does not run\n", stderr);
    return 1;
  }
  CustomerDesk desk;
  SystemRandom random;
  native::LazyWindows windows(random, desk, native::WindowViewsBesideThisProgram());
  LoggedPcsc pcsc(SystemPcsc(), ProcessSupportLog());
  native::Abandonment abandonment(pcsc, windows, windows, [&windows] { windows.CloseAll(); });
  ReaderModule reader(abandonment);
  const DeploymentKeys keys = BuiltInDeployment();
  Platform platform{reader, abandonment, windows, random, abandonment, windows, keys, ProcessSupportLog(), desk};
  MemberGate gate(MemberGate::Reach::UserSession);
  ControlCore control(platform, gate);
  native::StandardStreams streams;
  return native::RunHost(
      {control, keys.allowedOrigins, abandonment, control.GetAPIVersion(), ProcessSupportLog(), desk}, streams,
      streams);
}
