#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, then
# cross-compiles the third-party libraries for the Windows targets into a cache.
# Idempotent: a second run only checks what is already there, and asks apt for
# nothing when nothing is missing.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cache="${VORN_DEPS_CACHE:-$root/build/deps}"
source "$root/scripts/apt.sh"

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config dpkg-dev autoconf automake libtool
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 fonts-wine fonts-wqy-microhei xvfb x11-utils xdotool imagemagick
  zlib1g-dev liblzo2-dev libpng-dev libjpeg62-turbo-dev libsodium-dev
  googletest libgtest-dev libbenchmark-dev
  7zip
  osslsigncode openssl bsdutils python3-yaml
)
# Wine's 32-bit half only where this kernel executes 32-bit code: elsewhere
# the tests run the 64-bit build, and an i386 index that fails to download
# must not stop the machine from being set up.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1 || [ "$(uname -m)" = i686 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_if_needed dpkg --add-architecture i386
  fi
  packages+=(wine32:i386)
fi

apt_install_missing "${packages[@]}"

"$root/scripts/build-windows-deps.sh" "$cache"
