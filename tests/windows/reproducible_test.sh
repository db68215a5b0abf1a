#!/usr/bin/env bash
# The module and the native host are built the same by anyone: the tracked
# sources, copied into another folder, build them with the same bytes as this
# build's (before signing), with the same Windows OpenSSL.
# Usage: reproducible_test.sh SOURCE_DIR WINDOWS_BUILD
set -uo pipefail
src="$(cd "$1" && pwd)"
win="$(cd "$2" && pwd)"
other="$(mktemp -d /tmp/korvaden-other-folder.XXXXXX)"
trap 'rm -rf "$other"' EXIT
openssl_root="$(sed -n 's/^KORVADEN_OPENSSL_ROOT:[A-Z]*=//p' "$win/CMakeCache.txt")"
(cd "$src" && git ls-files -z | xargs -0 cp --parents -t "$other")
export SOURCE_DATE_EPOCH="$(git -C "$src" log -1 --format=%ct)"
cmake --preset windows -S "$other" -DKORVADEN_OPENSSL_ROOT="$openssl_root" >/dev/null &&
  cmake --build "$other/build/windows" --target korvaden_com korvaden-native >/dev/null ||
  { echo "FAIL the second build"; exit 1; }
status=0
for file in src/control/win32/KORVADENIVESK.dll src/native/korvaden-native.exe; do
  ours="$(sha256sum < "$win/$file" | cut -d' ' -f1)"
  theirs="$(sha256sum < "$other/build/windows/$file" | cut -d' ' -f1)"
  echo "$file built in $win: $ours"
  echo "$file built in $other: $theirs"
  if [ "$ours" = "$theirs" ]; then echo "PASS the same $(basename "$file") from another folder"
  else echo "FAIL the $(basename "$file") builds differ"; status=1; fi
done
exit $status
