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
# Whether this kernel starts 32-bit Linux processes at all (some do not; there
# wine32 can never start and the x86 tests are skipped): a three-instruction
# i386 program, assembled here, exits with 0 where it can run. 0: it runs,
# 1: it cannot, 2: no assembler to tell.
runs_32bit() {
  local d rc=2
  command -v as >/dev/null && command -v ld >/dev/null || return 2
  d=$(mktemp -d)
  printf '.globl _start\n_start: movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' > "$d/t.s"
  if as --32 -o "$d/t.o" "$d/t.s" 2>/dev/null && ld -m elf_i386 -o "$d/t" "$d/t.o" 2>/dev/null; then
    if "$d/t" 2>/dev/null; then rc=0; else rc=1; fi
  fi
  rm -rf "$d"
  return $rc
}

need32=0
if ! have wine32:i386; then
  rc32=0; runs_32bit || rc32=$?
  if [ "$rc32" -eq 1 ]; then
    echo "this machine runs no 32-bit processes: wine32 is left out and the x86 tests will be skipped" >&2
  else
    need32=1
  fi
fi

if [ ${#need[@]} -eq 0 ] && [ "$need32" -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
# A mirror in the middle of a sync answers with index files of the wrong
# size for a while. Try again; if one archive stays out of step, go on with
# the indexes that did arrive: the install below fails plainly if a package
# it needs is really missing.
for attempt in 1 2 3; do
  $SUDO apt-get update -qq && break
  if [ "$attempt" -lt 3 ]; then
    echo "apt-get update failed; trying again in 20 s" >&2
    sleep 20
  else
    echo "apt-get update failed three times; installing from the indexes that arrived" >&2
  fi
done
if [ ${#need[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
# wine32 in its own step, so that the message says which part failed.
if [ "$need32" -eq 1 ]; then
  if ! $SUDO apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null; then
    echo "wine32:i386 could not be installed: the x86 tests need it" >&2
    exit 1
  fi
fi
