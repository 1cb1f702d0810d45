#!/usr/bin/env bash
# Builds both plug-ins for x86 and x64 and writes the driver package for both
# architectures to out/package/ (INF, printer description, plug-in
# configuration file, x86/ and amd64/ with the DLLs), plus a zip of it in out/.
# Runs no tests. BUILD_NUMBER sets the build number in the file version.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$root/out/package

"$root/tools/install-deps.sh"

for arch in x86 x64; do
  case $arch in
    x86) tc=i686 ;;
    x64) tc=x86_64 ;;
  esac
  cmake -G Ninja -S "$root" -B "$build/$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$tc.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/wine-run.sh" >/dev/null
  cmake --build "$build/$arch" --target driver_package
done

# Each build tree holds the shared files and its own architecture's folder;
# both trees must describe the same version.
x86=$build/x86/package
x64=$build/x64/package
for f in psplugin.inf PSPLUGIN.PPD PSPLUGIN.INI; do
  if ! cmp -s "$x86/$f" "$x64/$f"; then
    echo "package: $f differs between the x86 and x64 builds" >&2
    exit 1
  fi
done

rm -rf "$out"
mkdir -p "$out/x86" "$out/amd64"
cp "$x64/psplugin.inf" "$x64/PSPLUGIN.PPD" "$x64/PSPLUGIN.INI" "$out/"
cp "$x86/x86/uiplug.dll" "$x86/x86/renderplug.dll" "$out/x86/"
cp "$x64/amd64/uiplug.dll" "$x64/amd64/renderplug.dll" "$out/amd64/"

version=$(sed -n 's/^DriverVer=[^,]*,\([0-9.]*\).*/\1/p' "$out/psplugin.inf")
zip=$root/out/psplugin-$version.zip
rm -f "$root"/out/psplugin-*.zip
(cd "$out" && cmake -E tar cf "$zip" --format=zip psplugin.inf PSPLUGIN.PPD PSPLUGIN.INI x86 amd64)

echo "== package $version:"
(cd "$out" && find . -type f | sort | sed 's|^\./|  |')
echo "== $zip"
