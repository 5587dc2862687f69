#!/usr/bin/env bash
# A session after a crash starts clean: a test program that crashes after writing registry
# keys and files leaves them in its world; stopping and starting the world again removes
# them all.
#   clean-world.sh WORLD harness_probe.exe
set -euo pipefail
world=$(realpath -m "${1:?world folder}")
probe=${2:?probe program}
scripts=$(dirname "$(realpath "$0")")/../../scripts
trap '"$scripts/wine-session.sh" stop "$world"' EXIT

leftovers() {
  grep -l -s 'HarnessProbe' "$world/prefix/user.reg" "$world/prefix/system.reg" || true
  find "$world/home" "$world/prefix/drive_c/ProgramData" -name 'HarnessProbe.*' 2>/dev/null || true
}

"$scripts/wine-session.sh" start "$world"
if "$scripts/wine-test.sh" "$world" "$probe" --gtest_filter=HarnessProbe.LeavesStateAndCrashes >/dev/null; then
  echo "clean-world: the crashing probe was judged passed"
  exit 1
fi
"$scripts/wine-session.sh" stop "$world"   # the wineserver writes the registry files
found=$(leftovers)
if [[ $(wc -l <<<"$found") -ne 4 ]]; then
  echo "clean-world: the probe should have left two registry files and two files behind, found:"
  echo "$found"
  exit 1
fi

"$scripts/wine-session.sh" start "$world"
found=$(leftovers)
if [[ -n $found ]]; then
  echo "clean-world: the new session still holds what the crash left:"
  echo "$found"
  exit 1
fi
echo "clean-world: passed"
