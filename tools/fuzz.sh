#!/usr/bin/env bash
# Runs one fuzz target for longer than the test command does, from its committed corpus, and
# merges the inputs that reach new code back into that corpus.
#
#   tools/fuzz.sh TARGET SECONDS        run for SECONDS
#   tools/fuzz.sh TARGET -runs=N        run for N executions
#
# TARGET is a name from fuzz/ (formtext_fuzz, watrans_fuzz, aniicon_core_fuzz, imagefile_fuzz).
# The run's findings go to build/fuzz/TARGET-crash-*; the merged corpus is fuzz/corpus/TARGET,
# ready to commit. Prints the executions, the coverage and how many inputs the merge added.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${WAKORA_BUILD:-$root/build}

if [ $# -ne 2 ]; then
  sed -n '2,10p' "$0"
  exit 2
fi
target=$1
limit=$2
case "$limit" in
  -runs=*) budget=("$limit") ;;
  *[!0-9]* | '')
    echo "fuzz.sh: SECONDS must be a whole number, or -runs=N" >&2
    exit 2
    ;;
  *) budget=("-max_total_time=$limit") ;;
esac
if [ ! -f "fuzz/$target.cpp" ]; then
  echo "fuzz.sh: no fuzz target fuzz/$target.cpp" >&2
  exit 2
fi

# shellcheck source=tools/configure.sh
source tools/configure.sh

bash tools/setup.sh
wakora_configure fuzz "$build/fuzz" >/dev/null
cmake --build "$build/fuzz" --target "$target" -j"$(nproc)" >/dev/null

exe=$build/fuzz/fuzz/$target
# A target that writes its input to files (the language loader) runs several times faster on
# a memory file system.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
corpus=$root/fuzz/corpus/$target
work=$build/fuzz/long-$target
log=$build/fuzz/long-$target.txt
mkdir -p "$corpus"
rm -rf "$work"
mkdir -p "$work"
cp -r "$corpus/." "$work/"

before=$(find "$corpus" -type f | wc -l)
"$exe" "${budget[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/fuzz/$target-crash-" "$work" >"$log" 2>&1 || {
  echo "fuzz $target FOUND SOMETHING; see $log"
  tail -30 "$log"
  exit 1
}
# Only the inputs that reach code the committed ones do not are kept.
"$exe" -merge=1 "$corpus" "$work" >"$log.merge" 2>&1
after=$(find "$corpus" -type f | wc -l)

runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' || echo '?')
coverage=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
seconds=$(grep -Eo 'in [0-9]+ second' "$log" | grep -Eo '[0-9]+' || echo '?')
echo "fuzz $target: $runs executions in ${seconds}s, $coverage, nothing found;" \
  "corpus $before -> $after inputs"
