# The configure step of the three build trees, shared by run.sh, test.sh and fuzz.sh: source it,
# then call `wakora_configure TREE DIR` with TREE one of native, win32 or fuzz. Needs $root.
#   native  the portable code and its tests under ASan and UBSan
#   win32   everything, cross-built for i686; its tests run through tools/wine.sh
#   fuzz    the libFuzzer targets, built with clang
wakora_configure() {
  local tree=$1 dir=$2
  # A compiler cache, where the machine has one, makes a second tree (a worktree, a clean clone)
  # cost little more than its link steps.
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  case "$tree" in
    native)
      cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}"
      ;;
    win32)
      cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-mingw.cmake" \
        "-DCMAKE_CROSSCOMPILING_EMULATOR=$root/tools/wine.sh;exec" -DCMAKE_BUILD_TYPE=Release \
        "${launcher[@]}"
      ;;
    fuzz)
      CXX=clang++ CC=clang cmake -S "$root" -B "$dir" -DWAKORA_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
      ;;
    *)
      echo "wakora_configure: no tree $tree" >&2
      return 2
      ;;
  esac
}
