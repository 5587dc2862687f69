#!/usr/bin/env bash
# Runs the benchmarks of a bench build: scripts/bench.sh BENCH, where BENCH holds the
# native/ and windows/ trees (see "make bench").
set -euo pipefail
bench=$(realpath "${1:?bench build folder}")
scripts=$(dirname "$(realpath "$0")")

# Settings file: the save after one photo, append path against whole rewrite, under Wine.
(
  world=$bench/windows/wine
  "$scripts/wine-session.sh" start "$world"
  trap '"$scripts/wine-session.sh" stop "$world"' EXIT
  "$scripts/wine-run.sh" "$world" "$bench/windows/bin/settings_save_bench.exe"
)
