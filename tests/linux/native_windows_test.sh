#!/usr/bin/env bash
# korvaden-native on Linux as a browser runs it, with its GTK windows on an X
# display: korvaden-native-driver speaks the framing, pcscd's virtual reader
# holds korvaden-card, and a customer outside the host presses the windows
# with real X input. The test build of the host (never packaged) lets the
# customer find the controls and read the digits of its pictures.
# Usage (on an X display): native_windows_test.sh LINUX_BUILD
set -uo pipefail
build="$1"
source "$(dirname "${BASH_SOURCE[0]}")/../windows/checks.sh"
cd "$src"
export KORVADEN_BUILD="$build"
set --  # the card starts with its default profile
source tools/demo/pcsc_stack.sh
source tests/linux/x_customer.sh
screens="$build/screens"
mkdir -p "$screens"
bank="$build/tools/bank/korvaden-bank"
driver="$build/tools/native_driver/korvaden-native-driver"
host=("$build/for_tests/korvaden-native" "chrome-extension://test/")
origin="https://webatm.korvaden.test"
export GTK_A11Y=none

remove_card() { kill "${pids[1]}"; wait "${pids[1]}" 2>/dev/null; }
insert_card() {
  "$build/tools/card/korvaden-card" --port "$port" --log "$work/card.log" > "$work/card.out" 2>&1 &
  pids[1]=$!
}
request() {  # request MEMBER ARG...: one member call as a JSON line (texts; #N is the integer N)
  local member="$1" args="" arg
  shift
  for arg in "$@"; do
    if [[ "$arg" == \#* ]]; then args+="${args:+,}${arg#\#}"; else args+="${args:+,}\"$arg\""; fi
  done
  printf '{"id":1,"origin":"%s","member":"%s","args":[%s]}\n' "$origin" "$member" "$args"
}
member() {  # member MEMBER ARG... (in the background): the answer in $work/answer
  request "$@" > "$work/request"
  member_started="$(date +%s%N)"
  "$driver" --plain "${host[@]}" < "$work/request" > "$work/answer" 2>"$work/host.err" &
  member_pid=$!
}
finished() { wait "$member_pid"; out="$(cat "$work/answer")"; }
opened() { sed -n '/^retVal=/,$p' <<<"$out" | tail -n +2 | "$bank" unseal; }
reason() { opened | tr -d '\n' | sed -n 's/.*<reason>\(.*\)<\/reason>.*/\1/p'; }
fido=("$reader" SESSION0123456789ABCDEF 1234567890123456 20230731123456 12345678 WEBATM01)

# Until the card is in the reader; without a display, so that no box waits for a customer.
for _ in $(seq 30); do
  request FidoVerify "${fido[@]}" P611AE "" | DISPLAY= "$driver" --plain "${host[@]}" 2>/dev/null | grep -q '^retVal=0' && break
  sleep 0.5
done

echo "== TransIVESK with the PIN: the card out and back, then the confirmation"
transfer=("$reader" 123456 2510 123456 81200000 1234567890123456 12345678 WEBATM01 1 123456789 100 20230731123456 '#1')
member TransIVESK "${transfer[@]}" LINUX-TRANSFER-1
customer wait 217 pause 300 shot linux_card_prompt_remove title | tee "$work/first.out"
remove_card
member_started=""
customer wait 217 pause 1500 shot linux_card_prompt_insert
insert_card
customer wait 214 shot linux_transfer_confirmation title click 2 gone > "$work/confirmation.out"
finished
check "TransIVESK confirmed by a click on 確定 (Y)" has "$out" "retVal=0"
check "the card prompt's title names the service and the page's origin" has "$(cat "$work/first.out")" \
  "title: DrommelWebATM - $origin"
check "the confirmation's too, after its own caption" has "$(cat "$work/confirmation.out")" \
  "title: 轉出資料確認 - DrommelWebATM - $origin"
check "the page was told: the card out, back in, then the confirmation" has "$out" \
  "asked=card-out,card-in,nothing,confirm,nothing"
check "and the bank opens its message" has "$(opened)" "<tx_code>2510</tx_code><session_id>LINUX-TRANSFER-1</session_id>"
check "the prompt was seen at both stages" test -s "$screens/linux_card_prompt_remove.png" -a -s "$screens/linux_card_prompt_insert.png"
check "the two stages show two pictures" test "$(compare -metric AE "$screens/linux_card_prompt_remove.png" \
  "$screens/linux_card_prompt_insert.png" null: 2>&1)" -gt 1000

no_pin=("$reader" 123456 2510 "" 81200000 1234567890123456 12345678 WEBATM01 1 123456789 100 20230731123456 '#1')
member TransIVESK "${no_pin[@]}" LINUX-TRANSFER-2
customer wait 214 click 1 gone
finished
check "取消 (N) cancels the transfer" has "$out" "retVal=8990"
member TransIVESK "${no_pin[@]}" LINUX-TRANSFER-3
customer wait 214 key Escape gone
finished
check "Esc cancels the transfer" has "$out" "retVal=8990"

echo "== Which reader: a name no reader has, and no name at all"
member FidoVerify Other\ Reader SESSION0123456789ABCDEF 1234567890123456 20230731123456 12345678 WEBATM01 P611AE ""
customer box > "$work/reader.out"
finished
check "a reader of no such name is told so in a box" has "$(cat "$work/reader.out")" "找不到指定的讀卡機，請確認讀卡機已連接電腦!"
check "and the member ends 8990" has "$out" "retVal=8990"
member FidoVerify "" SESSION0123456789ABCDEF 1234567890123456 20230731123456 12345678 WEBATM01 P611AE ""
finished
check "no name: the bank card is found in the reader that holds it (the other slot is empty)" has "$out" "retVal=0"

echo "== The four account services"
press_service() {  # press_service PAD DISPLAY1 DISPLAY2 PASSWORD
  customer wait 230 click "$2" keys "$4" click "$3" keys "$4" click 235 code \
    shot "linux_pin_pad_$1" click 228 gone wait 239 shot linux_app_confirmation click 228 gone
}
source tests/support/account_services.sh
account_services LINUX

echo "== A PIN pad's cancel, a wrong verification code, a countdown that runs out"
blocks LINUX-WRONG-CODE
member CardLess_Apply "${args[@]}" "Activity"
customer wait 230 click 254 keys 97531086 click 255 keys 97531086 click 235 wrongcode click 228 box > "$work/box.out"
check "a wrong code is told in a box of the pad" has "$(cat "$work/box.out")" "交易驗證碼錯誤，請重新輸入"
customer wait 230 click 2 gone
finished
check "the pad stayed open; 回主選單 then gives 8990" has "$out" "retVal=8990"
check "the page was told: the pad, its box, the pad again" has "$out" "asked=pad,message,pad,nothing"
blocks LINUX-TIMEOUT
KORVADEN_TEST_SECOND_MS=2 member CardLess_Apply "${args[@]}" "Activity"
customer wait 230 gone
finished
check "a countdown that runs out: 9950" has "$out" "retVal=9950"

echo "== The shipped host tells nothing of its windows"
blocks LINUX-SHIPPED
request CardLess_Apply "${args[@]}" "Activity" > "$work/request"
"$driver" --plain "$build/src/native/korvaden-native" "chrome-extension://test/" < "$work/request" > "$work/answer" 2>&1 &
member_pid=$!
xc_until 30 bash -c 'xdotool search --onlyvisible --classname korvaden-native >/dev/null'
sleep 0.5
shipped="$(xdotool search --onlyvisible --classname korvaden-native | head -n1)"
check "the shipped host's PIN pad is on the screen" test -n "$shipped"
check "and has no KORVADEN_WINDOW property" test -z "$(xc_described "$shipped")"
rss="$(awk '/VmRSS/ { print $2 }' "/proc/$(pgrep -f "^$build/src/native/korvaden-native" | head -n1)/status")"
echo "resident memory of the shipped host with its PIN pad open: $rss kB"
xdotool windowfocus --sync "$shipped" key Escape
finished
check "Esc cancels the shipped host's pad: 8990" has "$out" "retVal=8990"

echo "== A core of the host taken while a service confirmation is open"
# As a desktop that collects cores, or root with gdb, would take one.
blocks LINUX-CORE
member Reissue_iVeskAppCert "${args[@]}" "Activity"
customer wait 230 click 231 keys 246813 click 233 keys 246813 click 235 code click 228 gone wait 239
core_of="$(pgrep -f "^$build/for_tests/korvaden-native" | head -n1)"
check "the typed password is in the host's memory while the confirmation is open" \
  test "$("$build/tests/korvaden-memory-hits" "$core_of" 246813)" -gt 0
gcore -o "$work/core" "$core_of" > "$work/gcore.out" 2>&1
check "gcore took a core of the host" test -s "$work/core.$core_of"
check "and it holds no password" test "$(grep -c -a -F 246813 "$work/core.$core_of")" -eq 0
echo "core of the host: $(stat -c %s "$work/core.$core_of" 2>/dev/null) bytes"
rm -f "$work/core.$core_of"
customer click 228 gone
finished
check "and the service still ends 0" has "$out" "retVal=0"

echo "first window on screen $(sed -n 's/^found 217 after //p' "$work/first.out") after the member call"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
