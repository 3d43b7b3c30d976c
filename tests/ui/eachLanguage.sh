#!/usr/bin/env bash
# Runs the ThisLanguage and AtThisDpi cases of dialogTests once per language
# at 96, 144 and 192 DPI. Wine fixes a process's language (LC_ALL) and DPI
# (LogPixels) when it starts: a process per language and DPI.
#   eachLanguage.sh PREFIX DIALOGTESTS_EXE
set -uo pipefail
prefix=$1 exe=$2
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$prefix
source "$here/../../scripts/wine-env.sh"
velmo_prefix_display || exit 1

# Every language of the exe, a regional variant that reads the neutral
# German, and one the exe lacks, which reads English.
locales=(en_US de_DE de_AT fr_FR es_ES it_IT pt_BR nl_NL pl_PL ru_RU tr_TR ja_JP zh_CN zh_TW
         ko_KR ar_SA he_IL sv_SE)

log_pixels() {
  local key='HKCU\Control Panel\Desktop'
  if [ -n "$1" ]; then
    "$WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  else
    "$WINE" reg delete "$key" /v LogPixels /f >/dev/null 2>&1
  fi
}
trap 'log_pixels ""' EXIT

failed=()
retried=()
run_once() { # locale filter
  # Not brief: gtest flushes each test's start line, so a crash names its test.
  LC_ALL=$1.UTF-8 "$here/../wine-run.sh" "$prefix" "$exe" --gtest_filter="$2" \
    >"$prefix.case.log" 2>&1
}
run() { # locale dpi filter
  run_once "$1" "$3"
  local code=$?
  # A process that ended before gtest started ran no test: Wine failed to
  # start it. It gets one more start, and the summary says so.
  if [ "$code" -ne 0 ] && ! grep -q '^\[==========\] Running' "$prefix.case.log"; then
    retried+=("$1 at $2 DPI (exit code $code before the first test)")
    run_once "$1" "$3"
    code=$?
  fi
  if [ "$code" -ne 0 ]; then
    cat "$prefix.case.log"
    failed+=("$1 at $2 DPI (exit code $code)")
  fi
}

for dpi in 96 144 192; do
  log_pixels "$dpi"
  for locale in "${locales[@]}"; do run "$locale" "$dpi" 'ThisLanguage.*:AtThisDpi.*'; done
done

if [ ${#retried[@]} -gt 0 ]; then
  printf 'STARTED AGAIN, as Wine did not start it: %s\n' "${retried[@]}"
fi
if [ ${#failed[@]} -gt 0 ]; then
  printf 'failed: %s\n' "${failed[@]}"
  exit 1
fi
echo "${#locales[@]} languages at 96, 144 and 192 DPI: passed"
