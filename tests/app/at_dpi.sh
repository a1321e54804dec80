#!/bin/sh
# Runs a Windows program (a test) with Wine's screen at DPI pixels per inch, then puts 96
# back, also when the program fails or is stopped.
#   at_dpi.sh DPI WINE_SH PROGRAM ARGS...
dpi=$1
wine=$2
shift 2
set_dpi() {
  "$wine" exec reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1
}
trap 'set_dpi 96' EXIT INT TERM
set_dpi "$dpi"
WAKORA_EXPECT_DPI=$dpi "$wine" exec "$@"
