#!/usr/bin/env bash
# What the Linux build hands out. The Debian package as dpkg installs it,
# into a scratch root of its own: lintian finds no error, the manifests lie
# where Chromium, Google Chrome and Firefox look for them and name the host
# where it is, the installed host answers through the framing, and removal
# and purge leave nothing behind. The extension's zip and .xpi: exactly the
# extension's files, with the key that gives the fixed ID. (The browser
# tests load the extension from these packages.)
# Usage: packages_test.sh LINUX_BUILD VERSION
set -uo pipefail
build="$(cd "$1" && pwd)"
version="$2"
source "$(dirname "${BASH_SOURCE[0]}")/../windows/checks.sh"
deb="$(ls "$build"/package/korvaden-native_"$version"_*.deb)"
deployment="$src/deploy/test"
name="$(sed -n 's/^native_host_name=//p' "$deployment/deployment.txt")"
firefox_id="$(sed -n 's/^firefox_extension_id=//p' "$deployment/deployment.txt")"
extension_id="$(python3 "$src/tools/build/browser_extension.py" id "$deployment")"
manifests=(etc/chromium/native-messaging-hosts etc/opt/chrome/native-messaging-hosts usr/lib/mozilla/native-messaging-hosts)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# pcscd is the system's, not the scratch root's.
dpkg_() { dpkg --root="$root" --force-depends --log=/dev/null "$@" >/dev/null 2>&1; }
ms_since() { echo $((($(date +%s%N) - $1) / 1000000)); }
left() { find "$root" -mindepth 1 ! -path "$root/var" ! -path "$root/var/lib" ! -path "$root/var/lib/dpkg*" | sort; }
files_left() { find "$root" -type f ! -path "$root/var/lib/dpkg/*" -printf '%P\n' | sort; }

lint="$(lintian --display-info "$deb" 2>&1 | grep -v 'running with root privileges')"
[ -n "$lint" ] && sed 's/^/  lintian: /' <<<"$lint"
check "lintian reports no error" test "$(grep -c '^E:' <<<"$lint")" -eq 0
check "lintian finds the host hardened (no hardening-* tag)" test "$(grep -c ' hardening-' <<<"$lint")" -eq 0
check "the package depends on pcscd" has "$(dpkg-deb -f "$deb" Depends)" "pcscd"
check "and on the font the windows' Chinese texts are tested with" has "$(dpkg-deb -f "$deb" Depends)" \
  "fonts-arphic-uming"
echo "package: $(stat -c %s "$deb") bytes, $(dpkg-deb -c "$deb" | grep -c -v '^d') files"

start=$(date +%s%N)
dpkg_ -i "$deb"
check "dpkg installs it" test $? -eq 0
echo "installed in $(ms_since "$start") ms: $(files_left | wc -l) files in $(($(left | wc -l) - $(files_left | wc -l))) folders"
for folder in "${manifests[@]}"; do
  manifest="$root/$folder/$name.json"
  check "a manifest in /$folder" test -f "$manifest"
  host="$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["path"])' "$manifest" 2>/dev/null)"
  check "/$folder: it names the installed host" test -x "$root$host"
done
check "Chromium's and Chrome's manifests allow only the extension's ID" test "$(python3 -c '
import json, sys
print(" ".join(json.load(open(f))["allowed_origins"][0] + str(len(json.load(open(f))["allowed_origins"])) for f in sys.argv[1:]))
' "$root/${manifests[0]}/$name.json" "$root/${manifests[1]}/$name.json")" = \
  "chrome-extension://$extension_id/1 chrome-extension://$extension_id/1"
check "Firefox's manifest allows only the extension's ID" test "$(python3 -c '
import json, sys
print(json.load(open(sys.argv[1]))["allowed_extensions"])' "$root/${manifests[2]}/$name.json")" = "['$firefox_id']"
hello="$(echo '{"id":1,"member":"hello"}' | DISPLAY= "$build/tools/native_driver/korvaden-native-driver" \
  "$root/usr/lib/korvaden/korvaden-native" "chrome-extension://$extension_id/" 2>&1)"
check "the installed host answers through the framing with its version" \
  has "$hello" "\"host\":\"$(api_version "$version")\""

start=$(date +%s%N)
dpkg_ -r korvaden-native
check "dpkg removes it" test $? -eq 0
echo "removed in $(ms_since "$start") ms"
check "removal keeps only the two manifests under /etc, which are the customer's to keep" \
  test "$(files_left | paste -sd' ')" = "${manifests[0]}/$name.json ${manifests[1]}/$name.json"
start=$(date +%s%N)
dpkg_ --purge korvaden-native
check "dpkg purges it" test $? -eq 0
echo "purged in $(ms_since "$start") ms"
check "purge leaves nothing behind" test -z "$(left)"
check "and dpkg knows nothing of it" test -z "$(dpkg --root="$root" -l korvaden-native 2>/dev/null | grep '^[a-z][a-z] ')"

echo "== The extension's packages"
for archive in "$build/package/korvaden-extension-$version".{zip,xpi}; do
  kind="${archive##*.}"
  echo "$kind: $(stat -c %s "$archive") bytes"
  mkdir "$work/$kind"
  python3 -m zipfile -e "$archive" "$work/$kind"
  check "the $kind holds exactly the extension's files" diff -r "$work/$kind" "$build/web/extension"
  key="$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["key"])' "$work/$kind/manifest.json")"
  id="$(base64 -d <<<"$key" | sha256sum | cut -c1-32 | tr 0-9a-f a-p)"
  check "the $kind's key gives the extension's fixed ID ($id)" test "$id" = "$extension_id"
  check "the $kind's Firefox ID is the deployment's" \
    has "$(cat "$work/$kind/manifest.json")" "\"id\": \"$firefox_id\""
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
