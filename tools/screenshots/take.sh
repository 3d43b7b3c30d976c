#!/usr/bin/env bash
# Renders the applet's window on a virtual display into docs/*.png: in its
# enabled, disabled and unknown states, with an OEM logo, in German, Japanese
# and Arabic, and at 150 % scale. Uses a prefix of its own so that it never
# meets a running test or applet. The shipped build where the kernel runs it.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh
source scripts/wine-env.sh
preset=$(velmo_run_preset)
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target velmo korvapub

export WINEPREFIX=$PWD/build/screenshots-prefix
unset DISPLAY
velmo_prepare_wine
velmo_start_display
velmo_unmanaged_windows

stage=$(mktemp -d)
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  [ -z "$VELMO_XVFB_PID" ] || kill "$VELMO_XVFB_PID" 2>/dev/null || true
  rm -rf "$stage"
}
trap cleanup EXIT

key='HKLM\SOFTWARE\Brenlow\Network_Services\velmo'
user='HKCU\SOFTWARE\Brenlow\Network_Services\velmo'
desktop='HKCU\Control Panel\Desktop'
for setting in CheckKorvaStatusTimeout=300 NumPollsForDisabled=1 KorvaStatusInitMaxRetries=0; do
  "$WINE" reg add "$key" /v "${setting%=*}" /t REG_DWORD /d "${setting#*=}" /f >/dev/null
done

korvapub() { "$WINE" "build/$preset/korvapub.exe" "$@" >/dev/null; }
# The applet's main window, whatever its caption in the language shown.
window_id() {
  xwininfo -root -tree | awk '/\("velmo.exe" "velmo.exe"\)/ && !/Default IME/ {print $1; exit}'
}
shoot() { sleep 1.5; import -window "$(window_id)" "docs/$1"; echo "docs/$1"; }
wait_for_window() {
  for _ in $(seq 100); do
    id=$(window_id)
    [ -n "$id" ] && xwininfo -id "$id" | grep -q "IsViewable" && return 0
    sleep 0.1
  done
  echo "the window did not show" >&2; return 1
}

# Starts EXE in the given locale (LC_ALL: Wine takes the UI language from it)
# at the given DPI, for a user new to "enabled", so that the window pops up.
start_applet() { # exe locale dpi
  "$WINESERVER" -k 2>/dev/null || true
  "$WINE" reg delete "$user" /f >/dev/null 2>&1 || true
  "$WINE" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$3" /f >/dev/null
  "$WINE" "build/$preset/korvapub.exe" serve --status enabled </dev/null >/dev/null &
  sleep 1
  LC_ALL=$2 "$WINE" "$1" >/dev/null &
  wait_for_window
}

start_applet "build/$preset/velmo.exe" C.UTF-8 96
shoot velmo-enabled.png
korvapub set disabled
shoot velmo-disabled.png
korvapub set unknown
shoot velmo-unknown.png

for shot in de_DE.UTF-8:de ja_JP.UTF-8:ja ar_SA.UTF-8:ar; do
  start_applet "build/$preset/velmo.exe" "${shot%:*}" 96
  shoot "velmo-${shot#*:}.png"
done

start_applet "build/$preset/velmo.exe" C.UTF-8 144
shoot velmo-150-percent.png

# The same exe beside an OEM's own logo.
cp "build/$preset/velmo.exe" "$stage/"
convert -size 64x42 xc:white -fill '#1f6f8b' -draw 'roundrectangle 2,6 40,36 6,6' \
        -fill '#f2a541' -draw 'circle 50,21 50,9' -fill white -draw 'rectangle 10,18 32,24' \
        -type TrueColor "BMP3:$stage/oemlogo.bmp"
start_applet "$stage/velmo.exe" C.UTF-8 96
shoot velmo-oem-logo.png
"$WINE" reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true
