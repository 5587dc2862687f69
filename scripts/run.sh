#!/usr/bin/env bash
# Starts the camera program under Wine in the private world of the build folder BUILD:
# on the caller's display when there is one, else on a virtual display, where a
# screenshot is taken and its path printed.
#   run.sh BUILD
set -euo pipefail
build=$(realpath "${1:?Windows build folder}")
here=$(dirname "$(realpath "$0")")
world=$build/run
bin=$build/bin

if [[ -n ${DISPLAY:-} ]]; then
  "$here/wine-session.sh" start "$world" --display
else
  "$here/wine-session.sh" start "$world"
fi
trap '"$here/wine-session.sh" stop "$world"' EXIT

# The demo camera and the effect filter, registered in this world only.
for component in "$bin"/VirtualCamera.dll "$bin"/KorvEffect.ax; do
  [[ -f $component ]] || continue
  "$here/wine-run.sh" "$world" regsvr32 /s "$("$here/wine-run.sh" "$world" winepath -w "$component" 2>/dev/null)" || true
done

mkdir -p "$world/cwd"
cd "$world/cwd"
if [[ -n ${DISPLAY:-} ]]; then
  echo "run: starting tesk60.exe on $DISPLAY (close its window to end)"
  DH_WINE_TIMEOUT=86400 "$here/wine-run.sh" "$world" "$bin/tesk60.exe"
else
  source "$world/session.env"
  DH_WINE_TIMEOUT=60 "$here/wine-run.sh" "$world" "$bin/tesk60.exe" &
  sleep "${DH_RUN_SECONDS:-8}"
  shot=$build/tesk60-screenshot.png
  # The camera window's X window is its client area (no window manager draws a frame).
  geometry=$(DISPLAY=$DISPLAY xdotool search --limit 1 --name '^Delm Halvo$' getwindowgeometry --shell 2>/dev/null | tr '\n' ' ')
  crop=()
  if [[ $geometry =~ X=([0-9]+).*Y=([0-9]+).*WIDTH=([0-9]+).*HEIGHT=([0-9]+) ]]; then
    crop=(-crop "${BASH_REMATCH[3]}x${BASH_REMATCH[4]}+${BASH_REMATCH[1]}+${BASH_REMATCH[2]}" +repage)
  fi
  DISPLAY=$DISPLAY import -window root "${crop[@]}" "$shot"
  echo "run: no display; tesk60.exe ran on a virtual display. Screenshot: $shot"
fi
