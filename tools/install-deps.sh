#!/usr/bin/env bash
# Installs the cross toolchain and the Wine test bed on a Debian machine.
# Idempotent: packages already present are left alone.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

pkgs=(mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix cmake ninja-build
      googletest wine wine64 ghostscript xvfb x11-apps imagemagick fonts-liberation
      xauth xdotool)
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
have wine32:i386 || need+=("wine32:i386")

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
