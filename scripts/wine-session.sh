#!/usr/bin/env bash
# A private Wine world for tests and demos: an X display (Xvfb unless told to use the
# caller's), a Wine prefix with its own HOME, and a persistent wineserver.
#
#   wine-session.sh start WORLD [--display]   start WORLD from a clean prefix and an empty
#                                             HOME, and start Xvfb
#                                             (--display: use $DISPLAY instead)
#   wine-session.sh stop WORLD                end every Wine process of WORLD and its Xvfb
#
# Every start begins from the same pristine state: a template prefix, made once per build
# folder (WORLD/../wine-template) by `wineboot` and our settings, is copied over the
# world's prefix. Whatever a crashed program left behind (registry keys, files) is gone at
# the next start. The template is made again when the recipe below changes.
#
# WORLD/session.env holds the DISPLAY that scripts/wine-run.sh uses.
set -euo pipefail
cmd=${1:?start or stop}
world=$(realpath -m "${2:?world folder}")
use_display=${3:-}
template=$(dirname "$world")/wine-template

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer dialogs
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# The prefix's settings. Changing them changes the recipe's digest and so remakes the template.
configure_prefix() {
  # A crash must end the program, not wait for someone to close Wine's crash dialog.
  timeout 60 "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # Under Xvfb the video renderers show only black through OpenGL; the GDI path of
  # Wine's Direct3D shows the picture.
  timeout 60 "$wine" reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
  # No window manager runs: Wine would wait up to a second for one to withdraw every
  # managed window it hides. Unmanaged windows come and go at once.
  timeout 60 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  # No sound: the programs play none, and the sound drivers' probing of a machine without
  # a sound card only fills the output with the sound library's complaints.
  timeout 60 "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /t REG_SZ /d '' /f >/dev/null 2>&1
  # Debian's Wine 8 looks for its own fonts (Marlett for the caption buttons, Tahoma, the
  # .fon system fonts) in "<data dir>\../fonts", a path its file layer refuses, and falls
  # back to other faces without a word: the close box showed the letter "r". C:\windows\Fonts
  # is searched first; Wine's fonts are linked there.
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
}
recipe=$( { declare -f configure_prefix; "$wine" --version; } | sha1sum | cut -c1-40)

stop_server() {   # WINEPREFIX set by the caller
  [[ -d $WINEPREFIX ]] || return 0
  timeout 20 "$wineserver" -k 2>/dev/null || true
  timeout 20 "$wineserver" -w 2>/dev/null || true
}

stop_world() {
  WINEPREFIX=$world/prefix stop_server
  if [[ -f $world/xvfb.pid ]]; then
    kill "$(cat "$world/xvfb.pid")" 2>/dev/null || true
    rm -f "$world/xvfb.pid" "$world/xvfb.display"
  fi
  rm -f "$world/session.env"
}

# Makes the template unless it is there for this recipe. The worlds of one build folder
# share it, and may start at once: one makes it, the others wait on the lock.
make_template() {
  exec 9>"$template.lock"
  flock -w 300 9 || { echo "wine-session: the template is locked" >&2; return 1; }
  if [[ $(cat "$template/recipe" 2>/dev/null) != "$recipe" ]]; then
    local new=$template.new
    rm -rf "$new" "$template"
    mkdir -p "$new/home"
    (
      export WINEPREFIX=$new/prefix HOME=$new/home
      timeout 180 "$wine" wineboot -i >/dev/null 2>&1 </dev/null
      timeout 60 "$wineserver" -w
      configure_prefix
      stop_server
    )
    echo "$recipe" >"$new/recipe"
    mv "$new" "$template"
  fi
  exec 9>&-
}

# The world's prefix and HOME become a copy of the template's.
restore_world() {
  rm -rf "$world/prefix" "$world/home"
  mkdir -p "$world/home"
  cp -a "$template/prefix" "$world/prefix"
  # The user's folders (Pictures, Documents, ...) are Wine's links to HOME: to this world's.
  local link
  for link in "$world"/prefix/drive_c/users/*/*; do
    if [[ -L $link ]]; then ln -sfn "$world/home" "$link"; fi
  done
}

# Xvfb picks a free display itself (-displayfd) and reports it once it listens: worlds that
# start at the same moment can never pick the same one. The screen is large enough for the
# camera window at 200 % (1280 x 1200 and its caption).
start_xvfb() {
  local reported=$world/xvfb.display
  rm -f "$reported"
  Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$reported" >/dev/null 2>&1 &
  echo $! >"$world/xvfb.pid"
  for _ in $(seq 100); do
    if [[ -s $reported ]]; then
      echo ":$(head -n 1 "$reported")"
      return 0
    fi
    kill -0 "$(cat "$world/xvfb.pid")" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine-session: no X display could be started" >&2
  return 1
}

case $cmd in
  start)
    mkdir -p "$world"
    stop_world
    make_template
    restore_world
    export WINEPREFIX=$world/prefix HOME=$world/home
    if [[ $use_display == --display && -n ${DISPLAY:-} ]]; then
      display=$DISPLAY
    else
      display=$(start_xvfb)
    fi
    export DISPLAY=$display
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
