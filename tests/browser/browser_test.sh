#!/usr/bin/env bash
# The page API, the extension and the native host end to end in a browser:
# browser_test.sh LINUX_BUILD SCRIPT (on an X display), SCRIPT one of this
# folder's chromium_test, firefox_test or bench. pcscd's
# virtual reader holds korvaden-card; the pages come over HTTPS from a test
# server that the browser reaches under the bank's host name; the customer
# presses the host's GTK windows with real X input.
set -uo pipefail
build="$(cd "$1" && pwd)"
script="$2"
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$src"
export KORVADEN_BUILD="$build"
set --  # the card starts with its default profile
source tools/demo/pcsc_stack.sh
export KORVADEN_SOURCE="$src" KORVADEN_WORK="$work" KORVADEN_READER="$reader" KORVADEN_CARD_PORT="$port"
export KORVADEN_CARD_PID="${pids[1]}" KORVADEN_SCREENS="$build/screens"
export KORVADEN_DEPLOYMENT="$src/deploy/test" KORVADEN_HOST="$build/for_tests/korvaden-native"
export KORVADEN_HOST_NAME="$(sed -n 's/^native_host_name=//p' "$KORVADEN_DEPLOYMENT/deployment.txt")"
export GTK_A11Y=none
mkdir -p "$KORVADEN_SCREENS"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=webatm.korvaden.test \
  -addext subjectAltName=DNS:webatm.korvaden.test,DNS:other.korvaden.test \
  -keyout "$work/page.key" -out "$work/page.crt" 2>/dev/null
# Until the card is in the reader; without a display (X11 or Wayland), so that no prompt waits for a customer.
request='{"id":1,"origin":"https://webatm.korvaden.test","member":"FidoVerify","args":["'"$reader"'",
  "SESSION0123456789ABCDEF","1234567890123456","20230731123456","12345678","WEBATM01","P611AE",""]}'
for _ in $(seq 30); do
  tr -d '\n' <<<"$request" | DISPLAY= WAYLAND_DISPLAY= "$build/tools/native_driver/korvaden-native-driver" \
    --plain "$KORVADEN_HOST" chrome-extension://test/ 2>/dev/null | grep -q '^retVal=0' && break
  sleep 0.5
done
node "tests/browser/$script.mjs"
