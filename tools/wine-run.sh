#!/usr/bin/env bash
# Runs a Windows program of a build under Wine, in that build's own prefix
# (<build>/wineprefix, next to <build>/bin), creating the prefix on first use.
set -euo pipefail
exe=$1; shift
bin=$(cd "$(dirname "$exe")" && pwd)
build=$(dirname "$bin")
export WINEPREFIX="$build/wineprefix"
export WINEARCH=$(cat "$build/wine-arch" 2>/dev/null || echo win64)
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs in a test prefix, and no debugger that
# would hold a crashed test program open until its timeout.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winedbg.exe=d"}
if [ "$WINEARCH" = win64 ]; then
  loader=/usr/lib/wine/wine64
else
  loader=/usr/lib/wine/wine
fi
export WINELOADER=$loader
if [ ! -f "$WINEPREFIX/.ready" ] || [ ! -f "$WINEPREFIX/.unmanaged" ]; then
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.ready" ]; then
      rm -rf "$WINEPREFIX"
      "$loader" wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      touch "$WINEPREFIX/.ready"
    fi
    if [ ! -f "$WINEPREFIX/.unmanaged" ]; then
      # Xvfb runs no window manager, and Wine waits up to two seconds for one
      # to withdraw each managed top-level window it hides: every dialog
      # closed would cost that. Unmanaged windows go at once (Wine draws
      # their frames itself, as it would have to here anyway).
      "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.unmanaged"
    fi
  ) 9>"$build/.wineprefix.lock"
fi
exec "$loader" "$exe" "$@"
