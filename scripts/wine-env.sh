# Sourced by the run and test scripts: one Wine prefix for the checkout and a
# virtual display when there is none.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$repo/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$WINE" ] || WINE=/usr/lib/wine/wine64
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

# Whether the shipped i686 exe can run here, as scripts/install-deps.sh found.
velmo_runs_32bit() {
  [ "$(cat "$repo/build/runs32" 2>/dev/null)" = yes ]
}

# The build whose exes run here: the shipped i686 one when 32-bit code runs.
velmo_run_preset() {
  if velmo_runs_32bit; then echo win32; else echo win64; fi
}

velmo_prepare_wine() {
  # A prefix made before wine32 came has no 32-bit half: make it again.
  if [ -f "$WINEPREFIX/system.reg" ] && velmo_runs_32bit &&
     [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    echo "The Wine prefix $WINEPREFIX cannot run 32-bit programs: making it again"
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once)"
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    # A crashing test prints its backtrace and ends instead of waiting in a dialog.
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$WINESERVER" -w
  fi
}

# Wine draws the window frames itself. Without a window manager, a managed
# window costs a 2 s wait for one at every show and hide.
velmo_unmanaged_windows() {
  [ -f "$WINEPREFIX/.velmo-unmanaged" ] && return 0
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
  "$WINESERVER" -w
  touch "$WINEPREFIX/.velmo-unmanaged"
}

# Starts Xvfb on a free display unless DISPLAY is set; sets VELMO_XVFB_PID.
velmo_start_display() {
  VELMO_XVFB_PID=""
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    VELMO_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  done
  echo "could not start Xvfb" >&2
  return 1
}
