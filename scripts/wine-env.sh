# Sourced by the scripts that run Windows programs. Provides:
#   wine_env_start PREFIX_DIR   start Xvfb on a free display (unless keep_display is set and a
#                               DISPLAY exists), prepare the prefix, start a persistent wineserver
#   wine_env_stop               stop exactly what wine_env_start started
# Wine facts behind this: without a window manager every window close costs about 2 s unless
# the X11 driver runs unmanaged; a persistent wineserver makes each start about 0.1 s.

WINE_ENV_XVFB_PID=""

wine_env_free_display() {
  local n
  for n in $(seq 90 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then echo "$n"; return 0; fi
  done
  return 1
}

wine_env_start() {
  local prefix="$1"
  export WINEDEBUG=-all
  export WINEPREFIX="$prefix"
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ -z "${WINE_ENV_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    local n
    n=$(wine_env_free_display) || { echo "wine-env: no free X display" >&2; return 1; }
    # WINE_ENV_SCREEN (e.g. 2560x2048x24) and WINE_ENV_SCREEN_DPI change the virtual screen.
    Xvfb ":$n" -screen 0 "${WINE_ENV_SCREEN:-1280x1024x24}" ${WINE_ENV_SCREEN_DPI:+-dpi "$WINE_ENV_SCREEN_DPI"} \
      -nolisten tcp >/dev/null 2>&1 &
    WINE_ENV_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    export DISPLAY=":$n"
  fi
  mkdir -p "$prefix"
  if [ ! -f "$prefix/.parlo-ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$prefix/.parlo-ready"
  fi
  wineserver -p >/dev/null 2>&1 || true
  # Start the prefix's services now, detached from any caller's pipes: otherwise the first program
  # a test runner starts spawns them with its stdout, and the runner waits for that pipe forever.
  /usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null || true
}

wine_env_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$WINE_ENV_XVFB_PID" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
    WINE_ENV_XVFB_PID=""
  fi
}
