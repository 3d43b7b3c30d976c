#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

started=$(date +%s)
cmake --preset win32 >/dev/null
cmake --build --preset win32
cmake --build --preset win32 --target msi
cmake --preset win64 >/dev/null
cmake --build --preset win64
echo "build: $(( $(date +%s) - started )) s"

source scripts/wine-env.sh
velmo_prepare_wine
velmo_start_display
# No persistent wineserver: the prefix's own processes would inherit ctest's
# output pipe from the first test and keep it open to the end.
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  [ -z "$VELMO_XVFB_PID" ] || kill "$VELMO_XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

started=$(date +%s)
ctest --preset win64
echo "tests: $(( $(date +%s) - started )) s"
