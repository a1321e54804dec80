#!/bin/sh
# An armed alarm outlives the whole session: armed for two minutes, the Wine session is ended
# a few seconds later with no chance to save anything (wineserver -k), and a new one starts and
# runs the user's Run key as a logon does (wineboot). The alarm must ring at its moment with its
# reminder and leave no record behind.
#
#   restart.sh WINE_SH E2E_TESTS
set -eu
wine_sh=$1
tests=$2
state_dir=$(mktemp -d)
trap 'rm -rf "$state_dir"' EXIT
state="Z:$state_dir/state.txt"
eval "$("$wine_sh" env)"

# Runs one half; it must have run and passed, not been skipped.
half() {
  status=0
  WAKORA_RESTART_STATE=$state WAKORA_RESTART_HALF=$1 "$wine_sh" exec "$tests" \
    "--gtest_filter=Restart.$2" >"$state_dir/$1.txt" 2>&1 </dev/null || status=$?
  cat "$state_dir/$1.txt"
  [ "$status" -eq 0 ] && grep -q '^\[  PASSED  \] 1 test' "$state_dir/$1.txt"
}

half arm ArmsAnAlarmAndLeavesItRunning
sleep 3
wineserver -k
"$wine_sh" start
# Its services take over the output they are given: give them none.
wine wineboot >/dev/null 2>&1 </dev/null
half ring TheRestoredAlarmRingsAtItsMomentAndLeavesNoRecord
