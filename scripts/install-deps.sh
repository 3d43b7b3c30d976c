#!/usr/bin/env bash
# Installs what building and running under Wine needs on Debian. wine32 is
# left out on purpose: this machine cannot run 32-bit code, and with wine32
# present the wine script picks the 32-bit loader.
set -euo pipefail
packages=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          binutils-mingw-w64 googletest wine wine64 xvfb xauth x11-utils imagemagick
          wixl msitools "$@")
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
