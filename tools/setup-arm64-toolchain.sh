#!/usr/bin/env bash
# Sets up the ARM64 Windows cross toolchain: Debian's clang, lld and llvm 19
# from the machine's archive, and an aarch64-w64-mingw32 sysroot built from
# Debian's own source packages (MinGW-w64 headers, CRT and import libraries;
# compiler-rt builtins; static libc++, libc++abi and libunwind; a stack
# protector runtime). Installs into ARM64_TOOLCHAIN_DIR (default
# ~/.cache/arm64-mingw-llvm19), with the tools as <dir>/bin/aarch64-w64-mingw32-*.
#
# Idempotent: a directory whose .complete stamp names the installed compiler
# and this recipe is reused as it is; anything else there is built afresh.
# The source packages come through a private apt configuration holding one
# deb-src line: the machine's own apt sources are neither read for them nor
# changed. JOBS sets the parallel jobs (default: every core).
set -euo pipefail

V=19
T=aarch64-w64-mingw32
# Raised whenever what this script builds changes, so that older caches are rebuilt.
RECIPE=1
dir=${ARM64_TOOLCHAIN_DIR:-$HOME/.cache/arm64-mingw-llvm$V}
jobs=${JOBS:-$(nproc)}
llvm=/usr/lib/llvm-$V

start=$(date +%s)
say() { echo "[arm64 toolchain $(( $(date +%s) - start ))s] $*"; }
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
need=()
for p in clang-$V lld-$V llvm-$V cmake ninja-build make xz-utils bzip2 dpkg-dev; do have "$p" || need+=("$p"); done
if [ ${#need[@]} -gt 0 ]; then
  say "installing ${need[*]}"
  $SUDO apt-get update -qq || echo "apt-get update failed; installing from the indexes there are" >&2
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${need[@]}" >/dev/null
fi
clang_version=$(dpkg-query -W -f='${Version}' clang-$V)

# Two runs at once (a test run and a package run) wait for each other.
mkdir -p "$(dirname "$dir")"
exec 8>"$dir.lock"
flock 8

stamp_head="recipe $RECIPE clang-$V $clang_version"
if [ -f "$dir/.complete" ] && [ "$(head -1 "$dir/.complete")" = "$stamp_head" ]; then
  exit 0
fi

say "building into $dir (about 5 minutes on two cores)"
rm -rf "$dir"
work="$dir.work"
rm -rf "$work"
mkdir -p "$dir/bin" "$dir/$T/lib" "$dir/lib/clang/$V/lib" "$work/apt/lists/partial" \
  "$work/apt/cache/archives/partial" "$work/src" "$work/build"
trap 'rm -rf "$work"' EXIT

# The mirror the machine's own apt uses: the first URI of a deb822 stanza, or
# the first deb line.
mirror=${DEBIAN_MIRROR:-}
if [ -z "$mirror" ]; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    mirror=$(awk '/^URIs:/ { print $2; exit }' "$f")
    [ -n "$mirror" ] && break
  done
fi
if [ -z "$mirror" ] && [ -f /etc/apt/sources.list ]; then
  mirror=$(awk '$1 == "deb" { print ($2 ~ /^\[/) ? $3 : $2; exit }' /etc/apt/sources.list)
fi
[ -n "$mirror" ] || { echo "no Debian mirror in the apt sources; set DEBIAN_MIRROR" >&2; exit 1; }
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")

echo "deb-src $mirror $codename main" > "$work/apt/sources.list"
# As root, apt fetches as its own user, who cannot write into our folder.
[ "$(id -u)" -ne 0 ] || echo 'APT::Sandbox::User "root";' > "$work/apt/apt.conf"
cat >> "$work/apt/apt.conf" <<EOF
Dir::Etc::SourceList "$work/apt/sources.list";
Dir::Etc::SourceParts "/dev/null";
Dir::State::Lists "$work/apt/lists";
Dir::Cache "$work/apt/cache";
EOF
say "fetching the source packages mingw-w64 and llvm-toolchain-$V $clang_version (about 175 MB)"
(
  export APT_CONFIG="$work/apt/apt.conf"
  apt-get update -qq
  cd "$work/src"
  # libc++'s headers must be the compiler's own version.
  apt-get source -qq --download-only mingw-w64 "llvm-toolchain-$V=$clang_version" >/dev/null
)
mingw_tar=$(ls "$work"/src/mingw-w64_*.orig.tar.bz2 | head -1)
llvm_tar=$(ls "$work"/src/llvm-toolchain-${V}_*.orig.tar.xz | head -1)
mingw_version=$(basename "$mingw_tar" | sed 's/^mingw-w64_\(.*\)\.orig\.tar\.bz2$/\1/')
llvm_version=$(basename "$llvm_tar" | sed "s/^llvm-toolchain-${V}_\(.*\)\.orig\.tar\.xz\$/\1/")

say "unpacking mingw-w64 $mingw_version and the runtime folders of llvm-toolchain-$V $llvm_version"
tar -C "$work/src" -xjf "$mingw_tar"
mingw_src=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name 'mingw-w64*' | head -1)
xz -dc "$llvm_tar" | tar -C "$work/src" -x --wildcards --no-wildcards-match-slash '*/cmake' '*/compiler-rt' \
  '*/libcxx' '*/libcxxabi' '*/libunwind' '*/runtimes' '*/llvm/cmake' '*/llvm/utils' '*/third-party'
llvm_top=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name 'llvm-toolchain*' -printf '%f\n' | head -1)
llvm_src=$work/src/$llvm_top

# The driver's target, sysroot and runtimes come from a configuration file
# beside the wrappers: options given there are never reported as unused,
# which a -Werror build would otherwise trip over on compile-only steps.
say "compiler wrappers in $dir/bin"
ln -sfn "$llvm/lib/clang/$V/include" "$dir/lib/clang/$V/include"
cat > "$dir/bin/$T.cfg" <<EOF
--target=$T
--sysroot=<CFGDIR>/..
-resource-dir=<CFGDIR>/../lib/clang/$V
-rtlib=compiler-rt
-unwindlib=libunwind
-stdlib=libc++
-fuse-ld=lld
EOF
for driver in clang clang++; do
  printf '#!/bin/sh\nexec %s/bin/%s --config="$(dirname "$(readlink -f "$0")")/%s.cfg" "$@"\n' \
    "$llvm" "$driver" "$T" > "$dir/bin/$T-$driver"
  chmod +x "$dir/bin/$T-$driver"
done
ln -sfn "$T-clang" "$dir/bin/$T-gcc"
ln -sfn "$T-clang++" "$dir/bin/$T-g++"
# llvm-windres takes its target from the prefix of the name it is called by.
for tool in ar ranlib nm strip objcopy objdump dlltool readobj windres; do
  ln -sfn "$llvm/bin/llvm-$tool" "$dir/bin/$T-$tool"
done
ln -sfn "$llvm/bin/ld.lld" "$dir/bin/$T-ld"
export PATH="$dir/bin:$PATH"

# msvcrt, as Debian's x86 and x64 MinGW-w64 runtimes default to.
say "MinGW-w64 headers"
mkdir -p "$work/build/headers"
(cd "$work/build/headers" && "$mingw_src/mingw-w64-headers/configure" -q --host=$T --prefix="$dir/$T" \
  --with-default-msvcrt=msvcrt >/dev/null && make -s install >/dev/null)

say "MinGW-w64 CRT and import libraries for ARM64"
mkdir -p "$work/build/crt"
(cd "$work/build/crt" && "$mingw_src/mingw-w64-crt/configure" -q --host=$T --prefix="$dir/$T" \
  --disable-lib32 --disable-lib64 --enable-libarm64 --with-default-msvcrt=msvcrt --enable-silent-rules >/dev/null \
  && { make -s -j"$jobs" >/dev/null 2>"$work/crt.log" || { tail -30 "$work/crt.log"; exit 1; }; } \
  && make -s install >/dev/null)

# Just the builtins: no sanitizers, profiling or fuzzing runtimes.
say "compiler-rt builtins"
cmake -S "$llvm_src/compiler-rt/lib/builtins" -B "$work/build/builtins" -G Ninja -Wno-dev \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$dir/lib/clang/$V" -DCMAKE_SYSTEM_NAME=Windows \
  -DCMAKE_C_COMPILER=$T-clang -DCMAKE_CXX_COMPILER=$T-clang++ -DCMAKE_C_COMPILER_TARGET=aarch64-w64-windows-gnu \
  -DCMAKE_AR="$llvm/bin/llvm-ar" -DCMAKE_RANLIB="$llvm/bin/llvm-ranlib" \
  -DCMAKE_C_COMPILER_WORKS=1 -DCMAKE_CXX_COMPILER_WORKS=1 -DCOMPILER_RT_DEFAULT_TARGET_ONLY=TRUE \
  -DCOMPILER_RT_USE_BUILTINS_LIBRARY=TRUE -DCOMPILER_RT_EXCLUDE_ATOMIC_BUILTIN=FALSE -DLLVM_CONFIG_PATH= \
  -DLLVM_ENABLE_PER_TARGET_RUNTIME_DIR=TRUE -DCMAKE_FIND_ROOT_PATH="$dir/$T" \
  -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY >/dev/null
ninja -C "$work/build/builtins" -j"$jobs" install >/dev/null

# Static only, on Win32 threads (no winpthreads): a DLL linked against them
# imports nothing but system DLLs. No tests, benchmarks or documents.
say "libunwind, libc++abi and libc++ (static)"
cmake -S "$llvm_src/runtimes" -B "$work/build/runtimes" -G Ninja -Wno-dev \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$dir/$T" -DCMAKE_SYSTEM_NAME=Windows \
  -DCMAKE_C_COMPILER=$T-clang -DCMAKE_CXX_COMPILER=$T-clang++ -DCMAKE_CXX_COMPILER_TARGET=aarch64-w64-windows-gnu \
  -DCMAKE_C_COMPILER_WORKS=TRUE -DCMAKE_CXX_COMPILER_WORKS=TRUE \
  -DCMAKE_AR="$llvm/bin/llvm-ar" -DCMAKE_RANLIB="$llvm/bin/llvm-ranlib" \
  -DLLVM_PATH="$llvm_src/llvm" -DLLVM_ENABLE_PER_TARGET_RUNTIME_DIR=OFF \
  -DLLVM_DEFAULT_TARGET_TRIPLE=aarch64-w64-windows-gnu -DLLVM_ENABLE_RUNTIMES="libunwind;libcxxabi;libcxx" \
  -DLLVM_INCLUDE_TESTS=OFF -DLLVM_INCLUDE_DOCS=OFF \
  -DLIBUNWIND_USE_COMPILER_RT=TRUE -DLIBUNWIND_ENABLE_SHARED=OFF -DLIBUNWIND_ENABLE_STATIC=ON \
  -DLIBUNWIND_INCLUDE_DOCS=OFF -DLIBUNWIND_INCLUDE_TESTS=OFF \
  -DLIBCXX_USE_COMPILER_RT=ON -DLIBCXX_ENABLE_SHARED=OFF -DLIBCXX_ENABLE_STATIC=ON \
  -DLIBCXX_ENABLE_STATIC_ABI_LIBRARY=TRUE -DLIBCXX_CXX_ABI=libcxxabi -DLIBCXX_LIBDIR_SUFFIX= \
  -DLIBCXX_INCLUDE_TESTS=FALSE -DLIBCXX_INCLUDE_BENCHMARKS=FALSE -DLIBCXX_INCLUDE_DOCS=FALSE \
  -DLIBCXX_ENABLE_ABI_LINKER_SCRIPT=FALSE \
  -DLIBCXXABI_USE_COMPILER_RT=ON -DLIBCXXABI_USE_LLVM_UNWINDER=ON -DLIBCXXABI_ENABLE_SHARED=OFF \
  -DLIBCXXABI_INCLUDE_TESTS=OFF -DLIBCXXABI_LIBDIR_SUFFIX= >/dev/null
ninja -C "$work/build/runtimes" -j"$jobs" install-unwind install-cxxabi install-cxx >/dev/null

# clang's MinGW driver links -lssp_nonshared -lssp for -fstack-protector*,
# and MinGW-w64's headers call the checked copies of libssp under
# _FORTIFY_SOURCE; this MinGW-w64 release ships neither. Ours follows the
# platform's own cookie check: the guard is seeded from the system's random
# source when the image loads, and a failed check ends the process at once,
# without running any handler of the (by then corrupt) process. (No checked
# gets: a program that calls gets should fail to link.)
say "stack protector and checked-copy runtime"
cat > "$work/build/ssp.c" <<'EOF'
#include <windows.h>
#include <wincrypt.h>
#include <string.h>

#ifndef PF_FASTFAIL_AVAILABLE
#define PF_FASTFAIL_AVAILABLE 23
#endif
#define FAST_FAIL_STACK_COOKIE_CHECK_FAILURE 2
#define FAST_FAIL_RANGE_CHECK_FAILURE 8

/* A terminator value (NUL, newline, 0xff) until the seed replaces it: string
   copies stop at it, and a failed seed is still told from success. */
void *__stack_chk_guard = (void *)(ULONG_PTR)0xff0a0000;

static void __attribute__((constructor)) seed_guard(void) {
    HCRYPTPROV provider = 0;
    void *seed = 0;
    if (!CryptAcquireContextW(&provider, NULL, NULL, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) return;
    if (CryptGenRandom(provider, sizeof seed, (BYTE *)&seed) && seed) __stack_chk_guard = seed;
    CryptReleaseContext(provider, 0);
}

/* The process is corrupt: end it without running any of its handlers. */
static void __attribute__((noreturn, noinline)) fail(unsigned code) {
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE))
        __asm__ volatile("mov x0, %0\n\tbrk #0xf003" : : "r"((ULONG_PTR)code) : "x0");
    TerminateProcess(GetCurrentProcess(), (UINT)STATUS_STACK_BUFFER_OVERRUN);
    __builtin_unreachable();
}

void __attribute__((noreturn)) __stack_chk_fail(void) { fail(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE); }

/* The checked copies that _FORTIFY_SOURCE's inline wrappers call when the
   destination's size is known and the length is not. */
void __attribute__((noreturn)) __chk_fail(void) { fail(FAST_FAIL_RANGE_CHECK_FAILURE); }

void *__memcpy_chk(void *dst, const void *src, size_t n, size_t room) {
    if (n > room) __chk_fail();
    return memcpy(dst, src, n);
}

void *__memmove_chk(void *dst, const void *src, size_t n, size_t room) {
    if (n > room) __chk_fail();
    return memmove(dst, src, n);
}

void *__mempcpy_chk(void *dst, const void *src, size_t n, size_t room) {
    if (n > room) __chk_fail();
    return (char *)memcpy(dst, src, n) + n;
}

void *__memset_chk(void *dst, int c, size_t n, size_t room) {
    if (n > room) __chk_fail();
    return memset(dst, c, n);
}

char *__strcpy_chk(char *dst, const char *src, size_t room) {
    size_t n = strlen(src);
    if (n >= room) __chk_fail();
    return memcpy(dst, src, n + 1);
}

char *__strcat_chk(char *dst, const char *src, size_t room) {
    size_t used = strnlen(dst, room), n = strlen(src);
    if (used == room || n >= room - used) __chk_fail();
    memcpy(dst + used, src, n + 1);
    return dst;
}

char *__strncpy_chk(char *dst, const char *src, size_t n, size_t room) {
    if (n > room) __chk_fail();
    return strncpy(dst, src, n);
}

char *__strncat_chk(char *dst, const char *src, size_t n, size_t room) {
    size_t used = strnlen(dst, room), add = strnlen(src, n);
    if (used == room || add >= room - used) __chk_fail();
    memcpy(dst + used, src, add);
    dst[used + add] = 0;
    return dst;
}
EOF
$T-clang -O2 -Wall -Wextra -Werror -fno-stack-protector -c "$work/build/ssp.c" -o "$work/build/ssp.o"
rm -f "$dir/$T/lib/libssp.a" "$dir/$T/lib/libssp_nonshared.a"
"$llvm/bin/llvm-ar" rcs "$dir/$T/lib/libssp.a" "$work/build/ssp.o"
# GCC keeps only i386's local check in the non-shared part; nothing here needs one.
"$llvm/bin/llvm-ar" rcs "$dir/$T/lib/libssp_nonshared.a"

say "checking a protected DLL"
cat > "$work/build/smoke.cpp" <<'EOF'
#include <windows.h>
#include <algorithm>
#include <array>
#include <cstring>
extern "C" __declspec(dllexport) int probe(const char *s, size_t n) {
    char copy[64];
    std::memcpy(copy, s, n);
    copy[sizeof copy - 1] = 0;
    std::array<int, 3> a{3, 1, 2};
    std::sort(a.begin(), a.end());
    return a[0] + static_cast<int>(std::strlen(copy)) + static_cast<int>(GetTickCount());
}
EOF
$T-clang++ -std=c++20 -O2 -Wall -Werror -fstack-protector-strong -D_FORTIFY_SOURCE=2 -shared -static \
  "$work/build/smoke.cpp" -o "$work/build/smoke.dll"
"$llvm/bin/llvm-readobj" --file-headers "$work/build/smoke.dll" | grep -q IMAGE_FILE_MACHINE_ARM64
"$llvm/bin/llvm-objdump" -p "$work/build/smoke.dll" | grep -q CryptGenRandom || {
  echo "the protected DLL does not seed its guard" >&2; exit 1; }
"$llvm/bin/llvm-nm" "$work/build/smoke.dll" | grep -q ' __memcpy_chk$' || {
  echo "the fortified copy is not checked" >&2; exit 1; }

{
  echo "$stamp_head"
  echo "mingw-w64 $mingw_version"
  echo "llvm-toolchain-$V $llvm_version"
} > "$dir/.complete.tmp"
mv "$dir/.complete.tmp" "$dir/.complete"
say "done: $dir, $(du -sh "$dir" | cut -f1)"
