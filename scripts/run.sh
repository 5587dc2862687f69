#!/usr/bin/env bash
# The demo: the camera program and the camera button utility under Wine, in the private
# world of the build folder BUILD, on the virtual camera and the simulated camera driver.
#  - With a display: both run on it until the camera window is closed.
#  - Without one: on a virtual display, demo_tour.exe takes two photos with real clicks and
#    presses the camera's button; a screenshot of both windows is written and its path
#    printed.
#   run.sh BUILD        (DH_DEMO_SHOT=path.png|.jpg chooses where the screenshot goes;
#                        DH_DPI=144 shows both programs at 150 %, 192 at 200 %)
set -euo pipefail
build=$(realpath "${1:?Windows build folder}")
[[ -z ${DH_DEMO_SHOT:-} ]] || DH_DEMO_SHOT=$(realpath -m "$DH_DEMO_SHOT")
here=$(dirname "$(realpath "$0")")
world=$build/run
bin=$build/bin
say() { echo "run: $*"; }

if [[ -n ${DISPLAY:-} ]]; then
  "$here/wine-session.sh" start "$world" --display >/dev/null
else
  "$here/wine-session.sh" start "$world" >/dev/null
fi
trap '"$here/wine-session.sh" stop "$world" >/dev/null 2>&1' EXIT
wine() { "$here/wine-run.sh" "$world" "$@"; }

# The display's scale, as the programs read it when they start.
if [[ -n ${DH_DPI:-} ]]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DH_DPI" /f >/dev/null 2>&1
fi

# The demo camera, its driver, the effect filter and an MJPEG decompressor, in this world only.
for component in VirtualCamera.dll KorvEffect.ax MjpegDecompressor.ax; do
  wine regsvr32 /s "$(wine winepath -w "$bin/$component" 2>/dev/null)"
done
wine "$bin/SimulatedDriver.exe" install uvc >/dev/null

# Each demo starts without photos (the Pictures folder is in the world's HOME, emptied too).
rm -rf "$world/cwd" && mkdir -p "$world/cwd"
cd "$world/cwd"
DH_WINE_TIMEOUT=86400 wine "$bin/DelmHalvoUVC.exe" &

if [[ -n ${DISPLAY:-} ]]; then
  say "the camera window opens on $DISPLAY; close it to end."
  say "the camera's button: $here/wine-run.sh $world $bin/SimulatedDriver.exe press (release to let go)"
  DH_WINE_TIMEOUT=86400 wine "$bin/tesk60.exe" || true
  exit 0
fi

say "no display: running on a virtual display"
DH_WINE_TIMEOUT=120 wine "$bin/tesk60.exe" &
tour=$(DH_WINE_TIMEOUT=90 wine "$bin/demo_tour.exe" | tr -d '\r') || {
  echo "$tour"
  say "the demo did not get through; see the lines above"
  exit 1
}
grep -v '^area ' <<<"$tour" || true
shot=$(realpath -m "${DH_DEMO_SHOT:-$build/delm-halvo-demo.png}")
crop=()
if [[ $tour =~ area\ ([0-9]+)x([0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) ]]; then
  crop=(-crop "${BASH_REMATCH[1]}x${BASH_REMATCH[2]}+${BASH_REMATCH[3]}+${BASH_REMATCH[4]}" +repage)
fi
source "$world/session.env"
DISPLAY=$DISPLAY import -window root "${crop[@]}" -quality 90 "$shot"
say "screenshot of the camera window and the camera panel: $shot"
