#!/usr/bin/env bash
# The customer's windows end to end, as a person meets them: the test build of
# the DLL runs each member under Wine (through the test host, and through the
# page script under cscript), a customer program outside its process presses
# the windows with real input, and the card sits in pcscd's virtual reader
# (vpcd), reached through the bridge from the test winscard.dll. The windows
# are written as PNG files under WINDOWS_BUILD/screens.
# Usage: customer_windows_test.sh WINDOWS_BUILD HOST_TOOLS_BUILD
set -uo pipefail
win="$1"
tools="$2"
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
cd "$src"
source tests/windows/customer_outside.sh windows
cp "$win/for_tests/KORVADENIVESK.dll" "$win/tools/test_host/com_host.exe" "$src/tests/windows/page.js" "$dir/"
dll="$(winpath "$dir/KORVADENIVESK.dll")"
trap 'wine_ regsvr32 /s /u "$dll"; wine_ reg delete "HKCR\\Korvaden.IveskCtrl" /f >/dev/null 2>&1; cleanup' EXIT
wine_ regsvr32 /s "$dll"
wine_ reg add 'HKCR\Korvaden.IveskCtrl\CLSID' /ve /d '{331B2E6C-3280-4BBD-A43D-F22A90BE0C8A}' /f >/dev/null

# member MEMBER ARG... (in the background): the test host's output goes to $work/member.out.
member() { (cd "$dir" && wine_ com_host.exe CALL "$@") > "$work/member.out" & member_pid=$!; }
finished() {  # waits for the member; its output in $out
  wait "$member_pid"
  out="$(cat "$work/member.out")"
  grep '^retVal=' <<<"$out"
}
opened() { sed -n '/^retVal=/,$p' "$work/member.out" | tail -n +2 | "$bank" unseal; }
reason() { opened | tr -d '\n' | sed -n 's/.*<reason>\(.*\)<\/reason>.*/\1/p'; }

# The card in the reader: a member without a window reaches it.
for _ in $(seq 30); do
  (cd "$dir" && wine_ com_host.exe CALL FidoVerify "$reader" E2E-WARM 1234567890123456 20230731123456 12345678 \
    WEBATM01 P611AE "") | grep -q '^retVal=0' && break
  sleep 0.5
done

# From here on the customer outside the process answers every window.
export KORVADEN_CUSTOMER_OUTSIDE=1

echo "== TransIVESK with the PIN: the card out and back, then the confirmation"
transfer=("$reader" 123456 2510 123456 81200000 1234567890123456 12345678 WEBATM01 1 123456789 100 20230731123456 NUMBER1)
member TransIVESK "${transfer[@]}" E2E-TRANSFER-1
customer wait 217 pause 300 shot card_prompt_remove.bmp && shot card_prompt_remove
remove_card
customer wait 217 pause 1500 shot card_prompt_insert.bmp && shot card_prompt_insert
insert_card
customer wait 214 shot transfer_confirmation.bmp click 2 gone && shot transfer_confirmation
finished
check "TransIVESK confirmed by a click on 確定 (Y)" has "$out" "retVal=0"
check "and the bank opens its message" has "$(opened)" "<tx_code>2510</tx_code><session_id>E2E-TRANSFER-1</session_id>"
check "the prompt was seen at both stages" test -s "$screens/card_prompt_remove.png" -a -s "$screens/card_prompt_insert.png"
first_dialog="$(grep -m1 'found 217 after' "$work/customer.out" | sed 's/.*after //')"

no_pin=("$reader" 123456 2510 "" 81200000 1234567890123456 12345678 WEBATM01 1 123456789 100 20230731123456 NUMBER1)
member TransIVESK "${no_pin[@]}" E2E-TRANSFER-2
customer wait 214 click 1 gone
finished
check "取消 (N) cancels the transfer" has "$out" "retVal=8990"
member TransIVESK "${no_pin[@]}" E2E-TRANSFER-3
customer wait 214 key esc gone
finished
check "Esc cancels the transfer" has "$out" "retVal=8990"

echo "== The four account services"
press_service() {  # press_service PAD DISPLAY1 DISPLAY2 PASSWORD
  customer wait 230 click "$2" keys "$4" click "$3" keys "$4" click 235 code \
    shot "pin_pad_$1.bmp" click 228 gone wait 239 shot app_confirmation.bmp click 228 gone && shot "pin_pad_$1"
  [ -f "$dir/app_confirmation.bmp" ] && shot app_confirmation
}
source tests/support/account_services.sh
account_services E2E

echo "== A PIN pad's cancel and a wrong verification code"
blocks E2E-WRONG-CODE
member CardLess_Apply "${args[@]}" "Activity"
customer wait 230 click 254 keys 97531086 click 255 keys 97531086 click 235 wrongcode click 228 box > "$work/box.out"
check "a wrong code is told in a box of the pad" has "$(cat "$work/box.out")" "交易驗證碼錯誤，請重新輸入"
customer wait 230 click 2 gone
finished
check "the pad stayed open; 回主選單 then gives 8990" has "$out" "retVal=8990"

echo "== The page script under cscript"
(cd "$dir" && wine_ cscript //nologo page.js "$reader" E2E-PAGE) > "$work/page.out" &
page_pid=$!
customer wait 214 click 2 gone
wait "$page_pid"
check "the page script's members run inside the test DLL" has "$(cat "$work/page.out")" "FidoVerifyOB=0"
check "and its transfer is confirmed in the window" has "$(cat "$work/page.out")" "TransIVESK.confirmed=0"

echo "first dialog on screen ${first_dialog:-?} after the member call"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
