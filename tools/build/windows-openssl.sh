#!/usr/bin/env bash
# Builds a static 64-bit Windows libcrypto (mingw-w64) from Debian's own openssl
# source package and caches it outside the source tree, keyed by version.
# Prints the install prefix on its last line.
set -euo pipefail

cache_root="${KORVADEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/korvaden}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

# A private apt configuration with deb-src lines for the system's own suites:
# the system's sources stay untouched.
mkdir -p "$work/apt/lists/partial" "$work/apt/sources.d"
sources_from_system() {
  { cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true; } |
    sed -n 's/^[[:space:]]*deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?/deb-src \1/p'
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" > "$work/apt/sources.d/$(basename "$f")"
  done
  return 0
}
sources_from_system > "$work/apt/sources.d/korvaden-src.list"
apt_opts=(-o "Dir::Etc::sourceparts=$work/apt/sources.d" -o Dir::Etc::sourcelist=/dev/null
          -o "Dir::State::Lists=$work/apt/lists" -o Debug::NoLocking=1)
apt-get "${apt_opts[@]}" update -qq >/dev/null 2>&1

version="$(apt-get "${apt_opts[@]}" source --print-uris openssl 2>/dev/null |
  sed -n "s/.*'[^']*openssl_\([^_']*\)\.orig\.tar\.gz'.*/\1/p" | head -n1)"
[ -n "$version" ] || { echo "no openssl source package found" >&2; exit 1; }
# Only what the control uses: RSA, triple DES, SHA-1 and HMAC, the random
# generator, PEM and Base64 BIOs. No sockets (so no WS2_32 import), no TLS, no
# other algorithm, no error texts or file names; the assembly stays for RSA's
# arithmetic; built for size.
options=(no-shared no-tests no-engine no-module no-legacy no-sock no-dgram no-ssl no-tls no-dtls no-srtp
  no-ec no-ec2m no-dh no-dsa no-sm2 no-sm3 no-sm4 no-aria no-camellia no-seed no-idea no-rc2 no-rc4 no-rc5
  no-bf no-cast no-chacha no-poly1305 no-siphash no-whirlpool no-blake2 no-md4 no-mdc2 no-rmd160 no-ocsp
  no-ct no-cms no-ts no-srp no-psk no-comp no-scrypt no-cmac no-ocb no-siv no-gost no-ui-console
  no-autoload-config no-async no-threads no-dynamic-engine no-padlockeng no-capieng
  no-err no-filenames -Os)
# Built for a fixed prefix that the control never reads (no configuration is
# loaded), installed into the cache: no path of this machine's goes into the
# library, so that two machines build the same module.
fixed_prefix=/korvaden-openssl
variant="$(printf '%s ' "${options[@]}" "$fixed_prefix" | sha256sum | cut -c1-8)"
prefix="$cache_root/openssl-mingw64-$version-$variant"
if [ -f "$prefix/lib64/libcrypto.a" ] || [ -f "$prefix/lib/libcrypto.a" ]; then
  echo "$prefix"; exit 0
fi

tarball="openssl_${version}.orig.tar.gz"
(cd "$work" && apt-get "${apt_opts[@]}" source --download-only openssl >/dev/null 2>&1 || true)
[ -f "$work/$tarball" ] || { echo "could not fetch $tarball" >&2; exit 1; }

# The tarball must match the SHA-256 that the signed Sources index gives.
expected="$(find "$work/apt/lists" -maxdepth 1 -name '*_Sources*' -type f -print0 |
  xargs -0 -n1 /usr/lib/apt/apt-helper cat-file 2>/dev/null |
  awk -v f="$tarball" '/^Checksums-Sha256:/{s=1;next} /^[^ ]/{s=0} s && $3==f && !done {print $1; done=1}')"
actual="$(sha256sum "$work/$tarball" | cut -d' ' -f1)"
[ -n "$expected" ] && [ "$expected" = "$actual" ] ||
  { echo "checksum mismatch for $tarball (index: ${expected:-none}, file: $actual)" >&2; exit 1; }

tar -xzf "$work/$tarball" -C "$work"
src="$(find "$work" -maxdepth 1 -type d -name 'openssl-*' | head -n1)"
(
  cd "$src"
  ./Configure mingw64 "${options[@]}" \
    --cross-compile-prefix=x86_64-w64-mingw32- --prefix="$fixed_prefix" --openssldir="$fixed_prefix/ssl" \
    --libdir=lib >/dev/null
  make -s -j"$(nproc)" build_libs >/dev/null 2>&1
  make -s install_dev DESTDIR="$prefix.partial" >/dev/null 2>&1
)
rm -rf "$prefix"
mv "$prefix.partial$fixed_prefix" "$prefix"
rm -rf "$prefix.partial"
echo "$prefix"
