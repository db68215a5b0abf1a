#!/usr/bin/env bash
# The installers as a customer runs them, under Wine in a prefix of their own:
# each scope installs, registers what DllRegisterServer registers, lets the
# page script drive the control against the virtual card, installs the
# native host and registers it for Chrome, Edge and Firefox, is upgraded in
# place by a newer installer, and uninstalls without a trace. Also: the
# signatures, and the CAB for the object tag's codebase.
# Usage: installer_test.sh WINDOWS_BUILD HOST_TOOLS_BUILD VERSION
set -uo pipefail
win="$(cd "$1" && pwd)"
tools="$(cd "$2" && pwd)"
version="$3"
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
export KORVADEN_WINEPREFIX="$win/install-prefix"
package="$win/package"
clsid='{331B2E6C-3280-4BBD-A43D-F22A90BE0C8A}'
deployment="$src/deploy/test"
host_name="$(sed -n 's/^native_host_name=//p' "$deployment/deployment.txt")"
extension_id="$(python3 "$src/tools/build/browser_extension.py" id "$deployment")"
browser_keys=('Software\Google\Chrome' 'Software\Microsoft\Edge' 'Software\Mozilla')
reader='Virtual PCD 00 00'
work="$(mktemp -d)"
card_pid=""
trap '[ -n "$card_pid" ] && kill "$card_pid" 2>/dev/null; rm -rf "$work"' EXIT

# The registry as Wine keeps it, one line per key and per value, with every
# key's ancestors, so that a key that only gains subkeys still shows.
registry() {
  WINEPREFIX="$KORVADEN_WINEPREFIX" wineserver -w
  for hive in system user; do
    awk -v hive="$hive" '
      /^\[/ { key = $0; sub(/^\[/, "", key); sub(/\] [0-9]+$/, "", key)
              path = ""; n = split(key, parts, /\\\\/)
              for (i = 1; i <= n; ++i) { path = path (i > 1 ? "\\\\" : "") parts[i]; print hive " [" tolower(path) "]" }
              next }
      /^[@"]/ { print hive " [" tolower(key) "] " $0 }' "$KORVADEN_WINEPREFIX/$hive.reg"
  done | grep -v -e DriverDateData -e '\\\\wine\\\\' | sort -u
}
added() { comm -13 "$1" "$2"; }  # lines of $2 not in $1
keys() { grep -c -v '\] .' || true; }  # counts the key lines of its input
classes() { grep -i -e "$clsid" -e '{ae0eefe7-' -e '{0cb77c81-' | grep -v -i 'installer\\\\'; }
host_registrations() { grep -i "nativemessaginghosts\\\\\\\\$host_name\] @=" || true; }
unix_path() { sed 's|^C:|'"$KORVADEN_WINEPREFIX"'/drive_c|; s|\\|/|g' <<<"$1"; }
files() { find "$KORVADEN_WINEPREFIX/drive_c" -type f ! -path '*/drive_c/windows/*' | sort; }
installed_files() { files | comm -13 "$work/before.files" -; }
msiexec_() {  # msiexec_ ARG...: time in ms on stdout, exit code
  local start=$(date +%s%N)
  wine_ msiexec "$@" /qn >/dev/null
  local rc=$?
  echo "$(( ($(date +%s%N) - start) / 1000000 ))"
  return $rc
}

# A new prefix each time: a machine that never had the control.
WINEPREFIX="$KORVADEN_WINEPREFIX" wineserver -k 2>/dev/null
rm -rf "$KORVADEN_WINEPREFIX"
wine_ cmd /c exit 0
# The machine's smart-card service is the test's bridge to the virtual card.
cp "$win/tools/winscard_shim/winscard.dll" "$KORVADEN_WINEPREFIX/drive_c/windows/system32/"
cp "$src/web/demo.js" "$work/"
# Script Host registers itself the first time it runs: before the test looks.
touch "$work/empty.js"
(cd "$work" && wine_ cscript //nologo empty.js)

# Signed, and signed by the build's certificate.
for file in KORVADENIVESK.dll korvaden-native.exe "korvaden-$version-user.msi" "korvaden-$version-machine.msi" KORVADENIVESK.cab; do
  check "$file is signed and verifies" has "$(osslsigncode verify -CAfile "$package/test-signing/certificate.pem" \
    -in "$package/$file" 2>&1)" "Succeeded"
done
echo "sizes: $(cd "$package" && stat -c '%n %s B' "korvaden-$version-user.msi" "korvaden-$version-machine.msi" KORVADENIVESK.cab | paste -sd, -)"

# The CAB: the signed module and the INF that names the class and this version.
mkdir "$work/cab"
gcab -x -C "$work/cab" "$package/KORVADENIVESK.cab"
check "the CAB holds the signed module" cmp -s "$work/cab/KORVADENIVESK.dll" "$package/KORVADENIVESK.dll"
inf="$(cat "$work/cab/KORVADENIVESK.inf")"
check "the INF names the class" has "$inf" "clsid=$clsid"
check "the INF carries the project's version" has "$inf" "FileVersion=${version//./,}"
check "the INF installs the 64-bit module from the CAB" has "$inf" "file-win64-x64=thiscab"

# The virtual card for the page script's member call.
"$tools/tools/card/korvaden-card" --serve 0 > "$work/card.out" 2>&1 &
card_pid=$!
for _ in $(seq 50); do grep -q "serving on port" "$work/card.out" && break; sleep 0.1; done
export KORVADEN_CARD_PORT="$(sed -n 's/serving on port //p' "$work/card.out")"

# A newer installer of the same module, for the upgrade.
newer="${version%.*}.$(( ${version##*.} + 1 ))"
bash "$src/tools/build/package.sh" "$win/src/control/win32/KORVADENIVESK.dll" "$win/src/native/korvaden-native.exe" \
  "$newer" "$deployment" "$work/newer" >/dev/null

for scope in user machine; do
  msi="$(winpath "$package/korvaden-$version-$scope.msi")"
  hive=system root=HKLM
  [ "$scope" = user ] && hive=user root=HKCU
  classes_key="$root\\Software\\Classes"
  registry > "$work/before.reg"
  files > "$work/before.files"
  ms="$(msiexec_ /i "$msi")"
  check "$scope: msiexec /i succeeds" test $? -eq 0
  registry > "$work/installed.reg"
  added "$work/before.reg" "$work/installed.reg" > "$work/added.reg"
  classes < "$work/added.reg" > "$work/msi-classes.reg"
  module="$(wine_ reg query "$classes_key\\CLSID\\$clsid\\InprocServer32" /ve | LC_ALL=C sed -n 's/.*REG_SZ *//p' | tr -d '\r')"
  module_dir="$(dirname "$(unix_path "$module")")"
  check "$scope: the class names the installed module" test -f "$module_dir/KORVADENIVESK.dll"
  [ -f "$module_dir/KORVADENIVESK.dll" ] || continue
  echo "$scope: installed in $ms ms to $module; keys written: $(keys < "$work/added.reg")" \
       "($(keys < "$work/msi-classes.reg") of the control's classes)"
  check "$scope: the control's classes only in the $hive hive" test "$(grep -c -v "^$hive " "$work/msi-classes.reg")" -eq 0
  check "$scope: four files: the module, the native host and its two manifests" test "$(installed_files | wc -l)" -eq 4
  check "$scope: it is the signed module" cmp -s "$module_dir/KORVADENIVESK.dll" "$package/KORVADENIVESK.dll"
  check "$scope: beside it the signed native host" cmp -s "$module_dir/korvaden-native.exe" "$package/korvaden-native.exe"

  # Each browser finds the host's manifest through its key in the scope's hive.
  grep -i nativemessaginghosts "$work/added.reg" > "$work/host.reg"
  echo "$scope: the native host's keys written: $(keys < "$work/host.reg")"
  check "$scope: the native host's keys only in the $hive hive" test "$(grep -c -v "^$hive " "$work/host.reg")" -eq 0
  for key in "${browser_keys[@]}"; do
    manifest="$(wine_ reg query "$root\\$key\\NativeMessagingHosts\\$host_name" /ve |
      LC_ALL=C sed -n 's/.*REG_SZ *//p' | tr -d '\r')"
    kind=chromium
    [ "$key" = 'Software\Mozilla' ] && kind=firefox
    check "$scope: ${key##*\\} finds the $kind manifest" cmp -s "$(unix_path "$manifest")" "$package/$host_name.$kind.json"
  done
  check "$scope: the manifests name the host beside them" \
    has "$(cat "$module_dir/$host_name".*.json)" '"path": "korvaden-native.exe"'
  check "$scope: and only the deployment's extension" test "$(grep -h -c -e "chrome-extension://$extension_id/" \
    -e "$(sed -n 's/^firefox_extension_id=//p' "$deployment/deployment.txt")" "$module_dir/$host_name".*.json |
    awk '{ sum += $1 } END { print sum }')" -eq 2
  # The installed host answers as a browser would start it.
  hello="$(echo '{"id":1,"member":"hello"}' | timeout 60 "$tools/tools/native_driver/korvaden-native-driver" \
    "$src/tools/test/wine-run.sh" "$module_dir/korvaden-native.exe" "chrome-extension://$extension_id/" 2>/dev/null)"
  check "$scope: the installed host answers through the framing with its version" \
    has "$hello" "\"host\":\"$(api_version "$version")\""

  # The page script creates the control (through a ProgID this test names
  # for cscript's sake: the control registers none) and reaches the card.
  # Only from the machine's classes: Wine's COM does not read the current
  # user's (on Windows they are merged into HKEY_CLASSES_ROOT).
  if [ "$scope" = machine ]; then
    wine_ reg add 'HKLM\Software\Classes\Korvaden.IveskCtrl\CLSID' /ve /d "$clsid" /f >/dev/null
    demo="$(cd "$work" && timeout 120 "$src/tools/test/wine-run.sh" cscript //nologo demo.js FidoVerify "$reader" "INSTALL-$scope" 1234567890123456 \
      20230731123456 12345678 WEBATM01 P611AE "" 2>/dev/null)"  # a hang ends in time
    wine_ reg delete 'HKLM\Software\Classes\Korvaden.IveskCtrl' /f >/dev/null
    check "$scope: the page reads the installed version" has "$demo" "version=$(api_version "$version")"
    check "$scope: the page's member reaches the card" has "$demo" "result=0 "
    check "$scope: and the bank opens its message" \
      has "$(sed -n '/^TrnsMsg=/,$p' <<<"$demo" | sed '1s/^TrnsMsg=//' | "$tools/tools/bank/korvaden-bank" unseal)" \
      "<session_id>INSTALL-$scope</session_id>"
  fi

  # The newer installer replaces the installed one.
  ms="$(msiexec_ /i "$(winpath "$work/newer/korvaden-$newer-$scope.msi")")"
  check "$scope: the newer installer succeeds" test $? -eq 0
  registry > "$work/upgraded.reg"
  echo "$scope: upgraded in $ms ms"
  check "$scope: upgraded, one registration of the class" \
    test "$(grep -c -i "clsid\\\\\\\\$clsid\\\\\\\\inprocserver32\] @" "$work/upgraded.reg")" -eq 1
  check "$scope: the same keys of the control" diff <(classes < "$work/upgraded.reg") <(classes < "$work/installed.reg")
  products() { grep -c '"DisplayName"="Korvaden card control'; }
  check "$scope: one product installed, as before" \
    test "$(added "$work/before.reg" "$work/upgraded.reg" | products)" -eq "$(products < "$work/added.reg")"
  check "$scope: and it is the newer one, in the installers' numbering" test "$(added "$work/before.reg" "$work/upgraded.reg" |
    grep -o '"DisplayVersion"="[^"]*"' | sort -u)" = "\"DisplayVersion\"=\"$(bash "$src/tools/build/package.sh" --msi-version "$newer")\""
  check "$scope: still four files" test "$(installed_files | wc -l)" -eq 4
  check "$scope: one registration of the native host for each browser" \
    test "$(host_registrations < "$work/upgraded.reg" | wc -l)" -eq 3

  # An older package refuses to replace the newer control (Windows
  # Installer's 1603, which Wine's exit status takes modulo 256).
  msiexec_ /i "$msi" >/dev/null
  check "$scope: the older installer refuses" test $? -eq 67
  check "$scope: and the newer control stays, alone" diff <(classes < "$work/upgraded.reg") <(registry | classes)
  check "$scope: its file untouched" cmp -s "$module_dir/KORVADENIVESK.dll" "$work/newer/KORVADENIVESK.dll"

  # The other scope's installer refuses while this scope holds the control:
  # a per-user copy would hide the machine's from this user.
  other=machine
  [ "$scope" = machine ] && other=user
  msiexec_ /i "$(winpath "$work/newer/korvaden-$newer-$other.msi")" >/dev/null
  check "$scope: the $other installer refuses while the $scope copy is installed" test $? -eq 67
  check "$scope: and writes nothing" diff <(registry | classes) <(classes < "$work/upgraded.reg")

  ms="$(msiexec_ /x "$(winpath "$work/newer/korvaden-$newer-$scope.msi")")"
  check "$scope: msiexec /x succeeds" test $? -eq 0
  registry > "$work/removed.reg"
  echo "$scope: uninstalled in $ms ms; keys removed: $(comm -23 "$work/upgraded.reg" "$work/removed.reg" | keys)"
  check "$scope: no key of the control left" test "$(classes < "$work/removed.reg" | wc -l)" -eq 0
  check "$scope: no registration of the native host left" test -z "$(host_registrations < "$work/removed.reg")"
  # Windows Installer's own folders of products and components may stay,
  # empty, as on any Windows that ever ran an installer.
  left="$(added "$work/before.reg" "$work/removed.reg" | grep -v -i -E \
    '^[a-z]+ \[software\\\\(classes\\\\|microsoft\\\\(windows\\\\currentversion\\\\)?)?installer(\\\\[^]]*)?\]$')"
  [ -n "$left" ] && echo "$left" | sed 's/^/  left: /'
  check "$scope: nothing else left in the registry" test -z "$left"
  check "$scope: no file left" test -z "$(installed_files)"
  check "$scope: the install folder is gone" test ! -e "$module_dir"

  # What the installer wrote is what the module registers for itself, at
  # the same place: the same keys and values.
  mkdir -p "$module_dir"
  cp "$package/KORVADENIVESK.dll" "$module_dir/"
  registry > "$work/before.reg"
  scope_flag=()
  [ "$scope" = user ] && scope_flag=(/n /i:user)
  wine_ regsvr32 /s "${scope_flag[@]}" "$module"
  registry > "$work/registered.reg"
  wine_ regsvr32 /s /u "${scope_flag[@]}" "$module"
  rm -rf "$module_dir"
  # Two differences that are not the control's: the installer's folder value
  # ends in a backslash, and Wine's per-user type library registration writes
  # the 32-bit view of the interface to the machine's classes.
  added "$work/before.reg" "$work/registered.reg" | classes | sed -E \
    -e 's/^(\S+ \[.*\\\\helpdir\] @=".*)"$/\1\\\\"/' \
    -e 's/^system (\[software\\\\classes\\\\wow6432node)/'"$hive"' \1/' | sort > "$work/self-classes.reg"
  check "$scope: the installer writes what DllRegisterServer writes ($(keys < "$work/self-classes.reg") keys)" \
    diff "$work/self-classes.reg" "$work/msi-classes.reg"
done

# A user's own registration of the native host, left without the control
# (an older install, or one by hand), would answer that user's browsers
# instead of the machine's host: the machine's installer refuses while the
# installing user has one, for any browser.
for key in "${browser_keys[@]}"; do
  wine_ reg add "HKCU\\$key\\NativeMessagingHosts\\$host_name" /ve /d 'C:\old\host.json' /f >/dev/null
  registry > "$work/stale.reg"
  msiexec_ /i "$(winpath "$package/korvaden-$version-machine.msi")" >/dev/null
  check "the machine installer refuses while this user registers a host for ${key##*\\}" test $? -eq 67
  check "and writes nothing" diff "$work/stale.reg" <(registry)
  wine_ reg delete "HKCU\\$key\\NativeMessagingHosts\\$host_name" /f >/dev/null
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
