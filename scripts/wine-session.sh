#!/usr/bin/env bash
# A private Wine world for tests and demos: an X display (Xvfb unless told to use the
# caller's), a Wine prefix with its own HOME, and a persistent wineserver.
#
#   wine-session.sh start WORLD [--display]   create or reuse WORLD/prefix, start Xvfb
#                                             (--display: use $DISPLAY instead)
#   wine-session.sh stop WORLD                end every Wine process of WORLD and its Xvfb
#
# WORLD/session.env holds the DISPLAY that scripts/wine-run.sh uses.
set -euo pipefail
cmd=${1:?start or stop}
world=$(realpath -m "${2:?world folder}")
use_display=${3:-}

export WINEPREFIX=$world/prefix
export HOME=$world/home
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer dialogs
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

stop_world() {
  if [[ -d $WINEPREFIX ]]; then
    timeout 20 "$wineserver" -k 2>/dev/null || true
    timeout 20 "$wineserver" -w 2>/dev/null || true
  fi
  if [[ -f $world/xvfb.pid ]]; then
    kill "$(cat "$world/xvfb.pid")" 2>/dev/null || true
    rm -f "$world/xvfb.pid"
  fi
  rm -f "$world/session.env"
}

start_xvfb() {
  local n
  for n in $(seq 90 190); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$world/xvfb.pid"
    for _ in $(seq 100); do
      [[ -e /tmp/.X11-unix/X$n ]] && { echo ":$n"; return 0; }
      kill -0 "$(cat "$world/xvfb.pid")" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "wine-session: no X display could be started" >&2
  return 1
}

case $cmd in
  start)
    stop_world
    mkdir -p "$world" "$HOME"
    if [[ $use_display == --display && -n ${DISPLAY:-} ]]; then
      display=$DISPLAY
    else
      display=$(start_xvfb)
    fi
    export DISPLAY=$display
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
      timeout 180 "$wine" wineboot -i >/dev/null 2>&1
      timeout 60 "$wineserver" -w
      # A crash must end the program, not wait for someone to close Wine's crash dialog.
      timeout 60 "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      # Under Xvfb the video renderers show only black through OpenGL; the GDI path of
      # Wine's Direct3D shows the picture.
      timeout 60 "$wine" reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
      timeout 60 "$wineserver" -w
    fi
    timeout 10 "$wineserver" -p >/dev/null 2>&1 || true   # keep it alive between test programs
    # Start Wine's own services now, detached from the caller's output: started by the
    # first test program instead, they would hold its output open after it ended.
    timeout 120 "$wine" wineboot >/dev/null 2>&1 </dev/null || true
    echo "DISPLAY=$display" >"$world/session.env"
    ;;
  stop)
    stop_world
    ;;
  *)
    echo "usage: $0 start|stop WORLD" >&2
    exit 2
    ;;
esac
