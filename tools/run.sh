#!/usr/bin/env bash
# Builds the program and starts it in a Wine desktop.
#
# With a DISPLAY, the desktop opens there. Without one, a private Xvfb is started; a screenshot
# is saved a few seconds after start and its path printed; the command then keeps running until
# the program ends or is interrupted.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${WAKORA_BUILD:-$root/build}

# shellcheck source=tools/configure.sh
source tools/configure.sh

bash tools/setup.sh
wakora_configure win32 "$build/win32" >/dev/null
cmake --build "$build/win32" --target dist -j"$(nproc)" >"$build/run-build.txt" 2>&1 ||
  { tail -40 "$build/run-build.txt"; exit 1; }
exe="$build/win32/dist/Wakora.exe"

export WAKORA_WINE_DIR=$build/wine-run
private=0
if [ -z "${DISPLAY:-}" ]; then
  private=1
  export WAKORA_DISPLAY=private
fi
tools/wine.sh start
trap 'tools/wine.sh stop' EXIT INT TERM

tools/wine.sh exec "$exe" >"$build/run-program.txt" 2>&1 &
pid=$!
if [ "$private" = 1 ]; then
  sleep 5
  mkdir -p "$build/screenshots"
  shot="$build/screenshots/run-$(date +%Y%m%d-%H%M%S).png"
  tools/wine.sh shot "$shot"
  echo "screenshot: $shot"
fi
wait "$pid" || true
