#!/usr/bin/env bash
# Runs a Windows program under Wine in the test prefix (never ~/.wine), with
# the Traditional Chinese locale so that the ANSI code page is 950 (Big5).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export WINEPREFIX="${KORVADEN_WINEPREFIX:-$here/build/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winscard=n,b}"
locales="$here/build/locale"
if [ ! -d "$locales/zh_TW.UTF-8" ]; then
  mkdir -p "$locales"
  localedef -i zh_TW -f UTF-8 "$locales/zh_TW.UTF-8" >/dev/null 2>&1 || true
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
exec env -u LC_ALL LOCPATH="$locales" LANG=zh_TW.UTF-8 LC_CTYPE=zh_TW.UTF-8 wine "$@"
