# Sourced by the end-to-end tests of the customer's windows (the DLL under
# Wine, the native host on Linux): the four account services, each through its
# PIN pad and the confirmation, to a message whose password the bank recovers.
# The test gives `member`, `finished` (the answer in $out), `reason` (the
# opened message's <reason>), `check`, $bank, $reader, $work, and
# `press_service PAD DISPLAY1 DISPLAY2 PASSWORD`: the customer's presses.

blocks() {  # blocks SESSION: the bank's parameter blocks for the default card as arguments, in $args
  "$bank" blocks --d1 "2812000001234567890123456$reader" --d2 "$1" --d3 "ATM0000187654321XXXXXXXX20231201093000" \
    --d4 654321 --d11 2571 --d12 A123456789 > "$work/blocks"
  args=()
  local block
  for block in BHO_D5 BHO_D1 BHO_D2 BHO_D3 BHO_D4 BHO_D11; do args+=("$(sed -n "s/^$block=//p" "$work/blocks")"); done
}

service() {  # service SESSION_PREFIX MEMBER PAD DISPLAY1 DISPLAY2 PASSWORD
  local prefix="$1" name="$2"
  shift 2
  blocks "$prefix-$name"
  if [ "$name" = BondingDevice_Apply ]; then args+=("$(sed -n "s/^BHO_D12=//p" "$work/blocks")"); fi
  member "$name" "${args[@]}" "Activity"
  press_service "$@"
  finished
  check "$name through the PIN pad $1 and the confirmation" has "$out" "retVal=0"
}

account_services() {  # account_services SESSION_PREFIX
  service "$1" Reissue_iVeskAppCert 204 231 233 135790
  check "Reissue_iVeskAppCert: the bank reads the password" test "$(reason)" = 135790
  service "$1" CardLess_Apply 209 254 255 97531086
  check "CardLess_Apply: the bank recovers the password" \
    test "$(reason | "$bank" pinblock --cardless 345678012345)" = 97531086
  service "$1" CardLess_Reset 209 254 255 86420975
  check "CardLess_Reset: the bank recovers the password" \
    test "$(reason | "$bank" pinblock --cardless 345678012345)" = 86420975
  service "$1" BondingDevice_Apply 211 231 233 246813
  check "BondingDevice_Apply: the bank recovers the password" \
    test "$(reason | "$bank" pinblock --bonding A123456789)" = 246813
}
