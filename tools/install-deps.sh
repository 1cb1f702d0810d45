#!/usr/bin/env bash
# Installs the cross toolchain and the Wine test bed on a Debian machine.
# Idempotent: packages already present are left alone.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

pkgs=(mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix cmake ninja-build
      googletest wine wine64 ghostscript xvfb x11-apps imagemagick fonts-liberation
      xauth xdotool)
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
# Whether this kernel starts 32-bit Linux processes at all (some do not; there
# wine32 can never start and the x86 tests are skipped). The probe is a
# 96-byte i386 program written out byte for byte, so that a minimal machine
# needs no assembler: it exits with status 7. A copy of a native program run
# from the same folder first tells a folder that runs nothing from a kernel
# that runs no 32-bit code. 0: it runs, 1: it cannot, 2: cannot tell.
runs_32bit() {
  local d rc=2
  d=$(mktemp -d) || return 2
  cp /bin/true "$d/native" 2>/dev/null
  if "$d/native" 2>/dev/null; then
    # ELF header, one loadable segment, then: mov eax,1; mov ebx,7; int 0x80.
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0' > "$d/probe"
    printf '\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0' >> "$d/probe"
    printf '\270\1\0\0\0\273\7\0\0\0\315\200' >> "$d/probe"
    chmod +x "$d/probe"
    local status=0
    "$d/probe" 2>/dev/null || status=$?
    if [ "$status" -eq 7 ]; then rc=0; else rc=1; fi
  fi
  rm -rf "$d"
  return $rc
}

need32=0
if ! have wine32:i386; then
  rc32=0; runs_32bit || rc32=$?
  if [ "$rc32" -eq 1 ]; then
    echo "this machine runs no 32-bit processes: wine32 is left out and the x86 tests will be skipped" >&2
  else
    need32=1
  fi
fi

if [ ${#need[@]} -eq 0 ] && [ "$need32" -eq 0 ]; then
  exit 0
fi

# wine32 needs each of its Multi-Arch: same libraries in one version on both
# architectures. When a mirror serves one architecture's index of an archive
# (bookworm-security, say) but not the other's, apt's candidates differ and
# its resolver gives up, though an older version sits in both indexes. For
# each library of wine32's closure whose candidates differ this prints
# "name version amd64-candidate i386-candidate amd64-installed source", with
# the newest version both indexes hold ("-" where there is none).
split_multiarch_pairs() {
  local closure names n
  closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
              --no-replaces --no-enhances wine32:i386 2>/dev/null | awk '/^[^ <].*:i386$/' | sort -u)
  [ -n "$closure" ] || return 0
  # shellcheck disable=SC2086
  apt-cache show --no-all-versions $closure 2>/dev/null | awk '
    /^Package:/ { p = $2; src = $2; same = 0 }
    /^Source:/ { src = $2 }
    /^Multi-Arch: same/ { same = 1 }
    /^$/ { if (same) print p, src; same = 0 }
    END { if (same) print p, src }' | sort -u > "$work/sources"
  names=$(awk '{ print $1 }' "$work/sources" | sort -u)
  [ -n "$names" ] || return 0
  local quals=()
  for n in $names; do quals+=("$n:amd64" "$n:i386"); done
  # policy names a native package without its architecture.
  apt-cache policy "${quals[@]}" 2>/dev/null | awk '
    /^[^ ].*:$/ { key = substr($0, 1, length($0) - 1); if (key !~ /:i386$/) key = key ":amd64"; next }
    $1 == "Installed:" { inst[key] = $2 }
    $1 == "Candidate:" { cand[key] = $2 }
    END { for (k in cand) print "C", k, cand[k], inst[k] }' > "$work/policy"
  apt-cache madison "${quals[@]}" 2>/dev/null | awk -F'|' '
    { gsub(/ /, "", $1); gsub(/ /, "", $2); sub(/:.*/, "", $1); na = split($3, w, " ");
      print "V", $1 ":" w[na - 1], $2 }' > "$work/versions"
  for n in $names; do
    local a i inst best="" v
    a=$(awk -v k="$n:amd64" '$2 == k { print $3 }' "$work/policy")
    i=$(awk -v k="$n:i386" '$2 == k { print $3 }' "$work/policy")
    inst=$(awk -v k="$n:amd64" '$2 == k { print $4 }' "$work/policy")
    [ -n "$a" ] && [ -n "$i" ] && [ "$a" != "(none)" ] && [ "$i" != "(none)" ] && [ "$a" != "$i" ] || continue
    for v in $(awk -v k="$n:i386" '$2 == k { print $3 }' "$work/versions" | sort -u); do
      grep -qxF "V $n:amd64 $v" "$work/versions" || continue
      if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
    done
    echo "$n ${best:--} $a $i ${inst:-(none)} $(awk -v k="$n" '$1 == k { print $2; exit }' "$work/sources")"
  done
}

# Writes apt preferences that hold each differing pair at the common version
# (priority 1001, so that an installed newer amd64 build may be brought down
# to it), and says why, one line per library. The pin covers the library's
# whole source package too: an installed -dev package that wants the library
# in its own version moves with it instead of being removed.
write_pair_pins() {
  local prefs=$1 n best a i inst src count=0
  : > "$prefs"
  while read -r n best a i inst src; do
    if [ "$best" = - ]; then
      echo "$n: amd64 $a and i386 $i, and no version in both indexes: apt will say what breaks" >&2
      continue
    fi
    local what="held back to $best"
    if [ "$inst" != "(none)" ] && dpkg --compare-versions "$inst" gt "$best"; then
      what="brought down from the installed $inst to $best"
    fi
    echo "$n: $what on amd64 and i386 (candidates amd64 $a, i386 $i; Multi-Arch: same needs one version)" >&2
    printf 'Package: %s:amd64 %s:i386\nPin: version %s\nPin-Priority: 1001\n\n' "$n" "$n" "$best" >> "$prefs"
    printf 'Package: src:%s\nPin: version %s\nPin-Priority: 1001\n\n' "${src:-$n}" "$best" >> "$prefs"
    count=$((count + 1))
  done < <(split_multiarch_pairs)
  [ "$count" -gt 0 ]
}

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
# A mirror in the middle of a sync answers with index files of the wrong
# size for a while. Try again; if one archive stays out of step, go on with
# the indexes that did arrive: the install below fails plainly if a package
# it needs is really missing.
for attempt in 1 2 3; do
  $SUDO apt-get update -qq && break
  if [ "$attempt" -lt 3 ]; then
    echo "apt-get update failed; trying again in 20 s" >&2
    sleep 20
  else
    echo "apt-get update failed three times; installing from the indexes that arrived" >&2
  fi
done
if [ ${#need[@]} -gt 0 ]; then
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
# wine32 in its own step, so that the message says which part failed.
if [ "$need32" -eq 1 ]; then
  # The pins hold for this one command: the machine's own apt configuration
  # is neither read for preferences nor changed.
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  pin=()
  mkdir "$work/preferences.d"
  if write_pair_pins "$work/preferences"; then
    pin=(-o "Dir::Etc::Preferences=$work/preferences" -o "Dir::Etc::PreferencesParts=$work/preferences.d"
         --allow-downgrades)
  fi
  if ! $SUDO apt-get install -y -qq --no-install-recommends --no-remove "${pin[@]}" wine32:i386 >/dev/null; then
    echo "wine32:i386 could not be installed: the x86 tests need it" >&2
    exit 1
  fi
fi
