#!/usr/bin/env bash
# Runs a Windows program of a build under Wine 10 in the Debian 13 root that
# tools/setup-arm64-wine.sh makes (ARM64 programs through qemu user mode), in
# that build's own prefix, as tools/wine-run.sh does for the machine's Wine.
# Usable as CMAKE_CROSSCOMPILING_EMULATOR: the build folder is bind-mounted at
# its own path inside the root, so every path a test sees is the same.
# environment: ARM64_WINE_ROOT (default ~/.cache/arm64-wine10-root), QEMU_CPU.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=${ARM64_WINE_ROOT:-$HOME/.cache/arm64-wine10-root}
stamp=$root/.wine10-root-complete
[ -f "$stamp" ] || { echo "no Wine 10 root at $root: run tools/setup-arm64-wine.sh first" >&2; exit 1; }
arch=$(cat "$stamp")

exe=$(readlink -f "$1"); shift
bin=$(dirname "$exe")
build=$(dirname "$bin")
# One prefix per build and root: the machine's Wine 8 keeps <build>/wineprefix.
prefix="$build/wineprefix-wine10-$arch"
# No BTI on the emulated CPU: see tools/setup-arm64-wine.sh.
qemu_cpu=${QEMU_CPU:-neoverse-n1}

# Mounts do not outlive a reboot, and each build folder needs its own.
if ! mountpoint -q "$root/proc" || ! mountpoint -q "$root$build"; then
  "$here/setup-arm64-wine.sh" "$build" >/dev/null
fi

# A clean environment inside the root, less what the test programs read.
pass=(HOME=/root PATH=/usr/bin:/bin "QEMU_CPU=$qemu_cpu" "WINEPREFIX=$prefix" WINEARCH=win64
      "WINEDEBUG=${WINEDEBUG:--all}"
      # No Mono or Gecko installer dialogs in a test prefix, and no debugger
      # that would hold a crashed test program open until its timeout.
      "WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}")
while IFS='=' read -r name _; do
  case $name in
    DISPLAY|LANG|LC_*|ESCAPE_SEED|STRESS_SEED|UI_QUALITY_DPI|GTEST_*) pass+=("$name=${!name}") ;;
  esac
done < <(env)

in_root() {
  chroot "$root" /usr/bin/env -i "${pass[@]}" /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" "$@"
}

if [ ! -f "$prefix/.ready" ]; then
  (
    flock 9
    if [ ! -f "$prefix/.ready" ]; then
      rm -rf "$prefix"
      in_root /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
      in_root /usr/lib/wine/wineserver -w
      # Xvfb runs no window manager, and Wine waits up to two seconds for one
      # to withdraw each managed top-level window it hides: every dialog
      # closed would cost that. Unmanaged windows go at once.
      in_root /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null 2>&1
      in_root /usr/lib/wine/wineserver -w
      touch "$prefix/.ready"
    fi
  ) 9>"$build/.wineprefix-wine10-$arch.lock"
fi
in_root /usr/lib/wine/wine64 "$exe" "$@"
