#!/usr/bin/env bash
# The one way this project runs Windows programs: a private 32-bit Wine prefix under the
# build folder, a private Xvfb display (unless one is given), a Wine desktop of 1024x700
# with a taskbar and a notification area, and a warm wineserver.
#
#   tools/wine.sh start           prefix, display, desktop and wineserver; prints nothing
#   tools/wine.sh exec PROG ARGS  runs a Windows program there (the test emulator)
#   tools/wine.sh shot FILE.png   screenshot of the whole display
#   tools/wine.sh stop            ends the wineserver, the desktop and our Xvfb
#   tools/wine.sh env             prints the environment, for `eval`
#
# WAKORA_WINE_DIR (default: build/wine) holds the prefix and the state of a started session.
# WAKORA_DISPLAY=private forces a private Xvfb even when DISPLAY is set.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
state=${WAKORA_WINE_DIR:-$root/build/wine}
mkdir -p "$state"
state=$(cd "$state" && pwd)

export WINEPREFIX=$state/prefix
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko installer, ever.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
desktop_name=Wakora
desktop_size=1024x700

load_state() {
  if [ -f "$state/display" ]; then
    DISPLAY=$(cat "$state/display")
    export DISPLAY
  fi
  null_sound
}

# A machine without a sound card (a server, CI) still gives Wine an output device, a null one,
# so that the sound calls meet a device that judges wave formats, as on a desktop.
null_sound() {
  if [ ! -e /proc/asound/card0 ] && [ -f /usr/share/alsa/alsa.conf ]; then
    printf '</usr/share/alsa/alsa.conf>\npcm.!default {\n  type null\n}\n' >"$state/alsa.conf"
    export ALSA_CONFIG_PATH=$state/alsa.conf
  fi
}

start_display() {
  if [ -n "${DISPLAY:-}" ] && [ "${WAKORA_DISPLAY:-}" != private ]; then
    echo "$DISPLAY" >"$state/display"
    return
  fi
  if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    return
  fi
  exec 9>"$state/xvfb.fd"
  Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do
    [ -s "$state/xvfb.fd" ] && break
    sleep 0.05
  done
  exec 9>&-
  echo ":$(tr -d '\n' <"$state/xvfb.fd")" >"$state/display"
}

prefix_version=2

create_prefix() {
  [ "$(cat "$WINEPREFIX/.wakora-ready" 2>/dev/null)" = "$prefix_version" ] && return
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    # Wine's services inherit our output and outlive this call: send it nowhere.
    wineboot -i >/dev/null 2>&1 </dev/null
    wineserver -w
  fi
  # Every program of this prefix opens in one shared desktop with a taskbar and tray.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$desktop_name" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$desktop_name" /d "$desktop_size" /f \
    >/dev/null 2>&1
  wine reg add "HKCU\\Software\\Wine\\Explorer\\Desktops\\$desktop_name" /v EnableShell \
    /t REG_DWORD /d 1 /f >/dev/null 2>&1
  wineserver -w
  echo "$prefix_version" >"$WINEPREFIX/.wakora-ready"
}

cmd=${1:-}
shift || true
case "$cmd" in
  start)
    start_display
    load_state
    create_prefix
    # Refused when this prefix's server runs already: then it is warm.
    wineserver -p >/dev/null 2>&1 </dev/null || true
    if ! { [ -f "$state/desktop.pid" ] && kill -0 "$(cat "$state/desktop.pid")" 2>/dev/null; }; then
      setsid wine explorer "/desktop=$desktop_name,$desktop_size" >/dev/null 2>&1 </dev/null &
      echo $! >"$state/desktop.pid"
      sleep 1
    fi
    ;;
  exec)
    load_state
    exec wine "$@"
    ;;
  shot)
    load_state
    import -window root "$1"
    ;;
  env)
    load_state
    echo "export WINEPREFIX='$WINEPREFIX' WINEARCH=win32 WINEDEBUG=-all DISPLAY='${DISPLAY:-}'"
    if [ -n "${ALSA_CONFIG_PATH:-}" ]; then echo "export ALSA_CONFIG_PATH='$ALSA_CONFIG_PATH'"; fi
    echo "export WINEDLLOVERRIDES='$WINEDLLOVERRIDES'"
    ;;
  stop)
    load_state
    wineserver -k >/dev/null 2>&1 || true
    for f in desktop xvfb; do
      if [ -f "$state/$f.pid" ]; then
        kill "$(cat "$state/$f.pid")" 2>/dev/null || true
        rm -f "$state/$f.pid"
      fi
    done
    rm -f "$state/display"
    ;;
  *)
    sed -n '2,13p' "$0"
    exit 2
    ;;
esac
