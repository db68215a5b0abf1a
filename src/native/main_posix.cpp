// korvaden-native: the native messaging host the browser extension starts.
// The browser passes the caller's extension as arguments; the host trusts
// only the origin the extension reports for each page call, and the
// browser's manifest lets only the bank's extension start it.
#include "control/control_core.h"
#include "crypto/random.h"
#include "native/host.h"
#include "native/no_windows.h"
#include "native/standard_streams.h"
#include "reader/pcsc_system.h"

int main() {
  using namespace korvaden;
  native::NoWindows windows;
  native::Abandonment abandonment(SystemPcsc(), SystemSleeper(), windows, [] {});
  ReaderModule reader(abandonment);
  SystemRandom random;
  const DeploymentKeys keys = BuiltInDeployment();
  Platform platform{reader, abandonment, windows, random, abandonment, windows, keys};
  MemberGate gate(MemberGate::Reach::UserSession);
  ControlCore control(platform, gate);
  native::StandardStreams streams;
  return native::RunHost({control, keys.allowedOrigins, abandonment, control.GetAPIVersion()}, streams, streams);
}
