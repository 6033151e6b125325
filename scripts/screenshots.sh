#!/usr/bin/env bash
# Takes the pictures of the user guide and the README under a private Xvfb display and Wine:
#   docs/screenshots/main.png    the main window with the example phrase book
#   docs/screenshots/config.png  the configuration dialog (skipped, with a note, when the build has none)
#   docs/screenshots/about.png   the About box
#   docs/screenshots/quick-say.png  the Quick Say box over the practice window, a word typed
#   docs/screenshots/import.png  lines imported from a client's macros.xml, with the message about them
#   docs/screenshots/characters.png  two practice windows for two characters, Parlo following them
# With --dpi N (or PARLO_SHOT_DPI=N) Wine's desktop runs at N dots per inch (its LogPixels, in a
# prefix of its own) and the pictures are named e.g. main-192dpi.png; 96, the default, keeps the
# names above.
# each cropped to its window with the caption a player's window manager draws (openbox runs on the
# display and Wine's windows are managed, as on a desktop). Builds the release programs in build/release-x86_64/ (as
# scripts/release.sh does) and runs them from build/screenshots/run/. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

dpi=${PARLO_SHOT_DPI:-96}
while [ $# -gt 0 ]; do
  case $1 in
    --dpi) dpi=${2:-}; shift $(($# > 1 ? 2 : 1)) ;;
    --dpi=*) dpi=${1#--dpi=}; shift ;;
    *) echo "usage: bash scripts/screenshots.sh [--dpi N]   (N dots per inch, 96 to 480; default 96)" >&2; exit 2 ;;
  esac
done
if ! [[ $dpi =~ ^[0-9]+$ ]] || [ "$dpi" -lt 96 ] || [ "$dpi" -gt 480 ]; then
  echo "screenshots: the dpi must be a whole number from 96 to 480, not \"$dpi\"" >&2
  exit 2
fi
suffix=""
[ "$dpi" -eq 96 ] || suffix="-${dpi}dpi"

bash scripts/setup.sh
if ! command -v openbox >/dev/null; then
  echo "screenshots: installing openbox"
  as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends openbox >/dev/null
fi

build="$root/build/release-x86_64"
work="$root/build/screenshots"
out="$root/docs/screenshots"
mkdir -p "$root/build/logs" "$work" "$out"
log="$root/build/logs/screenshots.log"
: >"$log"

cmake --preset win64 -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >>"$log" 2>&1 ||
  { cat "$log"; exit 1; }
cmake --build "$build" --target parlo fakegame -j 2 >>"$log" 2>&1 || { tail -n 60 "$log"; exit 1; }

# A small helper that works the windows from inside Wine: waits for a window and prints its
# place on the screen (the same coordinates as the X screen), clicks a button, closes a window.
cat >"$work/winctl.c" <<'EOF'
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "forms/ControlIds.h"

/* wait prints the window's title once it shows. main, config, about: the window class; for click, the main window's button that opens it */
static const char* ClassOf(const char* name) {
  if (!strcmp(name, "main")) return PARLO_CLASS_MAIN;
  if (!strcmp(name, "config")) return PARLO_CLASS_CONFIG;
  if (!strcmp(name, "about")) return PARLO_CLASS_ABOUT;
  if (!strcmp(name, "quicksay")) return PARLO_CLASS_QUICKSAY;
  if (!strcmp(name, "importdialog") || !strcmp(name, "importbox")) return "#32770";
  return NULL;
}
static const char* TitleOf(const char* name) {
  if (!strcmp(name, "importdialog")) return "Import lines";
  if (!strcmp(name, "importbox")) return "Parlo";
  return NULL;
}
static int ButtonOf(const char* name) {
  if (!strcmp(name, "config")) return IDC_BUTTON_CONFIG;
  if (!strcmp(name, "about")) return IDC_BUTTON_ABOUT;
  return 0;
}
static HWND Find(const char* name) {
  HWND w = FindWindowA(ClassOf(name), TitleOf(name));
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
  if (argc == 2 && !strcmp(argv[1], "dpi")) { /* the dpi Wine gives the programs it starts */
    HDC screen = GetDC(NULL);
    printf("%d\n", GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(NULL, screen);
    return 0;
  }
  if (argc < 3 || !ClassOf(argv[2])) return 2;
  if (!strcmp(argv[1], "wait")) {
    DWORD until = GetTickCount() + (argc > 3 ? (DWORD)atoi(argv[3]) : 10000);
    HWND w;
    while (!(w = Find(argv[2]))) {
      if (GetTickCount() > until) return 1;
      Sleep(50);
    }
    char title[256];
    GetWindowTextA(w, title, sizeof title);
    printf("%s\n", title);
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
x86_64-w64-mingw32-gcc -O2 -I"$root" -o "$work/winctl.exe" "$work/winctl.c" -luser32 -lgdi32

run="$work/run$suffix"
rm -rf "$run"
mkdir -p "$run"
cp "$build/bin/parlo.exe" res/say-default.txt "$run/"
# A grid font every Wine prefix has, so that the configuration dialog names it legibly; Quick Say
# on Ctrl+Shift+Q.
printf '[Window]\r\nLeft=40\r\nTop=40\r\nWidth=373\r\nHeight=472\r\n[Font]\r\nCharset=0\r\nName=Tahoma\r\nSize=9\r\nBold=0\r\nItalic=0\r\n[QuickSay]\r\nCTRL=1\r\nSHIFT=1\r\nKey=81\r\n' \
  >"$run/parlo.ini"

source scripts/wine-env.sh
# A larger desktop at a higher dpi, so the scaled windows fit on it as they do at 96.
if [ "$dpi" -ne 96 ]; then
  export WINE_ENV_SCREEN="$((1280 * dpi / 96))x$((1024 * dpi / 96))x24" WINE_ENV_SCREEN_DPI=$dpi
fi
wine_env_start "$work/wineprefix$suffix"
wine=/usr/lib/wine/wine64
# The desktop's dpi, set before any program of the picture runs; Wine reads it as a program starts.
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# Unmanaged windows on a bare display get Wine's own caption, whose buttons have no glyphs; a
# player's desktop draws the caption with its window manager.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f >/dev/null 2>&1
openbox >/dev/null 2>&1 &
wm_pid=$!
trap 'kill $wm_pid 2>/dev/null || true; wine_env_stop' EXIT
sleep 1
winctl() { "$wine" "$work/winctl.exe" "$@" | tr -d '\r'; }
seen=$(winctl dpi)
if [ "$seen" != "$dpi" ]; then  # services started before the setting keep the old one: start afresh
  wineserver -k >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 || true
  "$wine" wineboot >/dev/null 2>&1 </dev/null || true
  seen=$(winctl dpi)
fi
[ "$seen" = "$dpi" ] || { echo "screenshots: Wine runs at $seen dpi, not $dpi" >&2; exit 1; }
echo "screenshots: Wine's desktop at $dpi dpi"

# Lets the programs paint, then saves the part of the screen the window covers with the frame the
# window manager drew around it.
shoot() {
  local title=$1 name=$2 id x y w h extents
  sleep 1
  # The window just shown is the active one (the About box has the main window's title).
  id=$(xdotool getactivewindow)
  [ "$(xdotool getwindowname "$id")" = "$title" ] ||
    { echo "screenshots: the active window is not \"$title\"" >&2; return 1; }
  x=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left X: *//p')
  y=$(xwininfo -id "$id" | sed -n 's/.*Absolute upper-left Y: *//p')
  w=$(xwininfo -id "$id" | sed -n 's/.*Width: *//p')
  h=$(xwininfo -id "$id" | sed -n 's/.*Height: *//p')
  # left, right, top, bottom
  read -r -a extents < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= *//; s/,/ /g')
  local geometry="$((w + extents[0] + extents[1]))x$((h + extents[2] + extents[3]))+$((x - extents[0]))+$((y - extents[2]))"
  import -display "$DISPLAY" -window root "$work/screen.png"
  convert "$work/screen.png" -crop "$geometry" +repage "$out/$name$suffix.png"
  echo "screenshots: docs/screenshots/$name$suffix.png ($geometry)"
}

# The practice window stands in for the game, so the configuration dialog says where lines go.
"$wine" "$build/bin/fakegame.exe" --at $((720 * dpi / 96)),$((40 * dpi / 96)) >/dev/null 2>&1 &
practice_pid=$!
trap 'kill $practice_pid 2>/dev/null || true; kill $wm_pid 2>/dev/null || true; wine_env_stop' EXIT

(cd "$run" && exec "$wine" ./parlo.exe) >/dev/null 2>&1 &
parlo_pid=$!

main=$(winctl wait main 20000) || { echo "screenshots: Parlo showed no window" >&2; exit 1; }
shoot "$main" main

for dialog in config about; do
  if ! winctl open "$dialog" || ! title=$(winctl wait "$dialog" 8000); then
    echo "screenshots: no $dialog window in this build; docs/screenshots/$dialog$suffix.png skipped"
    continue
  fi
  shoot "$title" "$dialog"
  winctl close "$dialog" || true
  for _ in $(seq 1 100); do winctl wait "$dialog" 0 >/dev/null || break; sleep 0.1; done
done

frame() {  # left top right bottom of a window with its frame
  local x y w h e
  x=$(xwininfo -id "$1" | sed -n 's/.*Absolute upper-left X: *//p')
  y=$(xwininfo -id "$1" | sed -n 's/.*Absolute upper-left Y: *//p')
  w=$(xwininfo -id "$1" | sed -n 's/.*Width: *//p')
  h=$(xwininfo -id "$1" | sed -n 's/.*Height: *//p')
  read -r -a e < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= *//; s/,/ /g')
  echo "$((x - e[0])) $((y - e[2])) $((x + w + e[1])) $((y + h + e[3]))"
}

# Quick Say over the practice window, moved clear of the main window: the key pressed in the
# practice window, a word typed. The picture holds both windows, as the box may be the larger.
practice_id=$(xdotool search --name "Ultima Online - practice" | head -n 1)
if [ -n "$practice_id" ]; then
  xdotool windowmove --sync "$practice_id" $((460 * dpi / 96)) $((60 * dpi / 96)) >/dev/null 2>&1 || true
  xdotool windowactivate --sync "$practice_id" >/dev/null 2>&1 || true
  sleep 0.5
  xdotool key ctrl+shift+q
  if winctl wait quicksay 8000 >/dev/null; then
    xdotool type --delay 80 "guards"
    sleep 1
    box_id=$(xdotool getactivewindow)
    read -r ax ay ar ab < <(frame "$practice_id")
    read -r bx by br bb < <(frame "$box_id")
    l=$((ax < bx ? ax : bx)) t=$((ay < by ? ay : by)) r=$((ar > br ? ar : br)) b=$((ab > bb ? ab : bb))
    import -display "$DISPLAY" -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$out/quick-say$suffix.png"
    echo "screenshots: docs/screenshots/quick-say$suffix.png ($((r - l))x$((b - t))+$l+$t)"
    xdotool key Escape
  else
    echo "screenshots: no Quick Say box in this build; docs/screenshots/quick-say$suffix.png skipped"
  fi
fi

# Lines imported from a client's macros.xml through the grid's menu and the Open dialog, which
# starts in Parlo's folder (the practice window is no modern client): the book's new section and
# the message about it. The picture holds the main window and the message.
printf '%s\r\n' '<?xml version="1.0" encoding="utf-8" standalone="yes"?>' '<macros>' \
  '	<macro name="Greet" key="0" mousebutton="0" wheelscroll="False" wheelup="False" alt="False" ctrl="False" shift="False">' \
  '		<actions>' \
  '			<action code="1" subcode="0" submenutype="0" text="Well met, traveller!" />' \
  '			<action code="2" subcode="0" submenutype="0" text="bows" />' \
  '		</actions>' '	</macro>' \
  '	<macro name="Bank" key="0" mousebutton="0" wheelscroll="False" wheelup="False" alt="False" ctrl="False" shift="False">' \
  '		<actions>' '			<action code="1" subcode="0" submenutype="0" text="bank" />' '		</actions>' '	</macro>' \
  '	<macro name="Help" key="0" mousebutton="0" wheelscroll="False" wheelup="False" alt="False" ctrl="False" shift="False">' \
  '		<actions>' '			<action code="4" subcode="0" submenutype="0" text="Guards! Help!" />' '		</actions>' '	</macro>' \
  '</macros>' >"$run/macros.xml"
main_id=$(xdotool search --name "^$main\$" | head -n 1)
if [ -n "$main_id" ]; then
  xdotool windowactivate --sync "$main_id" >/dev/null 2>&1 || true
  mx=$(xwininfo -id "$main_id" | sed -n 's/.*Absolute upper-left X: *//p')
  my=$(xwininfo -id "$main_id" | sed -n 's/.*Absolute upper-left Y: *//p')
  xdotool mousemove $((mx + 200 * dpi / 96)) $((my + 300 * dpi / 96)) click 3
  sleep 0.5
  xdotool key Up Return
  if winctl wait importdialog 8000 >/dev/null; then
    sleep 1
    import -display "$DISPLAY" -window root "$work/open-dialog.png"
    xdotool type --delay 40 "macros.xml"
    xdotool key Return
  fi
  if winctl wait importbox 8000 >/dev/null; then
    sleep 1
    box_id=$(xdotool getactivewindow)
    read -r ax ay ar ab < <(frame "$main_id")
    read -r bx by br bb < <(frame "$box_id")
    l=$((ax < bx ? ax : bx)) t=$((ay < by ? ay : by)) r=$((ar > br ? ar : br)) b=$((ab > bb ? ab : bb))
    import -display "$DISPLAY" -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$out/import$suffix.png"
    echo "screenshots: docs/screenshots/import$suffix.png ($((r - l))x$((b - t))+$l+$t)"
    xdotool key Return
  else
    echo "screenshots: no import in this build; docs/screenshots/import$suffix.png skipped"
  fi
fi

# Two practice windows titled for two characters, a book for each: Parlo opens the book of the
# one in front. The picture holds the three windows, Bob's client in front and his book open.
printf '[PARLO!]\r\nhi\tWell met, friend!\r\nbow\t: bows deeply\r\n' >"$run/sayAlice.txt"
printf '[PARLO!]\r\nhail\tHail and well met!\r\nbank\tbank\r\n' >"$run/sayBob.txt"
for who in Alice Bob; do
  at=$([ "$who" = Alice ] && echo "$((20 * dpi / 96)),$((20 * dpi / 96))" || echo "$((60 * dpi / 96)),$((300 * dpi / 96))")
  "$wine" "$build/bin/fakegame.exe" --title "Ultima Online - $who (Practice)" --at "$at" >/dev/null 2>&1 &
done
alice_id="" bob_id=""
for _ in $(seq 1 100); do
  alice_id=$(xdotool search --name "Ultima Online - Alice" | head -n 1) || true
  bob_id=$(xdotool search --name "Ultima Online - Bob" | head -n 1) || true
  [ -n "$alice_id" ] && [ -n "$bob_id" ] && break
  sleep 0.1
done
main_id=$(xdotool search --name "^$main\$" | head -n 1) || true
if [ -n "$alice_id" ] && [ -n "$bob_id" ] && [ -n "$main_id" ]; then
  # The plain practice window of the pictures above out of the way.
  [ -z "$practice_id" ] || xdotool windowminimize --sync "$practice_id" >/dev/null 2>&1 || true
  xdotool windowmove --sync "$main_id" $((660 * dpi / 96)) $((120 * dpi / 96)) >/dev/null 2>&1 || true
  xdotool windowactivate --sync "$alice_id" >/dev/null 2>&1 || true
  sleep 1.5
  xdotool windowactivate --sync "$bob_id" >/dev/null 2>&1 || true
  sleep 1.5
  read -r ax ay ar ab < <(frame "$alice_id")
  read -r bx by br bb < <(frame "$bob_id")
  read -r mx my mr mb < <(frame "$main_id")
  l=$((ax < bx ? ax : bx)) t=$((ay < my ? ay : my)) r=$((mr > br ? mr : br)) b=$((bb > mb ? bb : mb))
  import -display "$DISPLAY" -window root "$work/screen.png"
  convert "$work/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$out/characters$suffix.png"
  echo "screenshots: docs/screenshots/characters$suffix.png ($((r - l))x$((b - t))+$l+$t)"
fi

# Closed as a player closes it, so Parlo ends normally.
winctl close main || true
for _ in $(seq 1 100); do kill -0 "$parlo_pid" 2>/dev/null || break; sleep 0.1; done
kill "$parlo_pid" 2>/dev/null || true
