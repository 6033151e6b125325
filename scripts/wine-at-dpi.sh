#!/bin/sh
# Runs a Windows program of the build in a Wine prefix of its own whose screen has the given dpi,
# on the display the caller's wine-env.sh set up:
#   wine-at-dpi.sh DPI PREFIX_DIR PROGRAM [ARGUMENTS...]
# The prefix is made on first use. Its wineserver is stopped afterwards.
set -eu
dpi="$1"
prefix="$2"
shift 2
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
if [ ! -f "$prefix/.parlo-dpi-$dpi" ]; then
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  $wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
  $wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
  wineserver -w
  rm -f "$prefix"/.parlo-dpi-*
  touch "$prefix/.parlo-dpi-$dpi"
fi
status=0
$wine "$@" || status=$?
wineserver -k >/dev/null 2>&1 || true
exit $status
