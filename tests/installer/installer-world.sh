#!/usr/bin/env bash
# Runs the setup program's test in a fresh world of its own, stopped again afterwards.
#   installer-world.sh WORLD installer_tests.exe
set -euo pipefail
world=$(realpath -m "${1:?world folder}")
program=${2:?test program}
scripts=$(dirname "$(realpath "$0")")/../../scripts
trap '"$scripts/wine-session.sh" stop "$world"' EXIT
"$scripts/wine-session.sh" start "$world"
"$scripts/wine-test.sh" "$world" "$program"
