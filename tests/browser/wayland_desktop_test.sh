#!/usr/bin/env bash
# The browser road on GNOME Shell on Wayland: wayland_desktop_test.sh
# LINUX_BUILD. The shell runs headless on a virtual 1280x1024 monitor, with
# Chromium and the host's windows as Wayland clients, and
# tests/browser/desktop_test.mjs runs through browser_test.sh.
#
# The shell will not start without a system bus, and talks to logind when it
# sees systemd's seats: it runs in namespaces of the test's own, with a
# private system bus and no seats. A test-only shell extension puts it in
# unsafe mode, so that the test can read its windows and give it input
# (tests/browser/gnome_shell.mjs).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/own_processes.sh"
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

session="$(mktemp -d)"
trap 'rm -rf "$session"' EXIT
[ -d /run/systemd ] && mount -t tmpfs none /run/systemd
mkdir -p /run/dbus && mount -t tmpfs none /run/dbus
dbus-daemon --system --fork --nopidfile

extension="$session/data/gnome-shell/extensions/unsafe-mode@tests.korvaden"
mkdir -p "$extension" "$session/runtime"
chmod 700 "$session/runtime"
cat > "$extension/metadata.json" <<'EOF'
{"uuid": "unsafe-mode@tests.korvaden", "name": "Unsafe mode for tests", "description": "Lets a test read the windows and give input", "shell-version": ["43"]}
EOF
cat > "$extension/extension.js" <<'EOF'
function init() {
  return {
    enable() { global.context.unsafe_mode = true; },
    disable() { global.context.unsafe_mode = false; },
  };
}
EOF

export XDG_RUNTIME_DIR="$session/runtime" XDG_DATA_HOME="$session/data"
# The shell and everything of the test on one session bus of their own. The
# shell is ready once it has started up and left its overview, which it opens
# at the start; its notices (a session without a display manager) stay out
# of the screenshots.
dbus-run-session -- bash -c '
  set -uo pipefail
  gnome-shell --headless --wayland --virtual-monitor 1280x1024 --wayland-display=korvaden-wayland \
    > "$0/desktop-gnome_wayland.log" 2>&1 &
  shell_pid=$!
  trap "kill $shell_pid 2>/dev/null; wait" EXIT
  shell() { gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method "$@" 2>/dev/null; }
  ready=""
  for _ in $(seq 600); do
    kill -0 "$shell_pid" 2>/dev/null || break
    shell org.gnome.Shell.Extensions.EnableExtension unsafe-mode@tests.korvaden >/dev/null &&
      shell org.gnome.Shell.Eval "if (Main.layoutManager._startingUp) throw 0;
        if (Main.overview.visible) { Main.overview.hide(); throw 0; }
        Main.messageTray.bannerBlocked = true; true" | grep -q "^(true" && { ready=1; break; }
    sleep 0.05
  done
  [ -n "$ready" ] || { echo "GNOME Shell did not start:"; cat "$0/desktop-gnome_wayland.log"; exit 1; }
  unset DISPLAY
  export WAYLAND_DISPLAY=korvaden-wayland KORVADEN_WINDOW_MANAGER=gnome_wayland
  bash "$1/browser_test.sh" "$0" desktop_test
' "$build" "$here"
