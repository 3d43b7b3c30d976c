# Sourced by the run and test scripts: how this machine runs the shipped i686
# exe, one Wine prefix for the checkout, and a virtual display when there is none.
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$repo/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$WINE" ] || WINE=/usr/lib/wine/wine64
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
# Every prefix starts as a copy of this one: under an emulator a new prefix
# takes minutes, a copy seconds.
velmo_base_prefix=$repo/build/wineprefix-base

# How the i686 exe runs here and why, as scripts/install-deps.sh decided:
# "native ...", "emulated ..." or "none ...".
velmo_i686_verdict() {
  cat "$repo/build/i686" 2>/dev/null || echo "none scripts/install-deps.sh has not run"
}
velmo_i686() { local verdict; verdict=$(velmo_i686_verdict); echo "${verdict%% *}"; }
velmo_i686_reason() { local verdict; verdict=$(velmo_i686_verdict); echo "${verdict#* }"; }

# The build whose exes run here: the shipped i686 one where the kernel runs
# it (a 45 s start under an emulator is no way to meet the applet).
velmo_run_preset() {
  if [ "$(velmo_i686)" = native ]; then echo win32; else echo win64; fi
}

# Whether the prefix at $1 lacks the 32-bit half that this machine can use:
# it was made before wine32 came, and its syswow64 is empty.
velmo_prefix_stale() {
  [ -f "$1/system.reg" ] && [ "$(velmo_i686)" != none ] &&
    [ ! -f "$1/drive_c/windows/syswow64/kernel32.dll" ]
}

# Makes $WINEPREFIX, as a copy of the base prefix, unless it exists.
velmo_prepare_wine() {
  if velmo_prefix_stale "$WINEPREFIX"; then
    echo "The Wine prefix $WINEPREFIX cannot run 32-bit programs: making it again"
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  (
    flock 9
    if [ ! -f "$velmo_base_prefix/system.reg" ] || velmo_prefix_stale "$velmo_base_prefix"; then
      echo "Creating the Wine prefix $velmo_base_prefix (once)"
      rm -rf "$velmo_base_prefix"
      mkdir -p "$velmo_base_prefix"
      WINEPREFIX=$velmo_base_prefix "$WINE" wineboot -i >/dev/null 2>&1 || true
      # A crashing test prints its backtrace and ends instead of waiting in a dialog.
      WINEPREFIX=$velmo_base_prefix "$WINE" reg add 'HKCU\Software\Wine\WineDbg' \
        /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      WINEPREFIX=$velmo_base_prefix "$WINESERVER" -w
    fi
  ) 9>"$velmo_base_prefix.lock"
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  cp -a "$velmo_base_prefix" "$WINEPREFIX"
}

# Wine draws the window frames itself. Without a window manager, a managed
# window costs a 2 s wait for one at every show and hide.
velmo_unmanaged_windows() {
  [ -f "$WINEPREFIX/.velmo-unmanaged" ] && return 0
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
  "$WINESERVER" -w
  touch "$WINEPREFIX/.velmo-unmanaged"
}

# Prints its arguments as one paragraph in a box on standard error, for what
# must not be missed.
say_box() {
  local line
  echo "************************************************************************" >&2
  while IFS= read -r line || [ -n "$line" ]; do
    printf '* %-68s *\n' "$line" >&2
  done < <(tr '\n' ' ' <<<"$*" | fold -s -w 68)
  echo "************************************************************************" >&2
}

# Starts Xvfb on a free display unless DISPLAY is set; sets VELMO_XVFB_PID.
velmo_start_display() {
  VELMO_XVFB_PID=""
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # Not holding the callers' lock files open for as long as it runs.
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 8>&- 9>&- &
    VELMO_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  done
  echo "could not start Xvfb" >&2
  return 1
}

# Without a display, the prefix WINEPREFIX keeps one of its own: its explorer
# and wineserver outlive each program and stay tied to the display they met first.
velmo_prefix_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  exec 8>"$WINEPREFIX.display.lock"
  flock 8
  DISPLAY=$(cat "$WINEPREFIX.display" 2>/dev/null || true)
  if [ -z "$DISPLAY" ] || [ ! -e "/tmp/.X11-unix/X${DISPLAY#:}" ]; then
    unset DISPLAY
    if ! velmo_start_display; then
      exec 8>&-
      return 1
    fi
    echo "$DISPLAY" >"$WINEPREFIX.display"
  fi
  export DISPLAY
  exec 8>&-
}
