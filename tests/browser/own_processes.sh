# Sourced first by a test that starts daemons (a window manager, a desktop
# shell, session and system buses and whatever they activate): runs the test
# again in PID and mount namespaces of its own, so that every process it
# started ends with it, and mounts it makes are seen by it alone. Needs root;
# without, the test is skipped (77).
if [ -z "${KORVADEN_OWN_PROCESSES:-}" ]; then
  [ "$(id -u)" -eq 0 ] || { echo "$(basename "$0"): needs root for namespaces of its own"; exit 77; }
  exec env KORVADEN_OWN_PROCESSES=1 unshare --mount --propagation private --pid --fork --mount-proc bash "$0" "$@"
fi
