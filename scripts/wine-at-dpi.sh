#!/bin/sh
# Runs a Windows program of the build in a Wine prefix of its own whose screen has the given dpi,
# on the display the caller's wine-env.sh set up:
#   wine-at-dpi.sh DPI PREFIX_DIR PROGRAM [ARGUMENTS...]
# The prefix is made on first use, in the caller's locale (LANG, LC_ALL), which also decides the
# ANSI code page; made under another dpi or locale, it is made again. Its wineserver is stopped
# afterwards.
set -eu
dpi="$1"
prefix="$2"
shift 2
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
made="$prefix/.parlo-dpi-$dpi-${LC_ALL:-${LANG:-C}}"
if [ ! -f "$made" ]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  $wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  $wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
  wineserver -w
  rm -f "$prefix"/.parlo-dpi-*
  touch "$made"
fi
status=0
$wine "$@" || status=$?
wineserver -k >/dev/null 2>&1 || true
exit $status
