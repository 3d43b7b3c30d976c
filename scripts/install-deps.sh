#!/usr/bin/env bash
# Installs what building and testing under Wine needs on Debian, then decides
# how this machine runs the shipped i686 exe and writes it to build/i686, with
# why, for every other script to ask (scripts/wine-env.sh):
#   native     the kernel runs 32-bit code; wine32 is installed
#   emulated   it does not, qemu-i386 does; wine32 is installed
#   none       the i686 exe cannot run here
# The 64-bit part is required: apt's failure ends the script. The 32-bit part
# is best-effort and never does. VELMO_I686=emulated or none takes that path
# on a machine that could do more, to try the harness's other paths.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive

# The fonts give Wine glyphs for the window's Chinese, Japanese, Korean,
# Arabic and Hebrew texts.
packages=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          binutils-mingw-w64 binutils googletest wine wine64 xvfb xauth x11-utils imagemagick
          wixl msitools osslsigncode openssl fonts-dejavu-core fonts-wqy-microhei "$@")
binfmt=/proc/sys/fs/binfmt_misc
qemu_entry=$binfmt/qemu-i386

missing_from() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      echo "$package"
  done
}

# A stale index of one architecture must not stop the other's installs: apt
# keeps the lists it had. Sets update_error to apt's first error line.
update_error=""
update_lists() {
  local output
  if ! output=$($sudo apt-get update -qq 2>&1); then
    update_error=$(grep -m1 '^E:' <<<"$output" || echo "apt-get update failed")
    echo "apt-get update: $update_error" >&2
  fi
}

install_required() {
  mapfile -t missing < <(missing_from "${packages[@]}")
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  update_lists
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# A hand-made 32-bit ELF that exits with 42: does 32-bit code run here, by
# whatever means binfmt_misc offers?
runs_32bit_code() {
  local probe status=1
  probe=$(mktemp -d)
  printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$probe/p.s"
  if as --32 -o "$probe/p.o" "$probe/p.s" 2>/dev/null &&
     ld -m elf_i386 -o "$probe/p" "$probe/p.o" 2>/dev/null; then
    "$probe/p" 2>/dev/null && status=0 || status=$?
  fi
  rm -rf "$probe"
  [ "$status" -eq 42 ]
}

# The kernel's own answer: a registered emulator is switched off meanwhile,
# and stays off when the kernel runs 32-bit code itself.
runs_32bit_natively() {
  [ -e "$qemu_entry" ] && echo 0 | $sudo tee "$qemu_entry" >/dev/null
  runs_32bit_code
}

# Debian's qemu-user-binfmt skips i386 on an x86_64 host: register it by hand,
# with F, so that the interpreter is opened now and found from any process.
set_up_emulator() {
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  if [ -n "$(missing_from qemu-user)" ] &&
     ! $sudo apt-get install -y -qq --no-install-recommends qemu-user >&2; then
    echo "qemu-user could not be installed"; return 1
  fi
  mountpoint -q "$binfmt" || $sudo mount -t binfmt_misc binfmt_misc "$binfmt" ||
    { echo "binfmt_misc could not be mounted"; return 1; }
  [ -e "$qemu_entry" ] ||
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386:F" |
      $sudo tee "$binfmt/register" >/dev/null ||
    { echo "qemu-i386 could not be registered"; return 1; }
  echo 1 | $sudo tee "$qemu_entry" >/dev/null
  runs_32bit_code || { echo "qemu-i386 does not run the 32-bit probe"; return 1; }
}

# Multi-Arch "same" libraries must stand at one version on both
# architectures. Prints, for each amd64 one in wine32's dependencies that is
# newer than every i386 version the lists hold, the newest version both have.
twin_pins() {
  local name version arch newest common
  local -A installed=() versions=()
  mapfile -t closure < <(apt-cache depends --recurse --no-recommends --no-suggests \
      --no-conflicts --no-breaks --no-replaces --no-enhances wine32:i386 |
    sed -n 's/^\([^ <][^ ]*\):i386$/\1/p' | sort -u)
  while read -r name version; do installed[$name]=$version; done < <(
    dpkg-query -W -f='${Package} ${Version} ${Multi-Arch} ${db:Status-Status}\n' \
        "${closure[@]/%/:amd64}" 2>/dev/null |
      awk '$3 == "same" && $4 == "installed" {print $1, $2}')
  local names=("${!installed[@]}")
  [ ${#names[@]} -gt 0 ] || return 0
  while read -r name arch version; do versions[$name:$arch]+=" $version"; done < <(
    apt-cache madison "${names[@]/%/:i386}" "${names[@]/%/:amd64}" |
      awk -F'|' '{gsub(/ /, "", $1); gsub(/ /, "", $2); sub(/:.*/, "", $1)
                  n = split($3, words, " "); print $1, words[n - 1], $2}')
  for name in "${names[@]}"; do
    newest="" common=""
    for version in ${versions[$name:i386]:-}; do
      [ -z "$newest" ] || dpkg --compare-versions "$version" gt "$newest" && newest=$version
    done
    [ -n "$newest" ] && dpkg --compare-versions "${installed[$name]}" gt "$newest" || continue
    for version in ${versions[$name:amd64]:-}; do
      [[ " ${versions[$name:i386]} " == *" $version "* ]] || continue
      [ -z "$common" ] || dpkg --compare-versions "$version" gt "$common" && common=$version
    done
    [ -n "$common" ] && echo "$name:amd64=$common"
  done
}

# wine32 with the i386 architecture; prints why not when it cannot be had,
# and takes the architecture away again so later updates stay clean.
install_wine32() {
  [ -z "$(missing_from wine32:i386)" ] && return 0
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  update_error=""
  update_lists
  mapfile -t pins < <(twin_pins)
  [ ${#pins[@]} -eq 0 ] || echo "Aligning to versions the i386 lists have: ${pins[*]}" >&2
  # When an index is stale, the release's own suite is the one both
  # architectures' lists agree on.
  local release output
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  for target in "" "-t $release"; do
    # shellcheck disable=SC2086
    output=$($sudo apt-get install -y -qq --no-install-recommends --allow-downgrades $target \
               wine32:i386 "${pins[@]}" 2>&1) && return 0
  done
  local error
  error=$(grep -m1 '^E:' <<<"$output" || echo "apt-get install wine32:i386 failed")
  if [ -n "$update_error" ]; then
    echo "mirror: $update_error; then $error"
  else
    echo "package: $error"
  fi
  $sudo dpkg --remove-architecture i386 2>/dev/null || true
  return 1
}

# How the i686 exe runs here (native, emulated or none), and why.
i686_verdict() {
  local want=${VELMO_I686:-} why reason
  if [ "$want" = none ]; then echo "none VELMO_I686=none"; return; fi
  if [ "$want" != emulated ] && runs_32bit_natively; then
    reason=$(install_wine32) && echo "native the kernel runs 32-bit code" || echo "none $reason"
    return
  fi
  why="kernel: no 32-bit code"
  [ "$want" != emulated ] || why="VELMO_I686=emulated"
  reason=$(set_up_emulator) || { echo "none $why, and no emulator: $reason"; return; }
  reason=$(install_wine32) && echo "emulated $why" || echo "none $reason"
}

install_required
mkdir -p build
verdict=$(i686_verdict)
echo "$verdict" >build/i686
case $verdict in
  native*) echo "i686: natively (${verdict#native })" ;;
  emulated*) echo "i686: under qemu-i386 (${verdict#emulated })" ;;
  *) say_box "The shipped i686 velmo.exe cannot run here: ${verdict#none }" ;;
esac
