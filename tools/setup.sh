#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine: installs every package the project needs
# (Debian's, and the browser tests' puppeteer-core from npm as its lock file
# pins it), builds the static Windows OpenSSL (cached), configures and builds
# the four presets (Linux, Linux with sanitizers, Windows, the fuzzers; the
# Linux one makes the browser extension too), then runs the demo.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(
  cmake ninja-build g++ make perl pkg-config git ca-certificates openssl
  libssl-dev libpcsclite-dev libgtest-dev googletest clang-format black clang libclang-rt-14-dev
  pcscd vsmartcard-vpcd
  g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 libwine-dev locales xvfb xauth xdotool
  imagemagick fonts-arphic-uming fonts-liberation fonts-wine
  wixl msitools gcab osslsigncode
  nlohmann-json3-dev python3 libgtk-4-dev x11-utils
  chromium firefox-esr lintian gdb
  mutter xfwm4 dbus gnome-shell libglib2.0-bin
)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

(cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)

openssl_root="$(bash tools/build/windows-openssl.sh | tail -n1)"

cmake --preset linux >/dev/null
cmake --preset linux-asan >/dev/null
cmake --preset fuzz >/dev/null
cmake --preset windows -DKORVADEN_OPENSSL_ROOT="$openssl_root" >/dev/null
for preset in linux linux-asan windows fuzz; do
  cmake --build --preset "$preset"
done

if [ -x tools/demo/transfer.sh ]; then
  bash tools/demo/transfer.sh
fi
