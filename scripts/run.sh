#!/usr/bin/env bash
# Builds the applet and runs it under Wine beside the stand-in status
# publisher, on a virtual display when there is none. Change the status from
# another shell with: scripts/korvapub.sh set enabled|disabled|unknown
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target velmo korvapub

source scripts/wine-env.sh
velmo_prepare_wine
velmo_start_display
echo "DISPLAY=$DISPLAY  WINEPREFIX=$WINEPREFIX"

"$WINE" build/win64/korvapub.exe serve --status "${VELMO_STATUS:-enabled}" </dev/null &
publisher=$!
cleanup() {
  "$WINE" build/win64/korvapub.exe stop >/dev/null 2>&1 || kill "$publisher" 2>/dev/null || true
  [ -z "$VELMO_XVFB_PID" ] || kill "$VELMO_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1
"$WINE" build/win64/velmo.exe
