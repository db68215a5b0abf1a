#!/usr/bin/env bash
# The main job: a transfer through the real PC/SC stack. Starts pcscd with the
# virtual reader driver and the virtual card, runs TransIVESK through
# korvaden-host, shows TrnsMsg and the document korvaden-bank opens from it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
source tools/demo/pcsc_stack.sh

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
