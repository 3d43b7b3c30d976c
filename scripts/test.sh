#!/usr/bin/env bash
# The test command. Installs what is missing, builds both presets and the
# packages, and runs every test this machine can run under Wine, each build
# in a prefix of its own. What runs of the shipped i686 build depends on how
# scripts/install-deps.sh found this machine runs it:
#   native    every suite
#   emulated  under qemu-i386 and beside the x86_64 suites: the suites
#             labelled "emulated" (in-process, no hardware exception), a smoke
#             of the exe driven by an x86_64 process test; those labelled "host"
#   none      those labelled "host": they start no 32-bit code
# Last, two more builds of the commit must come out byte for byte alike.
# The run is judged on what ran; what did not is boxed at the end, with why.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
source scripts/wine-env.sh
i686=$(velmo_i686)

started=$(date +%s)
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
cmake --build --preset win32 --target msi
echo "build: $(( $(date +%s) - started )) s"

velmo_start_display
# No persistent wineserver: the prefix's own processes would inherit ctest's
# output pipe from the first test and keep it open to the end.
cleanup() {
  local prefix
  for prefix in build/win32/wineprefix build/win64/wineprefix; do
    WINEPREFIX=$PWD/$prefix "$WINESERVER" -k 2>/dev/null || true
  done
  [ -z "$VELMO_XVFB_PID" ] || kill "$VELMO_XVFB_PID" 2>/dev/null || true
  [ -z "${emulated:-}" ] || kill "$emulated" 2>/dev/null || true
}
trap cleanup EXIT

# timed WHAT COMMAND...: runs it and says how long it took; fails as it does.
timed() {
  local what=$1 started status=0
  shift
  started=$(date +%s)
  "$@" || status=$?
  echo "$what: $(( $(date +%s) - started )) s"
  return "$status"
}

# The i686 suites a label expression leaves out, by name.
left_out() {
  ctest --preset win32 -N -LE "$1" | sed -n 's/^ *Test *#[0-9]*: //p' | paste -sd' '
}

# A 64-bit process test drives the shipped exe: its machine values in the
# native view and decoys in the 32-bit one, TRACE among them; its window,
# tray icon and per-user values; a clean exit. The case must have run.
smoke() {
  VELMO_EXE=$PWD/build/win32/velmo.exe timeout 900 tests/wine-run.sh \
    "$PWD/build/win32/wineprefix" build/win64/app_startup_tests.exe \
    --gtest_filter='Views/MachineValueView.*/Native' | tee build/win32/smoke.log
  grep -q '^\[  PASSED  \] 1 test\.' build/win32/smoke.log
}

# The smoke and the suites that run under qemu-i386, on a display of their
# own, where a process takes a minute or two to start (1 s natively).
emulated_part() {
  unset DISPLAY
  velmo_start_display
  trap '[ -z "$VELMO_XVFB_PID" ] || kill "$VELMO_XVFB_PID"' EXIT
  export VELMO_DEADLINE_SCALE=20
  local status=0
  timed "i686 smoke under emulation" smoke || status=1
  timed "i686 suites under emulation" ctest --preset win32 -L 'emulated|host' || status=1
  return "$status"
}

declare -A verdict=([x86_64]=passed [i686]=passed)
if [ "$i686" = emulated ]; then
  echo "The i686 part runs under qemu-i386 beside the x86_64 suites; its output follows theirs."
  emulated_part >build/win32/emulated.log 2>&1 &
  emulated=$!
fi
timed "x86_64 suites" ctest --preset win64 || verdict[x86_64]=FAILED
case $i686 in
  native)
    timed "i686 suites" ctest --preset win32 || verdict[i686]=FAILED
    i686_line="full suites: ${verdict[i686]}" ;;
  emulated)
    wait "$emulated" || verdict[i686]=FAILED
    cat build/win32/emulated.log
    i686_line="smoke and suites under emulation: ${verdict[i686]};"
    i686_line+=" left out: $(left_out 'emulated|host')"
    box="The shipped i686 exe ran under qemu-i386 ($(velmo_i686_reason)), where
exceptions in 32-bit code are not delivered faithfully and every process takes
a minute or so to start. NOT RUN here: the fault, guarded-copy and reader-fuzz
suites and those that start many processes or run long: $(left_out 'emulated|host')." ;;
  *)
    timed "i686 suites that start no 32-bit code" ctest --preset win32 -L host ||
      verdict[i686]=FAILED
    i686_line="NOT RUN ($(velmo_i686_reason)); what starts no 32-bit code: ${verdict[i686]}"
    box="NOT RUN: the shipped i686 exe, its suites ($(left_out host)) and the
start of the installed exe from its Run value. Why: $(velmo_i686_reason)" ;;
esac

reproducible=passed
timed "reproducibility check" scripts/check-reproducible.sh win32 win64 || reproducible=FAILED

echo
[ -z "${box:-}" ] || say_box "$box"
echo "x86_64 build: full suites: ${verdict[x86_64]}"
echo "i686 build (shipped): $i686_line"
echo "two builds of this commit byte for byte alike: $reproducible"
[ "${verdict[x86_64]}" = passed ] && [ "${verdict[i686]}" = passed ] && [ "$reproducible" = passed ]
