#!/usr/bin/env bash
# Runs a Windows program under Wine in the test prefix (never ~/.wine), with
# the Traditional Chinese locale so that the ANSI code page is 950 (Big5).
# KORVADEN_WINE_LOCALE names another Unix locale (C.UTF-8: code page 1252) for
# a prefix of its own (KORVADEN_WINEPREFIX). KORVADEN_WINE_DPI sets the
# display's DPI in the prefix (Windows' scale: 96 is 100 %, 192 is 200 %).
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
# Wine rewrites some font settings when the code page changes: everything runs in one locale.
locale="${KORVADEN_WINE_LOCALE:-zh_TW.UTF-8}"
in_locale=(env -u LC_ALL LOCPATH="$locales" LANG="$locale" LC_CTYPE="$locale")
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "${in_locale[@]}" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# The dialogs' fonts: the Big5 faces and the pictures' faces map to Debian's
# fonts (Wine does not follow one substitute to another, so "MS Shell Dlg" is
# named too); windows without a window manager are unmanaged.
if [ ! -f "$WINEPREFIX/korvaden-settings" ]; then
  substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  for face in 新細明體 PMingLiU 細明體 MingLiU "MS Shell Dlg"; do
    "${in_locale[@]}" wine reg add "$substitutes" /v "$face" /d "AR PL UMing TW" /f >/dev/null 2>&1
  done
  for face in "Courier New" "MS Gothic"; do
    "${in_locale[@]}" wine reg add "$substitutes" /v "$face" /d "Liberation Mono" /f >/dev/null 2>&1
  done
  "${in_locale[@]}" wine reg add "$substitutes" /v "Book Antiqua" /d "Liberation Serif" /f >/dev/null 2>&1
  "${in_locale[@]}" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/{marlett,tahoma,tahomabd}.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  wineserver -w
  touch "$WINEPREFIX/korvaden-settings"
fi
if [ -n "${KORVADEN_WINE_DPI:-}" ] && [ ! -f "$WINEPREFIX/korvaden-dpi-$KORVADEN_WINE_DPI" ]; then
  "${in_locale[@]}" wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$KORVADEN_WINE_DPI" /f \
    >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/korvaden-dpi-$KORVADEN_WINE_DPI"
fi
exec "${in_locale[@]}" wine "$@"
