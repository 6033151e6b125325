#!/usr/bin/env bash
# Builds Parlo and starts it under wine64 from build/run/ (its settings and say files live there).
# With no display set, it starts a virtual one, saves a screenshot of the running program to
# build/run/parlo-screenshot.png, says so, and closes Parlo again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target parlo fakegame -j "$(nproc)" >/dev/null

run_dir="$root/build/run"
mkdir -p "$run_dir"
cp build/win64/bin/parlo.exe "$run_dir/"
[ -f "$run_dir/say-default.txt" ] || { [ -f res/say-default.txt ] && cp res/say-default.txt "$run_dir/"; } || true
[ -f build/win64/bin/fakegame.exe ] && cp build/win64/bin/fakegame.exe "$run_dir/"

source scripts/wine-env.sh
if [ -n "${DISPLAY:-}" ]; then
  export WINE_ENV_KEEP_DISPLAY=1
  wine_env_start "${WINEPREFIX:-$root/build/wineprefix-run}"
  trap wine_env_stop EXIT
  cd "$run_dir"
  /usr/lib/wine/wine64 ./parlo.exe
  exit 0
fi

# A window manager on the virtual display, so the picture shows the caption a player's desktop
# draws; unmanaged, Wine draws its own, whose buttons have no glyphs.
if ! command -v openbox >/dev/null; then
  echo "run: installing openbox"
  as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends openbox >/dev/null
fi
wine_env_start "$root/build/wineprefix-run"
wm_pid=""
trap '[ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true; wine_env_stop' EXIT
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f >/dev/null 2>&1
openbox >/dev/null 2>&1 &
wm_pid=$!
sleep 1
cd "$run_dir"
/usr/lib/wine/wine64 ./parlo.exe &
parlo_pid=$!
for _ in $(seq 1 100); do
  xdotool search --name '^Parlo!$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
shot="$run_dir/parlo-screenshot.png"
import -display "$DISPLAY" -window root "$shot"
echo "Parlo is running on the virtual display $DISPLAY; screenshot saved to $shot"
# Close it as a player would, so the settings and the phrase book are written.
xdotool search --name "^Parlo!$" windowfocus --sync key alt+F4 >/dev/null 2>&1 || true
for _ in $(seq 1 50); do kill -0 "$parlo_pid" 2>/dev/null || break; sleep 0.1; done
kill "$parlo_pid" 2>/dev/null || true
