#!/usr/bin/env bash
# Runs the benchmarks of the bench build folder BENCH (trees BENCH/native and BENCH/windows,
# built by `make bench`). Each area adds its own block below.
#   bench.sh BENCH
set -euo pipefail
bench=$(realpath "${1:?bench build folder}")
here=$(dirname "$(realpath "$0")")

# components: frames/s through virtual camera -> effect filter -> null renderer, under Wine
# in a private world of the bench tree.
bench_components() {
  local world=$bench/windows/wine
  "$here/wine-session.sh" start "$world"
  local rc=0
  (cd "$bench/windows/bin" && "$here/wine-run.sh" "$world" ./components_bench.exe 3) 2> >(grep -v '^ALSA' >&2) || rc=$?
  "$here/wine-session.sh" stop "$world"
  return $rc
}
if [[ -x $bench/windows/bin/components_bench.exe ]]; then
  bench_components
fi
