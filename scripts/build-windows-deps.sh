#!/usr/bin/env bash
# Fetches the Debian source packages of the third-party libraries and
# cross-compiles them for the Windows targets into a cache:
#   <cache>/src      unpacked Debian sources (the LZMA SDK is used from here by every target)
#   <cache>/win32    static libraries and headers for i686-w64-mingw32 (the product)
#   <cache>/win64    the same for x86_64-w64-mingw32 (Wine tests where 32-bit code cannot run)
# Every step leaves a stamp, so a second run does nothing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cache="$(mkdir -p "$1" && cd "$1" && pwd)"
src="$cache/src"
jobs="$(nproc)"
mkdir -p "$src"

source "$root/scripts/apt.sh"

# Pinned to the versions whose .dsc files the archive serves.
sources=("lzo2=2.10-2" "libjpeg-turbo=1:2.1.5-2" "libpng1.6=1.6.39-2+deb12u5" "7zip"
         "libsodium=1.0.18-1+deb12u1")
# Fetched again when the list changes.
fetched="$src/.fetched-$(printf '%s\n' "${sources[@]}" | md5sum | cut -c1-12)"

fetch_sources() {
  [ -f "$fetched" ] && return
  local list=/etc/apt/sources.list.d/vorn-deb-src.sources
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    sudo_if_needed tee "$list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt_update
  fi
  (cd "$src" && apt-get source -qq "${sources[@]}" >/dev/null 2>&1) || {
    echo "build-windows-deps: apt-get source failed" >&2; exit 1; }
  touch "$fetched"
}

source_dir() { find "$src" -maxdepth 1 -mindepth 1 -type d -name "$1" | sort | tail -n 1; }

# Each function and object of a library in a section of its own, so that the
# programs' --gc-sections leaves out what they never call (libpng's writer,
# about 100 KB of each program); on 32-bit Windows without unwind tables, as
# our own code (cmake/VornCompiler.cmake): the linker keeps every function
# such a table names. A library built by an earlier recipe has
# another stamp and is built again.
stamp() { echo "$prefix/.$1-gc"; } # name

cmake_build() { # name source-dir extra-args...   (uses $prefix, $toolchain, $arch, the flags)
  local name="$1" dir="$2"; shift 2
  [ -f "$(stamp "$name")" ] && return
  echo "build-windows-deps: $arch $name"
  local bdir="$cache/build-$arch-$name"
  rm -rf "$bdir"
  cmake -S "$dir" -B "$bdir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_C_FLAGS="$c_flags" -DCMAKE_CXX_FLAGS="$sections" \
    -DCMAKE_POLICY_DEFAULT_CMP0074=NEW "$@" >"$bdir.log" 2>&1 \
    && cmake --build "$bdir" -j "$jobs" >>"$bdir.log" 2>&1 \
    && cmake --install "$bdir" >>"$bdir.log" 2>&1 \
    || { echo "build-windows-deps: $name failed, see $bdir.log" >&2; tail -n 30 "$bdir.log" >&2; exit 1; }
  rm -rf "$bdir"
  touch "$(stamp "$name")"
}

# A library built by its own configure script, as a static library only.
configure_build() { # name source-dir extra-args...   (uses $prefix, $triple, $arch, $c_flags)
  local name="$1" dir="$2"; shift 2
  [ -f "$(stamp "$name")" ] && return
  echo "build-windows-deps: $arch $name"
  local bdir="$cache/build-$arch-$name"
  rm -rf "$bdir"; mkdir -p "$bdir"
  # A source package made from the project's repository has no configure yet.
  [ -x "$dir/configure" ] || (cd "$dir" && ./autogen.sh -s) >"$bdir.log" 2>&1 \
    || { echo "build-windows-deps: $name autogen failed, see $bdir.log" >&2; exit 1; }
  (cd "$bdir" && CFLAGS="-O2 $c_flags" "$dir/configure" --host="$triple" --prefix="$prefix" --disable-shared \
     --enable-static --disable-dependency-tracking "$@" && make -j "$jobs" && make install) \
    >>"$bdir.log" 2>&1 \
    || { echo "build-windows-deps: $name failed, see $bdir.log" >&2; tail -n 30 "$bdir.log" >&2; exit 1; }
  rm -rf "$bdir"
  touch "$(stamp "$name")"
}

fetch_sources

build_arch() { # arch triple toolchain
  arch="$1"; triple="$2"; toolchain="$root/cmake/$3"; prefix="$cache/$arch"
  sections="-ffunction-sections -fdata-sections"
  c_flags="$sections" # C++ (GoogleTest) keeps the tables its exceptions need
  [ "$arch" = win32 ] && c_flags+=" -fno-asynchronous-unwind-tables"
  mkdir -p "$prefix"
  cmake_build lzo "$(source_dir 'lzo2-*')" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
  cmake_build jpeg "$(source_dir 'libjpeg-turbo-*')" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF
  cmake_build png "$(source_dir 'libpng1.6-*')" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_USE_STATIC_LIBS=ON \
    -DZLIB_INCLUDE_DIR="/usr/$triple/include" -DZLIB_LIBRARY="/usr/$triple/lib/libz.a"
  cmake_build googletest /usr/src/googletest -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF
  # Ed25519 signatures of update feeds and setups.
  configure_build sodium "$(source_dir 'libsodium-*')"
}

build_arch win32 i686-w64-mingw32 toolchain-i686-mingw.cmake
build_arch win64 x86_64-w64-mingw32 toolchain-x86_64-mingw.cmake

lzma="$(source_dir '7zip-*')"
[ -f "$lzma/C/LzmaDec.c" ] || { echo "build-windows-deps: no LZMA SDK in $lzma" >&2; exit 1; }
# Relative, so that the cache stays whole wherever it is reached from.
ln -sfn "${lzma#"$cache"/}/C" "$cache/lzma-sdk"
echo "build-windows-deps: ready in $cache"
