#pragma once
// A crashed host must not leave the customer's PIN or password on disk, nor
// hand it to a crash reporter: called before the first frame is read.
namespace korvaden::native {

// False when the process could not be protected; the host then does not run.
bool KeepSecretsOutOfCrashDumps();

}  // namespace korvaden::native
