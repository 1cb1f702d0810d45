#!/usr/bin/env bash
# Writes a picture of every page and dialog of uiplug.dll at 96 and 144 DPI
# into out/gallery/ (or the folder given), with an index.html that shows
# them by name. Installs what is missing and builds x64 first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}/x64
out=$(realpath -m -- "${1:-$root/out/gallery}")

windows_path() {
  local unix
  unix=$(realpath -m -- "$1")
  printf 'Z:%s' "${unix//\//\\}"
}

"$root/tools/install-deps.sh"
mkdir -p "$build" "$out"
log=$build/gallery-build.log
if ! { cmake -G Ninja -S "$root" -B "$build" \
         -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" \
         -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/wine-run.sh" &&
       cmake --build "$build" --target gallery uiplug renderplug; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "gallery: the build failed" >&2
  exit 1
fi

source "$root/tools/xvfb.sh"
start_xvfb
rm -f "$out"/*.png "$out"/pictures-*.txt "$out/index.html"

# The screen's resolution is read when a Wine process starts; the value
# lives per user, as on Windows.
wine_reg() {
  WINEPREFIX="$build/wineprefix" WINEDEBUG=-all /usr/lib/wine/wine64 reg "$@" >/dev/null 2>&1
}
"$root/tools/wine-run.sh" "$build/bin/gallery.exe" >/dev/null 2>&1 || true  # creates the prefix
# Xvfb runs no window manager: Wine draws the frames and captions itself.
wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f
status=0
for dpi in 96 144; do
  wine_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f
  echo "== $dpi DPI"
  "$root/tools/wine-run.sh" "$build/bin/gallery.exe" --out "$(windows_path "$out")" --suffix "-${dpi}dpi" ||
    status=1
done
wine_reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f || true
wine_reg delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f || true
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true

{
  echo '<!DOCTYPE html><html><head><meta charset="utf-8"><title>uiplug pages and dialogs</title>'
  echo '<style>body{font-family:sans-serif;margin:2em}figure{display:inline-block;vertical-align:top;margin:1em}'
  echo 'figcaption{font-weight:bold;margin-bottom:.4em}</style></head><body>'
  echo '<h1>uiplug pages and dialogs</h1>'
  for dpi in 96 144; do
    list="$out/pictures-${dpi}dpi.txt"
    [ -f "$list" ] || continue
    echo "<h2>$dpi DPI</h2>"
    while IFS=$'\t' read -r file title; do
      echo "<figure><figcaption>$title</figcaption><img src=\"$file\" alt=\"$title at $dpi DPI\"></figure>"
    done <"$list"
  done
  echo '</body></html>'
} >"$out/index.html"
shopt -s nullglob
pictures=("$out"/*.png)
echo "gallery: ${#pictures[@]} pictures, index $out/index.html"
exit $status
