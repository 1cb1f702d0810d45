#!/usr/bin/env bash
# Sets up, once, a Debian 13 root with Wine 10 in which the ARM64 test
# programs run through qemu user-mode emulation; later calls only check it and
# renew its mounts. The machine's own Wine and its architectures stay as they
# are: only debootstrap and qemu-user-static are installed on it, and
# binfmt_misc gets an entry for aarch64 programs.
#
# Why Wine 10 and not Debian 12's arm64 Wine 8: that one is built with GCC,
# whose va_list is not the Windows one, so its C runtime crashes as soon as
# ARM64 code hands it a va_list (any StringCchPrintfW does).
#
# usage: tools/setup-arm64-wine.sh [DIR...]   (as root)
#   DIRs (a build folder, say) are bind-mounted at the same path in the root.
# environment:
#   ARM64_WINE_ROOT  where the root lives (default ~/.cache/arm64-wine10-root)
#   WINE_ROOT_ARCH   arm64 (default), or amd64 for a root that runs x64
#                    programs at native speed under the same Wine 10
#   DEBIAN_MIRROR    default: the mirror this machine's apt uses
# On failure the last line on stderr says why, in one line.
set -euo pipefail

arch=${WINE_ROOT_ARCH:-arm64}
case $arch in
  arm64) default_root=$HOME/.cache/arm64-wine10-root ;;
  amd64) default_root=$HOME/.cache/amd64-wine10-root ;;
  *) echo "WINE_ROOT_ARCH must be arm64 or amd64, not $arch" >&2; exit 2 ;;
esac
root=${ARM64_WINE_ROOT:-$default_root}
stamp=$root/.wine10-root-complete
# qemu's default CPU enforces BTI, and Wine 10's ntdll.so has no landing pads
# in its system-call dispatchers: it dies with SIGILL at the first call.
export QEMU_CPU=${QEMU_CPU:-neoverse-n1}

fail() { echo "$*" >&2; exit 1; }
say() { echo "== wine10 root: $*"; }

[ "$(id -u)" -eq 0 ] || fail "cannot set up the Wine 10 root: it needs root (chroot, mount)"

# The Debian mirror this machine's apt uses.
machine_mirror() {
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && awk '/^URIs:/ {print $2; exit}' "$f" && return 0
  done
  awk '$1 == "deb" {print ($2 ~ /^\[/) ? $3 : $2; exit}' /etc/apt/sources.list 2>/dev/null
}

install_host_packages() {
  local need=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
  done
  [ ${#need[@]} -eq 0 ] && return 0
  say "installing ${need[*]} on this machine"
  local apt=(apt-get install -y -o DPkg::Lock::Timeout=600 --no-install-recommends)
  DEBIAN_FRONTEND=noninteractive "${apt[@]}" "${need[@]}" >/dev/null 2>&1 ||
    { apt-get update -o DPkg::Lock::Timeout=600 >/dev/null 2>&1 &&
      DEBIAN_FRONTEND=noninteractive "${apt[@]}" "${need[@]}" >/dev/null; } ||
    fail "cannot set up the Wine 10 root: apt-get could not install ${need[*]}"
}

# Every mount point under the root, deepest first.
mounts_under() {
  awk -v r="$1" '$2 == r || index($2, r "/") == 1 {print $2}' /proc/mounts | sort -r
}

mount_base() {
  mount_once "$root/proc" -t proc proc
  mount_once "$root/dev" --bind /dev
  mount_once "$root/dev/pts" --bind /dev/pts
  # A private /tmp, with the machine's X sockets in it for the test's Xvfb.
  mount_once "$root/tmp" -t tmpfs tmpfs
  mkdir -p /tmp/.X11-unix
  mount_once "$root/tmp/.X11-unix" --bind /tmp/.X11-unix
}

mount_once() {  # mount_once TARGET mount-arguments...
  local target=$1; shift
  mountpoint -q "$target" && return 0
  mkdir -p "$target"
  mount "$@" "$target" || fail "cannot set up the Wine 10 root: cannot mount $target"
}

if [ "$arch" = arm64 ]; then
  install_host_packages debootstrap qemu-user-static
  # binfmt_misc sends aarch64 ELF programs to qemu. 'F' opens the interpreter
  # now, so it also works inside a root that does not contain it.
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
      fail "cannot run ARM64 programs here: binfmt_misc is not mounted and cannot be mounted"
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-aarch64 ]; then
    [ -f /usr/lib/binfmt.d/qemu-aarch64.conf ] || fail "cannot run ARM64 programs here: qemu-user-static has no aarch64 entry"
    cat /usr/lib/binfmt.d/qemu-aarch64.conf > /proc/sys/fs/binfmt_misc/register 2>/dev/null ||
      fail "cannot run ARM64 programs here: binfmt_misc refused the aarch64 entry"
  fi
  grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-aarch64 ||
    fail "cannot run ARM64 programs here: the aarch64 binfmt_misc entry is disabled"
else
  install_host_packages debootstrap
fi

mkdir -p "$(dirname "$root")"
exec 9>"$root.lock" || fail "cannot set up the Wine 10 root: cannot write $root.lock"
flock 9

if [ ! -f "$stamp" ]; then
  t0=$(date +%s)
  if [ -e "$root" ]; then
    say "removing an unfinished root at $root"
    for m in $(mounts_under "$root"); do umount "$m" || umount -l "$m"; done
    rm -rf --one-file-system "$root"
  fi
  mirror=${DEBIAN_MIRROR:-$(machine_mirror)}
  [ -n "$mirror" ] || fail "cannot set up the Wine 10 root: no Debian mirror in the apt sources (set DEBIAN_MIRROR)"
  mkdir -p "$(dirname "$root")"
  say "debootstrap of Debian 13 ($arch) with Wine into $root (several minutes)"
  debootstrap --arch="$arch" --variant=minbase --include=wine,wine64 trixie "$root" "$mirror" |
    while IFS= read -r line; do case $line in I:\ Retrieving*|I:\ Validating*) ;; *) echo "   $line" ;; esac; done
  [ -x "$root/usr/lib/wine/wine64" ] || fail "cannot set up the Wine 10 root: debootstrap left no Wine"
  mount_base
  # What the test programs call as Unix commands: Ghostscript renders the
  # printed PostScript, ImageMagick converts and captures pictures.
  say "installing Ghostscript, ImageMagick and fonts in the root"
  chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin:/usr/sbin:/sbin QEMU_CPU="$QEMU_CPU" \
    DEBIAN_FRONTEND=noninteractive sh -c \
    'apt-get update >/dev/null && apt-get install -y --no-install-recommends ghostscript imagemagick fonts-liberation >/dev/null' ||
    fail "cannot set up the Wine 10 root: apt-get in the root failed"
  chroot "$root" apt-get clean
  echo "$arch" > "$stamp"
  say "set up in $(( $(date +%s) - t0 )) s, $(du -sh --one-file-system "$root" | cut -f1)"
fi

mount_base
for d in "$@"; do
  d=$(readlink -f "$d")
  [ -d "$d" ] || fail "cannot set up the Wine 10 root: $d is not a folder"
  mount_once "$root$d" --bind "$d"
done
say "ready: $root ($(chroot "$root" /usr/bin/env QEMU_CPU="$QEMU_CPU" /usr/lib/wine/wine64 --version 2>/dev/null))"
