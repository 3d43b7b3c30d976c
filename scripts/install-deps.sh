#!/usr/bin/env bash
# Installs what building and running under Wine needs on Debian. When the
# kernel runs 32-bit code, the i386 architecture and wine32 come too, so that
# the shipped i686 exe runs in a WoW64 prefix. Prints where 32-bit code stands
# into build/runs32 ("yes" or "no") for the run and test scripts.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo

# The fonts give Wine glyphs for the window's Chinese, Japanese, Korean,
# Arabic and Hebrew texts.
packages=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          binutils-mingw-w64 binutils googletest wine wine64 xvfb xauth x11-utils imagemagick
          wixl msitools fonts-dejavu-core fonts-wqy-microhei "$@")

missing_from() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      echo "$package"
  done
}

install_packages() {
  [ $# -gt 0 ] || return 0
  echo "Installing: $*"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@"
}

# A hand-made 32-bit ELF that exits with 42: does this kernel run 32-bit code?
runs_32bit_code() {
  local probe
  probe=$(mktemp -d)
  printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$probe/p.s"
  local status=1
  if as --32 -o "$probe/p.o" "$probe/p.s" 2>/dev/null &&
     ld -m elf_i386 -o "$probe/p" "$probe/p.o" 2>/dev/null; then
    "$probe/p" 2>/dev/null && status=0 || status=$?
  fi
  rm -rf "$probe"
  [ "$status" -eq 42 ]
}

mapfile -t missing < <(missing_from "${packages[@]}")
install_packages "${missing[@]}"

mkdir -p build
if runs_32bit_code; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  mapfile -t missing < <(missing_from wine32:i386)
  install_packages "${missing[@]}"
  echo yes >build/runs32
else
  cat >&2 <<'EOF'
************************************************************************
* This kernel does not run 32-bit code: wine32 is not installed, and the *
* shipped i686 velmo.exe cannot run here. Its suites are NOT RUN.        *
************************************************************************
EOF
  echo no >build/runs32
fi
