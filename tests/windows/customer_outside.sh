# Sourced by the Wine tests whose windows a customer presses: after checks.sh,
# with `win` and `tools` set. Starts pcscd with vpcd and korvaden-card (from
# tools/demo/pcsc_stack.sh: work, pids, port, reader, cleanup) and the bridge
# the test winscard.dll reaches it through, and gives the customer outside the
# process, the card's removal and insertion, and the screenshots. DIR is the
# test's folder under $work, for its Windows programs; screens go to $win/screens.
# Usage: source customer_outside.sh DIR
export KORVADEN_BUILD="$tools"
dir="$1"
set --  # the card starts with its default profile
source "$src/tools/demo/pcsc_stack.sh"
screens="$win/screens"
mkdir -p "$screens"
bank="$tools/tools/bank/korvaden-bank"
dir="$work/$dir"
mkdir -p "$dir"
cp "$win/tools/winscard_shim/winscard.dll" "$win/tools/screen_customer/screen_customer.exe" "$dir/"

"$tools/tools/pcsc_bridge/korvaden-pcsc-bridge" 0 > "$work/bridge.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q "serving on port" "$work/bridge.out" && break; sleep 0.1; done
export KORVADEN_CARD_PORT="$(sed -n 's/serving on port //p' "$work/bridge.out")"

customer() { (cd "$dir" && wine_ screen_customer.exe "$@") | tee -a "$work/customer.out" | iconv -f BIG5 -t UTF-8; }
shot() {  # shot NAME: the customer's last BMP as a PNG
  convert "$dir/$1.bmp" "$screens/$1.png" && rm -f "$dir/$1.bmp"
}
remove_card() { kill "${pids[1]}"; wait "${pids[1]}" 2>/dev/null; }
insert_card() {
  "$tools/tools/card/korvaden-card" --port "$port" --log "$work/card.log" > "$work/card.out" 2>&1 &
  pids[1]=$!
}
