#!/usr/bin/env bash
# Runs every benchmark of a bench build and prints its results.
#   bench.sh BENCH_FOLDER     (holds native/ and windows/ trees, see `make bench`)
# Benchmarks are the executables named *_bench (native) and *_bench.exe (Windows, run in
# a private Wine world that is stopped again afterwards).
set -euo pipefail
root=$(realpath "${1:?bench build folder}")
here=$(dirname "$(realpath "$0")")
status=0

mapfile -t native < <(find "$root/native" -type f -name '*_bench' -perm -u+x 2>/dev/null | sort)
for b in "${native[@]}"; do
  echo "== $(basename "$b")"
  timeout -k 10 900 "$b" || status=1
done

mapfile -t windows < <(find "$root/windows" -type f -name '*_bench.exe' 2>/dev/null | sort)
if ((${#windows[@]})); then
  world=$root/windows/wine
  "$here/wine-session.sh" start "$world" >/dev/null
  trap '"$here/wine-session.sh" stop "$world" >/dev/null' EXIT
  for b in "${windows[@]}"; do
    echo "== $(basename "$b") (Wine)"
    "$here/wine-run.sh" "$world" "$b" || status=1
  done
fi
exit $status
