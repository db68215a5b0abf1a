#!/usr/bin/env bash
# The control as Windows sees it, under Wine: registration and its removal,
# a browser-like host, a page script under cscript, and the card flows inside
# the DLL against the virtual card (through the test winscard.dll).
# Usage: com_control_test.sh WINDOWS_BUILD HOST_TOOLS_BUILD VERSION
set -uo pipefail
win="$1"
tools="$2"
version="$3"
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
clsid='{331B2E6C-3280-4BBD-A43D-F22A90BE0C8A}'
libid='{0CB77C81-1F72-458B-B9CC-8B1FCE164A87}'
reader='Virtual PCD 00 00'

work="$(mktemp -d)"
card_pid=""
cleanup() {
  [ -n "$card_pid" ] && kill "$card_pid" 2>/dev/null
  wine_ regsvr32 /s /u "$dll" >/dev/null 2>&1
  wine_ reg delete 'HKCR\Korvaden.IveskCtrl' /f >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
cp "$win/src/control/win32/KORVADENIVESK.dll" "$win/tools/winscard_shim/winscard.dll" \
   "$win/tools/test_host/com_host.exe" "$src/tests/windows/page.js" "$work/"
dll="$(winpath "$work/KORVADENIVESK.dll")"
class_key="HKCR\\CLSID\\$clsid"

# Machine-wide registration: every key and value of the control's script.
start=$(date +%s%N)
wine_ regsvr32 /s "$dll"
check "regsvr32 succeeds" test $? -eq 0
echo "regsvr32: $(( ($(date +%s%N) - start) / 1000000 )) ms"
keys="$(wine_ reg query "$class_key" /s)"
check "class key with its name" has "$keys" "KORVADENIVESKCtrl Class"
check "InprocServer32 is the module" has "$keys" "REG_SZ    $dll"
check "apartment threaded" has "$keys" "ThreadingModel    REG_SZ    Apartment"
check "Programmable" has "$keys" "$clsid\\Programmable"
check "Control" has "$keys" "$clsid\\Control"
check "toolbox bitmap 106" has "$keys" "REG_SZ    $dll, 106"
check "MiscStatus 0" has "$(wine_ reg query "$class_key\\MiscStatus" /ve)" "REG_SZ    0"
check "MiscStatus\\1 reads 131473" has "$(wine_ reg query "$class_key\\MiscStatus\\1" /ve)" "REG_SZ    131473"
check "the type library's id" has "$keys" "REG_SZ    $libid"
check "version 1.0" has "$(wine_ reg query "$class_key\\Version" /ve)" "REG_SZ    1.0"
check "type library registered" has "$(wine_ reg query "HKCR\\TypeLib\\$libid\\1.0\\0\\win64" /ve)" "$dll"
check "no ProgID written" lacks "$(wine_ reg query 'HKCR\Korvaden.IveskCtrl' 2>&1)" "CLSID"

# Removal leaves HKCR\CLSID without the class key.
wine_ regsvr32 /s /u "$dll"
check "regsvr32 /u succeeds" test $? -eq 0
check "class key removed" lacks "$(wine_ reg query "$class_key" /s)" "KORVADENIVESKCtrl"
check "CLSID itself kept" has "$(wine_ reg query 'HKCR\CLSID' /ve 2>&1; echo listed)" "listed"
check "type library removed" lacks "$(wine_ reg query "HKCR\\TypeLib\\$libid" /s)" "win64"

# Per user ("user" in any case) and machine-wide with another command line.
wine_ regsvr32 /s /n /i:USER "$dll"
check "per-user registration under HKCU" has "$(wine_ reg query "HKCU\\Software\\Classes\\CLSID\\$clsid\\MiscStatus\\1" /ve)" "131473"
check "per-user leaves the machine's classes alone" lacks "$(wine_ reg query "HKLM\\Software\\Classes\\CLSID\\$clsid" /s)" "KORVADENIVESKCtrl"
wine_ regsvr32 /s /u /n /i:user "$dll"
check "per-user removal" lacks "$(wine_ reg query "HKCU\\Software\\Classes\\CLSID\\$clsid" /s)" "KORVADENIVESKCtrl"
wine_ regsvr32 /s /n /i:users "$dll"
check "/i:users registers machine-wide" has "$(wine_ reg query "$class_key" /ve)" "KORVADENIVESKCtrl Class"

# A browser-like host: activation, drawing, safety, error info, dispatch by
# name with Big5 texts, aggregation, unloading.
host_out="$(cd "$work" && wine_ com_host.exe CHECKS "$dll")"
echo "$host_out" | iconv -f BIG5 -t UTF-8 | sed 's/^/  host: /'
check "the host's checks pass" has "$host_out" "0 failed"
check "the missing reader was told in Big5" has "$(echo "$host_out" | iconv -f BIG5 -t UTF-8)" \
  "DrommelWebATM|讀卡機連線失敗，請確認讀卡機是否已安裝妥當!"
# The virtual card, reached by the DLL through the test winscard.dll.
"$tools/tools/card/korvaden-card" --serve 0 --log "$work/card.log" > "$work/card.out" 2>&1 &
card_pid=$!
for _ in $(seq 50); do grep -q "serving on port" "$work/card.out" && break; sleep 0.1; done
export KORVADEN_CARD_PORT="$(sed -n 's/serving on port //p' "$work/card.out")"

call() {  # call MEMBER ARG...: the document the bank opens from TrnsMsg
  (cd "$work" && wine_ com_host.exe CALL "$@") > "$work/call.out"
  grep -q '^retVal=0' "$work/call.out" || { sed "s/^/  $1: /" "$work/call.out" >&2; return 1; }
  sed -n '/^retVal=/,$p' "$work/call.out" | tail -n +2 | "$tools/tools/bank/korvaden-bank" unseal
}
start=$(date +%s%N)
doc="$(call TransIVESK "$reader" 123456 2510 "" 81200000 1234567890123456 12345678 WEBATM01 1 123456789 100 20230731123456 NUMBER0 WINE-SESSION-01)"
echo "TransIVESK through COM: $(( ($(date +%s%N) - start) / 1000000 )) ms"
check "TransIVESK inside the DLL" has "$doc" "<tx_code>2510</tx_code><session_id>WINE-SESSION-01</session_id>"
check "its amount" has "$doc" "<trns_amount>00000000010000</trns_amount>"
doc="$(call FidoVerify "$reader" WINE-SESSION-02 1234567890123456 20230731123456 12345678 WEBATM01 P611AE "")"
check "FidoVerify inside the DLL" has "$doc" "<tx_code>2590</tx_code><session_id>WINE-SESSION-02</session_id>"
check "FidoVerify's TAC input" has "$(tail -n1 "$work/card.log")" "00E2108040"
# The support log, turned on by the user's registry value: the member's line,
# and none of its values.
wine_ reg add 'HKCU\Software\Korvaden' /v SupportLog /t REG_DWORD /d 1 /f >/dev/null 2>&1
doc="$(call FidoVerify "$reader" WINE-SESSION-05 1234567890123456 20230731123456 12345678 WEBATM01 P611AE "")"
wine_ reg delete 'HKCU\Software\Korvaden' /f >/dev/null 2>&1
support_log="$(find "$(wine_ winepath -u 'C:\users' 2>/dev/null)" -path '*/Korvaden/support.log' 2>/dev/null | head -n1)"
check "the registry value turns the support log on" has "$(cat "$support_log" 2>/dev/null)" \
  "member FidoVerify origin (local program) result 0 in "
check "the log holds none of the call's values" lacks "$(cat "$support_log" 2>/dev/null)" "WINE-SESSION-05"
[ -n "$support_log" ] && rm -f "$support_log"
doc="$(call FidoVerifyOB "$reader" WINE-SESSION-03 1234567890123456 20230731123456 12345678 WEBATM01 01 02 A123456789 "")"
check "FidoVerifyOB inside the DLL" has "$doc" "<tac_id>2566</tac_id>"
check "FidoVerifyOB's 90 bytes" has "$(tail -n1 "$work/card.log")" "00E210805A"
# A script's null and undefined are empty arguments, not script errors.
doc="$(call FidoVerify "$reader" WINE-SESSION-07 1234567890123456 20230731123456 12345678 WEBATM01 P611AE NULL)"
check "a null PIN is an empty one" has "$doc" "<session_id>WINE-SESSION-07</session_id>"
doc="$(call TransIVESK "$reader" 123456 2510 EMPTY 81200000 1234567890123456 12345678 WEBATM01 1 123456789 100 20230731123456 NULL WINE-SESSION-08)"
check "an undefined PIN and a null ShowVerifyDialog" has "$doc" "<session_id>WINE-SESSION-08</session_id>"
doc="$(KORVADEN_TRANSFER=cancel call TransIVESK "$reader" 123456 2510 "" 81200000 1234567890123456 12345678 WEBATM01 1 123456789 100 20230731123456 NUMBER1 WINE-SESSION-04)"
check "cancelling the confirmation gives 8990" has "$(cat "$work/call.out")" "retVal=8990"
check "and the confirmation showed the transfer, titled as a local program's (no origin)" \
  has "$(iconv -f BIG5 -t UTF-8 "$work/call.out")" "TRANSFER 轉出資料確認 - DrommelWebATM|812/1234567890123456"

# A container that lets go of the control while the confirmation is up: the
# call holds the control until it ends.
out="$(cd "$work" && KORVADEN_RELEASE_INSIDE=1 timeout 60 "$src/tools/test/wine-run.sh" com_host.exe CALL TransIVESK "$reader" 123456 2510 "" 81200000 \
  1234567890123456 12345678 WEBATM01 1 123456789 100 20230731123456 NUMBER1 WINE-SESSION-06 2>/dev/null)"  # a crash ends in time
check "released inside a call, the control lives on" has "$out" "released inside the call: 1 references left"
check "and the call ends with its result" has "$out" "retVal=0"

# The site lock: a browser's page names itself through the site's moniker.
# Only the deployment's origins may script the control; any other page is
# refused at the safety question and by every member, before the card.
page_call() {  # page_call URL MEMBER ARG...: com_host's output
  (cd "$work" && wine_ com_host.exe PAGE "$@")
}
script_call() {  # script_call URL MEMBER ARG...: the same, created by the page's script
  (cd "$work" && wine_ com_host.exe SCRIPT "$@")
}
fido_args=("$reader" WINE-SESSION-05 1234567890123456 20230731123456 12345678 WEBATM01 P611AE 123456)
out="$(page_call https://webatm.korvaden.test/atm/verify.html FidoVerify "${fido_args[@]}")"
check "the bank's page may script the control" has "$out" "safety=0x00000000"
check "and reaches the card" has "$out" "retVal=0"
refused() {  # refused CALL LABEL URL: not scriptable there, and 8960 with nothing sent to the card
  local before out
  before="$(wc -l < "$work/card.log")"
  out="$("$1" "$3" FidoVerify "${fido_args[@]}")"
  check "$2 $3: not safe for scripting" has "$out" "safety=0x80004005"
  check "$2 $3: 8960 with nothing sent to the card" \
    test "$(grep -c retVal=8960 <<<"$out")-$(wc -l < "$work/card.log")" = "1-$before"
}
for page in https://evil.test/ https://webatm.korvaden.test.evil.test/ http://webatm.korvaden.test/ -; do
  refused page_call page "$page"
done
out="$(script_call https://WebATM.korvaden.test:443/atm/verify.html FidoVerify "${fido_args[@]}")"
out="$(page_call https://webatm.korvaden.test:443/atm/transfer.html TransIVESK "$reader" 123456 2510 "" 81200000 \
  1234567890123456 12345678 WEBATM01 1 123456789 100 20230731123456 NUMBER1 WINE-SESSION-09 | iconv -f BIG5 -t UTF-8)"
check "the confirmation's title names the service and the page's origin" has "$out" \
  "TRANSFER 轉出資料確認 - DrommelWebATM - https://webatm.korvaden.test|"
check "a script on the bank's page may create and script the control" has "$out" "safety=0x00000000"
check "and reaches the card" has "$out" "retVal=0"
# "-": a script's site whose services lead to no browser, as a script engine's may.
for page in https://webatm.korvaden.test:8444/ https://webatm.korvaden.test@evil.test/ -; do
  refused script_call "script on page" "$page"
done
# Asked for safety, as only a browser asks, but never sited: no page, no card.
before="$(wc -l < "$work/card.log")"
out="$(cd "$work" && wine_ com_host.exe UNSITED FidoVerify "${fido_args[@]}")"
check "asked for safety and never sited: 8960 with nothing sent to the card" \
  test "$(grep -c retVal=8960 <<<"$out")-$(wc -l < "$work/card.log")" = "1-$before"

# The page script under cscript, with a ProgID in this prefix only.
wine_ reg add 'HKCR\Korvaden.IveskCtrl\CLSID' /ve /d "$clsid" /f >/dev/null
page="$(cd "$work" && wine_ cscript //nologo page.js "$reader")"
echo "$page" | sed 's/^/  page: /' | cut -c1-120
check "the page reads the version" has "$page" "version=$(api_version "$version")"
check "a fresh control's TrnsMsg is empty" has "$page" "fresh=true"
check "the page sees 8970 for a short PCODE" has "$page" "TransIVESK=8970"
check "the page reaches the account services" has "$page" "CardLess_Reset=9810"
check "FidoVerify from the page" has "$page" "FidoVerify=0"
check "FidoVerifyOB from the page" has "$page" "FidoVerifyOB=0"
for value in "2^40" "1.5" "yes"; do
  check "a ShowVerifyDialog of $value: 8970, not a script error" has "$page" "ShowVerifyDialog $value=8970"
done
check "an unpaired surrogate: 8970" has "$page" "surrogate=8970"
trnsmsg="$(sed -n '/^TrnsMsg=/,$p' <<<"$page" | sed '1s/^TrnsMsg=//')"
check "the page's TrnsMsg opens at the bank" has "$(printf '%s' "$trnsmsg" | "$tools/tools/bank/korvaden-bank" unseal)" \
  "<session_id>PAGE-SESSION-0002</session_id>"

# The demo page's own script, under cscript.
cp "$src/web/demo.js" "$work/"
demo="$(cd "$work" && wine_ cscript //nologo demo.js FidoVerify "$reader" DEMO-SESSION-01 1234567890123456 \
  20230731123456 12345678 WEBATM01 P611AE "")"
check "the demo script calls a member and tells its meaning" has "$demo" "result=0 (success; TrnsMsg holds the sealed message)"
check "and gives the sealed message, which the bank opens" \
  has "$(sed -n '/^TrnsMsg=/,$p' <<<"$demo" | sed '1s/^TrnsMsg=//' | "$tools/tools/bank/korvaden-bank" unseal)" \
  "<session_id>DEMO-SESSION-01</session_id>"
demo="$(cd "$work" && wine_ cscript //nologo demo.js FidoVerify "$reader" DEMO-SESSION-02 1234567890123456 \
  20230731123456 12345678 WEBATM01 P611AE "12AB")"
check "and a refusal's meaning" has "$demo" "result=8970 (a page value that the message or the card cannot carry"

echo "DLL: $(stat -c %s "$work/KORVADENIVESK.dll") bytes"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
