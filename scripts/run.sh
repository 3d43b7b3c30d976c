#!/usr/bin/env bash
# Builds the applet and runs it under Wine beside the stand-in status
# publisher, on a virtual display when there is none: the shipped i686 exe
# where the kernel runs 32-bit code, the x86_64 one otherwise. Change the
# status from another shell with: scripts/korvapub.sh set enabled|disabled|unknown
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
source scripts/wine-env.sh
preset=$(velmo_run_preset)
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target velmo korvapub

velmo_prepare_wine
velmo_start_display
# On our own virtual display no window manager draws the frames: Wine does.
[ -z "$VELMO_XVFB_PID" ] || velmo_unmanaged_windows
echo "DISPLAY=$DISPLAY  WINEPREFIX=$WINEPREFIX  build/$preset/velmo.exe"

"$WINE" "build/$preset/korvapub.exe" serve --status "${VELMO_STATUS:-enabled}" </dev/null &
publisher=$!
cleanup() {
  "$WINE" "build/$preset/korvapub.exe" stop >/dev/null 2>&1 || kill "$publisher" 2>/dev/null || true
  [ -z "$VELMO_XVFB_PID" ] || kill "$VELMO_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1
# VELMO_LOCALE=ja_JP.UTF-8 runs it in Japanese: Wine takes the language from LC_ALL.
LC_ALL=${VELMO_LOCALE:-${LC_ALL:-}} "$WINE" "build/$preset/velmo.exe"
