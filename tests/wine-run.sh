#!/usr/bin/env bash
# ctest's cross-compiling emulator: wine-run.sh PREFIX PROGRAM [ARGS...] runs
# a test program under wine64 in PREFIX, which serves the build's whole test
# run and is made on first use, on DISPLAY or on a display the prefix keeps.
set -euo pipefail
export WINEPREFIX=$1
shift
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/scripts/wine-env.sh"
mkdir -p "$(dirname "$WINEPREFIX")"
velmo_prefix_display
( flock 9; velmo_prepare_wine >/dev/null; velmo_unmanaged_windows ) 9>"$WINEPREFIX.lock"
exec "$WINE" "$@"
