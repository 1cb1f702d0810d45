#!/usr/bin/env bash
# The long stress runs: builds each architecture and runs every program of
# tests/stress/ with --full, one after the other, under Wine. Each program
# prints its own figures. ARCHES limits the architectures; further arguments
# go to every program (a program's own --help lists them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
arches=${ARCHES:-"x86 x64"}

"$root/tools/install-deps.sh"
source "$root/tools/xvfb.sh"
start_xvfb

status=0
for arch in $arches; do
  case $arch in
    x86) tc=i686 ;;
    x64) tc=x86_64 ;;
    *) echo "unknown architecture $arch" >&2; exit 2 ;;
  esac
  dir="$build/$arch"
  cmake -G Ninja -S "$root" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$tc.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/wine-run.sh" >/dev/null
  cmake --build "$dir"
  if [ "$arch" = x86 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "== x86: this machine cannot run 32-bit processes, so wine32 cannot start; x86 stress runs skipped"
    continue
  fi
  for program in "$root"/tests/stress/*/; do
    name=$(basename "$program")
    echo "== $arch: $name"
    t0=$(date +%s)
    (cd "$dir/bin" && "$root/tools/wine-run.sh" "$dir/bin/$name.exe" --full "$@") || status=1
    echo "== $arch: $name ran in $(( $(date +%s) - t0 )) s"
  done
  WINEPREFIX="$dir/wineprefix" wineserver -k 2>/dev/null || true
done
exit $status
