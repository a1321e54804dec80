#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine.
# Idempotent: packages already present are skipped, so a second run costs a second.
set -euo pipefail

packages=(
  wine wine32:i386 wine64 fonts-wine
  g++-mingw-w64-i686 cmake make
  xvfb xauth xdotool imagemagick
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  zip unzip python3 locales
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  echo "setup: installing ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The window's tests run under a Russian and a Japanese locale as well, where Wine's ANSI code
# page is 1251 and 932: the locales must exist on the machine.
for name in ru_RU ja_JP; do
  if ! locale -a 2>/dev/null | grep -qix "$name.utf8"; then
    echo "setup: making the locale $name.UTF-8" >&2
    $sudo localedef -i "$name" -f UTF-8 "$name.UTF-8"
  fi
done
