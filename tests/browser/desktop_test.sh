#!/usr/bin/env bash
# The browser road on a desktop: desktop_test.sh LINUX_BUILD WINDOW_MANAGER
# (on an X display of its own), WINDOW_MANAGER mutter (GNOME's, on X11) or
# xfwm4 (a light one). Starts the window manager, waits until it manages the
# screen, runs tests/browser/desktop_test.mjs through browser_test.sh, and
# stops the window manager and the session bus it started.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own_processes.sh"
build="$1"
wm="$2"
start_wm() {
  case "$wm" in
    mutter) dbus-run-session -- mutter --x11 --replace --sm-disable > "$build/desktop-$wm.log" 2>&1 & ;;
    xfwm4) dbus-run-session -- xfwm4 --replace --compositor=off > "$build/desktop-$wm.log" 2>&1 & ;;
    *) echo "desktop_test.sh: what window manager is $wm?" >&2; exit 2 ;;
  esac
  wm_pid=$!
}
# Until the window manager manages the screen (it names its check window); one
# that ends first is started again, twice at most (under load the display
# may refuse its first connection).
managing() {
  local tries=0
  start_wm
  for _ in $(seq 400); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    if ! kill -0 "$wm_pid" 2>/dev/null; then
      tries=$((tries + 1))
      [ "$tries" -le 2 ] || return 1
      start_wm
    fi
    sleep 0.05
  done
  return 1
}
wm_pid=""
trap '[ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null; wait 2>/dev/null' EXIT
managing || { echo "$wm did not start:"; cat "$build/desktop-$wm.log"; exit 1; }
export KORVADEN_WINDOW_MANAGER="$wm"
bash "$(dirname "${BASH_SOURCE[0]}")/browser_test.sh" "$build" desktop_test
