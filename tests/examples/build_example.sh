#!/usr/bin/env bash
# Installs the package from a cross build into a fresh folder, checks that the installed headers
# include only installed headers, configures and builds examples/hello-gauge against it, and
# runs it under Wine through the check program.
#   build_example.sh BUILD_DIR SOURCE_DIR CHECK_EXE
set -euo pipefail
build=$1 source=$2 check=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/weft-example.XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/weft" >"$work/install.txt"

missing=0
while IFS= read -r header; do
  while IFS= read -r included; do
    if [ ! -f "$work/weft/include/$included" ]; then
      echo "${header#"$work"/weft/include/} includes $included, which the package lacks"
      missing=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$header")
done < <(find "$work/weft/include" -name '*.h')
[ "$missing" -eq 0 ]

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$source/examples/hello-gauge" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$source/cmake/i686-mingw.cmake" -DCMAKE_PREFIX_PATH="$work/weft" \
  "${launcher[@]}" >"$work/configure.txt" || { cat "$work/configure.txt"; exit 1; }
cmake --build "$work/build" >"$work/build.txt" 2>&1 || { cat "$work/build.txt"; exit 1; }

"$source/tools/wine.sh" exec "$check" "Z:$work/build"
