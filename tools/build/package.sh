#!/usr/bin/env bash
# Makes what a bank hands out: the signed module and native host, the two
# installers (per user, per machine), which install both and register the
# host for Chrome, Edge and Firefox, and the CAB for the object tag's
# codebase, each signed with Authenticode and verified.
# Usage: package.sh MODULE NATIVE_HOST VERSION DEPLOYMENT OUT_DIR [CERT_PEM KEY_PEM [TIMESTAMP_URL]]
#        package.sh --msi-version VERSION   (prints the installers' version)
# Without a certificate, a throw-away test certificate is made in
# OUT_DIR/test-signing (never a release's: the bank's is passed in).
set -euo pipefail
module="$1"
native_host="${2:-}"
version="${3:-}"
deployment="${4:-}"
out="${5:-}"
cert="${6:-}"
key="${7:-}"
timestamp="${8:-}"
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
resources="$(cd "$tools/../../resources/installer" && pwd)"

# Windows Installer orders versions by major.minor.build, with the minor at
# most 255 and the build at most 65535 (and ignores a fourth field); the
# project's A.YYMM.C.D does not fit. Mapped, in the same order:
#   A.YYMM.C.D -> A.YY.(MM * 5000 + C * 100 + D), for MM 01-12, C < 50, D < 100
# (1.2307.31.1 -> 1.23.38101).
msi_version() {
  local a b c d
  IFS=. read -r a b c d <<<"$1"
  if ! [[ "$a.$b.$c.$d" =~ ^[0-9]+\.[0-9]{4}\.[0-9]+\.[0-9]+$ ]] || (( a > 255 || 10#${b:2} < 1 || 10#${b:2} > 12 ||
        c >= 50 || d >= 100 )); then
    echo "package.sh: version $1 is not A.YYMM.C.D with A <= 255, MM 01-12, C < 50, D < 100" >&2
    return 1
  fi
  echo "$a.$(( 10#${b:0:2} )).$(( 10#${b:2} * 5000 + c * 100 + d ))"
}
# The same version and scope is the same product, whoever builds it.
product_code() {
  local hash
  hash="$(printf 'korvaden-control %s %s' "$1" "$2" | sha1sum | tr a-f A-F)"
  echo "{${hash:0:8}-${hash:8:4}-5${hash:13:3}-8${hash:17:3}-${hash:20:12}}"
}
if [ "$1" = --msi-version ]; then
  msi_version "$2"
  exit
fi

msi="$(msi_version "$version")"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

if [ -z "$cert" ]; then
  cert="$out/test-signing/certificate.pem"
  key="$out/test-signing/key.pem"
  if [ ! -f "$cert" ]; then
    mkdir -p "$out/test-signing"
    openssl req -x509 -newkey rsa:3072 -nodes -days 3650 -subj "/CN=Korvaden test code signing" \
      -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
      -keyout "$key" -out "$cert" 2>/dev/null
  fi
fi

sign() {  # sign UNSIGNED SIGNED
  local stamp=()
  [ -n "$timestamp" ] && stamp=(-t "$timestamp")
  rm -f "$2"
  osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "Korvaden card control" "${stamp[@]}" \
    -in "$1" -out "$2" >/dev/null
  # A file whose signature does not verify is not left for a later build to take as done.
  osslsigncode verify -CAfile "$cert" -in "$2" >/dev/null || { rm -f "$2"; return 1; }
}

sign "$module" "$out/KORVADENIVESK.dll"
sign "$native_host" "$out/korvaden-native.exe"
# The host's manifests name it beside them, and only the deployment's extension.
host_name="$(sed -n 's/^native_host_name=//p' "$deployment/deployment.txt")"
for browser in chromium firefox; do
  python3 "$tools/browser_extension.py" host-manifest "$browser" "$deployment" korvaden-native.exe \
    "$out/$host_name.$browser.json"
done

for scope in perUser perMachine; do
  cp "$resources/korvaden.wxs" "$out/KORVADENIVESK.dll" "$out/korvaden-native.exe" "$out/$host_name".*.json "$work/"
  wixl -a x64 -D Version="$version" -D MsiVersion="$msi" -D ProductCode="$(product_code "$scope" "$version")" \
    -D Scope="$scope" -D Module=KORVADENIVESK.dll -D NativeHost=korvaden-native.exe -D HostName="$host_name" \
    -o "$work/$scope.msi" "$work/korvaden.wxs"
  name="user"
  [ "$scope" = perMachine ] && name="machine"
  sign "$work/$scope.msi" "$out/korvaden-$version-$name.msi"
done

sed "s/@VERSION_COMMAS@/${version//./,}/" "$resources/KORVADENIVESK.inf.in" > "$work/KORVADENIVESK.inf"
# The CAB keeps its files' times: those of the last commit, not of this build.
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$resources" log -1 --format=%ct 2>/dev/null || echo 0)}"
cp "$out/KORVADENIVESK.dll" "$work/"
touch -d "@$epoch" "$work/KORVADENIVESK.dll" "$work/KORVADENIVESK.inf"
(cd "$work" && gcab -c -z unsigned.cab KORVADENIVESK.dll KORVADENIVESK.inf)
sign "$work/unsigned.cab" "$out/KORVADENIVESK.cab"
