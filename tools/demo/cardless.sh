#!/usr/bin/env bash
# The cardless withdrawal apply through the real PC/SC stack: the bank renders
# the parameter blocks, a scripted customer sets the password 97531086 on the
# shuffled PIN pad, and the bank recovers it from the sealed message.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
source tools/demo/pcsc_stack.sh

"$bin/tools/bank/korvaden-bank" blocks --d1 "2812000001234567890123456$reader" --d2 DEMO-SESSION-0002 \
  --d3 "ATM0000187654321XXXXXXXX20231201093000" --d4 654321 --d11 2571 > "$work/blocks"
block() { sed -n "s/^$1=//p" "$work/blocks"; }
cat > "$work/customer" <<'SCRIPT'
pin_pad=type 97531086; field 2; type 97531086; code; confirm
app_confirmation=confirm
SCRIPT
echo "== CardLess_Apply with the bank's blocks"
"$bin/tools/host/korvaden-host" --customer "$work/customer" --wait-card 15 --wait-reader "$reader" CardLess_Apply \
  "$(block BHO_D5)" "$(block BHO_D1)" "$(block BHO_D2)" "$(block BHO_D3)" "$(block BHO_D4)" "$(block BHO_D11)" \
  "Cardless" > "$work/host.out"
head -n1 "$work/host.out"
head -n1 "$work/host.out" | grep -qx 'retVal=0'
tail -n +2 "$work/host.out" > "$work/trnsmsg"
echo "== korvaden-bank unseal"
"$bin/tools/bank/korvaden-bank" unseal < "$work/trnsmsg" | tee "$work/document"
echo "== korvaden-bank pinblock (account digits 345678012345)"
tr -d '\n' < "$work/document" | sed -n 's/.*<reason>\(.*\)<\/reason>.*/\1/p' |
  "$bin/tools/bank/korvaden-bank" pinblock --cardless 345678012345
