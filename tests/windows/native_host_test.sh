#!/usr/bin/env bash
# korvaden-native.exe under Wine as a browser runs it: korvaden-native-driver
# speaks the framing over its pipes, the test winscard.dll reaches pcscd's
# virtual reader through the bridge, and a customer program outside the
# process presses its Win32 windows with real input. The test build of the
# host (never packaged) lets the customer read the digits of its pictures.
# Usage: native_host_test.sh WINDOWS_BUILD HOST_TOOLS_BUILD
set -uo pipefail
win="$1"
tools="$2"
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
cd "$src"
source tests/windows/customer_outside.sh native
driver="$tools/tools/native_driver/korvaden-native-driver"
cp "$win/for_tests/korvaden-native.exe" "$win/tools/test_host/hidden_start.exe" "$dir/"
trap cleanup EXIT

origin="https://webatm.korvaden.test"
host=("$src/tools/test/wine-run.sh" "$dir/korvaden-native.exe" "chrome-extension://test/")
# As a Chromium-based browser starts it: hidden, naming its window.
hidden=("$src/tools/test/wine-run.sh" "$dir/hidden_start.exe" "$(winpath "$dir/korvaden-native.exe")"
        "chrome-extension://test/")
# request MEMBER ARG...: one member call as a JSON line (every argument a text).
request() {
  local member="$1" args="" arg
  shift
  for arg in "$@"; do args+="${args:+,}\"$arg\""; done
  printf '{"id":1,"origin":"%s","member":"%s","args":[%s]}\n' "$origin" "$member" "$args"
}
# call [DRIVER OPTION...] (in the background, the requests in $work/requests): answers in $work/answers.
call() { "$driver" --plain "$@" "${host[@]}" < "$work/requests" > "$work/answers" 2>&1 & call_pid=$!; }
call_hidden() { "$driver" --plain "${hidden[@]}" < "$work/requests" > "$work/answers" 2>&1 & call_pid=$!; }
finished() { wait "$call_pid"; answer="$(cat "$work/answers")"; }
sealed() { sed -n '/^retVal=/,$p' <<<"$answer" | tail -n +2; }
fido=("$reader" SESSION0123456789ABCDEF 1234567890123456 20230731123456 12345678 WEBATM01)

# The card in the reader: a call without a window reaches it.
for _ in $(seq 30); do
  request FidoVerify "${fido[@]}" P611AE "" | "$driver" "${host[@]}" 2>/dev/null | grep -q '"retVal":0' && break
  sleep 0.5
done
answer="$(printf '{"id":7,"member":"hello"}\n' | "$driver" "${host[@]}" 2>&1)"
check "the host answers hello through the framing" has "$answer" '"protocol":1'

export KORVADEN_CUSTOMER_OUTSIDE=1

echo "== FidoVerify with the PIN, the host started hidden: the card out and back"
request FidoVerify "${fido[@]}" P611AD 123456 > "$work/requests"
call_hidden
customer wait 217 title pause 300 shot native_card_prompt_remove.bmp | tee "$work/prompt.out"
check "the host started hidden shows its card prompt" test "${PIPESTATUS[0]}" -eq 0
check "titled with the service and the page's origin, owned by the browser window it was named" \
  has "$(cat "$work/prompt.out")" "title [DrommelWebATM - $origin] owner [The browser]"
shot native_card_prompt_remove
remove_card
customer wait 217 pause 1500
insert_card
finished
check "FidoVerify through the prompt's two stages: 0" has "$answer" "retVal=0"
check "and the bank opens its message" has "$(sealed | "$bank" unseal)" "<session_id>SESSION0123456789ABCDEF</session_id>"

echo "== CardLess_Apply through the PIN pad and the confirmation"
"$bank" blocks --d1 "2812000001234567890123456$reader" --d2 NATIVE-CARDLESS \
  --d3 "ATM0000187654321XXXXXXXX20231201093000" --d4 654321 --d11 2571 > "$work/blocks"
blocks=()
for block in BHO_D5 BHO_D1 BHO_D2 BHO_D3 BHO_D4 BHO_D11; do blocks+=("$(sed -n "s/^$block=//p" "$work/blocks")"); done
request CardLess_Apply "${blocks[@]}" Activity > "$work/requests"
call
customer wait 230 click 254 keys 97531086 click 255 keys 97531086 click 235 code shot native_pin_pad_209.bmp \
  click 228 gone wait 239 click 228 gone && shot native_pin_pad_209
finished
check "CardLess_Apply pressed through its windows: 0" has "$answer" "retVal=0"
check "the page was told of the pad, then of the confirmation" has "$answer" "asked=pad,nothing,confirm,nothing"
reason="$(sealed | "$bank" unseal | tr -d '\n' | sed -n 's/.*<reason>\(.*\)<\/reason>.*/\1/p')"
check "and the bank reads the password typed on the pad" test "$(echo "$reason" | "$bank" pinblock --cardless 345678012345)" = 97531086

echo "== The browser goes away while the card prompt is open"
request FidoVerify "${fido[@]}" P611AD 123456 > "$work/requests"
call --close-after-ms 4000
customer wait 217
finished
echo "$answer"
check "the host exits within 1 s of its input closing" has "$answer" "exited "
sleep 0.2
check "no host process is left" test -z "$(pgrep -f 'korvaden-native.exe' || true)"
answer="$(request FidoVerify "${fido[@]}" P611AE "" | "$driver" "${host[@]}" 2>&1)"
check "the next call, from a new host, reaches the card at once" has "$answer" '"retVal":0'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
