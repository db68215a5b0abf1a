#!/usr/bin/env bash
# Prints the lean-and-fast figures next to their floors: the seal and a
# parameter set on Linux and under Wine, the native host and a page's call
# through the browser, loading the module under Wine, and the module's size
# and imports. Run tools/setup.sh once first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root="$PWD"
wine_() { "$root/tools/test/wine-run.sh" "$@" 2>/dev/null; }
dll=build/windows/src/control/win32/KORVADENIVESK.dll

echo "== Linux"
build/linux/bench/korvaden_bench_crypto
echo "== The native host through pcscd, its windows on a virtual display"
GTK_A11Y=none xvfb-run -a -s '-screen 0 1280x1024x24' build/linux/bench/korvaden_bench_native
echo "== A page's call through Chromium and the extension, next to the hosts alone"
xvfb-run -a -s '-screen 0 1280x1024x24' bash tests/browser/browser_test.sh build/linux bench
echo "== Wine"
wine_ build/windows/bench/korvaden_bench_crypto.exe | tail -n +2
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$dll" build/windows/bench/korvaden_empty_module.dll build/windows/bench/korvaden_bench_load.exe "$work/"
(cd "$work" && wine_ korvaden_bench_load.exe KORVADENIVESK.dll korvaden_empty_module.dll)
echo "== The module"
echo "$(stat -c %s "$dll") bytes stripped, importing: $(x86_64-w64-mingw32-objdump -p "$dll" |
  sed -n 's/.*DLL Name: //p' | tr '\n' ' ')"
