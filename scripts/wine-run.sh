#!/usr/bin/env bash
# Runs a Windows program in the private Wine world WORLD (see wine-session.sh).
#   wine-run.sh WORLD program.exe [arguments...]
set -euo pipefail
world=$(realpath -m "${1:?world folder}")
shift
if [[ ! -f $world/session.env ]]; then
  echo "wine-run: no Wine session in $world (run: scripts/wine-session.sh start $world)" >&2
  exit 2
fi
# shellcheck disable=SC1091
source "$world/session.env"
export DISPLAY WINEPREFIX=$world/prefix HOME=$world/home
export WINEDEBUG=${DH_WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
exec timeout -k 10 "${DH_WINE_TIMEOUT:-900}" /usr/lib/wine/wine64 "$@"
