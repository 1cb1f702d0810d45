#!/usr/bin/env bash
# The same Debian 13 root with Wine 10 as tools/setup-arm64-wine.sh makes,
# for amd64: x64 test programs run in it at native speed, which is the quick
# way to tell Wine 10's behaviour from ARM64's own.
# usage: tools/setup-wine10-amd64.sh [DIR...]; root in ~/.cache/amd64-wine10-root
# (or AMD64_WINE_ROOT). Run x64 programs there with
# ARM64_WINE_ROOT=<that root> tools/wine-arm64-run.sh.
WINE_ROOT_ARCH=amd64 ARM64_WINE_ROOT=${AMD64_WINE_ROOT:-$HOME/.cache/amd64-wine10-root} \
  exec "$(dirname "$0")/setup-arm64-wine.sh" "$@"
