#!/usr/bin/env bash
# Makes the Debian package a customer installs for current browsers:
# korvaden-native with its windows' module (korvaden-gtk-views.so, found
# beside the host binary), and its manifests where Chromium, Google Chrome and
# Firefox look for them system-wide, with Debian's own tools (dpkg-shlibdeps,
# dpkg-deb). The same sources and commit give the same bytes.
# Usage: deb.sh HOST_BINARY VERSION DEPLOYMENT OUT_DIR
set -euo pipefail
binary="$1"
version="$2"
deployment="$3"
out="$4"
src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
package=korvaden-native
host=/usr/lib/korvaden/korvaden-native
views=/usr/lib/korvaden/korvaden-gtk-views.so
name="$(sed -n 's/^native_host_name=//p' "$deployment/deployment.txt")"
chromium=etc/chromium/native-messaging-hosts
chrome=etc/opt/chrome/native-messaging-hosts
firefox=usr/lib/mozilla/native-messaging-hosts
docs="usr/share/doc/$package"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
root="$work/root"
umask 022

install -D -m 755 "$binary" "$root$host"
install -D -m 644 "$(dirname "$binary")/korvaden-gtk-views.so" "$root$views"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$root$host" "$root$views"
manifest() { python3 "$src/tools/build/browser_extension.py" host-manifest "$1" "$deployment" "$host" "$root/$2/$name.json"; }
manifest chromium "$chromium"
manifest chromium "$chrome"
manifest firefox "$firefox"

mkdir -p "$root/$docs" "$root/usr/share/lintian/overrides"
cat > "$root/$docs/copyright" <<EOF
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: korvaden
Source: the bank that hands out this package

Files: *
Copyright: 2023-2026 Korvaden
License: proprietary
 Handed out by the bank to its customers for its web ATM; not to be
 redistributed.
EOF
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct 2>/dev/null || echo 0)}"
{
  echo "$package ($version) stable; urgency=medium"
  echo
  echo "  * The card control's native messaging host for current browsers."
  echo
  echo " -- Korvaden <support@korvaden.example>  $(LC_ALL=C date -u -R -d "@$epoch")"
} | gzip -9n > "$root/$docs/changelog.gz"
# Google Chrome reads system-wide host manifests only from /etc/opt/chrome,
# which Debian's policy keeps for packages in /opt.
printf "$package: dir-or-file-in-etc-opt [%s]\n" etc/opt/chrome/ "$chrome/" "$chrome/$name.json" \
  > "$root/usr/share/lintian/overrides/$package"

# The libraries the host and its module link, as Debian's tools name their packages.
mkdir -p "$work/shlibs/debian"
printf 'Source: korvaden\n\nPackage: %s\nArchitecture: any\n' "$package" > "$work/shlibs/debian/control"
depends="$(cd "$work/shlibs" && dpkg-shlibdeps -O -e "$root$host" -e "$root$views" 2>/dev/null | sed -n 's/^shlibs:Depends=//p')"

mkdir -p "$root/DEBIAN"
cat > "$root/DEBIAN/control" <<EOF
Package: $package
Version: $version
Architecture: $(dpkg --print-architecture)
Maintainer: Korvaden <support@korvaden.example>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $depends, pcscd, fonts-arphic-uming | fonts-noto-cjk
Section: misc
Priority: optional
Homepage: https://webatm.korvaden.example/
Description: chip card reader program for the web ATM in current browsers
 Lets the bank's web ATM pages in Chromium, Google Chrome and Firefox use
 the customer's chip financial card in a PC/SC card reader, through the
 bank's browser extension: it shows the card prompts, PIN pads and
 confirmations, and hands the page the request sealed for the bank.
EOF
printf '/%s\n' "$chromium/$name.json" "$chrome/$name.json" > "$root/DEBIAN/conffiles"
(cd "$root" && find . -path ./DEBIAN -prune -o -type f -printf '%P\n' | LC_ALL=C sort | xargs md5sum) \
  > "$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/"*
find "$root" -exec touch -h -d "@$epoch" {} +
mkdir -p "$out"
SOURCE_DATE_EPOCH="$epoch" dpkg-deb --root-owner-group -Zxz --build "$root" \
  "$out/${package}_${version}_$(dpkg --print-architecture).deb" >/dev/null
