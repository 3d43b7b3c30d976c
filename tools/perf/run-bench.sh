#!/usr/bin/env bash
# Builds velmo, runs the bench (and, with --soak, the ten-minute soak) under
# Wine and writes docs/PERFORMANCE.md from what they measured.
#
#   tools/perf/run-bench.sh [--soak] [--quick] [--no-build] [--no-bench]
#   tools/perf/run-bench.sh --render     (the template again, with the last figures)
#
#   --soak      the soak at full length (VELMO_SOAK_SECONDS, 600 by default);
#               without it the soak figures already in PERFORMANCE.md are kept
#   --quick     small counts, to try the script out; not for the record
#   --no-build  use the builds as they are
#   --no-bench  keep the bench's figures of the last run (with --soak)
#
# The figures of the last run stay in build/perf-results.
#
# Runs in a Wine prefix of its own (build/perf-prefix unless WINEPREFIX is
# set), so that a test run in build/wineprefix neither disturbs the figures
# nor meets the bench's Global\KorvaStatus. The velmo values it sets in that
# prefix's registry are put back afterwards. VELMO_BUILD64 and VELMO_BUILD32
# name other build directories for the two presets (default build/win64 and
# build/win32).
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
usage() { sed -n '2,/^set -e/{/^set -e/!p}' "$repo/tools/perf/run-bench.sh"; }
cd "$repo"
export WINEPREFIX=${WINEPREFIX:-$repo/build/perf-prefix}
source scripts/wine-env.sh
b64=${VELMO_BUILD64:-build/win64}
b32=${VELMO_BUILD32:-build/win32}

results=build/perf-results
render() {
  python3 - "$results" tools/perf/performance-template.md docs/PERFORMANCE.md <<'PY'
import pathlib, re, sys
out, template, target = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3]
text = pathlib.Path(template).read_text()
parts = {name: (out / (name + ".md")).read_text().strip()
         for name in ("machine", "bench", "sizes", "size-map", "soak-section")}
for name, part in parts.items():
    text = text.replace("{{" + name + "}}", part)
# Figures the summary quotes: hidden lines "<!-- value name=text -->" in the parts.
values = dict(re.findall(r"<!-- value ([\w-]+)=(.*?) -->", "\n".join(parts.values())))
text = re.sub(r"\{\{([\w-]+)\}\}",
              lambda m: values.get(m.group(1), "(not measured in this run)"), text)
pathlib.Path(target).write_text(text)
PY
  echo "wrote docs/PERFORMANCE.md" >&2
}

soak=0 quick=0 build=1 bench=1
for argument in "$@"; do
  case $argument in
    --render) render; exit 0 ;;
    --soak) soak=1 ;;
    --no-bench) bench=0 ;;
    --quick) quick=1 ;;
    --no-build) build=0 ;;
    *) usage; exit 2 ;;
  esac
done

bench_args=()
soak_seconds=${VELMO_SOAK_SECONDS:-600}
if [ "$quick" = 1 ]; then
  bench_args=(--polls 2000 --pieces 500 --startup-runs 3 --idle-seconds 10 --many-polls 300)
  soak_seconds=${VELMO_SOAK_SECONDS:-30}
fi

if [ "$build" = 1 ]; then
  cmake --preset win64 -B "$b64" >/dev/null
  cmake --build "$b64" --target velmo korvapub minimalTray bench soak_tests
  cmake --preset win32 -B "$b32" >/dev/null
  cmake --build "$b32" --target velmo
fi

velmo_prepare_wine
velmo_start_display
"$WINESERVER" -p 2>/dev/null || true
out=$(mktemp -d)
cleanup() { [ -z "${VELMO_XVFB_PID:-}" ] || kill "$VELMO_XVFB_PID" 2>/dev/null || true; rm -rf "$out"; }
trap cleanup EXIT

started=$(date -u '+%Y-%m-%d %H:%M UTC')
commit="$(git rev-parse --short HEAD)$(git diff --quiet HEAD -- . ':!docs/PERFORMANCE.md' 2>/dev/null || echo ' with uncommitted changes')"
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
if [ "$bench" = 1 ]; then
  echo "bench: ${bench_args[*]:-(full counts)}" >&2
  # A part that fails says so in its section; the others still count.
  "$WINE" "$b64/bench.exe" "${bench_args[@]}" >"$out/bench.md" ||
    echo "bench: a part failed, see docs/PERFORMANCE.md" >&2
else
  cp "$results/bench.md" "$results/machine.md" "$out"/
fi

if [ "$soak" = 1 ]; then
  echo "soak: $soak_seconds s" >&2
  VELMO_SOAK_SECONDS=$soak_seconds VELMO_SOAK_FIGURES="$out/soak.figures" \
    "$WINE" "$b64/soak_tests.exe" >"$out/soak.log" 2>&1 || {
      echo "the soak failed:" >&2; tail -30 "$out/soak.log" >&2; }
  [ ! -s "$out/soak.figures" ] ||
    "$WINE" "$b64/bench.exe" --soak-report "Z:$out/soak.figures" >"$out/soak.md"
  {
    echo "Run of $(date -u '+%Y-%m-%d %H:%M UTC'), VELMO_SOAK_SECONDS=$soak_seconds:"
    echo
    cat "$out/soak.md" 2>/dev/null || echo "(no figures: the soak did not get to its end)"
    echo
    echo "Verdict: \`$(grep -E '^\[  (PASSED|FAILED)  \]' "$out/soak.log" | head -1)\`"
  } >"$out/soak-section.md"
else
  # Keep the figures of the last full soak.
  sed -n '/<!-- soak:begin -->/,/<!-- soak:end -->/{//!p}' docs/PERFORMANCE.md \
    >"$out/soak-section.md" 2>/dev/null || true
  [ -s "$out/soak-section.md" ] || echo "(not run yet: tools/perf/run-bench.sh --soak)" \
    >"$out/soak-section.md"
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# Sizes of the shipped exes, and what fills the 32-bit one: its link writes
# a map beside it.
size_of() { stat -c %s "$1" 2>/dev/null || echo "?"; }
{
  echo "| exe | bytes |"
  echo "|---|---:|"
  echo "| $b32/velmo.exe (i686, shipped) | $(size_of "$b32/velmo.exe") |"
  echo "| $b64/velmo.exe (x86_64) | $(size_of "$b64/velmo.exe") |"
  echo "<!-- value size-i686=$(size_of "$b32/velmo.exe") -->"
  echo "<!-- value size-x64=$(size_of "$b64/velmo.exe") -->"
} >"$out/sizes.md"
python3 tools/perf/map-summary.py "$b32/velmo.map" 15 >"$out/size-map.md"

# The machine, when the bench ran now.
[ "$bench" = 0 ] || {
  echo "| | |"
  echo "|---|---|"
  echo "| run started | $started |"
  echo "| sources | $commit |"
  echo "| CPU | $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //'), $(nproc) logical CPUs |"
  echo "| memory | $(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) |"
  echo "| system | $(uname -sr) |"
  echo "| Wine | $("$WINE" --version) |"
  echo "| compilers | $(i686-w64-mingw32-g++-posix --version | head -1); $(x86_64-w64-mingw32-g++-posix --version | head -1) |"
  echo "| load average (1, 5, 15 min) | $load_before before, $load_after after |"
  echo "<!-- value run-date=$started -->"
} >"$out/machine.md"

mkdir -p "$results"
cp "$out"/machine.md "$out"/bench.md "$out"/sizes.md "$out"/size-map.md \
  "$out"/soak-section.md "$results"/
render
