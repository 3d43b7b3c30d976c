#!/usr/bin/env bash
# Renders the applet's window on a virtual display in its enabled, disabled and
# unknown states, and with an OEM logo, into docs/*.png. Uses a prefix of its
# own so that it never meets a running test or applet.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target velmo korvapub

export WINEPREFIX=$PWD/build/screenshots-prefix
unset DISPLAY
source scripts/wine-env.sh
velmo_prepare_wine
velmo_start_display
# Wine draws the window frame itself: there is no window manager here.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null

stage=$(mktemp -d)
publisher=""
cleanup() {
  "$WINE" build/win64/korvapub.exe stop >/dev/null 2>&1 || true
  [ -z "$publisher" ] || wait "$publisher" 2>/dev/null || true
  "$WINESERVER" -k 2>/dev/null || true
  [ -z "$VELMO_XVFB_PID" ] || kill "$VELMO_XVFB_PID" 2>/dev/null || true
  rm -rf "$stage"
}
trap cleanup EXIT

key='HKLM\SOFTWARE\Brenlow\Network_Services\velmo'
user='HKCU\SOFTWARE\Brenlow\Network_Services\velmo'
"$WINE" reg delete "$user" /f >/dev/null 2>&1 || true
for setting in CheckKorvaStatusTimeout=300 NumPollsForDisabled=1 KorvaStatusInitMaxRetries=0; do
  "$WINE" reg add "$key" /v "${setting%=*}" /t REG_DWORD /d "${setting#*=}" /f >/dev/null
done

korvapub() { "$WINE" build/win64/korvapub.exe "$@" >/dev/null; }
window_id() { xwininfo -root -tree | awk '/"Korva Status": \("velmo.exe"/ {print $1; exit}'; }
shoot() { sleep 1.5; import -window "$(window_id)" "docs/$1"; echo "docs/$1"; }
wait_for_window() {
  for _ in $(seq 100); do
    id=$(window_id)
    [ -n "$id" ] && xwininfo -id "$id" | grep -q "IsViewable" && return 0
    sleep 0.1
  done
  echo "the window did not show" >&2; return 1
}

"$WINE" build/win64/korvapub.exe serve --status enabled </dev/null >/dev/null &
publisher=$!
sleep 1

# Korva found enabled for a user who has not seen it: the window pops up.
"$WINE" build/win64/velmo.exe &
wait_for_window
shoot velmo-enabled.png
korvapub set disabled
shoot velmo-disabled.png
korvapub set unknown
shoot velmo-unknown.png
xdotool key --window "$(window_id)" Escape 2>/dev/null || true
"$WINE" build/win64/korvapub.exe stop >/dev/null 2>&1 || true
"$WINESERVER" -k 2>/dev/null || true

# The same exe beside an OEM's own logo.
cp build/win64/velmo.exe "$stage/"
convert -size 64x42 xc:white -fill '#1f6f8b' -draw 'roundrectangle 2,6 40,36 6,6' \
        -fill '#f2a541' -draw 'circle 50,21 50,9' -fill white -draw 'rectangle 10,18 32,24' \
        -type TrueColor "BMP3:$stage/oemlogo.bmp"
"$WINE" reg delete "$user" /f >/dev/null 2>&1 || true
"$WINE" build/win64/korvapub.exe serve --status enabled </dev/null >/dev/null &
publisher=$!
sleep 1
"$WINE" "$stage/velmo.exe" &
wait_for_window
shoot velmo-oem-logo.png
