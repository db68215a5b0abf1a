#!/usr/bin/env bash
# The whole test suite: the tree's formatting, Linux, Linux under ASan and
# UBSan, the Windows build under Wine, and each fuzzer for a bounded time. Run tools/setup.sh once first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

status=0
echo "== format =="
bash tools/test/check-format.sh || status=1
for preset in linux linux-asan windows fuzz; do
  cmake --build --preset "$preset" >/dev/null
done
# The Wine prefix is made once, before ctest may start several Wine programs.
KORVADEN_WINEPREFIX="$PWD/build/wine-prefix" tools/test/wine-run.sh cmd /c exit 0 >/dev/null 2>&1 || true

for preset in linux linux-asan; do
  echo "== $preset =="
  ctest --preset "$preset" -j2 || status=1
done
# The control's windows need a display: a virtual one, in true colour for the
# pixel checks.
echo "== windows =="
xvfb-run -a -s '-screen 0 1280x1024x24' ctest --preset windows -j2 || status=1
echo "== fuzz =="
bash tools/test/fuzz.sh 20 || status=1
exit $status
