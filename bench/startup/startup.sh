#!/usr/bin/env bash
# The start-up benchmark: the program from the download against a bare Win32 window that does
# the same visible work, started alternately in one warm Wine prefix; run by hand.
#
#   bench/startup/startup.sh [RUNS]     (default 9; at least 7)
#
# Prints every run and the medians of the time to a visible window and of the resident memory,
# with the program's ratios to the bare window.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
build=${WAKORA_BUILD:-$root/build}
runs=${1:-9}
if [ "$runs" -lt 7 ]; then
  echo "startup.sh: at least 7 runs" >&2
  exit 2
fi

bash tools/setup.sh
cmake -S . -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE=cmake/i686-mingw.cmake \
  "-DCMAKE_CROSSCOMPILING_EMULATOR=$root/tools/wine.sh;exec" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/win32" --target dist BareWindow StartupTimer -j"$(nproc)" >/dev/null

# Both programs run from one folder with the language files and sounds, as a user has them.
folder=$build/startup-bench
rm -rf "$folder"
mkdir -p "$folder"
cp "$build"/win32/dist/* "$folder/"
cp "$build/win32/bench/startup/BareWindow.exe" "$folder/"

export WAKORA_WINE_DIR=$build/wine-bench WAKORA_DISPLAY=private
tools/wine.sh start
trap 'tools/wine.sh stop' EXIT
# One start of each first: the first start writes the active language and warms the prefix.
tools/wine.sh exec "$build/win32/bench/startup/StartupTimer.exe" 1 "$folder/Wakora.exe" \
  "$folder/BareWindow.exe" >/dev/null
tools/wine.sh exec "$build/win32/bench/startup/StartupTimer.exe" "$runs" "$folder/Wakora.exe" \
  "$folder/BareWindow.exe"
