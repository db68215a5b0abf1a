#!/usr/bin/env bash
# Makes the current pictures of the customer's windows for docs/screens: runs
# the end-to-end tests of the windows on virtual displays (the Win32 windows
# of the test DLL under Wine, and the native host's GTK windows on Linux; each
# writes its pictures under its build's screens folder) and copies them. Run
# tools/setup.sh once first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
xvfb-run -a -s '-screen 0 1280x1024x24' \
  bash tests/windows/customer_windows_test.sh "$PWD/build/windows" "$PWD/build/linux"
xvfb-run -a -s '-screen 0 1280x1024x24' bash tests/linux/native_windows_test.sh "$PWD/build/linux"
for wm in mutter xfwm4; do
  xvfb-run -a -s '-screen 0 1024x768x24' bash tests/browser/desktop_test.sh "$PWD/build/linux" "$wm"
done
mkdir -p docs/screens
cp build/windows/screens/{card_prompt,transfer,app,pin_pad}_*.png docs/screens/
cp build/linux/screens/linux_*.png docs/screens/
cp build/linux/screens/desktop_{mutter,xfwm4}_{card_prompt,pin_pad,transfer_confirmation}.png docs/screens/
ls docs/screens
