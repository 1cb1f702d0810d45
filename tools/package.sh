#!/usr/bin/env bash
# Builds both plug-ins for x86, x64 and ARM64 and writes the driver package
# for the three architectures to out/package/ (INF, printer description,
# plug-in configuration file, x86/, amd64/ and arm64/ with the DLLs), plus a
# zip of it in out/. Runs no tests. BUILD_NUMBER sets the build number in the
# file version.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=$root/out/package

"$root/tools/install-deps.sh"
"$root/tools/setup-arm64-toolchain.sh"

for arch in x86 x64 arm64; do
  emulator=$root/tools/wine-run.sh
  case $arch in
    x86) tc=i686 ;;
    x64) tc=x86_64 ;;
    arm64) tc=aarch64 emulator=$root/tools/wine-arm64-run.sh ;;
  esac
  # The same settings as tools/test.sh gives, so that neither reconfigures
  # the other's trees.
  cmake -G Ninja -S "$root" -B "$build/$arch" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$tc.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" >/dev/null
  cmake --build "$build/$arch" --target driver_package
done

# Each build tree holds the shared files and its own architecture's folder;
# every tree must describe the same version.
x64=$build/x64/package
for other in x86 arm64; do
  for f in psplugin.inf PSPLUGIN.PPD PSPLUGIN.INI; do
    if ! cmp -s "$build/$other/package/$f" "$x64/$f"; then
      echo "package: $f differs between the $other and x64 builds" >&2
      exit 1
    fi
  done
done

rm -rf "$out"
mkdir -p "$out"
cp "$x64/psplugin.inf" "$x64/PSPLUGIN.PPD" "$x64/PSPLUGIN.INI" "$out/"
for folder in x86/x86 x64/amd64 arm64/arm64; do
  arch=${folder%%/*} dlls=${folder#*/}
  mkdir -p "$out/$dlls"
  cp "$build/$arch/package/$dlls/uiplug.dll" "$build/$arch/package/$dlls/renderplug.dll" "$out/$dlls/"
done

version=$(sed -n 's/^DriverVer=[^,]*,\([0-9.]*\).*/\1/p' "$out/psplugin.inf")
zip=$root/out/psplugin-$version.zip
rm -f "$root"/out/psplugin-*.zip
(cd "$out" && cmake -E tar cf "$zip" --format=zip psplugin.inf PSPLUGIN.PPD PSPLUGIN.INI x86 amd64 arm64)

echo "== package $version:"
(cd "$out" && find . -type f | sort | sed 's|^\./|  |')
echo "== $zip"
