#!/usr/bin/env bash
# The browser road on a desktop: desktop_test.sh LINUX_BUILD WINDOW_MANAGER
# (on an X display of its own), WINDOW_MANAGER mutter (GNOME's, on X11) or
# xfwm4 (a light one). Starts the window manager, waits until it manages the
# screen, runs tests/browser/desktop_test.mjs through browser_test.sh, and
# stops the window manager.
set -uo pipefail
build="$1"
wm="$2"
case "$wm" in
  mutter) dbus-run-session -- mutter --x11 --replace --sm-disable > "$build/desktop-$wm.log" 2>&1 & ;;
  xfwm4) dbus-run-session -- xfwm4 --replace --compositor=off > "$build/desktop-$wm.log" 2>&1 & ;;
  *) echo "desktop_test.sh: what window manager is $wm?" >&2; exit 2 ;;
esac
wm_pid=$!
trap 'kill "$wm_pid" 2>/dev/null; wait "$wm_pid" 2>/dev/null' EXIT
for _ in $(seq 200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  kill -0 "$wm_pid" 2>/dev/null || { echo "$wm did not start:"; cat "$build/desktop-$wm.log"; exit 1; }
  sleep 0.05
done
export KORVADEN_WINDOW_MANAGER="$wm"
bash "$(dirname "${BASH_SOURCE[0]}")/browser_test.sh" "$build" desktop_test
