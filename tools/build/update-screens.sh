#!/usr/bin/env bash
# Makes the current pictures of the customer's windows for docs/screens: runs
# the end-to-end test of the windows on a virtual display (it writes them
# under build/windows/screens) and copies them. Run tools/setup.sh once first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
xvfb-run -a -s '-screen 0 1280x1024x24' \
  bash tests/windows/customer_windows_test.sh "$PWD/build/windows" "$PWD/build/linux"
mkdir -p docs/screens
cp build/windows/screens/*.png docs/screens/
ls docs/screens
