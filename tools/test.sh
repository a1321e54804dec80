#!/usr/bin/env bash
# Builds and runs every test: native (ASan/UBSan), under Wine (i686), and bounded fuzz runs.
# Ends with one summary line: "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${WAKORA_BUILD:-$root/build}
fuzz_seconds=${WAKORA_FUZZ_SECONDS:-20}
jobs=${WAKORA_JOBS:-$(nproc)}
# shellcheck source=tools/configure.sh
source tools/configure.sh

bash tools/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
log=$build/test-logs
mkdir -p "$log"

# Adds the counts of a ctest run to the totals.
count_ctest() {
  local out=$1 total fails
  total=$(grep -Eo 'tests failed out of [0-9]+' "$out" | grep -Eo '[0-9]+$' | tail -1)
  fails=$(grep -Eo '[0-9]+ tests failed out of' "$out" | grep -Eo '^[0-9]+' | tail -1)
  total=${total:-0}
  fails=${fails:-0}
  if [ "$total" -eq 0 ]; then fails=1; fi
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}

step() {
  echo "== $*"
}

# 1. Native: the portable code under the sanitizers.
step "native build"
if wakora_configure native "$build/native" >"$log/native-configure.txt" 2>&1 &&
  cmake --build "$build/native" -j"$jobs" >"$log/native-build.txt" 2>&1; then
  step "native tests"
  ctest --test-dir "$build/native" -j"$jobs" --output-on-failure 2>&1 | tee "$log/native-ctest.txt" |
    grep -E 'tests passed|Failed|\*\*\*' || true
  count_ctest "$log/native-ctest.txt"
else
  tail -40 "$log/native-build.txt"
  failed=$((failed + 1))
fi

# 2. Cross: everything, tests under Wine in a private desktop.
step "i686 build"
if wakora_configure win32 "$build/win32" >"$log/win32-configure.txt" 2>&1 &&
  cmake --build "$build/win32" -j"$jobs" >"$log/win32-build.txt" 2>&1; then
  step "Wine tests"
  export WAKORA_WINE_DIR=$build/wine-test WAKORA_DISPLAY=private
  tools/wine.sh stop
  tools/wine.sh start
  ctest --test-dir "$build/win32" --output-on-failure --timeout 300 2>&1 |
    tee "$log/win32-ctest.txt" | grep -E 'tests passed|Failed|\*\*\*' || true
  tools/wine.sh stop
  count_ctest "$log/win32-ctest.txt"
else
  tail -40 "$log/win32-build.txt"
  failed=$((failed + 1))
fi

# 3. Fuzz: each target for a bounded time from its committed seed corpus; it must find nothing.
step "fuzz build"
if wakora_configure fuzz "$build/fuzz" >"$log/fuzz-configure.txt" 2>&1 &&
  cmake --build "$build/fuzz" -j"$jobs" >"$log/fuzz-build.txt" 2>&1; then
  for exe in "$build"/fuzz/fuzz/*_fuzz; do
    [ -x "$exe" ] || continue
    name=$(basename "$exe")
    corpus=$build/fuzz/corpus-$name
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp -r "$root/fuzz/corpus/$name/." "$corpus/" 2>/dev/null || true
    if "$exe" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$build/fuzz/$name-" "$corpus" >"$log/$name.txt" 2>&1; then
      runs=$(grep -Eo 'Done [0-9]+ runs' "$log/$name.txt" | grep -Eo '[0-9]+')
      echo "fuzz $name: ${runs:-?} executions in ${fuzz_seconds}s, nothing found"
      passed=$((passed + 1))
    else
      echo "fuzz $name FAILED:"
      tail -30 "$log/$name.txt"
      failed=$((failed + 1))
    fi
  done
else
  tail -40 "$log/fuzz-build.txt"
  failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
