#!/usr/bin/env bash
# Takes the pictures of the user guide and the README under a private Xvfb display and Wine:
#   docs/screenshots/main.png    the main window with the example phrase book
#   docs/screenshots/config.png  the configuration dialog (skipped, with a note, when the build has none)
#   docs/screenshots/about.png   the About box
# each cropped to its window. Builds the release programs in build/release-x86_64/ (as
# scripts/release.sh does) and runs them from build/screenshots/run/. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

build="$root/build/release-x86_64"
work="$root/build/screenshots"
out="$root/docs/screenshots"
mkdir -p "$root/build/logs" "$work" "$out"
log="$root/build/logs/screenshots.log"
: >"$log"

cmake --preset win64 -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >>"$log" 2>&1 ||
  { cat "$log"; exit 1; }
cmake --build "$build" --target parlo -j 2 >>"$log" 2>&1 || { tail -n 60 "$log"; exit 1; }

# A small helper that works the windows from inside Wine: waits for a window and prints its
# place on the screen (the same coordinates as the X screen), clicks a button, closes a window.
cat >"$work/winctl.c" <<'EOF'
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "forms/ControlIds.h"

/* main, config, about: the window class; for click, the main window's button that opens it */
static const char* ClassOf(const char* name) {
  if (!strcmp(name, "main")) return PARLO_CLASS_MAIN;
  if (!strcmp(name, "config")) return PARLO_CLASS_CONFIG;
  if (!strcmp(name, "about")) return PARLO_CLASS_ABOUT;
  return NULL;
}
static int ButtonOf(const char* name) {
  if (!strcmp(name, "config")) return IDC_BUTTON_CONFIG;
  if (!strcmp(name, "about")) return IDC_BUTTON_ABOUT;
  return 0;
}
static HWND Find(const char* name) {
  HWND w = FindWindowA(ClassOf(name), NULL);
  return w && IsWindowVisible(w) ? w : NULL;
}
static HWND FindChild(HWND parent, int id) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(c) == id) return c;
    HWND inner = FindChild(c, id);
    if (inner) return inner;
  }
  return NULL;
}
int main(int argc, char** argv) {
  if (argc < 3 || !ClassOf(argv[2])) return 2;
  if (!strcmp(argv[1], "wait")) {
    DWORD until = GetTickCount() + (argc > 3 ? (DWORD)atoi(argv[3]) : 10000);
    HWND w;
    while (!(w = Find(argv[2]))) {
      if (GetTickCount() > until) return 1;
      Sleep(50);
    }
    RECT r;
    GetWindowRect(w, &r);
    printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
  }
  if (!strcmp(argv[1], "open")) {
    HWND main = Find("main");
    HWND button = main ? FindChild(main, ButtonOf(argv[2])) : NULL;
    if (!button) return 1;
    PostMessageA(button, BM_CLICK, 0, 0);
    return 0;
  }
  if (!strcmp(argv[1], "close")) {
    HWND w = Find(argv[2]);
    if (!w) return 1;
    PostMessageA(w, WM_CLOSE, 0, 0);
    return 0;
  }
  return 2;
}
EOF
x86_64-w64-mingw32-gcc -O2 -I"$root" -o "$work/winctl.exe" "$work/winctl.c" -luser32

run="$work/run"
rm -rf "$run"
mkdir -p "$run"
cp "$build/bin/parlo.exe" res/say-default.txt "$run/"
# A grid font every Wine prefix has, so that the configuration dialog names it legibly.
printf '[Window]\r\nLeft=40\r\nTop=40\r\nWidth=373\r\nHeight=472\r\n[Font]\r\nCharset=0\r\nName=Tahoma\r\nSize=9\r\nBold=0\r\nItalic=0\r\n' \
  >"$run/parlo.ini"

source scripts/wine-env.sh
wine_env_start "$work/wineprefix"
trap wine_env_stop EXIT
wine=/usr/lib/wine/wine64
winctl() { "$wine" "$work/winctl.exe" "$@" | tr -d '\r'; }

# Lets the programs paint, then saves the part of the screen the window covers.
shoot() {
  local geometry=$1 name=$2
  sleep 1
  import -display "$DISPLAY" -window root "$work/screen.png"
  convert "$work/screen.png" -crop "$geometry" +repage "$out/$name.png"
  echo "screenshots: docs/screenshots/$name.png ($geometry)"
}

(cd "$run" && exec "$wine" ./parlo.exe) >/dev/null 2>&1 &
parlo_pid=$!

main=$(winctl wait main 20000) || { echo "screenshots: Parlo showed no window" >&2; exit 1; }
shoot "$main" main

for dialog in config about; do
  if ! winctl open "$dialog" || ! geometry=$(winctl wait "$dialog" 8000); then
    echo "screenshots: no $dialog window in this build; docs/screenshots/$dialog.png skipped"
    continue
  fi
  shoot "$geometry" "$dialog"
  winctl close "$dialog" || true
  for _ in $(seq 1 100); do winctl wait "$dialog" 0 >/dev/null || break; sleep 0.1; done
done

# Closed as a player closes it, so Parlo ends normally.
winctl close main || true
for _ in $(seq 1 100); do kill -0 "$parlo_pid" 2>/dev/null || break; sleep 0.1; done
kill "$parlo_pid" 2>/dev/null || true
