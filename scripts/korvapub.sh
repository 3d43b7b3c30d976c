#!/usr/bin/env bash
# Runs the stand-in publisher in the same Wine prefix as scripts/run.sh.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
exec "$WINE" "$repo/build/$(velmo_run_preset)/korvapub.exe" "$@"
