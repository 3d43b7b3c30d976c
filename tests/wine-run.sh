#!/usr/bin/env bash
# Runs a Windows test program under wine64: ctest's cross-compiling emulator.
# One prefix serves a whole test run; it is made on first use.
set -euo pipefail
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/scripts/wine-env.sh"
mkdir -p "$(dirname "$WINEPREFIX")"
( flock 9; velmo_prepare_wine >/dev/null ) 9>"$WINEPREFIX.lock"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$WINE" "$@"
fi
exec "$WINE" "$@"
