#!/usr/bin/env bash
# Builds the checked-out commit twice, in two temporary folders, a while apart,
# under another umask and locale, and compares every artefact byte for byte:
# velmo.exe, korvapub.exe, the notices and the bill of materials and, for the
# shipped 32-bit build, both MSIs.
#   check-reproducible.sh [PRESET ...]    (default: win32)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
presets=("${@:-win32}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build() { # folder umask locale
  git clone -q --no-local "$repo" "$work/$1"
  ( umask "$2"; export LC_ALL=$3; cd "$work/$1"
    for preset in "${presets[@]}"; do
      targets=(velmo korvapub)
      [ "$preset" = win32 ] && targets+=(msi)
      cmake --preset "$preset" -DVELMO_TESTS=OFF >/dev/null
      cmake --build --preset "$preset" --target "${targets[@]}" >/dev/null
    done )
}

build first 022 C.UTF-8
sleep 2
build "second one/elsewhere" 077 C

status=0
while IFS= read -r artefact; do
  name=${artefact#"$work/first/"}
  other="$work/second one/elsewhere/$name"
  if cmp -s "$artefact" "$other"; then
    printf 'same  %s  %s\n' "$(sha256sum <"$artefact" | cut -c1-64)" "$name"
  else
    printf 'DIFFERENT  %s\n' "$name"
    status=1
  fi
done < <(find "$work/first/build" -maxdepth 2 \( -name velmo.exe -o -name korvapub.exe \
           -o -name '*.msi' -o -name THIRD-PARTY-NOTICES.txt -o -name velmo.cdx.json \) | sort)
[ "$status" = 0 ] && echo "reproducible: ${presets[*]}" || echo "NOT REPRODUCIBLE: ${presets[*]}"
exit "$status"
