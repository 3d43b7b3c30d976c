#!/usr/bin/env bash
# ctest's cross-compiling emulator: wine-run.sh PREFIX PROGRAM [ARGS...] runs
# a test program under wine64 in PREFIX, which serves the build's whole test
# run and is made on first use.
set -euo pipefail
export WINEPREFIX=$1
shift
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/scripts/wine-env.sh"
mkdir -p "$(dirname "$WINEPREFIX")"
( flock 9; velmo_prepare_wine >/dev/null; velmo_unmanaged_windows ) 9>"$WINEPREFIX.lock"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$WINE" "$@"
fi
exec "$WINE" "$@"
