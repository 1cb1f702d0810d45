#!/usr/bin/env bash
# Prints a document through both plug-ins under Wine and tells where the job
# file and the page pictures are. Installs what is missing and builds x64
# first. Every option is passed on to the program (see README.md); --out and
# --input take Unix paths, which are handed to Wine as paths on its Z: drive.
# The results go to out/sample/ in the repository unless --out says otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}/x64
out=$root/out/sample

# Wine's Z: drive is the Unix root.
windows_path() {
  local unix
  unix=$(realpath -m -- "$1")
  printf 'Z:%s' "${unix//\//\\}"
}

args=()
while [ $# -gt 0 ]; do
  case $1 in
    --out) [ $# -ge 2 ] || { echo "sample-print: --out needs a folder" >&2; exit 2; }
           out=$2; shift 2 ;;
    --out=*) out=${1#--out=}; shift ;;
    --input) [ $# -ge 2 ] || { echo "sample-print: --input needs a file" >&2; exit 2; }
             args+=(--input "$(windows_path "$2")"); shift 2 ;;
    --input=*) args+=(--input "$(windows_path "${1#--input=}")"); shift ;;
    *) args+=("$1"); shift ;;
  esac
done
out=$(realpath -m -- "$out")

"$root/tools/install-deps.sh"
mkdir -p "$build"
log=$build/sample-print-build.log
if ! { cmake -G Ninja -S "$root" -B "$build" \
         -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" \
         -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/wine-run.sh" &&
       cmake --build "$build" --target sampleprint; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "sample-print: the build failed" >&2
  exit 1
fi

source "$root/tools/xvfb.sh"
start_xvfb

status=0
"$root/tools/wine-run.sh" "$build/bin/sampleprint.exe" "${args[@]}" --out "$(windows_path "$out")" || status=$?
# Wine's processes hold the X display; with a private Xvfb that goes away
# when this script ends, Wine goes first.
if [ -n "${XVFB_PID:-}" ]; then
  WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
fi
if [ $status -ne 0 ]; then
  exit $status
fi
for a in "${args[@]}"; do
  if [ "$a" = --help ] || [ "$a" = -h ]; then exit 0; fi
done
shopt -s nullglob
pictures=("$out"/page-*.png)
echo "job file: $out/job.prn"
echo "pictures: ${#pictures[@]} pages, $out/page-001.png to ${pictures[-1]:-none}"
