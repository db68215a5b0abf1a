#!/usr/bin/env bash
# The main job: a transfer through the real PC/SC stack. Starts pcscd with the
# virtual reader driver and the virtual card, runs TransIVESK through
# korvaden-host, shows TrnsMsg and the document korvaden-bank opens from it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
bin="${KORVADEN_BUILD:-build/linux}"
reader="Virtual PCD 00 00"
port=35963

if [ -f /run/pcscd/pcscd.pid ] && kill -0 "$(cat /run/pcscd/pcscd.pid)" 2>/dev/null; then
  echo "another pcscd is running; stop it to run the demo" >&2
  exit 1
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
"$bin/tools/card/korvaden-card" --port "$port" --log "$work/card.log" > "$work/card.out" 2>&1 &
pids+=($!)

echo "== TransIVESK: 100 from the card's first account to 123456789 (no PIN, no dialog)"
"$bin/tools/host/korvaden-host" --wait-card 15 TransIVESK "$reader" 123456 2510 "" 81200000 1234567890123456 \
  12345678 WEBATM01 1 123456789 100 20230731123456 0 DEMO-SESSION-0001 > "$work/host.out"
head -n1 "$work/host.out"
head -n1 "$work/host.out" | grep -qx 'retVal=0'
tail -n +2 "$work/host.out" > "$work/trnsmsg"
echo "== TrnsMsg"
cat "$work/trnsmsg"
echo "== korvaden-bank unseal"
"$bin/tools/bank/korvaden-bank" unseal < "$work/trnsmsg"
echo "== TAC input the card received"
tail -n1 "$work/card.log"
