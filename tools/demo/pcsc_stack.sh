# Sourced by the demos: starts pcscd with the virtual reader driver and the
# virtual card, and stops both when the demo ends.
bin="${KORVADEN_BUILD:-build/linux}"
reader="Virtual PCD 00 00"
port=35963

# A pcscd that still runs is in the way; a dead one's files are removed.
if [ -f /run/pcscd/pcscd.pid ]; then
  other="$(cat /run/pcscd/pcscd.pid)"
  if [ -e "/proc/$other" ] && [ "$(awk '{print $3}' "/proc/$other/stat" 2>/dev/null)" != Z ]; then
    echo "another pcscd is running; stop it to run the demo" >&2
    exit 1
  fi
  rm -f /run/pcscd/pcscd.pid /run/pcscd/pcscd.comm
fi
work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/conf"
printf 'FRIENDLYNAME "Virtual PCD"\nDEVICENAME /dev/null:0x%x\nLIBPATH /usr/lib/pcsc/drivers/serial/libifdvpcd.so\nCHANNELID 0x%x\n' \
  "$port" "$port" > "$work/conf/vpcd"
pcscd --foreground --config "$work/conf" > "$work/pcscd.log" 2>&1 &
pids+=($!)
"$bin/tools/card/korvaden-card" --port "$port" --log "$work/card.log" "$@" > "$work/card.out" 2>&1 &
pids+=($!)
