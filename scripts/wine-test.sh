#!/usr/bin/env bash
# Runs one Windows test program under Wine (scripts/wine-run.sh) and passes it only when
# the program itself says so:
#   - it exits with status 0;
#   - its output holds the closing line it promises (by default GoogleTest's summary of at
#     least one passed test);
#   - its output holds no failed test and no sign of a crash: Wine's report of an
#     unhandled exception, a backtrace, an exception that Wine swallowed in a callback
#     (a crash inside a window procedure), or a C++ terminate.
#
#   wine-test.sh WORLD [--closing REGEX] program.exe [arguments...]
set -uo pipefail
world=${1:?world folder}
shift
closing='^\[  PASSED  \] [1-9][0-9]* tests?\.'
if [[ ${1:-} == --closing ]]; then
  closing=${2:?closing line}
  shift 2
fi
here=$(dirname "$(realpath "$0")")

log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Wine's error lines of the exception channel show crashes that Wine catches itself.
DH_WINEDEBUG=${DH_WINEDEBUG:--all,err+seh} "$here/wine-run.sh" "$world" "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}

crash='wine: Unhandled|Unhandled exception|^Backtrace:|err:seh:.*ignoring exception|terminate called|fatal fault'
verdict=()
((status == 0)) || verdict+=("exit status $status")
grep -q -a -E "$closing" "$log" || verdict+=("no closing line matching '$closing'")
grep -q -a -E '^\[  FAILED  \]' "$log" && verdict+=("a test failed")
grep -q -a -E "$crash" "$log" && verdict+=("it crashed: $(grep -a -m1 -E "$crash" "$log")")

if ((${#verdict[@]})); then
  printf 'wine-test: FAILED: %s\n' "${verdict[@]}"
  exit 1
fi
echo "wine-test: passed"
