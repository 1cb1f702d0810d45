#!/usr/bin/env bash
# Installs what is missing, builds every architecture and runs the tests
# under Wine. Exit status is non-zero when any build or test fails.
#
# ARM64 is always built (both plug-ins and the package); its test programs
# run under an emulated ARM64 Wine, which takes far longer than the rest, so
# they are built and run only when asked: ARM64_TESTS=1, or ARCHES naming
# arm64 explicitly (ARCHES=arm64 tools/test.sh). ARM64_TESTS=0 never runs them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
arches=${ARCHES:-"x86 x64 arm64"}
arm64_tests=${ARM64_TESTS:-}
if [ -z "$arm64_tests" ]; then
  if [ -n "${ARCHES:-}" ]; then arm64_tests=1; else arm64_tests=0; fi
fi

"$root/tools/install-deps.sh"
source "$root/tools/xvfb.sh"
start_xvfb

# Some kernels run no 32-bit Linux processes, and so no wine32: there the
# x86 test programs could never run, and only what x86 ships is built (its
# compile-time layout checks are in the plug-ins).
x86_runs=1
/usr/lib/wine/wine --version >/dev/null 2>&1 || x86_runs=0

# Every architecture is built before any is tested: the image checks of one
# build read the others' DLLs beside it.
for arch in $arches; do
  emulator=$root/tools/wine-run.sh
  targets=()
  case $arch in
    x86)
      tc=i686
      [ "$x86_runs" = 1 ] || targets=(--target driver_package)
      ;;
    x64) tc=x86_64 ;;
    arm64)
      tc=aarch64
      emulator=$root/tools/wine-arm64-run.sh
      "$root/tools/setup-arm64-toolchain.sh"
      [ "$arm64_tests" = 1 ] || targets=(--target driver_package)
      ;;
    *) echo "unknown architecture $arch" >&2; exit 2 ;;
  esac
  dir="$build/$arch"
  t0=$(date +%s)
  cmake -G Ninja -S "$root" -B "$dir" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$tc.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" >/dev/null
  cmake --build "$dir" "${targets[@]}"
  t1=$(date +%s)
  echo "== $arch: built in $((t1 - t0)) s"
done

status=0
for arch in $arches; do
  dir="$build/$arch"
  if [ "$arch" = x86 ] && [ "$x86_runs" != 1 ]; then
    echo "== x86: this machine cannot run 32-bit processes, so wine32 cannot start; x86 plug-ins and" \
         "package built, x86 tests skipped"
    continue
  fi
  if [ "$arch" = arm64 ]; then
    if [ "$arm64_tests" != 1 ]; then
      echo "== arm64: plug-ins and package built; ARM64 tests skipped: they run under an emulated ARM64" \
           "Wine, whose set-up (about 6 minutes), test build (about 5) and runs (about 11, twice the x64" \
           "tests' time) do not fit a default run. ARM64_TESTS=1 or ARCHES=arm64 runs them."
      continue
    fi
    # The set-up prints one line saying why when this machine cannot run
    # ARM64 programs (no binfmt_misc, not root); like x86 on a machine
    # without 32-bit processes, that skips the tests, not the run.
    if ! "$root/tools/setup-arm64-wine.sh"; then
      echo "== arm64: ARM64 tests skipped: the emulated ARM64 Wine could not be set up here (see the line above)"
      continue
    fi
  fi
  t1=$(date +%s)
  # One test program at a time: Wine's spooler numbers jobs per process, so two
  # programs printing at once in one prefix collide on the same spool files.
  if ! ctest --test-dir "$dir" --output-on-failure ${CTEST_ARGS:-}; then
    status=1
  fi
  t2=$(date +%s)
  echo "== $arch: tests ran in $((t2 - t1)) s"
  if [ "$arch" = arm64 ]; then
    # Its Wine server runs inside the emulated root, out of reach of the
    # machine's own wineserver.
    arm64_root=${ARM64_WINE_ROOT:-$HOME/.cache/arm64-wine10-root}
    WINEPREFIX="$dir/wineprefix-wine10-arm64" chroot "$arm64_root" /usr/lib/wine/wineserver -k 2>/dev/null || true
  else
    WINEPREFIX="$dir/wineprefix" wineserver -k 2>/dev/null || true
  fi
done
exit $status
