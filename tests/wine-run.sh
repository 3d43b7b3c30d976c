#!/usr/bin/env bash
# Runs a Windows test program under wine64: ctest's cross-compiling emulator.
# One prefix serves a whole test run; it is made on first use.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || wine=/usr/lib/wine/wine64

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    [ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot -i >/dev/null 2>&1
    # wineboot returns before the registry is on disk.
    "$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w
  ) 9>"$WINEPREFIX.lock"
fi

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$wine" "$@"
fi
exec "$wine" "$@"
